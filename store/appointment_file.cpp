// The appointment file "quarvwecker.xml": the book as XML in the application-data folder.
#include "store/appointment_file.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>
#include <unordered_map>
#include <utility>

#include "core/calendar.h"
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
    FileContent content;
    return readAppointmentFile(text, content) && content.whole;
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

constexpr std::string_view GONE_ELEMENT = "geloescht";
constexpr std::string_view TOMBSTONE_ELEMENT = "weg";
constexpr std::string_view FORWARD_ELEMENT = "umbenannt";
constexpr std::string_view FORWARD_TARGET_ATTRIBUTE = "zu";
constexpr std::string_view WHEN_ATTRIBUTE = "am";
constexpr std::string_view WORDS_ATTRIBUTE = "inhalt";
constexpr int ID_DIGITS = 16;

std::string idText(AppointmentId id) {
    char text[ID_DIGITS + 1];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(id));
    return text;
}

// Exactly 16 lowercase or uppercase hexadecimal digits, not all zero.
std::optional<AppointmentId> idFromText(std::string_view text) {
    AppointmentId id = NO_ID;
    const char* end = text.data() + text.size();
    if (text.size() != ID_DIGITS || std::from_chars(text.data(), end, id, 16).ptr != end ||
        id == NO_ID) {
        return std::nullopt;
    }
    return id;
}

std::string revisionText(Revision revision) {
    std::string text = std::to_string(revision.edits);
    if (revision.moves != 0) {
        text += '.' + std::to_string(revision.moves);
    }
    return text;
}

// A count of decimal digits, nothing else.
std::optional<std::uint32_t> countFromText(std::string_view text) {
    std::uint32_t count = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text.front() == '+' || text.front() == '-' ||
        std::from_chars(text.data(), end, count).ptr != end) {
        return std::nullopt;
    }
    return count;
}

// "edits" or "edits.moves"; anything else reads as no change at all.
Revision revisionFromText(std::string_view text) {
    const std::size_t dot = text.find('.');
    const auto edits = countFromText(text.substr(0, dot));
    const auto moves = dot == std::string_view::npos ? std::optional<std::uint32_t>{0}
                                                     : countFromText(text.substr(dot + 1));
    return edits && moves ? Revision{*edits, *moves} : Revision{};
}

// The tombstones and forwards of "geloescht" in "version1"; damaged entries are passed
// over (an appointment then stays, never goes).
template <typename Counts>
void readGone(const XmlElement& version, FileContent& content, Counts counts) {
    const XmlElement* gone = version.childAt(version.findChild(GONE_ELEMENT));
    if (gone == nullptr) {
        return;
    }
    content.marked = true;
    for (int i = 0; i < gone->childCount(); ++i) {
        const XmlElement& entry = *gone->childAt(i);
        if (!counts(entry)) {
            continue;
        }
        const auto id = idFromText(entry.attribute(ID_ATTRIBUTE).value_or(""));
        const TimeValue when = fileKeyToTime(entry.attribute(WHEN_ATTRIBUTE).value_or(""));
        if (!id || when <= 0) {
            continue;
        }
        if (entry.name() == TOMBSTONE_ELEMENT) {
            if (const auto edits =
                    countFromText(entry.attribute(REVISION_ATTRIBUTE).value_or(""))) {
                const auto words = idFromText(entry.attribute(WORDS_ATTRIBUTE).value_or(""));
                content.tombstones.push_back({*id, *edits, when, words.value_or(0)});
            }
        } else if (entry.name() == FORWARD_ELEMENT) {
            if (const auto to =
                    idFromText(entry.attribute(FORWARD_TARGET_ATTRIBUTE).value_or(""))) {
                content.forwards.push_back({*id, *to, when});
            }
        }
    }
}

// The identity derived from what a "date" element says.
AppointmentId derivedId(const XmlElement& date, int equalBefore) {
    return derivedAppointmentId(date.attribute("text").value_or(""),
                                date.attribute("zeit").value_or(""),
                                date.attribute(RECURRENCE_ATTRIBUTE).value_or(""), equalBefore);
}

// How many equal ones (by their first derived identity) come before each entry, asked for
// the entries from the last to the first. Only identities that occur more than once are
// kept, so that a file of a million different appointments costs one sorted copy of
// their identities for a moment.
class EqualOnesBefore {
  public:
    explicit EqualOnesBefore(std::vector<AppointmentId> firsts) {
        std::sort(firsts.begin(), firsts.end());
        for (std::size_t i = 0; i < firsts.size();) {
            std::size_t end = i + 1;
            while (end < firsts.size() && firsts[end] == firsts[i]) {
                ++end;
            }
            if (end - i > 1) {
                remaining_[firsts[i]] = static_cast<int>(end - i);
            }
            i = end;
        }
    }
    // The next entry from the end.
    int next(AppointmentId first) {
        const auto it = remaining_.find(first);
        return it == remaining_.end() ? 0 : --it->second;
    }

