// Recordings of other loggers timed by the pass rules into drive logs.
#include "import/drive_log_import.h"
#include "import/viewer_import.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/child_process.h"
#include "tests/support/nmea_track.h"
#include "tests/support/temp_dir.h"
#include "viewer/analysis/drive_model.h"

namespace {

const std::string DATA = TEST_DATA_DIR;
const std::string GPDTOOL = std::string(BIN_DIR) + "/gpdtool";
// Where RaceChrono's lap_number turns 8 -> 9 and 9 -> 10 (76.329 s apart).
const LatLon TIANMA_LINE{31.078922, 121.115125};
constexpr double TIANMA_LAP9_S = 1767150877.754 - 1767150801.425;

RecordingResult read(const std::string& path) {
    RecordingResult r = readRecording(path);
    EXPECT_TRUE(r.ok) << r.error;
    return r;
}

double lapS(const ImportedDrive& drive, int pass) {
    const PassLog& log = drive.replay.passLog;
    return static_cast<uint32_t>(log.passTicks[pass] - log.passTicks[pass - 1]) / 1000.0;
}

// The moment the fixes cross the line through the middle of a-b, square to
// a-b (a VBOX gate: two positions along the direction of travel), interpolated
// between the fixes either side of it.
double crossingS(const Recording& r, const LatLon& a, const LatLon& b) {
    const double midLat = (a.latitude + b.latitude) / 2.0, midLon = (a.longitude + b.longitude) / 2.0;
    const double eastScale = std::cos(midLat * M_PI / 180.0);
    auto along = [&](const RecordedFix& f) {
        return (f.latitude - midLat) * (b.latitude - a.latitude) +
               (f.longitude - midLon) * eastScale * (b.longitude - a.longitude) * eastScale;
    };
    for (size_t i = 1; i < r.fixes.size(); ++i) {
        const double s0 = along(r.fixes[i - 1]), s1 = along(r.fixes[i]);
        const bool nearLine = std::fabs(r.fixes[i].latitude - midLat) < 0.0005 &&
                              std::fabs(r.fixes[i].longitude - midLon) < 0.0005;
        if (nearLine && (s0 < 0) != (s1 < 0)) {
            return r.fixes[i - 1].timeS + (r.fixes[i].timeS - r.fixes[i - 1].timeS) * s0 / (s0 - s1);
        }
    }
    return -1.0;
}

// The VBO file's own start line times the car where its logger did: the one
// crossing of that line, to 20 ms with the interpolated pass time.
TEST(DriveImport, VboStartLineGivesTheLoggersPass) {
    const RecordingResult vbo = read(DATA + "/recordings/road-america-run05.vbo");
    const LatLon a{2627.874410 / 60.0, -5279.378270 / 60.0}, b{2627.877020 / 60.0, -5279.378320 / 60.0};
    const double crossing = crossingS(vbo.recording, a, b);
    ASSERT_GT(crossing, 0.0);
    for (bool interpolate : {false, true}) {
        ImportOptions options;
        options.interpolate = interpolate;
        const ImportedDrive drive = importDrive(vbo.recording, options);
        ASSERT_TRUE(drive.ok) << drive.error;
        ASSERT_EQ(drive.replay.passLog.passCount, 1) << "one crossing of the start line";
        const double passS = drive.replay.passLog.passTicks[0] / 1000.0;
        const double expectedS = std::fmod(crossing, 86400.0);
        EXPECT_NEAR(passS, expectedS, interpolate ? 0.020 : 1.0) << "interpolate " << interpolate;
        EXPECT_EQ(drive.image.samples.size(), vbo.recording.fixes.size());
        EXPECT_EQ(drive.image.samples[0].tick, 71540880u) << "ticks are the UTC time of day";
    }
}

// RaceChrono's lap 9, timed at the point where its lap number changes.
TEST(DriveImport, RaceChronoLapMatchesTheAppsLapTime) {
    const RecordingResult csv = read(DATA + "/recordings/tianma-racechrono-v3.csv");
    ImportOptions options;
    options.points = {TIANMA_LINE};
    options.interpolate = true;
    const ImportedDrive drive = importDrive(csv.recording, options);
    ASSERT_TRUE(drive.ok) << drive.error;
    ASSERT_EQ(drive.replay.passLog.passCount, 2);
    EXPECT_NEAR(lapS(drive, 1), TIANMA_LAP9_S, 0.020);
    EXPECT_STREQ(drive.image.course.name, "Tianma");
    EXPECT_EQ(drive.image.course.courseType, COURSE_LOOP);
}

// The same lap sent by a 25 Hz receiver whose clock passes midnight mid-lap,
// LF line ends, one broken sentence per second.
TEST(DriveImport, NmeaLapAcrossMidnight) {
    const RecordingResult csv = read(DATA + "/recordings/tianma-racechrono-v3.csv");
    const auto& fixes = csv.recording.fixes;
    std::string nmea;
    const double startOfDay = 86400.0 - 40.0;
    for (size_t i = 0; i < fixes.size(); ++i) {
        nmeatrack::appendFix(nmea, startOfDay + fixes[i].timeS - fixes[0].timeS, fixes[i].latitude,
                             fixes[i].longitude, fixes[i].altitudeM, "\n");
        if (i % 25 == 0) nmea += "$GPGSV,3,1,11,23,87,2$GNGGA,0000";
    }
    const RecordingResult r = readNmeaLog(nmea);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.recording.fixes.size(), fixes.size());
    ImportOptions options;
    options.points = {TIANMA_LINE};
    options.interpolate = true;
    const ImportedDrive drive = importDrive(r.recording, options);
    ASSERT_EQ(drive.replay.passLog.passCount, 2);
    EXPECT_NEAR(lapS(drive, 1), TIANMA_LAP9_S, 0.020);
}

