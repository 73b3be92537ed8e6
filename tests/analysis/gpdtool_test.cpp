#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "tests/analysis/drive_log_builder.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_csv.h"
#include "viewer/analysis/view_state.h"

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

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

std::vector<std::vector<std::string>> csvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    std::stringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> row;
        std::stringstream fields(line);
        for (std::string f; std::getline(fields, f, ',');) row.push_back(f);
        rows.push_back(row);
    }
    return rows;
}

// Three laps of a 2 km rounded rectangle at 90 km/h near 43.8 N, sampled every 300 ms.
class GpdtoolOnACircuit : public ::testing::Test {
protected:
    void SetUp() override {
        DriveLogImage image = circuitDrive(3, 300, 90.0, 700.0, 400.0, 40.0, &pathM);
        samples = int(image.samples.size());
        log = dir.file("circuit.gpd");
        writeDriveLogFile(log, image);
    }
    TempDir dir;
    std::string log;
    double pathM = 0.0;
    int samples = 0;
};

TEST_F(GpdtoolOnACircuit, LapListGivesEveryLapWithItsLength) {
    const ToolRun run = gpdtool("laps '" + log + "' --csv --weight 1000");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const auto rows = csvRows(run.output);
    ASSERT_EQ(rows.size(), 4u) << run.output;
    EXPECT_EQ(rows[0][0], "lap");
    for (size_t lap = 1; lap <= 3; ++lap) {
        SCOPED_TRACE(lap);
        ASSERT_EQ(rows[lap].size(), 11u);
        EXPECT_EQ(rows[lap][0], std::to_string(lap));
        EXPECT_EQ(rows[lap][1], "1");
        EXPECT_NEAR(std::stod(rows[lap][4]) * 1000.0, pathM, pathM * 0.01);  // distance
        EXPECT_NEAR(std::stod(rows[lap][3]), pathM / 25.0 * 1000.0, 700.0);  // lap time, ms
        EXPECT_NEAR(std::stod(rows[lap][5]), 90.0, 0.5);                     // average speed
        EXPECT_NEAR(std::stod(rows[lap][6]), 90.0, 0.5);                     // top speed
        EXPECT_NEAR(std::stod(rows[lap][8]), 90.0 * 1000.0 / 2700.0, 0.5);   // top power
    }
}

TEST_F(GpdtoolOnACircuit, TextTableIsAligned) {
    const ToolRun run = gpdtool("laps '" + log + "' --weight 1567");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::stringstream lines(run.output);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "weight: 1567.0 kg");
    std::vector<size_t> widths;
    while (std::getline(lines, line)) widths.push_back(line.size());
    EXPECT_EQ(widths, std::vector<size_t>(4, widths.front())) << run.output;
}