  private:
    std::unordered_map<AppointmentId, int> remaining_;
};

// Where the tag whose name ends at `from` ends: its ">", past quoted values; npos when a
// "<" comes first or the text ends, so that the tag is not whole.
std::size_t tagEnd(std::string_view text, std::size_t from) {
    for (bool quoted = false; from < text.size(); ++from) {
        const char c = text[from];
        if (c == '<') {
            return std::string_view::npos;
        }
        if (c == '"') {
            quoted = !quoted;
        } else if (c == '>' && !quoted) {
            return from;
        }
    }
    return std::string_view::npos;
}

// Whether the tag that starts at `tag` is whole on its own: ended before the next "<".
// The reader reads such a tag as it was written, wherever it stands (it reads nothing
// from the first zero byte on).
bool tagIsWhole(std::string_view text, std::size_t tag) {
    return tag < text.size() && tagEnd(text, tag + 1) != std::string_view::npos;
}

// Where the text stops being one well-formed tree: a declaration, then tags that close
// where they began and nest properly, only white space between them, no "<"
// but those that open tags (the writer escapes it in values), no zero byte. npos for a
// whole text; its length when it ends before its root element does. Around such a fault
// the forgiving parser misses or misreads what follows (a torn write, a lost ">", a
// stray tag, a comment, which the parser does not know), so only what stands before it is
// intact.
std::size_t damageAt(std::string_view text) {
    constexpr std::string_view SPACE = " \t\r\n";
    constexpr std::size_t WHOLE = std::string_view::npos;
    std::vector<std::string_view> open;
    bool rootClosed = false;
    std::size_t pos = text.find("?>");
    if (!text.starts_with("<?xml") || pos == std::string_view::npos) {
        return 0;
    }
    // Nothing after a zero byte can be trusted, whatever it looks like.
    text = text.substr(0, text.find('\0'));
    for (pos += 2;;) {
        const std::size_t tag = text.find_first_not_of(SPACE, pos);
        if (tag == std::string_view::npos) {
            return rootClosed ? WHOLE : text.size();
        }
        if (text[tag] != '<' || rootClosed) {
            return tag; // text outside the tags, or after the root
        }
        const bool closing = tag + 1 < text.size() && text[tag + 1] == '/';
        const std::size_t nameStart = tag + (closing ? 2 : 1);
        const std::size_t nameEnd = text.find_first_of(" \t\r\n/>\"<", nameStart);
        if (nameEnd == std::string_view::npos || nameEnd == nameStart) {
            return tag;
        }
        const std::size_t end = tagEnd(text, nameEnd);
        if (end == std::string_view::npos) {
            return tag;
        }
        const std::string_view name = text.substr(nameStart, nameEnd - nameStart);
        if (closing) {
            if (open.empty() || open.back() != name) {
                return tag;
            }
            open.pop_back();
        } else if (text[end - 1] != '/') {
            open.push_back(name);
        }
        rootClosed = open.empty();
        pos = end + 1;
    }
}

} // namespace

std::string appointmentFilePath(const std::string& folder) {
    return fileInFolder(folder, APPOINTMENT_FILE_NAME);
}

std::string appointmentFileText(const AppointmentBook& book, const Replica* shared) {
    XmlDocument document(TRACE_ID);
    XmlElement* version = document.addElement("quarvwecker", false)->addChild("version1", false);
    // Before the appointments: a file that arrives cut off or garbled then holds every
    // deletion and link for each appointment that stands whole after them, so that none is
    // taken without the link that makes it one with another. Also empty: it tells a shared
    // file without appointments from one an older program wrote.
    if (shared != nullptr) {
        XmlElement* gone = version->addChild(GONE_ELEMENT, false);
        for (const Tombstone& tombstone : shared->tombstones) {
            XmlElement* entry = gone->addChild(TOMBSTONE_ELEMENT, true);
            entry->addAttribute(ID_ATTRIBUTE, idText(tombstone.id));
            entry->addAttribute(REVISION_ATTRIBUTE, std::to_string(tombstone.edits));
            entry->addAttribute(WHEN_ATTRIBUTE, timeToFileKey(tombstone.deletedAt));
            if (tombstone.words != 0) {
                entry->addAttribute(WORDS_ATTRIBUTE, idText(tombstone.words));
            }
        }
        for (const Forward& forward : shared->forwards) {
            XmlElement* entry = gone->addChild(FORWARD_ELEMENT, true);
            entry->addAttribute(ID_ATTRIBUTE, idText(forward.id));
            entry->addAttribute(FORWARD_TARGET_ATTRIBUTE, idText(forward.to));
            entry->addAttribute(WHEN_ATTRIBUTE, timeToFileKey(forward.madeAt));
        }
    }
    XmlElement* appointments = version->addChild("termine", false);
    book.forEach([appointments, shared](const Appointment& appointment) {
        XmlElement* date = appointments->addChild("date", true);
        date->addAttribute("text", appointment.text);
        date->addAttribute("zeit", timeToFileKey(appointment.alarmTime));
        // Only a series gets the attribute: a one-off is written as it always was.
        const std::string rule =
            recurrenceToAttribute(appointment.recurrence, appointment.alarmTime);
        if (!rule.empty()) {
            date->addAttribute(RECURRENCE_ATTRIBUTE, rule);
        }
        if (shared != nullptr) {
            date->addAttribute(ID_ATTRIBUTE, idText(appointment.id));
            if (appointment.revision != Revision{}) {
                date->addAttribute(REVISION_ATTRIBUTE, revisionText(appointment.revision));
            }
        }
    });
    return XmlTranslator(TRACE_ID).buildDocument(document);
}