std::string lapTable(const std::string& log) {
    const auto [status, output] = runToEnd({GPDTOOL, "laps", log, "--csv"});
    EXPECT_EQ(status, 0) << output;
    return output;
}

// import -> export GPX -> import again: the same laps, to the millisecond.
TEST(DriveImport, GpxExportImportsBackToTheSameLaps) {
    TempDir dir;
    const std::string point = std::to_string(TIANMA_LINE.latitude) + "," + std::to_string(TIANMA_LINE.longitude);
    const std::string first = dir / "first.gpd", gpx = dir / "lap.gpx", second = dir / "second.gpd";
    const auto imported = runToEnd({GPDTOOL, "import", DATA + "/recordings/tianma-racechrono-v3.csv", first, "--point",
                                    point, "--interpolate"});
    ASSERT_EQ(imported.first, 0) << imported.second;
    ASSERT_EQ(runToEnd({GPDTOOL, "export", first, "1", gpx}).first, 0);
    // The second import takes the course from a course file of the same point.
    ImportOptions options;
    options.points = {TIANMA_LINE};
    std::string error, from;
    const std::optional<Course> course = importCourse(read(DATA + "/recordings/tianma-racechrono-v3.csv").recording,
                                                      options, error, from);
    ASSERT_TRUE(course.has_value()) << error;
    const std::string courseFile = dir / "tianma.gps";
    writeFile(courseFile, &*course, sizeof *course);
    const auto again = runToEnd({GPDTOOL, "import", gpx, second, "--course", courseFile, "--interpolate"});
    ASSERT_EQ(again.first, 0) << again.second;
    auto lapLine = [](const std::string& out) { return out.substr(out.find("lap 1: ")); };
    EXPECT_EQ(lapLine(again.second).substr(0, 30), lapLine(imported.second).substr(0, 30)) << "pass log lap time";
    EXPECT_EQ(lapTable(second), lapTable(first)) << "the viewer's lap table";
}

// Refusals leave no output file behind.
TEST(DriveImport, RefusedImportsWriteNothing) {
    TempDir dir;
    const std::string csv = DATA + "/recordings/tianma-racechrono-v3.csv";
    const std::string out = dir / "out.gpd";
    const std::string noise = dir / "noise.bin";
    writeFile(noise, "\x01\x02garbage\n", 10);
    const std::string existing = dir / "existing.gpd";
    writeFile(existing, "keep", 4);
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{csv, out}, "names no start/finish"},
        {{noise, out}, "not a recording"},
        {{csv, out, "--point", "31.0,121.0"}, "no pass"},
        {{csv, out, "--point", "31.07,121.11", "--type", "1"}, "does not take 1 point"},
        {{csv, out, "--point", "91,0"}, "--point takes"},
        {{csv, existing, "--point", "31.078922,121.115125"}, "not replaced"},
        {{csv, out, "--course", dir / "missing.gps"}, "cannot read the course"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv{GPDTOOL, "import"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const auto [status, output] = runToEnd(argv, true);
        EXPECT_EQ(status, 1) << output;
        EXPECT_NE(output.find(c.message), std::string::npos) << output;
    }
    EXPECT_EQ(dir.entries(), 2) << "only the noise file and the untouched existing log";
    EXPECT_EQ(readFile(existing), "keep");
}

// What the viewer does with a recording: timed in memory against its own
// start/finish or the course used last, refused with a reason otherwise.
TEST(DriveImport, ViewerOpensRecordingsInMemory) {
    const std::string csv = DATA + "/recordings/tianma-racechrono-v3.csv";
    const std::string vbo = DATA + "/recordings/road-america-run05.vbo";
    EXPECT_TRUE(isRecordingPath(csv));
    EXPECT_TRUE(isRecordingPath(vbo));
    EXPECT_FALSE(isRecordingPath(DATA + "/tracks/missing.gpx"));

    std::string reason;
    EXPECT_FALSE(loadRecordingAsDrive(csv, std::nullopt, reason));
    EXPECT_NE(reason.find("スタート／フィニッシュ"), std::string::npos) << reason;
    EXPECT_EQ(driveModel.loaded, 0);
    EXPECT_FALSE(loadRecordingAsDrive(vbo, std::nullopt, reason)) << "one crossing of its own line: no lap";
    EXPECT_NE(reason.find("1回"), std::string::npos) << reason;

    ImportOptions line;
    line.points = {TIANMA_LINE};
    std::string error, from;
    const std::optional<Course> lastCourse = importCourse(read(csv).recording, line, error, from);
    ASSERT_TRUE(lastCourse.has_value()) << error;
    ASSERT_TRUE(loadRecordingAsDrive(csv, lastCourse, reason)) << reason;
    EXPECT_EQ(driveModel.loaded, 1);
    ASSERT_TRUE(isLapCut(0));
    EXPECT_NEAR(driveModel.laps[0].lapTimeMs, TIANMA_LAP9_S * 1000.0, 60.0) << "lap marks on the fixes";
    EXPECT_EQ(importedTitleSuffix(), " ［CSVを取り込み］");
    EXPECT_EQ(importedRecordingPath(), csv);
    EXPECT_EQ(importedRecordingDateUnixS(), 1767150797) << "the recording's own date";
    resetDriveModel();
}

}  // namespace
