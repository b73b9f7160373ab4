// libFuzzer target: arbitrary bytes as an iCalendar file, read and planned against a
// book (nothing may crash or hang, and a plan never names a row that is not there); and
// a book made from the bytes, exported and imported, is the same book.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
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

// The rule of two bytes `a` and `b` set at `chosen`: an interval, weekdays, a week of the
// month and an end (a count or a date) beside the kind.
Recurrence ruleOf(RepeatKind kind, unsigned a, unsigned b, TimeValue chosen) {
    Recurrence pattern{kind};
    pattern.interval = static_cast<std::uint8_t>(
        a < 128 || kind == RepeatKind::Workdays ? 1 : 1 + a % MOST_INTERVAL);
    if (kind == RepeatKind::Weekly) {
        pattern.weekdays = static_cast<WeekdaySet>(b & EVERY_WEEKDAY);
    } else if (kind == RepeatKind::Monthly && (b & 0x80) != 0) {
        pattern.week = static_cast<std::int8_t>(b % 5 == 0 ? LAST_WEEK : b % 5);
        pattern.weekdays = weekdayBit(static_cast<int>(b >> 3) % 7);
    }
    std::tm last{};
    if (a % 3 == 1) {
        pattern.count = static_cast<std::uint16_t>(1 + b % 40);
    } else if (a % 3 == 2 && timeToLocal(chosen + 10 * 86400 * TimeValue{b}, last)) {
        pattern.until = static_cast<std::uint32_t>((last.tm_year + 1900) * 10000 +
                                                   (last.tm_mon + 1) * 100 + last.tm_mday);
    }
    const Recurrence rule = makeRecurrence(pattern, chosen);
    return nextOccurrence(rule, chosen - 1) ? rule : Recurrence{};
}

// A book from the bytes: per appointment one byte of kind, four of time, two of the rule,
// one of length, then the text; identities counted up, so they differ.
std::vector<Appointment> bookOf(std::string_view bytes) {
    std::vector<Appointment> book;
    std::size_t at = 0;
    while (at + 8 <= bytes.size() && book.size() < 50) {
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
        const auto kind = static_cast<RepeatKind>(byte(0) % 6);
        const TimeValue minutes = (byte(1) | byte(2) << 8 | byte(3) << 16 |
                                   static_cast<TimeValue>(byte(4) & 0x3F) << 24) %
                                  (60 * 24 * 365 * 70);
        const std::size_t length = std::min<std::size_t>(byte(7) % 64, bytes.size() - at - 8);
        std::string text(bytes.substr(at + 8, length));
        // The editor's one line: no control characters.
        std::replace_if(
            text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; },
            ' ');
        const TimeValue chosen = NOW + 60 + 60 * minutes;
        const Recurrence rule = ruleOf(kind, byte(5), byte(6), chosen);
        at += 8 + length;
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
