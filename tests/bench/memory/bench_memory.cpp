// Measures the peak memory of loading the appointment file on the inputs that cost the
// most per byte, and prints the worst as a multiple of the file's size.
//
// Two measures for each input: every byte the load takes from the heap, counted by this
// program's own operator new and delete, and the growth of the resident memory's
// high-water mark (VmHWM) of a fresh process that loads the same file from a disk
// folder. The larger of the two counts.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "core/clock.h"
#include "store/appointment_file.h"
#include "tests/support/appointment_files.h"
#include "tests/support/posix_file_system.h"
#include "tests/support/memory_file_system.h"

namespace {

std::atomic<std::size_t> current{0};
std::atomic<std::size_t> peak{0};

void* take(std::size_t size, std::size_t alignment) {
    void* block =
        alignment <= alignof(std::max_align_t)
            ? std::malloc(size ? size : 1)
            : std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    if (block == nullptr)
        throw std::bad_alloc();
    const std::size_t now = current += malloc_usable_size(block);
    std::size_t high = peak.load();
    while (now > high && !peak.compare_exchange_weak(high, now)) {
    }
    return block;
}

void give(void* block) {
    if (block == nullptr)
        return;
    current -= malloc_usable_size(block);
    std::free(block);
}

} // namespace

void* operator new(std::size_t size) {
    return take(size, 0);
}
void* operator new[](std::size_t size) {
    return take(size, 0);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return take(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return take(size, static_cast<std::size_t>(alignment));
}
void operator delete(void* block) noexcept {
    give(block);
}
void operator delete[](void* block) noexcept {
    give(block);
}
void operator delete(void* block, std::size_t) noexcept {
    give(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    give(block);
}
void operator delete(void* block, std::align_val_t) noexcept {
    give(block);
}
void operator delete[](void* block, std::align_val_t) noexcept {
    give(block);
}
void operator delete(void* block, std::size_t, std::align_val_t) noexcept {
    give(block);
}
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept {
    give(block);
}

namespace {

// The file system of the load, whose written files (the copy of a file that did not
// read, a rewrite after past appointments) go to the disk, not into memory.
class DiskStandIn : public MemoryFileSystem {
  public:
    bool writeFile(std::uintptr_t, std::string_view) override { return true; }
};

const std::string DECLARATION = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";
const std::string HEAD = DECLARATION + "<quarvwecker>\r\n<version1>\r\n<termine>\r\n";
const std::string TAIL = "</termine>\r\n</version1>\r\n</quarvwecker>\r\n";

// About `bytes` of text: the head, then `piece(i)` over and over, then the tail.
std::string repeated(const std::string& head, const std::function<std::string(int)>& piece,
                     const std::string& tail, std::size_t bytes) {
    std::string text = head;
    for (int i = 0; text.size() < bytes; ++i)
        text += piece(i);
    return text + tail;
}

std::string key(int i) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d%02d%02d%02d%02d", 30 + i % 60, 1 + i % 12,
                  1 + i % 28, i % 24, i % 60);
    return buffer;
}

struct Input {
    const char* name;
    std::string text;
};

std::vector<Input> inputs(std::size_t bytes) {
    // The shortest appointment lines the program writes.
    const auto date = [](int i) { return "<date text=\"\" zeit=\"" + key(i) + "\" />\r\n"; };
    return {
        {"appointments, 40-byte texts",
         repeated(
             HEAD,
             [](int i) {
                 return "<date text=\"Besprechung Jahresabschluss mit Frau " +
                        std::to_string(i % 1000) + "\" zeit=\"" + key(i) + "\" />\r\n";
             },
             TAIL, bytes)},
        {"appointments without text", repeated(HEAD, date, TAIL, bytes)},
        {"appointments without text, written short",
         repeated(
             HEAD, [](int i) { return "<date zeit=\"" + key(i) + "\"/>"; }, TAIL, bytes)},
        {"appointments, cut off inside a tag", repeated(HEAD, date, "<date zeit=\"30", bytes)},
        {"appointments under ten open levels",
         repeated(HEAD + "<a><b><c><d><e><f><g><h><i><j>", date, "<date zeit=\"3", bytes)},
        {"<a/> at the top level", repeated(
                                      DECLARATION, [](int) { return "<a/>"; }, "", bytes)},
        {"<a/> in termine", repeated(
                                HEAD, [](int) { return "<a/>"; }, TAIL, bytes)},
        {"<> at the top level", repeated(
                                    DECLARATION + "<a/>", [](int) { return "<>"; }, "", bytes)},
        {"<a b/>", repeated(
                       DECLARATION, [](int) { return "<a b/>"; }, "", bytes)},
        {"<a b=\"\"/>", repeated(
                            DECLARATION, [](int) { return "<a b=\"\"/>"; }, "", bytes)},
        {"attributes without values",
         repeated(
             DECLARATION + "<a", [](int) { return " b"; }, "/>", bytes)},
        {"values of entities",
         repeated(
             DECLARATION, [](int) { return "<a b=\"&amp;&lt;&gt;\"/>"; }, "", bytes)},
        {"<a> nested", repeated(
                           DECLARATION + "<z/>", [](int) { return "<a>"; }, "", bytes)},
        {"<a></a> nested and closed", repeated(
                                          DECLARATION, [](int) { return "<a>"; }, "", bytes / 2) +
                                          repeated(
                                              "", [](int) { return "</a>"; }, "", bytes / 2)},
        {"unclosed levels before a long run",
         repeated(
             DECLARATION + "<z/>", [](int i) { return i < 40 ? "<b x=\"1\">" : "<c/>"; }, "",
             bytes)},
    };
}

std::size_t residentKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::strtoul(line.c_str() + std::string(field).size(), nullptr, 10);
    }
    return 0;
}

