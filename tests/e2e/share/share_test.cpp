// Two real belvanto.exe share one appointment file, each in a Wine prefix of its own,
// their folder setting pointing at one folder: what one adds reaches the other, what
// one alarms the other does not alarm again, what both add at once is kept, and
// nothing is lost when both end.
//
// This program is both sides (run_shared.sh starts it): without arguments it is the
// test in prefix A; with --peer it is side B in prefix B, which carries out the test's
// commands on its own belvanto.exe, one line each way over a TCP connection.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/calendar.h"
#include "core/clock.h"
#include "core/recurrence.h"
#include "res/resource.h"
#include "tests/support/appointment_xml.h"
#include "tests/support/files.h"
#include "tests/support/remote_program.h"

namespace {

const std::string SHARED_FOLDER = fromUnixPath(QZ_SHARE_WORK "/shared");
const std::string SHARED_FILE = SHARED_FOLDER + "\\quarvwecker.xml";
const std::string PORT_FILE = fromUnixPath(QZ_SHARE_WORK "/peer.port");
constexpr auto PEER_PATIENCE = std::chrono::seconds(120);

// One side: a belvanto.exe of this prefix and the commands a test gives it. An answer
// begins with "ok" (then tab-separated values) or "fail".
class Side {
  public:
    std::string perform(const std::string& line) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "start") {
            // The alarm off after start: only the test's own ticks alarm.
            usePerUserSettings(false);
            setProgramSetting(HKEY_CURRENT_USER, "datafolder", SHARED_FOLDER);
            program_ = std::make_unique<RunningProgram>(fromUnixPath(BELVANTO_EXE));
            return answer(program_->waitUntilStarted() != nullptr);
        }
        if (!program_) {
            return "fail: not started";
        }
        const RemoteProgram remote(*program_);
        if (command == "look" || command == "tick") {
            return answer(
                remote.sendTimer(command == "look" ? PROGRAM_FILE_TIMER : PROGRAM_TICK_TIMER));
        }
        if (command == "alarm-on") {
            return answer(remote.sendMenuCommand(IDM_TOGGLE));
        }
        if (command == "open") {
            list_ = remote.openList();
            return answer(list_ != nullptr);
        }
        if (command == "add") {
            TimeValue time = 0;
            std::string text;
            words >> time;
            std::getline(words >> std::ws, text);
            return answer(remote.addRow(list_, text, time));
        }
        if (command == "commit") {
            return answer(remote.closeList(list_, IDOK));
        }
        if (command == "rows") {
            const HWND list = remote.openList();
            std::string rows = "ok";
            for (const ListRow& row : remote.rows(list)) {
                rows += "\t" + row.text + " " + row.time;
            }
            return remote.closeList(list, IDCANCEL) ? rows : "fail";
        }
        if (command == "alarms") {
            std::string alarms = "ok";
            for (const std::string& text : remote.alarms()) {
                alarms += "\t" + text;
            }
            return alarms;
        }
        if (command == "quit") {
            const long code = program_->quit();
            program_.reset();
            return "ok\t" + std::to_string(code);
        }
        return "fail: unknown command " + command;
    }

  private:
    static std::string answer(bool done) { return done ? "ok" : "fail"; }

    std::unique_ptr<RunningProgram> program_;
    HWND list_ = nullptr;
};

// Lines over a connected socket, closed at the end.
class LineChannel {
  public:
    explicit LineChannel(SOCKET socket) : socket_(socket) {}
    ~LineChannel() {
        if (socket_ != INVALID_SOCKET) {
            closesocket(socket_);
        }
    }
    LineChannel(const LineChannel&) = delete;
    LineChannel& operator=(const LineChannel&) = delete;

    bool send(const std::string& line) const {
        const std::string data = line + "\n";
        return ::send(socket_, data.data(), static_cast<int>(data.size()), 0) ==
               static_cast<int>(data.size());
    }
    std::optional<std::string> receive() {
        for (;;) {
            if (const std::size_t end = pending_.find('\n'); end != std::string::npos) {
                std::string line = pending_.substr(0, end);
                pending_.erase(0, end + 1);
                return line;
            }
            char data[4096];
            const int got = recv(socket_, data, sizeof data, 0);
            if (got <= 0) {
                return std::nullopt;
            }
            pending_.append(data, static_cast<std::size_t>(got));
        }
    }

  private:
    SOCKET socket_;
    std::string pending_;
};

