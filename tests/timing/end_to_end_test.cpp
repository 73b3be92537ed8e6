// The headless recorder against the simulated receiver: passes, lap times
// and the drive log of whole runs, compared with the simulator's ground truth.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "capture/gps/geodesy.h"
#include "tests/support/child_process.h"
#include "common/records.h"

namespace {

namespace fs = std::filesystem;

const std::string SIM = std::string(BIN_DIR) + "/gps-sim";
const std::string RECORD = std::string(BIN_DIR) + "/velmora-record";
constexpr double RADIUS_M = 15.0;
constexpr double METRES_PER_DEGREE_LAT = 111320.0;

struct Pass {
    int number = 0;
    uint32_t tickMs = 0;
    int point = 0;
    int laps = -1;  // -1: no lap fields on the line
    uint32_t lapMs = 0;
};

struct RecordedRun {
    std::vector<Pass> passes;
    std::string logPath;
    int recordStatus = -1;
};

struct Drive {
    std::vector<std::string> simArgs;  // mode and drive options
    double speedup = 1.0;
    double rateHz = 10.0;
    bool binary = false;
};

std::vector<double> truthWallSeconds(const fs::path& file) {
    std::vector<double> times;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string word;
        int index = 0;
        double simS = 0.0, wallS = 0.0;
        if (fields >> word >> index >> simS >> wallS && word == "pass") times.push_back(wallS);
    }
    return times;
}

Pass parsePass(const std::string& line) {
    Pass pass;
    std::istringstream fields(line);
    std::string key;
    fields >> key >> pass.number;
    while (fields >> key) {
        if (key == "tick") fields >> pass.tickMs;
        else if (key == "point") fields >> pass.point;
        else if (key == "laps") fields >> pass.laps;
        else if (key == "lap_ms") fields >> pass.lapMs;
        else fields >> key;  // "time" and its text
    }
    return pass;
}

