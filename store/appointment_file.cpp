// The appointment file "quarvwecker.xml": the book as XML in the application-data folder.
#include "store/appointment_file.h"

#include "core/calendar.h"
#include "xml/xml.h"

namespace {

constexpr int TRACE_ID = 42;
constexpr int BUSY_ATTEMPTS = 10;
constexpr int BUSY_RETRY_PAUSE_MS = 25;

bool appointmentFilePath(FileSystem& files, const Settings& settings, std::string& path) {
    std::string folder;
    if (!files.dataFolder(settings.userdata, folder)) {
        return false;
    }
    path = folder + "\\quarvwecker.xml";
    return true;
}

// The "termine" element in "version1" in the first "quarvwecker"; nullptr when one is missing.
const XmlElement* findAppointments(const XmlDocument& document) {
    const XmlElement* root = document.elementAt(document.findElement("quarvwecker"));
    const XmlElement* version = root ? root->childAt(root->findChild("version1")) : nullptr;
    return version ? version->childAt(version->findChild("termine")) : nullptr;
}

std::string bookToText(const AppointmentBook& book) {
    XmlDocument document(TRACE_ID);
    XmlElement* appointments = document.addElement("quarvwecker", false)
                                   ->addChild("version1", false)
                                   ->addChild("termine", false);
    book.forEach([appointments](const Appointment& appointment) {
        XmlElement* date = appointments->addChild("date", true);
        date->addAttribute("text", appointment.text);
        date->addAttribute("zeit", timeToFileKey(appointment.alarmTime));
        // Only a series gets the attribute: a one-off is written as it always was.
        const std::string rule =
            recurrenceToAttribute(appointment.recurrence, appointment.alarmTime);
        if (!rule.empty()) {
            date->addAttribute(RECURRENCE_ATTRIBUTE, rule);
        }
    });
    return XmlTranslator(TRACE_ID).buildDocument(document);
}

// A whole appointment file as the save writes it: it reads, and nothing was cut off.
bool isCompleteFile(const std::string& text) {
    XmlDocument document(TRACE_ID);
    return text.ends_with("</quarvwecker>\r\n") &&
           XmlTranslator(TRACE_ID).buildStructure(text, document) &&
           findAppointments(document) != nullptr;
}

// A file opened for writing, closed at the latest when this goes out of scope.
class WriteHandle {
  public:
    WriteHandle(FileSystem& files, std::uintptr_t file) : files_(files), file_(file) {}
    WriteHandle(const WriteHandle&) = delete;
    WriteHandle& operator=(const WriteHandle&) = delete;
    ~WriteHandle() { close(); }

    std::uintptr_t get() const { return file_; }
    bool close() {
        if (!open_) {
            return true;
        }
        open_ = false;
        return files_.closeFile(file_);
    }

  private:
    FileSystem& files_;
    std::uintptr_t file_;
    bool open_ = true;
};

// A virus scanner or an indexer may hold the file for a moment: ask again a few times.
template <typename Operation> FileResult retryWhileBusy(FileSystem& files, Operation operation) {
    for (int attempt = 1;; ++attempt) {
        const FileResult result = operation();
        if (result != FileResult::Busy || attempt == BUSY_ATTEMPTS) {
            return result;
        }
        files.pause(BUSY_RETRY_PAUSE_MS);
    }
}

bool moveWithRetry(FileSystem& files, const std::string& from, const std::string& to) {
    return retryWhileBusy(files, [&] { return files.moveFile(from, to); }) == FileResult::Ok;
}

// Writes the text beside the file first and puts it in place in one step, so that a
// crash, a power cut or a full disk leaves the old file whole.
bool replaceFile(FileSystem& files, const std::string& path, std::string_view text) {
    const std::string temporary = path + ".tmp";
    std::uintptr_t file = 0;
    bool written = files.createFile(temporary, file);
    if (written) {
        WriteHandle handle(files, file);
        written = files.writeFile(handle.get(), text) && files.flushFile(handle.get());
        written = handle.close() && written;
    }
    if (written && moveWithRetry(files, temporary, path)) {
        return true;
    }
    files.removeFile(temporary);
    return false;
}

// A temporary file left by a save that did not finish: it replaces a missing file when
// it is complete; otherwise it goes.
void recoverTemporaryFile(FileSystem& files, const std::string& path) {
    const std::string temporary = path + ".tmp";
    std::string text;
    const FileResult read = files.readFile(temporary, text);
    if (read == FileResult::Missing) {
        return;
    }
    std::string current;
    if (read == FileResult::Ok && isCompleteFile(text) &&
        files.readFile(path, current) == FileResult::Missing &&
        moveWithRetry(files, temporary, path)) {
        return;
    }
    files.removeFile(temporary);
}

} // namespace

bool loadAppointments(FileSystem& files, const Settings& settings, TimeValue now,
                      AppointmentBook& book, AppointmentBook& missed) {
    std::string path;
    if (!appointmentFilePath(files, settings, path)) {
        return false;
    }
    recoverTemporaryFile(files, path);
    std::string text;
    if (retryWhileBusy(files, [&] { return files.readFile(path, text); }) != FileResult::Ok) {
        return false;
    }

    XmlDocument document(TRACE_ID);
    const XmlElement* appointments = XmlTranslator(TRACE_ID).buildStructure(text, document)
                                         ? findAppointments(document)
                                         : nullptr;
    if (appointments == nullptr) {
        // The next save would overwrite what could not be read: keep a copy aside.
        if (!text.empty()) {
            replaceFile(files, path + ".bad", text);
        }
        return false;
    }

    // From the last to the first: appointments of equal time come out of the book in
    // the reverse of their order in the file.
    bool pastFound = false;
    for (int i = appointments->childCount() - 1; i >= 0; --i) {
        const XmlElement& date = *appointments->childAt(i);
        if (date.name() != "date") {
            continue;
        }
        const std::string_view appointmentText = date.attribute("text").value_or("");
        const TimeValue time = fileKeyToTime(date.attribute("zeit").value_or(""));
        if (time <= 0) {
            continue;
        }
        const Recurrence rule =
            recurrenceFromAttribute(date.attribute(RECURRENCE_ATTRIBUTE).value_or(""), time);
        // A past series shows its last passed occurrence once and stays with its next.
        const StartUpSplit split = splitAtStartUp(rule, time, now);
        if (split.missed) {
            pastFound = true;
            if (!settings.deleteold) {
                missed.insert({*split.missed, std::string(appointmentText), rule});
            }
        }
        if (split.next) {
            book.insert({*split.next, std::string(appointmentText), rule});
        }
    }

    if (pastFound) {
        saveAppointments(files, settings, book);
    }
    return true;
}

bool saveAppointments(FileSystem& files, const Settings& settings, const AppointmentBook& book) {
    std::string path;
    return appointmentFilePath(files, settings, path) && replaceFile(files, path, bookToText(book));
}
