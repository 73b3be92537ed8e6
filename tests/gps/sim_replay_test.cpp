// Real captures sent by the simulated receiver (tools/gps-sim) over a
// pseudo-terminal into the reader thread, end to end: every line that reaches
// the reader is decoded, the lap check runs after each, nothing wedges, and
// the fixes are exactly the ones the decoding rules accept.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <iterator>
#include <ostream>
#include <string>
#include <thread>

#include "capture/gps/gps_reader.h"
#include "capture/gps/gps_state.h"
#include "pty_pair.h"
#include "recording_sink.h"

extern char** environ;

namespace {

std::atomic<int> ggaFixes{0}, rmcFixes{0}, lines{0};

void countFixes(const char* line, int length, SentenceResult result) {
    ++lines;
    if (result != SentenceResult::Fix) return;
    const std::string_view name = nmeaSentenceName(length, line);
    (name.substr(2) == "GGA" ? ggaFixes : rmcFixes)++;
}

// gps-sim replay FILE: prints the pty path first, sends every line at once
// (the pty holds what the reader has not taken yet) once a reader has opened
// and purged the port, and keeps the terminal until the reader closes it.
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
        // A generous settle time: the reader's purge on open must come first
        // even on a loaded machine. The open time-out ends an orphaned
        // simulator should this test die before opening the port.
        std::string args[] = {program, "replay", capture, "--line-interval-ms", "0", "--hold",
                              "--settle-ms", "500", "--open-timeout", "120"};
        char* argv[std::size(args) + 1] = {};
        for (size_t i = 0; i < std::size(args); ++i) argv[i] = args[i].data();
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
    std::string devicePath(int timeoutMs = 30000) {
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
    int lines;       // lines the reader takes
    int gga, rmc;    // completed fixes
    double latitude, longitude, altitude;  // of the last fix: degrees, degrees, metres
    bool liveLeftLastFix = false;  // a later sentence moved the live position without a fix
};

// Worked out once with a separate script that re-implements the rules from
// scratch and is fed the stream as the simulator sends it: every line ends in
// CR LF (a trailing CR is replaced, so the LF-only captures decode too). The
// reader only ever reads a full top-up of its 128-byte buffer, so the bytes
// after the last full top-up stay in the port: the last line or two of each
// capture never arrive. Rules modelled: last "$" of a line, CR required,
// checksum, strict numbers and coordinates, GGA fields 1-5 gated on the
// previous quality, the altitude plus the magnitude of the geoid separation,
// RMC status "A", no fix before the first received position.
const SimCase CASES[] = {
    // Clean consumer USB receiver, southern and eastern hemisphere.
    {"bu353s4.nmea", 88, 24, 24, -37.7847950, 175.3149017, 83.900},
    // Busy chart-plotter multiplexer: 1 line in 18 is GGA or RMC.
    {"bundg_zeus_9.nmea", 4998, 137, 146, 52.8478933, 5.3084917, 42.800},
    // Every GGA has a wrong checksum: RMC fixes only, altitude never set.
    {"firefly-II.nmea", 67, 0, 22, 37.2610183, -121.9611650, 0.000},
    // Quality 6 (dead reckoning) completes; no-fix epochs in between.
    {"garmin-10x.nmea", 83, 9, 8, 41.7268500, -83.6348033, 246.000},
    // Broken, merged and NUL-ridden lines. Its last GGA has quality 0 after a
    // fix, so it still takes that sentence's position (0,0) without a fix.
    {"gp-320fw-2019-04-07-coldboot.nmea", 133, 1, 1, 48.1499883, 11.5846633, 506.100, true},
    // Walking, times with milliseconds.
    {"haicom-305N.nmea", 324, 67, 67, -27.2106733, 153.0520000, 45.700},
    // No checksums at all, zero-padded numbers; the first GGA has no position yet.
    {"hp58534a.nmea", 11, 1, 0, -33.8172283, 18.7321367, 148.700},
    // "IN" talker, time running backwards.
    {"humminbird-M37.nmea", 96, 8, 16, 44.4353583, -71.6749783, 268.500},
    // Mixed GNSS talkers, negative MSL altitudes under a positive geoid separation.
    {"quectel-eg25-g.nmea", 860, 22, 22, 36.7638040, 31.4108763, -48.300},
    {"sl869.nmea", 165, 8, 8, -33.6802317, 151.2911867, 105.520},
    // Long static stream, 37 no-fix epochs first; empty geoid separation.
    {"telit-he910.nmea", 1556, 186, 186, 50.8402100, 4.3470467, 102.000},
    // Negative geoid separation: 98.5 m + 16.7 m.
    {"ublox-lea-4h.nmea", 107, 9, 9, 49.1261363, -122.7101773, 115.200},
};

// Test names and failure messages show the capture, not the struct's bytes.
void PrintTo(const SimCase& c, std::ostream* os) { *os << c.file; }

constexpr double DEGREES_TOLERANCE = 1e-6;  // ~0.1 m
constexpr double ALTITUDE_TOLERANCE_M = 1e-3;

class SimulatedReceiver : public ::testing::TestWithParam<SimCase> {};

TEST_P(SimulatedReceiver, CaptureGivesExactlyTheAcceptedFixes) {
    const SimCase& c = GetParam();
    if (!std::filesystem::exists(std::string(BIN_DIR) + "/gps-sim")) {
        GTEST_SKIP() << "gps-sim is not built";
    }
    resetGpsStateForTests();
    RecordingSink sink;
    ggaFixes = rmcFixes = lines = 0;
    Simulator sim(std::string(TEST_DATA_DIR) + "/nmea/" + c.file);
    const std::string path = sim.devicePath();
    ASSERT_FALSE(path.empty());
    setPortName(gpsPort, path);
    setLineObserver(countFixes);
    ASSERT_EQ(openGpsPort(), 0);
    // Under sanitizers on a loaded machine a line may take several ms.
    const bool allLines = eventually([&] { return lines >= c.lines; }, 120000);
    // Any line beyond the expected ones would arrive now.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    closeGpsPort();
    setLineObserver(nullptr);

    EXPECT_TRUE(allLines) << "reader stalled after " << lines << " lines";
    EXPECT_EQ(lines.load(), c.lines);
    EXPECT_EQ(sink.passChecks.load(), lines.load());  // the lap check follows every line
    EXPECT_EQ(ggaFixes.load(), c.gga);
    EXPECT_EQ(rmcFixes.load(), c.rmc);
    EXPECT_EQ(gpsFix.fixReceived.load(), c.gga > 0 ? 1 : 0);

    const PositionTriple fix = readPublishedPosition();
    EXPECT_NEAR(fix.latitude, c.latitude, DEGREES_TOLERANCE);
    EXPECT_NEAR(fix.longitude, c.longitude, DEGREES_TOLERANCE);
    EXPECT_NEAR(fix.altitude, c.altitude, ALTITUDE_TOLERANCE_M);
    const GeoPoint& live = gpsFix.position;
    EXPECT_NEAR(live.latitude, c.liveLeftLastFix ? 0.0 : c.latitude, DEGREES_TOLERANCE);
    EXPECT_NEAR(live.longitude, c.liveLeftLastFix ? 0.0 : c.longitude, DEGREES_TOLERANCE);
    EXPECT_NEAR(live.altitude, c.altitude, ALTITUDE_TOLERANCE_M);
    resetGpsStateForTests();
}

// One test per capture, so ctest can run them side by side.
std::string caseName(const ::testing::TestParamInfo<SimCase>& info) {
    std::string name = std::filesystem::path(info.param.file).stem().string();
    for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(RealCaptures, SimulatedReceiver, ::testing::ValuesIn(CASES), caseName);

}  // namespace