GeoPoint pointAt(double latitude, double longitude) {
    GeoPoint p;
    p.latitude = latitude;
    p.longitude = longitude;
    toGeocentric(p);  // WGS-84, as the recorder recomputes it on load
    return p;
}

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(SIM) || !fs::exists(RECORD)) GTEST_SKIP() << "gps-sim or velmora-record not built";
        directory = fs::temp_directory_path() /
                    ("timing_e2e_" + std::to_string(::getpid()) + "_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory);
        fs::create_directories(directory);
    }
    void TearDown() override {
        if (!directory.empty()) fs::remove_all(directory);
    }

    std::vector<std::string> simCommand(const Drive& drive, const GeoPoint& truthPoint,
                                        const fs::path& truth, int openTimeoutS = 30) const {
        std::vector<std::string> argv = {SIM, "--rate", std::to_string(drive.rateHz),
                                         "--speedup", std::to_string(drive.speedup), "--truth",
                                         truth.string(), "--point",
                                         std::to_string(truthPoint.latitude) + "," +
                                             std::to_string(truthPoint.longitude),
                                         "--pass-radius", "15", "--open-timeout",
                                         std::to_string(openTimeoutS)};
        if (drive.binary) argv.push_back("--binary");
        argv.insert(argv.end(), drive.simArgs.begin(), drive.simArgs.end());
        return argv;
    }

    // Ground truth for a point the recorded run does not report on: the
    // simulator writes its truth file before it waits for a reader.
    std::vector<double> truthWithoutRun(const Drive& drive, const GeoPoint& point) {
        const fs::path truth = directory / "truth-extra.txt";
        ChildProcess sim(simCommand(drive, point, truth, /*openTimeoutS=*/1));
        sim.wait(20000);
        return truthWallSeconds(truth);
    }

    RecordedRun record(const Drive& drive, const Course& c, std::vector<double>& truth1) {
        const fs::path coursePath = directory / "course.gps";
        {
            std::ofstream out(coursePath, std::ios::binary);
            out.write(reinterpret_cast<const char*>(&c), sizeof c);
        }
        const fs::path truth = directory / "truth.txt";
        ChildProcess sim(simCommand(drive, c.points[0], truth));
        std::string port;
        EXPECT_TRUE(sim.readLine(port, 20000)) << "gps-sim printed no device";
        std::vector<std::string> argv = {RECORD, "--port", port, "--period", "200", "--radius",
                                         "15", "--log-dir", (directory / "log").string()};
        if (drive.binary) argv.push_back("--binary");
        argv.push_back(coursePath.string());
        ChildProcess recorder(argv);
        RecordedRun run;
        std::string line;
        EXPECT_TRUE(recorder.readLine(line, 30000));
        EXPECT_EQ(line.rfind("start port ", 0), 0u) << line;
        EXPECT_EQ(sim.wait(600000), 0) << "gps-sim did not finish";
        recorder.signal(SIGINT);
        while (recorder.readLine(line, 60000)) {
            if (line.rfind("pass ", 0) == 0) run.passes.push_back(parsePass(line));
            if (line.rfind("log: ", 0) == 0) run.logPath = line.substr(5);
        }
        run.recordStatus = recorder.wait(60000);
        truth1 = truthWallSeconds(truth);
        return run;
    }

    // The drive log holds the counted passes, a lap-marked sample right after
    // each pass, and the course exactly as the file gave it.
    void checkDriveLog(const RecordedRun& run, const Course& c, size_t expectedPasses) {
        ASSERT_FALSE(run.logPath.empty());
        std::ifstream in(run.logPath, std::ios::binary);
        const std::string image((std::istreambuf_iterator<char>(in)), {});
        int32_t n = 0;
        ASSERT_GE(image.size(), 4u);
        std::memcpy(&n, image.data(), 4);
        ASSERT_GT(n, 0);
        ASSERT_EQ(static_cast<long>(image.size()), driveLogSize(n));
        std::vector<LogSample> samples(static_cast<size_t>(n));
        std::memcpy(samples.data(), image.data() + 4, 40 * static_cast<size_t>(n));
        PassLog log;
        std::memcpy(&log, image.data() + driveLogPassLogOffset(n), sizeof log);
        ASSERT_EQ(log.passCount, static_cast<int32_t>(expectedPasses));
        EXPECT_EQ(std::memcmp(image.data() + driveLogCourseOffset(n), &c, sizeof c), 0)
            << "course block differs from the course file";
        std::vector<uint32_t> marked;
        for (const LogSample& s : samples)
            if (s.lapMark == 1) marked.push_back(s.tick);
        ASSERT_EQ(marked.size(), expectedPasses);
        for (size_t i = 0; i < expectedPasses; ++i) {
            EXPECT_EQ(log.passTicks[i], run.passes[i].tickMs);
            const uint32_t after = marked[i] - log.passTicks[i];
            EXPECT_LE(after, 500u) << "lap mark " << i << " is not right after its pass";
        }
    }

    fs::path directory;
};

// One fix interval of wall time plus 50 ms.
double toleranceS(const Drive& drive) { return 1.0 / (drive.rateHz * drive.speedup) + 0.050; }

// A circle whose start (its north point) is the course point: the car stands
// there first, so the first pass is the start and 5 laps give 6 passes.
void checkLoop(const RecordedRun& run, const Drive& drive, const std::vector<double>& truth) {
    ASSERT_EQ(run.recordStatus, 0);
    ASSERT_EQ(run.passes.size(), 6u);
    ASSERT_EQ(truth.size(), 6u);
    for (size_t i = 1; i < 6; ++i) {
        ASSERT_EQ(run.passes[i].laps, static_cast<int>(i));
        // The truth marks the closest approach, a pass the entry into the
        // radius: the same lead on every lap at speed, but the first pass
        // was at a standing start.
        const double leadS = i == 1 ? RADIUS_M / (72.0 / 3.6) / drive.speedup : 0.0;
        const double expected = truth[i] - truth[i - 1] - leadS;
        EXPECT_NEAR(run.passes[i].lapMs / 1000.0, expected, toleranceS(drive)) << "lap " << i;
    }
}

Course loopCourse() {
    Course c;
    c.pointCount = 1;
    c.points[0] = pointAt(35.0 + 150.0 / METRES_PER_DEGREE_LAT, 139.0);
    std::strcpy(c.name, "circle");
    c.courseType = COURSE_LOOP;
    return c;
}

