// libFuzzer target: arbitrary bytes as the appointment file, loaded and saved through a
// file system in memory. A loaded book saved and loaded again is the same book; a file
// that does not load stays somewhere whole; and a date that stands in its right place
// is loaded, whatever the bytes around it do.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/calendar.h"
#include "core/clock.h"
#include "store/appointment_file.h"
#include "tests/support/appointment_files.h"
#include "tests/support/memory_file_system.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// 2026-12-01 00:00 local time, as fixed seconds (the zone does not matter here).
TimeValue fixedNow() {
    return 1796079600;
}

const std::string HEAD = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
                         "<quarvwecker>\r\n<version1>\r\n<termine>\r\n";
const std::string TAIL = "</termine>\r\n</version1>\r\n</quarvwecker>\r\n";
const std::string KNOWN = "<date text=\"bekannt\" zeit=\"3001011200\" />\r\n";

using Entries = std::vector<Appointment>;

// The book's appointments as the user sees them (identities of a file that holds none are
// derived from how it writes each one, which a save may put in its own words), in a fixed
// order: each load turns round those of equal time, as the file format has always done,
// so a book is compared without that order.
Entries entries(const AppointmentBook& book) {
    Entries all;
    book.forEach(
        [&all](const Appointment& a) { all.emplace_back(a.alarmTime, a.text, a.recurrence); });
    std::sort(all.begin(), all.end(), [](const Appointment& a, const Appointment& b) {
        return std::tie(a.alarmTime, a.text, a.recurrence) <
               std::tie(b.alarmTime, b.text, b.recurrence);
    });
    return all;
}

struct Load {
    bool loaded = false;
    AppointmentBook book;
    AppointmentBook missed;
};

Load load(MemoryFileSystem& files, const Settings& settings) {
    Load result;
    result.loaded = loadAppointments(files, settings, fixedNow(), result.book, result.missed);
    return result;
}

std::string path(const MemoryFileSystem& files) {
    return files.userFolder() + "\\quarvwecker.xml";
}

bool holdsKnown(const Load& result) {
    const TimeValue known = fileKeyToTime("3001011200");
    bool found = false;
    result.book.forEach([&](const Appointment& a) {
        found = found || (a.alarmTime == known && a.text == "bekannt");
    });
    return found;
}

// The file's own bytes: loaded, the book saved and loaded again is the same book and
// is written the same but for the order of equal times; not loaded, the bytes are
// still in some file.
void roundTrip(std::string_view input, const Settings& settings) {
    MemoryFileSystem files;
    files.setFile(path(files), input);
    const Load first = load(files, settings);
    if (!first.loaded) {
        bool kept = false;
        for (const auto& [name, content] : files.files())
            kept = kept || content == input;
        check(kept);
        return;
    }
    check(saveAppointments(files, settings, first.book));
    const std::string written = *files.file(path(files));
    const Load second = load(files, settings);
    check(second.loaded);
    check(entries(second.book) == entries(first.book));
    check(second.missed.count() == 0);
    check(saveAppointments(files, settings, second.book));
    check(files.file(path(files))->size() == written.size());
}

bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool isNameChar(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '.' || c == ':' || c == '-';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Checked without the parser: text without "<" and zero bytes, and tags of the plain
// form <name a="v" ...>, <name a="v" .../> and </name>, every start tag closed.
bool wellNested(std::string_view s) {
    std::size_t i = 0;
    long depth = 0;
    auto name = [&] {
        if (i >= s.size() || !isNameStart(s[i]))
            return false;
        while (i < s.size() && isNameChar(s[i]))
            ++i;
        return true;
    };
    auto blanks = [&] {
        const std::size_t from = i;
        while (i < s.size() && isBlank(s[i]))
            ++i;
        return i > from;
    };
    while (i < s.size()) {
        if (s[i] == '\0')
            return false;
        if (s[i] != '<') {
            ++i;
            continue;
        }
        ++i;
        const bool closing = i < s.size() && s[i] == '/';
        i += closing ? 1 : 0;
        if (!name())
            return false;
        if (closing) {
            blanks();
            if (i >= s.size() || s[i] != '>' || --depth < 0)
                return false;
            ++i;
            continue;
        }
        for (;;) {
            const bool separated = blanks();
            if (i < s.size() && s[i] == '>') {
                ++depth;
                ++i;
                break;
            }
            if (i + 1 < s.size() && s[i] == '/' && s[i + 1] == '>') {
                i += 2;
                break;
            }
            if (!separated || !name() || i + 1 >= s.size() || s[i] != '=' || s[i + 1] != '"')
                return false;
            i += 2;
            while (i < s.size() && s[i] != '"' && s[i] != '<' && s[i] != '>' && s[i] != '\0')
                ++i;
            if (i >= s.size() || s[i] != '"')
                return false;
            ++i;
        }
    }
    return depth == 0;
}

// A date that stands in "termine" must be loaded.
void knownDateLoads(const std::string& file, const Settings& settings) {
    MemoryFileSystem files;
    files.setFile(path(files), file);
    const Load result = load(files, settings);
    check(result.loaded);
    check(holdsKnown(result));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    Settings settings;
    settings.userdata = true;
    settings.deleteold = size % 2 == 0;

    roundTrip(input, settings);
    // Before the bytes, the date was read before anything could go wrong.
    knownDateLoads(HEAD + KNOWN + std::string(input) + TAIL, settings);
    // After them, when they close every element they open, however deep.
    if (wellNested(input))
        knownDateLoads(HEAD + std::string(input) + KNOWN + TAIL, settings);
    return 0;
}
