// Runs the built gps-sim and reads its pseudo-terminal as the capture program would.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tools/gps-sim/nmea_sentences.h"

namespace {

using Clock = std::chrono::steady_clock;

// Generous: the machine may be loaded and everything runs under the sanitizers.
constexpr auto STEP_TIMEOUT = std::chrono::seconds(60);

class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args) {
        int out[2];
        if (::pipe(out) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::close(out[1]);
            std::vector<char*> argv;
            std::string program = BIN_DIR "/gps-sim";
            argv.push_back(program.data());
            for (std::string& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(out[1]);
        stdout_ = out[0];
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    ~SimProcess() {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (stdout_ >= 0) ::close(stdout_);
    }

    // The first line of standard output, without the line feed; "" on time-out.
    std::string firstLine() {
        std::string line;
        auto deadline = Clock::now() + STEP_TIMEOUT;
        while (Clock::now() < deadline) {
            pollfd p{stdout_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char c;
            if (::read(stdout_, &c, 1) != 1) break;
            if (c == '\n') return line;
            line += c;
        }
        return "";
    }

    // Exit status, or -1 if it did not end in time (it is then killed).
    int waitExit(std::chrono::seconds limit = STEP_TIMEOUT) {
        auto deadline = Clock::now() + limit;
        while (Clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

    void signal(int sig) { ::kill(pid_, sig); }

private:
    pid_t pid_ = -1;
    int stdout_ = -1;
    bool exited_ = false;
};

int openReader(const std::string& device) {
    return ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
}

// Reads until the simulator hangs up (EIO) or `limit` passes.
std::string readUntilHangUp(int fd, std::chrono::seconds limit = STEP_TIMEOUT) {
    std::string data;
    auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        ::poll(&p, 1, 50);
        char buffer[4096];
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) data.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || (n < 0 && errno != EAGAIN)) break;
    }
    return data;
}

std::vector<std::string> sentencesOf(const std::string& data) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = data.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(data.substr(start, end - start));
    EXPECT_EQ(start, data.size()) << "trailing bytes without CR LF";
    return out;
}

bool checksumValid(const std::string& sentence) {
    std::size_t star = sentence.find('*');
    if (sentence.empty() || sentence[0] != '$' || star == std::string::npos || star + 3 != sentence.size())
        return false;
    return std::stoul(sentence.substr(star + 1), nullptr, 16) ==
           gpssim::nmeaChecksum(std::string_view(sentence).substr(1, star - 1));
}

std::string tempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() / (name + "_" + std::to_string(::getpid()))).string();
}

}  // namespace

TEST(PtyEndToEnd, CircleDrivesAsPairedGgaAndRmcUntilTheEnd) {
    std::string truth = tempPath("gps_sim_e2e_truth");
    // 2 pi 50 m at 180 km/h plus 0.5 s standing: 6.78 s simulated, under 1.5 s of wall time.
    SimProcess sim({"loop", "--circle", "35.0,139.0,50", "--speed", "180", "--lead-in", "0.5", "--rate", "5",
                    "--speedup", "5", "--point", "35.0,139.00055", "--truth", truth, "--open-timeout", "60"});
    std::string device = sim.firstLine();
    ASSERT_EQ(device.rfind("/dev/pts/", 0), 0u) << device;

    // The truth is complete before the first byte is sent.
    std::ifstream truthFile(truth);
    ASSERT_TRUE(truthFile.good());
    std::string line;
    std::vector<std::string> passes;
    while (std::getline(truthFile, line))
        if (line.rfind("pass ", 0) == 0) passes.push_back(line);
    ASSERT_EQ(passes.size(), 1u);
    double index = 0, simS = 0, wallS = 0;
    ASSERT_EQ(std::sscanf(passes[0].c_str(), "pass %lf %lf %lf", &index, &simS, &wallS), 3);
    EXPECT_NEAR(simS, 0.5 + 2.0 * M_PI * 50.0 / 50.0 / 4.0, 1e-3);  // the east point, a quarter lap in
    EXPECT_NEAR(wallS, simS / 5.0, 1e-6);

    int fd = openReader(device);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    std::string data = readUntilHangUp(fd);
    ::close(fd);
    EXPECT_EQ(sim.waitExit(), 0);

    std::vector<std::string> sentences = sentencesOf(data);
    long fixes = static_cast<long>(std::floor((0.5 + 2.0 * M_PI * 50.0 / 50.0) * 5.0)) + 1;
    ASSERT_EQ(sentences.size(), static_cast<std::size_t>(2 * fixes));
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        EXPECT_TRUE(checksumValid(sentences[i])) << sentences[i];
        EXPECT_EQ(sentences[i].substr(0, 7), i % 2 == 0 ? "$GPGGA," : "$GPRMC,") << sentences[i];
    }
    EXPECT_EQ(sentences[0].substr(7, 9), "120000.00");
    EXPECT_EQ(sentences[1].substr(7, 9), "120000.00");
    EXPECT_EQ(sentences[2].substr(7, 9), "120000.20");
    EXPECT_NE(sentences[1].find(",A,"), std::string::npos);
    std::filesystem::remove(truth);
}

