// Runs the built gps-sim and reads its pseudo-terminal as the capture program would.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/child_process.h"
#include "tools/gps-sim/nmea_sentences.h"

namespace {

// Generous: the machine may be loaded and everything runs under the sanitizers.
constexpr int STEP_TIMEOUT_MS = 60000;

// Complete CR LF terminated lines read from `fd`, until `wanted` of them or the time-out.
std::vector<std::string> readLines(int fd, std::size_t wanted) {
    std::vector<std::string> lines;
    std::string pending;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(STEP_TIMEOUT_MS);
    while (lines.size() < wanted && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char buffer[1024];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0 || (got < 0 && errno != EAGAIN)) break;
        if (got > 0) pending.append(buffer, static_cast<std::size_t>(got));
        for (std::size_t end; (end = pending.find("\r\n")) != std::string::npos; pending.erase(0, end + 2))
            lines.push_back(pending.substr(0, end));
    }
    return lines;
}

bool checksumValid(const std::string& sentence) {
    const std::size_t star = sentence.find('*');
    if (sentence.empty() || sentence[0] != '$' || star == std::string::npos || star + 3 != sentence.size())
        return false;
    return std::stoul(sentence.substr(star + 1), nullptr, 16) ==
           gpssim::nmeaChecksum(std::string_view(sentence).substr(1, star - 1));
}

}  // namespace

TEST(PtyEndToEnd, WaitsForTheReaderSendsValidSentencesAndStopsWhenTheReaderCloses) {
    // Fifty laps of a 500 m circle outlast the test: only the reader's close can end the run.
    ChildProcess sim({BIN_DIR "/gps-sim", "loop", "--circle", "35.0,139.0,500", "--laps", "50", "--rate", "5",
                      "--speedup", "4", "--settle-ms", "100"});
    std::string device;
    ASSERT_TRUE(sim.readLine(device, STEP_TIMEOUT_MS));
    ASSERT_EQ(device.rfind("/dev/pts/", 0), 0u) << device;

    // With nobody on the device it keeps waiting instead of driving on or giving up.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(sim.wait(0), -1);

    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    std::vector<std::string> sentences = readLines(fd, 10);
    ::close(fd);
    EXPECT_EQ(sim.wait(STEP_TIMEOUT_MS), 0);

    ASSERT_EQ(sentences.size(), 10u);
    for (std::size_t i = 0; i < sentences.size(); ++i) {
        EXPECT_TRUE(checksumValid(sentences[i])) << sentences[i];
        EXPECT_EQ(sentences[i].substr(0, 7), i % 2 == 0 ? "$GPGGA," : "$GPRMC,") << sentences[i];
    }
    // Nothing was sent before the reader came: the first fix is the drive's first.
    EXPECT_EQ(sentences[0].substr(7, 9), "120000.00");
}
