// The appointment file "quarvwecker.xml": the book as XML in the application-data folder.
#include "store/appointment_file.h"

#include <optional>

#include "core/calendar.h"
#include "store/appointment_store.h"
#include "store/data_folder.h"
#include "xml/xml.h"

namespace {

constexpr int TRACE_ID = 42;
constexpr int BUSY_ATTEMPTS = 10;
constexpr int BUSY_RETRY_PAUSE_MS = 25;

// The "termine" element in "version1" in the first "quarvwecker"; nullptr when one is missing.
const XmlElement* findAppointments(const XmlDocument& document) {
    const XmlElement* root = document.elementAt(document.findElement("quarvwecker"));
    const XmlElement* version = root ? root->childAt(root->findChild("version1")) : nullptr;
    return version ? version->childAt(version->findChild("termine")) : nullptr;
}

// A whole appointment file: it reads, and nothing was cut off.
bool isCompleteFile(const std::string& text) {
    XmlDocument document(TRACE_ID);
    return reachesItsEnd(text) && XmlTranslator(TRACE_ID).buildStructure(text, document) &&
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

// The temporary file of a save, made only where none is: two programs that save into one
// folder at once (other users' on this PC, or another PC's on a network folder) take turns,
// and the check and the rename of one cannot come between those of the other. One that
// stays unchanged through the whole wait was left by a save that never finished, and goes.
bool createTemporaryFile(FileSystem& files, const std::string& temporary, std::uintptr_t& file) {
    std::optional<FileStamp> inTheWay;
    bool unchanged = true;
    for (int attempt = 1; attempt <= BUSY_ATTEMPTS; ++attempt) {
        if (files.createFile(temporary, file)) {
            return true;
        }
        FileStamp stamp;
        const FileResult found = files.fileStamp(temporary, stamp);
        if (found == FileResult::Missing) {
            unchanged = false; // the other save has just finished (or the folder is gone)
            continue;
        }
        if (found != FileResult::Ok) {
            return false;
        }
        unchanged = unchanged && (!inTheWay || *inTheWay == stamp);
        inTheWay = stamp;
        if (attempt < BUSY_ATTEMPTS) {
            files.pause(BUSY_RETRY_PAUSE_MS);
        }
    }
    if (!inTheWay || !unchanged) {
        return false;
    }
    files.removeFile(temporary);
    return files.createFile(temporary, file);
}

// Whether the file still has the stamp the caller last saw.
bool stillAsExpected(FileSystem& files, const std::string& path, const FileStamp& expected) {
    FileStamp now;
    const FileResult result = retryWhileBusy(files, [&] { return files.fileStamp(path, now); });
    return result == FileResult::Missing ? !expected.exists
                                         : result == FileResult::Ok && now == expected;
}

} // namespace

std::string appointmentFilePath(const std::string& folder) {
    return fileInFolder(folder, APPOINTMENT_FILE_NAME);
}

std::string appointmentFileText(const AppointmentBook& book) {
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

bool readAppointmentFileText(std::string_view text, AppointmentBook& appointments) {
    XmlDocument document(TRACE_ID);
    const XmlElement* termine = XmlTranslator(TRACE_ID).buildStructure(text, document)
                                    ? findAppointments(document)
                                    : nullptr;
    if (termine == nullptr) {
        return false;
    }
    // From the last to the first: appointments of equal time come out of the book in
    // the reverse of their order in the file.
    for (int i = termine->childCount() - 1; i >= 0; --i) {
        const XmlElement& date = *termine->childAt(i);
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
        appointments.insert({time, std::string(appointmentText), rule});
    }
    return true;
}

bool reachesItsEnd(std::string_view text) {
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return last != std::string_view::npos && text.substr(0, last + 1).ends_with("</quarvwecker>");
}

FileResult readWholeFile(FileSystem& files, const std::string& path, std::string& text) {
    return retryWhileBusy(files, [&] { return files.readFile(path, text); });
}

ReplaceResult replaceWholeFile(FileSystem& files, const std::string& path, std::string_view text,
                               const ReplaceOptions& options) {
    const std::string temporary = path + std::string(TEMPORARY_SUFFIX);
    std::uintptr_t file = 0;
    if (!createTemporaryFile(files, temporary, file)) {
        return ReplaceResult::Failed; // another save's file, which is not this one's to remove
    }
    bool written = false;
    {
        WriteHandle handle(files, file);
        written = files.writeFile(handle.get(), text) && files.flushFile(handle.get());
        written = handle.close() && written;
    }
    written = written && (!options.allUsers || files.shareWithAllUsers(temporary));
    // The rename keeps the new file's stamp, so it is taken here, where no other program
    // can have replaced the file yet.
    written = written && (options.written == nullptr ||
                          files.fileStamp(temporary, *options.written) == FileResult::Ok);
    if (written && options.expected != nullptr &&
        !stillAsExpected(files, path, *options.expected)) {
        files.removeFile(temporary);
        return ReplaceResult::TargetChanged;
    }
    if (written && moveWithRetry(files, temporary, path)) {
        return ReplaceResult::Replaced;
    }
    files.removeFile(temporary);
    return ReplaceResult::Failed;
}

void recoverTemporaryFile(FileSystem& files, const std::string& path) {
    const std::string temporary = path + std::string(TEMPORARY_SUFFIX);
    std::string text;
    const FileResult read = files.readFile(temporary, text);
    if (read == FileResult::Missing || read == FileResult::Busy) {
        return; // none, or another program's save in progress
    }
    std::string current;
    if (read == FileResult::Ok && isCompleteFile(text) &&
        files.readFile(path, current) == FileResult::Missing &&
        moveWithRetry(files, temporary, path)) {
        return;
    }
    files.removeFile(temporary);
}

bool loadAppointments(FileSystem& files, const Settings& settings, TimeValue now,
                      AppointmentBook& book, AppointmentBook& missed) {
    std::string folder;
    if (!appointmentFolder(files, settings, folder)) {
        return false;
    }
    AppointmentStore store(files, folder, !settings.userdata);
    return store.load(now, settings.deleteold, book, missed);
}

bool saveAppointments(FileSystem& files, const Settings& settings, const AppointmentBook& book) {
    std::string folder;
    if (!appointmentFolder(files, settings, folder) || !files.createFolder(folder)) {
        return false;
    }
    ReplaceOptions options;
    options.allUsers = !settings.userdata;
    return replaceWholeFile(files, appointmentFilePath(folder), appointmentFileText(book),
                            options) == ReplaceResult::Replaced;
}
