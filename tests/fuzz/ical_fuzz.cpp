// libFuzzer target: arbitrary bytes as an iCalendar file, read and planned against a
// book (nothing may crash or hang, and a plan never names a row that is not there); and
// a book made from the bytes, exported and imported, is the same book.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "core/calendar.h"
#include "store/ical/ical_export.h"
#include "store/ical/ical_import.h"

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// 2026-12-01 00:00 CET.
constexpr TimeValue NOW = 1796079600;

std::vector<Appointment> byId(std::vector<Appointment> all) {
    std::sort(all.begin(), all.end(),
              [](const Appointment& a, const Appointment& b) { return a.id < b.id; });
    for (Appointment& a : all)
        a.revision = {};
    return all;
}

// A book from the bytes: per appointment one byte of kind, four of time, one of length,
// then the text; identities counted up, so they differ.
std::vector<Appointment> bookOf(std::string_view bytes) {
    std::vector<Appointment> book;
    std::size_t at = 0;
    while (at + 6 <= bytes.size() && book.size() < 50) {
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
        const auto kind = static_cast<RepeatKind>(byte(0) % 6);
        const TimeValue minutes = (byte(1) | byte(2) << 8 | byte(3) << 16 |
                                   static_cast<TimeValue>(byte(4) & 0x3F) << 24) %
                                  (60 * 24 * 365 * 70);
        const std::size_t length = std::min<std::size_t>(byte(5) % 64, bytes.size() - at - 6);
        std::string text(bytes.substr(at + 6, length));
        // The editor's one line: no control characters.
        std::replace_if(
            text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; },
            ' ');
        at += 6 + length;
        const TimeValue chosen = NOW + 60 + 60 * minutes;
        const Recurrence rule = makeRecurrence(kind, chosen);
        book.push_back({firstAlarmTime(rule, chosen), text, rule, book.size() + 1});
    }
    return book;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    ImportSettings settings;
    settings.now = NOW;
    settings.systemZoneName = "W. Europe Standard Time";

    const std::vector<Appointment> current{{NOW + 3600, "da", {}, 1}};
    const ImportPlan plan = planImport(readCalendar(input), current, settings);
    for (const auto& [index, appointment] : plan.updated)
        check(index < current.size() && appointment.id == current[index].id);

    static const std::optional<ZoneRules> zone = [] {
        auto rules = systemZoneRules(NOW);
        if (rules)
            rules->name = "W. Europe Standard Time";
        return rules;
    }();
    const std::vector<Appointment> book = bookOf(input);
    ExportSettings exportSettings;
    exportSettings.zone = zone;
    exportSettings.now = NOW;
    const std::string file = exportCalendar(book, exportSettings);
    const ImportPlan back = planImport(readCalendar(file), {}, settings);
    check(byId(back.added) == byId(book));
    check(back.notes.empty());
    return 0;
}