TEST_F(GpdtoolOnACircuit, InfoSummarisesTheLog) {
    const ToolRun run = gpdtool("info '" + log + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("course: Test Circuit\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("course type: loop (0)\n"), std::string::npos);
    EXPECT_NE(run.output.find("samples: " + std::to_string(samples) + "\n"), std::string::npos);
    EXPECT_NE(run.output.find("passes: 4\n"), std::string::npos);
    EXPECT_NE(run.output.find("laps: 3 (complete: 3)\n"), std::string::npos);
    EXPECT_NE(run.output.find("duration: 00:"), std::string::npos);
}

TEST_F(GpdtoolOnACircuit, CsvIsTheViewersFileForThatLap) {
    ToolRun run = gpdtool("csv '" + log + "' 2", BIN_DIR "/gpdtool", dir.path());
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string written = readFile(dir.file("Test Circuit-2.csv"));

    setViewStateDefaults();
    ASSERT_EQ(loadDriveLog(log), LOAD_OK);
    EXPECT_EQ(written, lapCsvText(1));

    run = gpdtool("csv '" + log + "' 3 '" + dir.file("out.csv") + "' --weight 900");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(readFile(dir.file("out.csv")), lapCsvText(2));
}

TEST_F(GpdtoolOnACircuit, WeightComesFromTheViewerPreferencesBesideTheTool) {
    const std::string copy = dir.file("gpdtool");
    std::filesystem::copy_file(BIN_DIR "/gpdtool", copy);
    ViewState prefs;
    prefs.vehicleWeightKg = 2700.0;  // power in PS equals speed in km/h
    writeFile(dir.file("quindle.pref"), std::string(reinterpret_cast<const char*>(&prefs), sizeof prefs));
    ToolRun run = gpdtool("laps '" + log + "' --csv", copy);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    auto rows = csvRows(run.output);
    EXPECT_NEAR(std::stod(rows[1][8]), std::stod(rows[1][6]), 1e-3);

    run = gpdtool("laps '" + log + "' --csv --weight 1350", copy);
    rows = csvRows(run.output);
    EXPECT_NEAR(std::stod(rows[1][8]) * 2.0, std::stod(rows[1][6]), 1e-2) << "--weight wins";
}

TEST_F(GpdtoolOnACircuit, ErrorsGiveOneLineAndFailure) {
    DriveLogImage onePass = circuitDrive(1, 1000, 90.0, 700.0, 400.0, 40.0, nullptr);
    onePass.passLog.passCount = 1;
    writeDriveLogFile(dir.file("one-pass.gpd"), onePass);
    std::string damaged = readFile(log);
    damaged[3] = '\x7f';  // sample count far beyond the file
    writeFile(dir.file("damaged.gpd"), damaged);
    DriveLogImage noLap = circuitDrive(1, 1000, 90.0, 700.0, 400.0, 40.0, nullptr);
    noLap.course.courseType = 9;
    writeDriveLogFile(dir.file("no-lap.gpd"), noLap);

    struct Case {
        std::string arguments;
        std::string says;
    } cases[] = {
        {"info '" + dir.file("absent.gpd") + "'", "cannot open"},
        {"laps '" + dir.file("one-pass.gpd") + "'", "fewer than two passes"},
        {"laps '" + dir.file("damaged.gpd") + "'", "damaged"},
        {"laps '" + dir.file("no-lap.gpd") + "'", "no complete lap"},
        {"csv '" + dir.file("no-lap.gpd") + "' 1", "incomplete"},
        {"csv '" + log + "' 4", "out of range"},
        {"csv '" + log + "' 0", "out of range"},
        {"csv '" + log + "' two", "must be a number"},
        {"laps '" + log + "' --weight -3", "weight"},
        {"csv '" + log + "' 1 '" + dir.file("missing/out.csv") + "'", "cannot write"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const ToolRun run = gpdtool(c.arguments);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << "one line: " << run.output;
    }
    for (const char* bad : {"", "info", "frobnicate x.gpd", "laps a b", "laps x.gpd --bogus"}) {
        EXPECT_EQ(gpdtool(bad).exitCode, 2) << bad;
    }
}

// A real out-lap of Road America (6.5 km, a single-seater reaching about
// 265 km/h), resampled as a 300 ms drive log with one lap over all of it.
TEST(RealTrack, RoadAmericaOutLapHasItsLengthAndASaneTopSpeed) {
    const std::string csv = TEST_DATA_DIR "/tracks/road-america-outlap.csv";
    ASSERT_TRUE(std::filesystem::exists(csv)) << csv;
    TempDir dir;
    writeDriveLogFile(dir.file("ra.gpd"), trackDrive(csv, 300));
    setViewStateDefaults();
    ASSERT_EQ(loadDriveLog(dir.file("ra.gpd")), LOAD_OK);
    ASSERT_EQ(driveModel.lapCount, 1);
    const LapRecord& lap = driveModel.laps[0];
    EXPECT_GT(lap.distanceKm, 6.4);
    EXPECT_LT(lap.distanceKm, 6.7);
    EXPECT_GT(lap.maxSpeed, 230.0);
    EXPECT_LT(lap.maxSpeed, 290.0);
    EXPECT_GT(lap.radius, 0.8);  // half the diagonal of a 1.5 km by 1.1 km box
    EXPECT_LT(lap.radius, 1.1);
    const AltitudeRange range = driveModel.lapAltitudeRange[0];
    EXPECT_NEAR((range.highest - range.lowest) * 1000.0, 331.3 - 258.9, 15.0) << "metres of climb";
}

}  // namespace