// Side B: listens on a free port of this machine, names it in the port file, and
// carries out the commands of the one test that connects, until it disconnects.
int runPeer() {
    const SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return 1;
    }
    const std::string temporary = PORT_FILE + ".tmp";
    std::ofstream(temporary) << ntohs(address.sin_port) << "\n";
    MoveFileExA(temporary.c_str(), PORT_FILE.c_str(), MOVEFILE_REPLACE_EXISTING);

    LineChannel test(accept(listener, nullptr, nullptr));
    closesocket(listener);
    Side side;
    while (const std::optional<std::string> line = test.receive()) {
        if (!test.send(side.perform(*line))) {
            break;
        }
    }
    return 0;
}

// Side B as the test sees it.
class Peer {
  public:
    // Connects to side B once it names its port; false when it did not in time.
    bool connect() {
        int port = 0;
        waitFor([&] { return (std::ifstream(PORT_FILE) >> port) && port > 0; }, PEER_PATIENCE);
        const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<u_short>(port));
        channel_ = std::make_unique<LineChannel>(socket);
        return port > 0 &&
               ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    void send(const std::string& line) { channel_->send(line); }
    std::string receive() { return channel_->receive().value_or("fail: peer gone"); }
    std::string perform(const std::string& line) {
        send(line);
        return receive();
    }

  private:
    std::unique_ptr<LineChannel> channel_;
};

Peer peer;

class SharedFile : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        WSADATA data{};
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
        ASSERT_TRUE(peer.connect()) << "side B did not answer";
    }

    void SetUp() override {
        for (const char* name : {"\\quarvwecker.xml", "\\quarvwecker.xml.tmp"}) {
            DeleteFileA((SHARED_FOLDER + name).c_str());
        }
        ASSERT_EQ(a("start"), "ok");
        ASSERT_EQ(b("start"), "ok");
    }
    void TearDown() override {
        a("quit");
        b("quit");
    }

    std::string a(const std::string& command) { return sideA.perform(command); }
    std::string b(const std::string& command) { return peer.perform(command); }

    // Adds the appointments through the list of side 'A' or 'B' and its editor, then
    // OK unless the list is to stay open.
    void add(char side, std::initializer_list<FileEntry> entries, bool commit = true) {
        const auto perform = [&](const std::string& command) {
            return side == 'A' ? a(command) : b(command);
        };
        ASSERT_EQ(perform("open"), "ok");
        for (const FileEntry& entry : entries) {
            ASSERT_EQ(perform("add " + std::to_string(entry.time) + " " + entry.text), "ok");
        }
        if (commit) {
            ASSERT_EQ(perform("commit"), "ok");
        }
    }

    // The answer of "rows" for the appointments, as the list shows them.
    std::string rows(std::initializer_list<FileEntry> entries) const {
        std::string shown = "ok";
        for (const FileEntry& entry : entries) {
            shown += "\t" + entry.text + " " + timeToDisplay(entry.time, systemClock().today());
        }
        return shown;
    }

    Side sideA;
    const TimeValue now = systemClock().currentTime();
    // Whole minutes, well after the alarm's 5 minutes ahead.
    const TimeValue later = now - now % 60 + 3 * 3600;
};

TEST_F(SharedFile, WhatOneAddsTheOtherHasAfterItsNextLook) {
    add('A', {{"Zahnarzt", later}});
    EXPECT_EQ(plainForm(readWholeFile(SHARED_FILE)), appointmentXml({{"Zahnarzt", later}}));

    ASSERT_EQ(b("look"), "ok");
    EXPECT_EQ(b("rows"), rows({{"Zahnarzt", later}}));
    // Nothing changed for B: it leaves the file as it is.
    EXPECT_EQ(plainForm(readWholeFile(SHARED_FILE)), appointmentXml({{"Zahnarzt", later}}));
}

TEST_F(SharedFile, WhatOneAlarmsTheOtherDoesNotAlarmAgain) {
    const TimeValue soon = now - now % 60 + 120; // due: within the 5 minutes ahead
    add('A', {{"Zahnarzt", soon}, {"Geburtstag Oma", later}});
    ASSERT_EQ(b("look"), "ok");

    ASSERT_EQ(b("alarm-on"), "ok");
    ASSERT_EQ(b("tick"), "ok");
    EXPECT_EQ(b("alarms"), "ok\tZahnarzt");
    EXPECT_EQ(plainForm(readWholeFile(SHARED_FILE)), appointmentXml({{"Geburtstag Oma", later}}));

    ASSERT_EQ(a("look"), "ok");
    ASSERT_EQ(a("alarm-on"), "ok");
    ASSERT_EQ(a("tick"), "ok");
    EXPECT_EQ(a("alarms"), "ok");
    EXPECT_EQ(a("rows"), rows({{"Geburtstag Oma", later}}));
}

