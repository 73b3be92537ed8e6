// Real captures sent by the simulated receiver (tools/gps-sim) over a
// pseudo-terminal into the reader thread, end to end.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "capture/gps/gps_reader.h"
#include "capture/gps/gps_state.h"
#include "pty_pair.h"

extern char** environ;

namespace {

std::atomic<int> ggaFixes{0}, rmcFixes{0}, lines{0};

void countFixes(const char* line, int length, SentenceResult result) {
    ++lines;
    if (result != SentenceResult::Fix) return;
    const std::string_view name = nmeaSentenceName(length, line);
    (name.substr(2) == "GGA" ? ggaFixes : rmcFixes)++;
}

// gps-sim replay FILE --hold: prints the pty path first, sends once a reader
// opens it, and keeps the terminal until the reader closes it.
class Simulator {
public:
    explicit Simulator(const std::string& capture) {
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const std::string program = std::string(BIN_DIR) + "/gps-sim";
        std::string args[] = {program, "replay", capture, "--line-interval-ms", "2",
                              "--hold", "--settle-ms", "100"};
        char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(),
                        args[4].data(), args[5].data(), args[6].data(), args[7].data(), nullptr};
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        stdout_ = out[0];
    }
    ~Simulator() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (stdout_ >= 0) close(stdout_);
    }
    // The first line of its output, "" when none comes within the time-out.
    std::string devicePath(int timeoutMs = 20000) {
        std::string line;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{stdout_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            char c;
            if (read(stdout_, &c, 1) != 1) break;
            if (c == '\n') return line;
            line += c;
        }
        return "";
    }

private:
    pid_t pid_ = -1;
    int stdout_ = -1;
};

struct SimCase {
    const char* file;
    int gga;
    int rmc;
};

// The simulator ends every line in CR LF, so the LF-only captures decode. The
// counts come from the same separate script as the file replay, fed with the
// CR LF stream and without the lines left in the last, never-filled buffer.
const SimCase CASES[] = {
    {"bu353s4.nmea", 24, 24},         // clean consumer USB receiver
    {"humminbird-M37.nmea", 8, 16},   // "IN" talker, time running backwards
};

TEST(SimulatedReceiver, RealCapturesReachTheReaderThread) {
    if (!std::filesystem::exists(std::string(BIN_DIR) + "/gps-sim")) {
        GTEST_SKIP() << "gps-sim is not built";
    }
    for (const SimCase& c : CASES) {
        resetGpsStateForTests();
        ggaFixes = rmcFixes = lines = 0;
        Simulator sim(std::string(TEST_DATA_DIR) + "/nmea/" + c.file);
        const std::string path = sim.devicePath();
        ASSERT_FALSE(path.empty()) << c.file;
        setPortName(gpsPort, path);
        setLineObserver(countFixes);
        ASSERT_EQ(openGpsPort(), 0) << c.file;
        eventually([&] { return ggaFixes + rmcFixes >= c.gga + c.rmc; }, 30000);
        // Anything beyond the expected count would arrive now.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        closeGpsPort();
        setLineObserver(nullptr);
        EXPECT_EQ(ggaFixes.load(), c.gga) << c.file;
        EXPECT_EQ(rmcFixes.load(), c.rmc) << c.file;
        EXPECT_EQ(gpsFix.fixReceived.load(), 1) << c.file;
    }
    resetGpsStateForTests();
}

}  // namespace
