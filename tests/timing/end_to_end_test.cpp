// The headless recorder against the simulated receiver: passes, lap times
// and the drive log of whole runs, compared with the simulator's ground truth.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>

#include "capture/gps/geodesy.h"
#include "platform/tick.h"
#include "tests/support/drive_log_file.h"
#include "tests/support/recorded_drive.h"

namespace {

constexpr double METRES_PER_DEGREE_LAT = 111320.0;
const double METRES_PER_DEGREE_LON_AT_35 = METRES_PER_DEGREE_LAT * std::cos(35.0 * M_PI / 180.0);

struct Pass {
    uint32_t tickMs = 0;
    int point = 0;
    int laps = -1;  // -1: no lap fields on the line
    uint32_t lapMs = 0;
};

GeoPoint pointAt(double latitude, double longitude) {
    GeoPoint p;
    p.latitude = latitude;
    p.longitude = longitude;
    toGeocentric(p);  // WGS-84, as the recorder recomputes it on load
    return p;
}

class EndToEndTest : public ::testing::Test {
protected:
    std::vector<std::string> simArgs(const GeoPoint& truthPoint, const std::string& truthFile,
                                      int openTimeoutS) const {
        std::vector<std::string> args = {
            "--rate", "10", "--speedup", std::to_string(speedup), "--truth", dir / truthFile, "--point",
            std::to_string(truthPoint.latitude) + "," + std::to_string(truthPoint.longitude),
            "--pass-radius", "15", "--open-timeout", std::to_string(openTimeoutS)};
        if (binary) args.push_back("--binary");
        args.insert(args.end(), route.begin(), route.end());
        return args;
    }
    // Wall seconds of the simulator's passes at `point`. It writes its truth
    // file before it waits for a reader, so no recorded run is needed.
    std::vector<double> truthAt(const GeoPoint& point) {
        std::vector<std::string> args = simArgs(point, "truth-extra.txt", 1);
        args.insert(args.begin(), std::string(BIN_DIR) + "/gps-sim");
        ChildProcess(args).wait(20000);
        return truthPassSeconds(dir / "truth-extra.txt");
    }
    // Records the route past course `c`: the passes the recorder printed, the
    // truth at point 1, and a check of the drive log against both.
    void record(const Course& c) {
        const RecordedDrive run = recordDrive(simArgs(c.points[0], "truth.txt", 30), c, dir.path(), binary);
        ASSERT_EQ(run.status, 0);
        for (const std::string& line : run.lines) {
            Pass p;  // "pass N tick T point P[ laps L lap_ms M time TEXT]"
            if (std::sscanf(line.c_str(), "pass %*d tick %u point %d laps %d lap_ms %u", &p.tickMs,
                            &p.point, &p.laps, &p.lapMs) >= 2) {
                passes.push_back(p);
            }
        }
        truth1 = truthPassSeconds(dir / "truth.txt");
        checkDriveLog(run.logPath, c);
    }
    // The drive log holds the counted passes, a lap-marked sample right after
    // each pass, and the course exactly as the file gave it.
    void checkDriveLog(const std::string& path, const Course& c) {
        const std::string image = readFile(path);
        int32_t n = 0;
        ASSERT_GE(image.size(), 4u);
        std::memcpy(&n, image.data(), 4);
        ASSERT_EQ(static_cast<long>(image.size()), driveLogSize(n));
        std::vector<LogSample> samples(static_cast<size_t>(n));
        std::memcpy(samples.data(), image.data() + 4, samples.size() * sizeof(LogSample));
        PassLog log;
        std::memcpy(&log, image.data() + driveLogPassLogOffset(n), sizeof log);
        EXPECT_EQ(std::memcmp(image.data() + driveLogCourseOffset(n), &c, sizeof c), 0);
        ASSERT_EQ(log.passCount, static_cast<int32_t>(passes.size()));
        std::vector<uint32_t> marked;
        for (const LogSample& s : samples) {
            if (s.lapMark == 1) marked.push_back(s.tick);
        }
        ASSERT_EQ(marked.size(), passes.size());
        for (size_t i = 0; i < passes.size(); ++i) {
            EXPECT_EQ(log.passTicks[i], passes[i].tickMs);
            EXPECT_LE(marked[i] - log.passTicks[i], 500u) << "lap mark " << i << " is late";
        }
    }
    // One fix interval (10 Hz) of wall time plus 50 ms.
    double toleranceS() const { return 0.1 / speedup + 0.050; }