TEST_F(SharedFile, ASeriesBothAlarmAtOnceGoesOnOnce) {
    const TimeValue soon = now - now % 60 + 120;
    ASSERT_TRUE(writeWholeFile(SHARED_FILE, appointmentXml({{"Pille", soon, "tag"}})));
    ASSERT_EQ(a("look"), "ok");
    ASSERT_EQ(b("look"), "ok");
    // Each alarms before it has looked at what the other saved.
    for (const char* command : {"alarm-on", "tick"}) {
        ASSERT_EQ(a(command), "ok");
        ASSERT_EQ(b(command), "ok");
    }
    EXPECT_EQ(a("alarms"), "ok\tPille");
    EXPECT_EQ(b("alarms"), "ok\tPille");
    const TimeValue tomorrow = *nextOccurrence(makeRecurrence(RepeatKind::Daily, soon), soon);
    EXPECT_EQ(plainForm(readWholeFile(SHARED_FILE)), appointmentXml({{"Pille", tomorrow, "tag"}}));
}

TEST_F(SharedFile, WhatBothAddAtOnceIsKeptAndNothingIsLostAtTheEnd) {
    add('A', {{"Arzt", later}});
    ASSERT_EQ(b("look"), "ok");

    // Both lists open with a new row each; both OKs given together.
    add('A', {{"von A", later + 60}}, false);
    add('B', {{"von B", later + 120}}, false);
    peer.send("commit");
    EXPECT_EQ(a("commit"), "ok");
    EXPECT_EQ(peer.receive(), "ok");

    const std::string all =
        appointmentXml({{"Arzt", later}, {"von A", later + 60}, {"von B", later + 120}});
    EXPECT_EQ(plainForm(readWholeFile(SHARED_FILE)), all);
    ASSERT_EQ(a("look"), "ok");
    ASSERT_EQ(b("look"), "ok");
    const std::string shown =
        rows({{"Arzt", later}, {"von A", later + 60}, {"von B", later + 120}});
    EXPECT_EQ(a("rows"), shown);
    EXPECT_EQ(b("rows"), shown);

    // "Beenden" in both: each saves once more, and the file holds everything.
    EXPECT_EQ(a("quit"), "ok\t0");
    EXPECT_EQ(b("quit"), "ok\t0");
    EXPECT_EQ(plainForm(readWholeFile(SHARED_FILE)), all);
    EXPECT_FALSE(fileExists(SHARED_FILE + ".tmp"));
    EXPECT_FALSE(fileExists(SHARED_FILE + ".bad"));
}

// The file goes missing, and the program that had not seen the other's newest addition
// writes it back without it: the addition is not deleted, and both end with both.
TEST_F(SharedFile, AFileWrittenBackWithoutTheOthersAdditionLosesNothing) {
    add('A', {{"von A", later}});
    ASSERT_TRUE(DeleteFileA(SHARED_FILE.c_str()));
    add('B', {{"von B", later + 60}});
    EXPECT_EQ(plainForm(readWholeFile(SHARED_FILE)), appointmentXml({{"von B", later + 60}}));

    ASSERT_EQ(a("look"), "ok");
    ASSERT_EQ(b("look"), "ok");
    const std::string both = rows({{"von A", later}, {"von B", later + 60}});
    EXPECT_EQ(a("rows"), both);
    EXPECT_EQ(b("rows"), both);
    EXPECT_EQ(plainForm(readWholeFile(SHARED_FILE)),
              appointmentXml({{"von A", later}, {"von B", later + 60}}));
}

// A sync service put a conflict copy beside the file: its appointments reach both
// programs, and the copy is renamed aside, not deleted.
TEST_F(SharedFile, AConflictCopyIsJoinedAndSetAside) {
    add('A', {{"Arzt", later}});
    const std::string copy =
        SHARED_FOLDER + "\\quarvwecker (Anna's conflicted copy 2026-12-07).xml";
    const std::string copyText =
        appointmentXml({{"Arzt", later}, {"nur in der Kopie", later + 60}});
    ASSERT_TRUE(writeWholeFile(copy, copyText));

    ASSERT_EQ(a("look"), "ok");
    ASSERT_EQ(b("look"), "ok");
    const std::string all = rows({{"Arzt", later}, {"nur in der Kopie", later + 60}});
    EXPECT_EQ(a("rows"), all);
    EXPECT_EQ(b("rows"), all);
    EXPECT_FALSE(fileExists(copy));
    EXPECT_EQ(readWholeFile(copy + ".uebernommen"), copyText);
    DeleteFileA((copy + ".uebernommen").c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--peer") {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0 ? runPeer() : 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