std::vector<AppointmentId> derivedIdentities(const AppointmentBook& book) {
    struct Written {
        std::string_view text;
        std::string key;
        std::string rule;
    };
    std::vector<Written> written;
    written.reserve(static_cast<std::size_t>(book.count()));
    book.forEach([&written](const Appointment& a) {
        written.push_back(
            {a.text, timeToFileKey(a.alarmTime), recurrenceToAttribute(a.recurrence, a.alarmTime)});
    });
    const auto derive = [](const Written& w, int equalBefore) {
        return derivedAppointmentId(w.text, w.key, w.rule, equalBefore);
    };
    std::vector<AppointmentId> ids;
    ids.reserve(written.size());
    for (const Written& w : written) {
        ids.push_back(derive(w, 0));
    }
    EqualOnesBefore equalOnes(ids);
    for (std::size_t i = written.size(); i-- > 0;) {
        const int before = equalOnes.next(ids[i]);
        if (before > 0) {
            ids[i] = derive(written[i], before);
        }
    }
    return ids;
}

bool readAppointmentFile(std::string_view text, FileContent& content, bool intactOnly) {
    content = FileContent{};
    XmlDocument document(TRACE_ID);
    const XmlElement* termine = XmlTranslator(TRACE_ID).buildStructure(text, document)
                                    ? findAppointments(document)
                                    : nullptr;
    if (termine == nullptr) {
        return false;
    }
    const std::size_t damage = damageAt(text);
    const auto counts = [intactOnly, damage](const XmlElement& element) {
        return !intactOnly || element.sourceOffset() < damage;
    };
    // From the first fault on, a tag that is not whole itself may be misread (a value cut
    // off, or run into what follows): its identity and revision are not taken, as if an
    // older program had written it, so that it can never pass for the version that other
    // programs hold under that identity; an entry of "geloescht" is passed over.
    const auto trusted = [text, damage](const XmlElement& element) {
        return element.sourceOffset() < damage || tagIsWhole(text, element.sourceOffset());
    };
    const auto claimedId = [&trusted](const XmlElement& date) {
        return trusted(date) ? idFromText(date.attribute(ID_ATTRIBUTE).value_or("")) : std::nullopt;
    };
    // The identity a file without one gives an appointment counts the equal ones before it,
    // in file order.
    std::vector<AppointmentId> firsts;
    firsts.reserve(static_cast<std::size_t>(termine->childCount()));
    for (int i = 0; i < termine->childCount(); ++i) {
        const XmlElement& date = *termine->childAt(i);
        if (date.name() != "date" || !counts(date)) {
            continue;
        }
        // A damaged identity counts as none.
        if (claimedId(date)) {
            content.marked = true;
        } else {
            firsts.push_back(derivedId(date, 0));
        }
    }
    EqualOnesBefore equalOnes(std::move(firsts));
    // From the last to the first: appointments of equal time come out of the book in
    // the reverse of their order in the file.
    for (int i = termine->childCount() - 1; i >= 0; --i) {
        const XmlElement& date = *termine->childAt(i);
        if (date.name() != "date" || !counts(date)) {
            continue;
        }
        const TimeValue time = fileKeyToTime(date.attribute("zeit").value_or(""));
        if (time <= 0) {
            continue;
        }
        Appointment appointment{
            time, std::string(date.attribute("text").value_or("")),
            recurrenceFromAttribute(date.attribute(RECURRENCE_ATTRIBUTE).value_or(""), time)};
        if (const auto id = claimedId(date)) {
            appointment.id = *id;
            appointment.revision =
                revisionFromText(date.attribute(REVISION_ATTRIBUTE).value_or(""));
        } else {
            const AppointmentId first = derivedId(date, 0);
            const int before = equalOnes.next(first);
            appointment.id = before == 0 ? first : derivedId(date, before);
        }
        content.appointments.insert(std::move(appointment));
    }
    readGone(*termine->parent(), content,
             [&](const XmlElement& entry) { return counts(entry) && trusted(entry); });
    content.whole = damage == std::string_view::npos;
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