Drive loopDrive(bool binary) {
    Drive drive;
    drive.speedup = 4.0;  // 47 s laps run in 11.8 s: longer than the 10 s hold
    drive.binary = binary;
    drive.simArgs = {"loop", "--circle", "35.0,139.0,150", "--speed", "72", "--laps", "5"};
    return drive;
}

TEST_F(EndToEndTest, LoopOfFiveLapsGivesSixPassesAndTrueLapTimes) {
    const Course c = loopCourse();
    const Drive drive = loopDrive(false);
    std::vector<double> truth;
    RecordedRun run = record(drive, c, truth);
    checkLoop(run, drive, truth);
    checkDriveLog(run, c, 6);
}

TEST_F(EndToEndTest, BinaryReceiverLoopGivesTheSamePasses) {
    const Course c = loopCourse();
    const Drive drive = loopDrive(true);
    std::vector<double> truth;
    RecordedRun run = record(drive, c, truth);
    checkLoop(run, drive, truth);
    checkDriveLog(run, c, 6);
}

// Along a straight road 400 m east and back: point 1 at 50 m, point 2 at 100 m.
Drive straightDrive() {
    Drive drive;
    drive.speedup = 2.0;  // the 30 s from point 2 to the turn and back outlast the hold
    const double east400 = 400.0 / (METRES_PER_DEGREE_LAT * std::cos(35.0 * M_PI / 180.0));
    drive.simArgs = {"out-and-back", "--waypoints",
                     "35.0,139.0;35.0," + std::to_string(139.0 + east400), "--speed", "72",
                     "--laps", "1"};
    return drive;
}

Course straightCourse(int32_t type) {
    const double metre = 1.0 / (METRES_PER_DEGREE_LAT * std::cos(35.0 * M_PI / 180.0));
    Course c;
    c.pointCount = 2;
    c.points[0] = pointAt(35.0, 139.0 + 50.0 * metre);
    c.points[1] = pointAt(35.0, 139.0 + 100.0 * metre);
    std::strcpy(c.name, "straight");
    c.courseType = type;
    return c;
}

TEST_F(EndToEndTest, OpenCourseTimesTheRunFromPointOneToPointTwo) {
    const Course c = straightCourse(COURSE_OPEN);
    const Drive drive = straightDrive();
    const std::vector<double> truth2 = truthWithoutRun(drive, c.points[1]);
    std::vector<double> truth1;
    RecordedRun run = record(drive, c, truth1);
    ASSERT_EQ(run.recordStatus, 0);
    // Point 1 out, point 2 out; point 2 on the way back is not a finish (no
    // run armed) and point 1 on the way back starts a new run.
    ASSERT_EQ(run.passes.size(), 3u);
    ASSERT_EQ(truth1.size(), 2u);
    ASSERT_EQ(truth2.size(), 2u);
    EXPECT_EQ(run.passes[1].point, 2);
    ASSERT_EQ(run.passes[1].laps, 1);
    EXPECT_NEAR(run.passes[1].lapMs / 1000.0, truth2[0] - truth1[0], toleranceS(drive));
    EXPECT_EQ(run.passes[2].laps, -1) << "three passes show no run";
    checkDriveLog(run, c, 3);
}

TEST_F(EndToEndTest, OpenReturnCourseTimesBothLegs) {
    const Course c = straightCourse(COURSE_OPEN_RETURN);
    const Drive drive = straightDrive();
    const std::vector<double> truth2 = truthWithoutRun(drive, c.points[1]);
    std::vector<double> truth1;
    RecordedRun run = record(drive, c, truth1);
    ASSERT_EQ(run.recordStatus, 0);
    ASSERT_EQ(run.passes.size(), 4u);
    ASSERT_EQ(truth1.size(), 2u);
    ASSERT_EQ(truth2.size(), 2u);
    EXPECT_EQ(run.passes[1].laps, 1);
    EXPECT_NEAR(run.passes[1].lapMs / 1000.0, truth2[0] - truth1[0], toleranceS(drive));
    EXPECT_EQ(run.passes[2].point, 2);
    ASSERT_EQ(run.passes[3].laps, 2);
    EXPECT_NEAR(run.passes[3].lapMs / 1000.0, truth1[1] - truth2[1], toleranceS(drive));
    checkDriveLog(run, c, 4);
}

}  // namespace
