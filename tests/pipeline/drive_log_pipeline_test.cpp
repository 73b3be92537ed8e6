// A drive log made end to end (gps-sim into velmora-record) read back by
// gpdtool: the laps it cuts are the laps the simulator drove, and their
// distances are the length of the path driven.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

#include "common/records.h"
#include "tests/support/child_process.h"

namespace {

namespace fs = std::filesystem;

const std::string SIM = std::string(BIN_DIR) + "/gps-sim";
const std::string RECORD = std::string(BIN_DIR) + "/velmora-record";
const std::string GPDTOOL = std::string(BIN_DIR) + "/gpdtool";

constexpr double CENTRE_LAT = 43.8;  // Road America's latitude: east-west distances matter
constexpr double CENTRE_LON = -88.0;
constexpr double RADIUS_M = 100.0;
constexpr int LAPS = 3;  // driven from the north point: the east point is passed LAPS times

std::vector<std::string> splitCsv(const std::string& line) {
    std::vector<std::string> cells;
    std::stringstream in(line);
    for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
    return cells;
}

int truthPassCount(const fs::path& file) {
    std::ifstream in(file);
    int passes = 0;
    for (std::string line; std::getline(in, line);) passes += line.rfind("pass ", 0) == 0;
    return passes;
}

// The course: one point at the circle's east point. The car starts at the
// north point and drives clockwise, so every pass is a flying one.
Course circleCourse() {
    Course c;
    c.pointCount = 1;
    c.points[0].latitude = CENTRE_LAT;
    c.points[0].longitude =
        CENTRE_LON + RADIUS_M / (111320.0 * std::cos(CENTRE_LAT * std::numbers::pi / 180.0));
    std::strcpy(c.name, "pipeline");
    c.courseType = COURSE_LOOP;
    return c;
}

std::string runToText(const std::vector<std::string>& argv, int& status) {
    ChildProcess child(argv);
    std::string text, line;
    while (child.readLine(line, 60000)) text += line + "\n";
    status = child.wait(60000);
    return text;
}

TEST(DriveLogPipeline, GpdtoolCutsTheLapsTheSimulatorDrove) {
    if (!fs::exists(SIM) || !fs::exists(RECORD) || !fs::exists(GPDTOOL)) {
        GTEST_SKIP() << "gps-sim, velmora-record or gpdtool not built";
    }
    const fs::path dir = fs::temp_directory_path() / ("pipeline_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const Course course = circleCourse();
    const fs::path coursePath = dir / "circle.gps";
    {
        std::ofstream out(coursePath, std::ios::binary);
        out.write(reinterpret_cast<const char*>(&course), sizeof course);
    }

    // 42 s laps in real time, sampled every second fix. A lap ends one
    // sample before the next lap mark, so one 200 ms step (0.5 % of a lap
    // here) is never counted; faster runs would make that step too long.
    char centre[96];
    std::snprintf(centre, sizeof centre, "%.8f,%.8f,%.1f", CENTRE_LAT, CENTRE_LON, RADIUS_M);
    char point[64];
    std::snprintf(point, sizeof point, "%.8f,%.8f", course.points[0].latitude, course.points[0].longitude);
    const fs::path truth = dir / "truth.txt";
    ChildProcess sim({SIM, "loop", "--circle", centre, "--speed", "54", "--laps", std::to_string(LAPS),
                      "--rate", "10", "--speedup", "1", "--point", point, "--truth", truth.string(),
                      "--open-timeout", "30"});
    std::string port;
    ASSERT_TRUE(sim.readLine(port, 20000)) << "gps-sim printed no device";
    ChildProcess recorder({RECORD, "--port", port, "--period", "200", "--radius", "15", "--log-dir",
                           (dir / "log").string(), coursePath.string()});
    ASSERT_EQ(sim.wait(600000), 0) << "gps-sim did not finish";
    recorder.signal(SIGINT);
    std::string line, logPath;
    while (recorder.readLine(line, 60000)) {
        if (line.rfind("log: ", 0) == 0) logPath = line.substr(5);
    }
    ASSERT_EQ(recorder.wait(60000), 0);
    ASSERT_FALSE(logPath.empty());
    ASSERT_TRUE(fs::exists(logPath)) << logPath;

    // Laps run from pass to pass of the point.
    const int truthLaps = truthPassCount(truth) - 1;
    ASSERT_EQ(truthLaps, LAPS - 1);

    int status = -1;
    const std::string table = runToText({GPDTOOL, "laps", logPath, "--csv"}, status);
    ASSERT_EQ(status, 0) << table;
    std::stringstream rows(table);
    std::string header;
    ASSERT_TRUE(std::getline(rows, header));
    const std::vector<std::string> titles = splitCsv(header);
    const auto column = [&](const char* name) {
        for (size_t i = 0; i < titles.size(); ++i)
            if (titles[i] == name) return i;
        ADD_FAILURE() << "no column " << name << " in " << header;
        return size_t{0};
    };
    const size_t distanceColumn = column("distance_km");
    const size_t completeColumn = column("complete");
    const double pathKm = 2.0 * std::numbers::pi * RADIUS_M / 1000.0;
    int completeLaps = 0;
    for (std::string row; std::getline(rows, row);) {
        const std::vector<std::string> cells = splitCsv(row);
        ASSERT_GT(cells.size(), distanceColumn) << row;
        if (cells[completeColumn] != "1" && cells[completeColumn] != "yes") continue;
        ++completeLaps;
        EXPECT_NEAR(std::stod(cells[distanceColumn]), pathKm, pathKm * 0.01) << row;
    }
    EXPECT_EQ(completeLaps, truthLaps) << table;
    fs::remove_all(dir);
}

}  // namespace
