// Real captures sent by the simulated receiver (tools/gps-sim) over a
// pseudo-terminal into the reader thread, end to end: every line that reaches
// the reader is decoded, the lap check runs after each, nothing wedges, and
// the fixes are exactly the ones the decoding rules accept.
#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <filesystem>
#include <ostream>
#include <string>
#include <thread>

#include "capture/gps/gps_reader.h"
#include "gps_test_support.h"
#include "tests/support/counting_hooks.h"
#include "tests/support/child_process.h"
#include "tests/support/pty.h"

namespace {

std::atomic<int> ggaFixes{0}, rmcFixes{0}, lines{0};

void countFixes(const char* line, int length, SentenceResult result) {
    ++lines;
    if (result != SentenceResult::Fix) return;
    (nmeaSentenceName(length, line).substr(2) == "GGA" ? ggaFixes : rmcFixes)++;
}

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

class SimulatedReceiver : public GpsTest, public ::testing::WithParamInterface<SimCase> {};

TEST_P(SimulatedReceiver, CaptureGivesExactlyTheAcceptedFixes) {
    const SimCase& c = GetParam();
    ggaFixes = rmcFixes = lines = 0;
    // gps-sim prints the pty path first, sends every line at once once a reader
    // has opened and purged the port (a generous settle time: the purge must
    // come first even on a loaded machine), and keeps the terminal until the
    // reader closes it. The open time-out ends an orphaned simulator.
    ChildProcess sim({std::string(BIN_DIR) + "/gps-sim", "replay",
                      std::string(TEST_DATA_DIR) + "/nmea/" + c.file, "--line-interval-ms", "0",
                      "--hold", "--settle-ms", "500", "--open-timeout", "120"});
    std::string path;
    ASSERT_TRUE(sim.readLine(path, 30000));
    setPortName(gpsPort, path);
    setLineObserver(countFixes);
    CountingHooks hooks;
    ASSERT_EQ(openGpsPort(), 0);
    // Under sanitizers on a loaded machine a line may take several ms.
    const bool allLines = eventually([&] { return lines >= c.lines; }, 120000);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // any extra line arrives now
    closeGpsPort();
    setLineObserver(nullptr);

    EXPECT_TRUE(allLines) << "reader stalled after " << lines << " lines";
    EXPECT_EQ(lines.load(), c.lines);
    EXPECT_EQ(CountingHooks::passChecks.load(), lines.load()) << "the lap check follows every line";
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
}

// One test per capture, so ctest can run them side by side.
std::string caseName(const ::testing::TestParamInfo<SimCase>& info) {
    std::string name = std::filesystem::path(info.param.file).stem().string();
    for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(RealCaptures, SimulatedReceiver, ::testing::ValuesIn(CASES), caseName);

}  // namespace