bool load(FileSystem& files) {
    Settings settings;
    settings.userdata = true;
    AppointmentBook book;
    AppointmentBook missed;
    return loadAppointments(files, settings, systemClock().currentTime(), book, missed);
}

// The load's peak of heap bytes above what was held before it, per byte of the file.
double countedPeak(const std::string& text, bool& loaded) {
    DiskStandIn files;
    files.setFile(files.userFolder() + "\\quarvwecker.xml", text);
    const std::size_t before = current.load();
    peak = before;
    loaded = load(files);
    return static_cast<double>(peak.load() - before) / static_cast<double>(text.size());
}

// The same in a fresh process that reads the file from a disk folder: the growth of
// its resident memory's high-water mark.
double residentPeak(const std::string& text, const char* program) {
    std::string pattern = (std::filesystem::temp_directory_path() / "qz-memory-XXXXXX").string();
    const std::filesystem::path folder = ::mkdtemp(pattern.data());
    std::ofstream(folder / "quarvwecker.xml", std::ios::binary) << text;
    const std::string command = std::string(program) + " --child '" + folder.string() + "'";
    double kib = 0;
    if (FILE* child = ::popen(command.c_str(), "r")) {
        if (std::fscanf(child, "%lf", &kib) != 1)
            kib = 0;
        ::pclose(child);
    }
    std::filesystem::remove_all(folder);
    return kib * 1024.0 / static_cast<double>(text.size());
}

// In the child: loads the file of the folder and prints the growth in KiB.
int child(const std::string& folder) {
    PosixFileSystem files(folder, folder);
    const std::size_t before = residentKiB("VmRSS:");
    load(files);
    std::printf("%zu\n", residentKiB("VmHWM:") - before);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--child")
        return child(argv[2]);
    constexpr std::size_t BYTES = 16 << 20;
    double worst = 0;
    std::string worstName;
    std::printf("peak memory of loading a file of about %zu MiB, per byte of the file:\n",
                BYTES >> 20);
    for (const Input& input : inputs(BYTES)) {
        bool loaded = false;
        const double counted = countedPeak(input.text, loaded);
        const double resident = residentPeak(input.text, argv[0]);
        std::printf("  %-40s heap %5.2f  resident %5.2f  (%s)\n", input.name, counted, resident,
                    loaded ? "loaded" : "not loaded");
        const double larger = std::max(counted, resident);
        if (larger > worst) {
            worst = larger;
            worstName = input.name;
        }
    }
    std::printf("worst input: %s\n", worstName.c_str());
    std::printf("read_peak_memory_vs_file %.3f\n", worst);
    return 0;
}
