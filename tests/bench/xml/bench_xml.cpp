// Times the XML library's parser and writer against pugixml and tinyxml2 on appointment files.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <pugixml.hpp>
#include <tinyxml2.h>

#include "tests/bench/steady_heap.h"
#include "xml/xml.h"

namespace {

// Appointment texts of realistic length, with umlauts (Windows-1252 bytes).
constexpr const char* TEXTS[] = {
    "Zahnarzt Dr. Müller, Kontrolle",
    "Geburtstag Oma",
    "Besprechung Jahresabschluss mit Frau Schäfer",
    "Müll rausbringen",
    "Elternabend Grundschule, Aula",
    "Übergabe Schlüssel Wohnung Kölner Straße 12",
    "Tierarzt: Impfung für Bello",
    "Friseur",
    "Telefonkonferenz Zulieferer Österreich",
    "Fußballtraining der Söhne abholen",
};

// The appointment file's bytes, written by the library itself.
std::string appointmentFile(int count) {
    XmlDocument document;
    XmlElement* termine = document.addElement("quarvwecker", false)
                              ->addChild("version1", false)
                              ->addChild("termine", false);
    for (int i = 0; i < count; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "%02d%02d%02d%02d%02d", 27 + i / 100000 % 70, 1 + i % 12,
                      1 + i % 28, i % 24, i % 60);
        XmlElement* date = termine->addChild("date", true);
        date->addAttribute("text", TEXTS[i % std::size(TEXTS)]);
        date->addAttribute("zeit", key);
    }
    return XmlTranslator().buildDocument(document);
}

// CPU time of this thread: other processes on a busy machine do not count.
double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// One contender of a comparison: what it does untimed before and after each timing,
// and the work that is timed.
struct Contender {
    std::function<void()> prepare;
    std::function<void()> work;
    std::function<void()> finish;
};

// The fastest of `runs` timings of each contender, in milliseconds of CPU time. The
// contenders take turns, so that a busy spell of the machine falls on all of them,
// and the fastest run is the one least disturbed.
std::vector<double> fastestMs(int runs, const std::vector<Contender>& contenders) {
    std::vector<double> fastest(contenders.size(), 1e300);
    for (int i = 0; i < runs; ++i) {
        for (std::size_t c = 0; c < contenders.size(); ++c) {
            contenders[c].prepare();
            const double start = cpuMs();
            contenders[c].work();
            const double stop = cpuMs();
            contenders[c].finish();
            fastest[c] = std::min(fastest[c], stop - start);
        }
    }
    return fastest;
}

struct Timings {
    double parseOurs, parsePugixml, parseTinyxml2, writeOurs, writeTinyxml2;
};

// Our parser (one run) of the file: its CPU time.
double parseOurs(const std::string& file) {
    XmlDocument document(42);
    const double start = cpuMs();
    const bool ok = XmlTranslator().buildStructure(file, document);
    const double stop = cpuMs();
    if (!ok)
        std::printf("  our parser rejected the file\n");
    return stop - start;
}

// Our parser and writer against both peers on the same file.
Timings measure(const std::string& file, int runs) {
    bool ok = true;
    std::unique_ptr<XmlDocument> ours;
    std::unique_ptr<pugi::xml_document> pugi;
    std::unique_ptr<tinyxml2::XMLDocument> tiny;
    const std::vector<double> parse = fastestMs(
        runs,
        {{[&] { ours = std::make_unique<XmlDocument>(42); },
          [&] { ok &= XmlTranslator().buildStructure(file, *ours); }, [&] { ours.reset(); }},
         {[&] { pugi = std::make_unique<pugi::xml_document>(); },
          [&] { ok &= bool(pugi->load_buffer(file.data(), file.size())); }, [&] { pugi.reset(); }},
         {[&] { tiny = std::make_unique<tinyxml2::XMLDocument>(); },
          [&] { ok &= tiny->Parse(file.data(), file.size()) == tinyxml2::XML_SUCCESS; },
          [&] { tiny.reset(); }}});

    // Writing: the same tree in both libraries, read from the file.
    XmlDocument ourTree;
    XmlTranslator().buildStructure(file, ourTree);
    tinyxml2::XMLDocument tinyTree;
    tinyTree.Parse(file.data(), file.size());
    std::size_t oursWritten = 0;
    std::size_t written = 0;
    const std::vector<double> write = fastestMs(
        runs, {{[] {}, [&] { oursWritten = XmlTranslator().buildDocument(ourTree).size(); }, [] {}},
               {[] {},
                [&] {
                    tinyxml2::XMLPrinter printer;
                    tinyTree.Print(&printer);
                    written = static_cast<std::size_t>(printer.CStrSize());
                },
                [] {}}});
    ok &= oursWritten == file.size();

    const Timings t{parse[0], parse[1], parse[2], write[0], write[1]};
    std::printf("  parse  ours %8.3f ms  pugixml %8.3f ms  tinyxml2 %8.3f ms\n", t.parseOurs,
                t.parsePugixml, t.parseTinyxml2);
    std::printf("  write  ours %8.3f ms  tinyxml2 %8.3f ms (XMLPrinter, %zu bytes)\n", t.writeOurs,
                t.writeTinyxml2, written);
    if (!ok)
        std::printf("  a parser failed on the file\n");
    return t;
}

} // namespace

int main() {
    const std::string file = appointmentFile(100'000);
    std::printf("file of 100,000 appointments: %zu bytes, fastest of 15 runs each\n", file.size());
    const Timings t = measure(file, 15);

    // Growth out of the cache: ten times the appointments. The two sizes take turns,
    // so that a busy spell of the machine falls on both, and the fastest of many runs
    // counts: the machine's noise only ever adds time.
    keepFreedMemory();
    const std::string large = appointmentFile(1'000'000);
    constexpr int ROUNDS = 15;
    double parseSmall = 1e300;
    double parseLarge = 1e300;
    for (int round = 0; round < ROUNDS; ++round) {
        parseSmall = std::min(parseSmall, parseOurs(file));
        parseLarge = std::min(parseLarge, parseOurs(large));
    }
    std::printf("parse ours: 100,000 appointments %.3f ms, 1,000,000 (%zu bytes) %.3f ms, "
                "fastest of %d\n",
                parseSmall, large.size(), parseLarge, ROUNDS);

    std::printf("parse_vs_pugixml %.3f\n", t.parseOurs / t.parsePugixml);
    std::printf("parse_vs_tinyxml2 %.3f\n", t.parseOurs / t.parseTinyxml2);
    std::printf("write_vs_tinyxml2 %.3f\n", t.writeOurs / t.writeTinyxml2);
    std::printf("parse_1m_vs_100k %.3f\n", parseLarge / parseSmall);
    return 0;
}