    std::vector<std::string> route;  // gps-sim's mode and route options
    double speedup = 1.0;
    bool binary = false;
    TempDir dir;
    std::vector<Pass> passes;
    std::vector<double> truth1;
};

class LoopEndToEnd : public EndToEndTest, public ::testing::WithParamInterface<bool> {};

// A circle whose start (its north point) is the course point: the car stands
// there first, so the first pass is the start and 5 laps give 6 passes.
TEST_P(LoopEndToEnd, FiveLapsGiveSixPassesAndTrueLapTimes) {
    Course c;
    c.pointCount = 1;
    c.points[0] = pointAt(35.0 + 150.0 / METRES_PER_DEGREE_LAT, 139.0);
    std::strcpy(c.name, "circle");
    // 47 s laps at 72 km/h run 4 times faster: 11.8 s, longer than the 10 s hold.
    route = {"loop", "--circle", "35.0,139.0,150", "--speed", "72", "--laps", "5"};
    speedup = 4.0;
    binary = GetParam();
    ASSERT_NO_FATAL_FAILURE(record(c));
    ASSERT_EQ(passes.size(), 6u);
    ASSERT_EQ(truth1.size(), 6u);
    for (size_t i = 1; i < 6; ++i) {
        ASSERT_EQ(passes[i].laps, static_cast<int>(i));
        // The truth marks the closest approach, a pass the entry into the
        // 15 m radius: the same lead on every lap at speed, but the first
        // pass was at a standing start.
        const double leadS = i == 1 ? 15.0 / (72.0 / 3.6) / speedup : 0.0;
        EXPECT_NEAR(passes[i].lapMs / 1000.0, truth1[i] - truth1[i - 1] - leadS, toleranceS()) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(NmeaAndBinaryReceiver, LoopEndToEnd, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Binary" : "Nmea"; });

// Along a straight road 400 m east and back, point 1 at 50 m, point 2 at
// 100 m; the 30 s from point 2 to the turn and back outlast the hold.
class StraightEndToEnd : public EndToEndTest {
protected:
    void drive(int32_t courseType, size_t passCount) {
        const std::string end = std::to_string(139.0 + 400.0 / METRES_PER_DEGREE_LON_AT_35);
        route = {"out-and-back", "--waypoints", "35.0,139.0;35.0," + end, "--speed", "72", "--laps", "1"};
        speedup = 2.0;
        Course c;
        c.pointCount = 2;
        c.points[0] = pointAt(35.0, 139.0 + 50.0 / METRES_PER_DEGREE_LON_AT_35);
        c.points[1] = pointAt(35.0, 139.0 + 100.0 / METRES_PER_DEGREE_LON_AT_35);
        c.courseType = courseType;
        truth2 = truthAt(c.points[1]);
        ASSERT_NO_FATAL_FAILURE(record(c));
        ASSERT_EQ(passes.size(), passCount);
        ASSERT_EQ(truth1.size(), 2u);
        ASSERT_EQ(truth2.size(), 2u);
    }
    std::vector<double> truth2;
};

TEST_F(StraightEndToEnd, OpenCourseTimesTheRunFromPointOneToPointTwo) {
    // Point 1 out, point 2 out; point 2 on the way back is not a finish (no
    // run armed) and point 1 on the way back starts a new run.
    ASSERT_NO_FATAL_FAILURE(drive(COURSE_OPEN, 3));
    EXPECT_EQ(passes[1].point, 2);
    ASSERT_EQ(passes[1].laps, 1);
    EXPECT_NEAR(passes[1].lapMs / 1000.0, truth2[0] - truth1[0], toleranceS());
    EXPECT_EQ(passes[2].laps, -1) << "three passes show no run";
}

TEST_F(StraightEndToEnd, OpenReturnCourseTimesBothLegs) {
    ASSERT_NO_FATAL_FAILURE(drive(COURSE_OPEN_RETURN, 4));
    EXPECT_EQ(passes[1].laps, 1);
    EXPECT_NEAR(passes[1].lapMs / 1000.0, truth2[0] - truth1[0], toleranceS());
    EXPECT_EQ(passes[2].point, 2);
    ASSERT_EQ(passes[3].laps, 2);
    EXPECT_NEAR(passes[3].lapMs / 1000.0, truth1[1] - truth2[1], toleranceS());
}

// SIGKILL in the middle of a run: the next start of velmora-record turns the
// journal into the drive log, with every pass printed before the kill and
// the samples up to at most a second (and one period) before it.
TEST_F(EndToEndTest, RunKilledMidwayIsRecoveredAtTheNextStart) {
    Course c;
    c.pointCount = 1;
    c.points[0] = pointAt(35.0 + 150.0 / METRES_PER_DEGREE_LAT, 139.0);
    std::strcpy(c.name, "killed");
    const std::string coursePath = dir / "course.gps";
    writeFile(coursePath, &c, sizeof c);
    route = {"loop", "--circle", "35.0,139.0,150", "--speed", "72", "--laps", "5"};
    speedup = 4.0;
    std::vector<std::string> args = simArgs(c.points[0], "truth.txt", 30);
    args.insert(args.begin(), std::string(BIN_DIR) + "/gps-sim");
    ChildProcess sim(args);
    std::string port, line;
    ASSERT_TRUE(sim.readLine(port, 20000)) << "gps-sim printed no device";
    const std::string record = std::string(BIN_DIR) + "/velmora-record";
    const std::string logDir = dir / "log";
    ChildProcess recorder({record, "--port", port, "--period", "100", "--radius", "15", "--log-dir", logDir, coursePath});
    std::vector<uint32_t> printed;
    while (printed.size() < 3 && recorder.readLine(line, 60000)) {
        unsigned tick = 0;
        if (std::sscanf(line.c_str(), "pass %*d tick %u", &tick) == 1) printed.push_back(tick);
    }
    ASSERT_EQ(printed.size(), 3u) << "two laps before the kill";
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    const uint32_t killMs = platform::GetTickCount();
    recorder.signal(SIGKILL);
    ASSERT_EQ(recorder.wait(10000), 128 + SIGKILL);

    // The next start recovers before anything else (this one then stops at
    // the missing course).
    ChildProcess next({record, "--log-dir", logDir, dir / "missing.gps"}, /*withStderr=*/true);
    std::string recovered, all;
    while (next.readLine(line, 20000)) {
        all += line + "\n";
        char path[512];
        if (std::sscanf(line.c_str(), "recovered: %511s from", path) == 1) recovered = path;
    }
    EXPECT_EQ(next.wait(10000), 1);
    ASSERT_FALSE(recovered.empty()) << all;
    const DriveLogFile log = readDriveLogFile(recovered);
    ASSERT_TRUE(log.whole) << recovered;
    ASSERT_GE(log.passes.passCount, 3);
    for (size_t i = 0; i < printed.size(); ++i) EXPECT_EQ(log.passes.passTicks[i], printed[i]) << i;
    const LogSample last = log.samples.back();
    EXPECT_LE(static_cast<int32_t>(last.tick - killMs), 0);
    EXPECT_GE(static_cast<int32_t>(last.tick - killMs), -(1000 + 100 + 200)) << "at most a second lost";
    EXPECT_EQ(std::memcmp(&log.course, &c, sizeof c), 0);
    for (const auto& entry : std::filesystem::directory_iterator(logDir))
        EXPECT_NE(entry.path().extension(), ".journal") << "recovered journals are removed";
}

}  // namespace