TEST(PtyEndToEnd, ReplaySendsTheCaptureAndLinkIsRemovedAtExit) {
    std::string link = tempPath("gps_sim_e2e_link");
    std::string capture = TEST_DATA_DIR "/nmea/hp58534a.nmea";
    SimProcess sim({"replay", capture, "--line-interval-ms", "1", "--link", link, "--settle-ms", "300"});
    std::string device = sim.firstLine();
    ASSERT_FALSE(device.empty());
    std::error_code ec;
    EXPECT_EQ(std::filesystem::read_symlink(link, ec).string(), device);

    int fd = openReader(link);
    ASSERT_GE(fd, 0);
    std::string data = readUntilHangUp(fd);
    ::close(fd);
    EXPECT_EQ(sim.waitExit(), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link));

    std::ifstream in(capture, std::ios::binary);
    std::stringstream original;
    original << in.rdbuf();
    std::string expected;
    for (char c : original.str()) {
        if (c == '\n') expected += '\r';
        expected += c;
    }
    EXPECT_EQ(data, expected);  // the capture had LF line ends only
}

TEST(PtyEndToEnd, BinaryModeSendsFramedPackets) {
    SimProcess sim({"loop", "--waypoints", "35.0,139.0;35.001,139.0;35.001,139.001", "--speed", "300",
                    "--binary", "--lead-in", "0", "--rate", "20", "--speedup", "10"});
    std::string device = sim.firstLine();
    int fd = openReader(device);
    ASSERT_GE(fd, 0);
    std::string data = readUntilHangUp(fd);
    ::close(fd);
    EXPECT_EQ(sim.waitExit(), 0);
    ASSERT_GT(data.size(), 40u);
    EXPECT_EQ(data.substr(0, 2), "\x10\x75");
    // Count packets by their ends: an unstuffed DLE followed by ETX.
    int packets75 = 0, packets36 = 0;
    bool start = true;
    for (std::size_t i = 0; i + 1 < data.size(); ++i) {
        if (start) {
            ASSERT_EQ(data[i], '\x10') << "packet start at " << i;
            (data[i + 1] == '\x75' ? packets75 : packets36)++;
            start = false;
            ++i;
            continue;
        }
        if (data[i] == '\x10' && data[i + 1] == '\x10') {
            ++i;
        } else if (data[i] == '\x10' && data[i + 1] == '\x03') {
            start = true;
            ++i;
        }
    }
    EXPECT_TRUE(start) << "last packet incomplete";
    EXPECT_GT(packets75, 10);
    EXPECT_TRUE(packets36 == packets75 || packets36 + 1 == packets75) << packets75 << " " << packets36;
}

TEST(PtyEndToEnd, ReaderClosingEndsTheRunAndHoldWaitsForASignal) {
    // A long drive: closing the reader ends it early with status 0.
    SimProcess early({"loop", "--circle", "35.0,139.0,500", "--laps", "50", "--settle-ms", "0"});
    std::string device = early.firstLine();
    int fd = openReader(device);
    ASSERT_GE(fd, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::close(fd);
    EXPECT_EQ(early.waitExit(), 0);

    // With --hold the bytes stay readable after the input ends, until a signal.
    // A 20 m circle at 400 km/h takes 1.13 s: fixes at 0, 0.5 and 1 s.
    SimProcess held({"loop", "--circle", "35.0,139.0,20", "--speed", "400", "--lead-in", "0", "--rate", "2",
                     "--hold", "--settle-ms", "0"});
    device = held.firstLine();
    fd = openReader(device);
    ASSERT_GE(fd, 0);
    std::this_thread::sleep_for(std::chrono::seconds(3));   // well past the end of the input
    EXPECT_EQ(held.waitExit(std::chrono::seconds(0)), -1);  // still running
    std::string data;
    auto deadline = Clock::now() + STEP_TIMEOUT;
    while (std::count(data.begin(), data.end(), '\n') < 6 && Clock::now() < deadline) {
        char buffer[1024];
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) data.append(buffer, static_cast<std::size_t>(n));
        else std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(sentencesOf(data).size(), 6u);
    held.signal(SIGTERM);
    EXPECT_EQ(held.waitExit(), 0);
    ::close(fd);
}

TEST(PtyEndToEnd, BadCommandLinesAndFilesFailWithoutOpeningATerminal) {
    SimProcess usage({"loop"});
    EXPECT_EQ(usage.firstLine(), "");
    EXPECT_EQ(usage.waitExit(), 2);
    SimProcess missing({"track", "/nonexistent/track.csv"});
    EXPECT_EQ(missing.waitExit(), 1);
    SimProcess nobody({"loop", "--circle", "35,139,50", "--open-timeout", "0.3"});
    EXPECT_FALSE(nobody.firstLine().empty());
    EXPECT_EQ(nobody.waitExit(), 1);
}
