#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <utility>

#include "tests/analysis/drive_log_builder.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_csv.h"
#include "viewer/analysis/view_state.h"

namespace {

struct ToolRun { int exitCode = -1; std::string output; };  // output: stdout and stderr together

ToolRun gpdtool(const std::string& arguments, const std::string& program = BIN_DIR "/gpdtool",
                const std::string& workDir = ".") {
    const std::string command = "cd '" + workDir + "' && '" + program + "' " + arguments + " 2>&1";
    ToolRun run;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// An out-lap and three laps of a 2 km stadium at 90 km/h, sampled every 300 ms.
class Gpdtool : public ::testing::Test {
protected:
    void SetUp() override { writeFile(log, driveLogBytes(stadiumDrive(3, 300, 90.0, 600.0, 120.0, &lapM))); }
    std::string quoted(const std::string& name) const { return "'" + dir.file(name) + "'"; }
    TempDir dir;
    const std::string log = dir.file("circuit.gpd");
    double lapM = 0.0;
};

TEST_F(Gpdtool, LapListGivesEveryLapWithItsLengthAndPowerForTheStoredWeight) {
    // A copy of the tool with the viewer's preferences beside it.
    std::filesystem::copy_file(BIN_DIR "/gpdtool", dir.file("gpdtool"));
    ViewState prefs;
    prefs.vehicleWeightKg = 2700.0;  // power in PS equals speed in km/h
    writeFile(dir.file("quindle.pref"), std::string(reinterpret_cast<const char*>(&prefs), sizeof prefs));
    for (const auto& [option, psPerKmh] : {std::pair<std::string, double>{"", 1.0}, {" --weight 1350", 0.5}}) {
        const ToolRun run = gpdtool("laps " + quoted("circuit.gpd") + " --csv" + option, dir.file("gpdtool"));
        ASSERT_EQ(run.exitCode, 0) << run.output;
        const std::vector<std::string> rows = split(run.output, "\n");
        ASSERT_EQ(rows.size(), 4u) << run.output;
        for (size_t lap = 1; lap <= 3; ++lap) {
            const std::vector<std::string> f = split(rows[lap], ",");
            ASSERT_EQ(f.size(), 11u) << rows[lap];
            EXPECT_EQ(f[0] + "," + f[1], std::to_string(lap) + ",1") << "lap number, complete";
            EXPECT_NEAR(std::stod(f[4]) * 1000.0, lapM, lapM * 0.01) << "distance of lap " << lap;
            EXPECT_NEAR(std::stod(f[6]), 90.0, 0.5) << "top speed";
            EXPECT_NEAR(std::stod(f[8]), std::stod(f[6]) * psPerKmh, 1e-3) << "top power, --weight wins";
        }
    }
}

TEST_F(Gpdtool, CsvWritesExactlyTheViewersFile) {
    ToolRun run = gpdtool("csv " + quoted("circuit.gpd") + " 2", BIN_DIR "/gpdtool", dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.output;
    setViewStateDefaults();
    ASSERT_EQ(loadDriveLog(log), LOAD_OK);
    EXPECT_EQ(readFile(dir.file("Test Circuit-2.csv")), lapCsvText(1)) << "named for the course and lap";
}

TEST_F(Gpdtool, ErrorsSayWhatFailedInOneLineAndExitNonZero) {
    DriveLogImage onePass = stadiumDrive(1, 1000, 90.0, 600.0, 120.0), uncut = onePass;
    onePass.passLog.passCount = 1;
    writeFile(dir.file("one-pass.gpd"), driveLogBytes(onePass));
    uncut.course.courseType = 9;
    writeFile(dir.file("uncut.gpd"), driveLogBytes(uncut));
    const std::pair<std::string, std::string> cases[] = {
        {"info " + quoted("absent.gpd"), "cannot open"},
        {"laps " + quoted("one-pass.gpd"), "fewer than two passes"},
        {"laps " + quoted("uncut.gpd"), "no complete lap"},
        {"csv " + quoted("uncut.gpd") + " 1", "incomplete"},
        {"csv " + quoted("circuit.gpd") + " 4", "out of range"},
        {"csv " + quoted("circuit.gpd") + " two", "must be a number"},
        {"laps " + quoted("circuit.gpd") + " --weight -3", "weight"},
        {"laps " + quoted("circuit.gpd") + " --weight=", "weight"},
        {"csv " + quoted("circuit.gpd") + " 1 " + quoted("missing/out.csv"), "missing/out.csv: No such file"},
    };
    for (const auto& [arguments, says] : cases) {
        const ToolRun run = gpdtool(arguments);
        EXPECT_NE(run.exitCode, 0) << arguments;
        EXPECT_NE(run.output.find(says), std::string::npos) << arguments << ": " << run.output;
        EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << "one line: " << run.output;
    }
    for (const char* bad : {"", "info", "frobnicate x.gpd", "laps a b", "laps x.gpd --bogus"}) {
        EXPECT_EQ(gpdtool(bad).exitCode, 2) << "usage: " << bad;
    }
}

// The stadium timed again at a point between two samples, 4 m to the side:
// each lap as long as the track at 90 km/h, to a sample period at the
// sample's tick and to the millisecond interpolated.
TEST_F(Gpdtool, RetimeGivesTheLapsOfAnotherPointAndNeverOverwritesTheLog) {
    const DriveLogImage drive = stadiumDrive(3, 300, 90.0, 600.0, 120.0);
    Course course;
    course.pointCount = 1;
    course.points[0].latitude = (drive.samples[20].latitude + drive.samples[21].latitude) / 2;
    course.points[0].longitude = (drive.samples[20].longitude + drive.samples[21].longitude) / 2 + 0.00005;
    writeFile(dir.file("moved.gps"), std::string(reinterpret_cast<const char*>(&course), sizeof course));
    const double trueLapMs = lapM / 25.0 * 1000.0;
    for (const auto& [option, toleranceMs] : {std::pair<std::string, double>{"", 300.0}, {" --interpolate", 1.0}}) {
        const ToolRun run = gpdtool("retime " + quoted("circuit.gpd") + " " + quoted("moved.gps") + " " +
                                    quoted("out.gpd") + option);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        EXPECT_NE(run.output.find("passes: 5"), std::string::npos) << run.output;
        ASSERT_EQ(loadDriveLog(dir.file("out.gpd")), LOAD_OK);
        ASSERT_EQ(driveModel.lapCount, 4);
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(driveModel.laps[size_t(j)].lapTimeMs, trueLapMs, toleranceMs) << option;
    }
    const std::string before = readFile(log);
    const std::pair<std::string, std::string> cases[] = {
        {"retime " + quoted("circuit.gpd") + " " + quoted("moved.gps") + " " + quoted("circuit.gpd"), "would replace"},
        {"retime " + quoted("circuit.gpd") + " " + quoted("absent.gps") + " " + quoted("o.gpd"), "cannot read the course"},
        {"retime " + quoted("absent.gpd") + " " + quoted("moved.gps") + " " + quoted("o.gpd"), "cannot open"},
        {"retime " + quoted("circuit.gpd") + " " + quoted("moved.gps") + " " + quoted("o.gpd") + " --radius 0", "radius"},
    };
    for (const auto& [arguments, says] : cases) {
        const ToolRun run = gpdtool(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments;
        EXPECT_NE(run.output.find(says), std::string::npos) << arguments << ": " << run.output;
    }
    EXPECT_EQ(readFile(log), before);
    EXPECT_EQ(gpdtool("retime " + quoted("circuit.gpd") + " " + quoted("moved.gps")).exitCode, 2);
    EXPECT_EQ(gpdtool("laps " + quoted("circuit.gpd") + " --interpolate").exitCode, 2);
}

// A real out-lap of Road America (6.5 km, a single-seater reaching about
// 265 km/h), recorded at 25 Hz and logged every 8th row (320 ms), one lap over it all.
TEST(RealTrack, RoadAmericaOutLapHasItsLengthAndASaneTopSpeed) {
    TempDir dir;
    writeFile(dir.file("ra.gpd"), driveLogBytes(trackDrive(TEST_DATA_DIR "/tracks/road-america-outlap.csv", 8)));
    ASSERT_EQ(loadDriveLog(dir.file("ra.gpd")), LOAD_OK);
    ASSERT_EQ(driveModel.lapCount, 1);
    EXPECT_NEAR(driveModel.laps[0].distanceKm, 6.55, 0.15);
    EXPECT_NEAR(driveModel.laps[0].maxSpeed, 260.0, 30.0);
}

}  // namespace
