#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

#include "tools/gps-sim/pass_truth.h"
#include "tools/gps-sim/route_builder.h"
#include "tools/gps-sim/simulated_drive.h"

using namespace gpssim;

namespace {

constexpr double PI = std::numbers::pi;

std::vector<double> passTimes(const Motion& m, PlanePoint point, double radiusM = 15.0) {
    std::vector<double> times;
    for (const Pass& p : findPasses(m, point, radiusM)) times.push_back(p.simS);
    return times;
}

}  // namespace

TEST(PassTruth, CirclePassesMatchTheAnalyticTimes) {
    // Radius 100 m at 10 m/s: a lap takes 20 pi s. Starts north, clockwise.
    const double leadInS = 1.0, lapS = 20.0 * PI;
    Motion m = buildCircle({0.0, 0.0}, 100.0, 10.0, {leadInS, 50.0, 3});
    struct Case {
        double bearingDeg;
        double offsetM;  // outside the circle (+) or inside (-)
    };
    for (Case c : {Case{90.0, 0.0}, Case{200.0, 5.0}, Case{300.0, -8.0}, Case{340.0, 0.0}}) {
        double b = c.bearingDeg * PI / 180.0;
        PlanePoint point{(100.0 + c.offsetM) * std::sin(b), (100.0 + c.offsetM) * std::cos(b)};
        std::vector<Pass> passes = findPasses(m, point, 15.0);
        ASSERT_EQ(passes.size(), 3u) << c.bearingDeg;
        for (int lap = 0; lap < 3; ++lap) {
            EXPECT_NEAR(passes[lap].simS, leadInS + lap * lapS + lapS * c.bearingDeg / 360.0, 1e-9) << c.bearingDeg;
            EXPECT_NEAR(passes[lap].distanceM, std::fabs(c.offsetM), 1e-9);
        }
    }
}

TEST(PassTruth, PointAtTheStartIsPassedAtEveryLapBoundary) {
    // Standing on the point counts from the first fix; each lap end is one more
    // pass, so K laps give K + 1 passes and K lap times.
    Motion circle = buildCircle({0.0, 0.0}, 100.0, 10.0, {1.0, 50.0, 3});
    std::vector<double> t = passTimes(circle, {0.0, 100.0});
    ASSERT_EQ(t.size(), 4u);
    EXPECT_NEAR(t[0], 0.0, 1e-9);
    for (int k = 1; k <= 3; ++k) EXPECT_NEAR(t[k], 1.0 + k * 20.0 * PI, 1e-9);

    Motion square = buildLoop({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, {20.0}, {0.0, 50.0, 2});
    std::vector<double> s = passTimes(square, {0.0, 0.0});
    ASSERT_EQ(s.size(), 3u);
    EXPECT_NEAR(s[1], 20.0, 1e-9);
    EXPECT_NEAR(s[2], 40.0, 1e-9);
}

TEST(PassTruth, OutAndBackCountsTheFarEndOnceAndTheStartAtEachReturn) {
    Motion m = buildOutAndBack({{0, 0}, {300, 0}}, {30.0}, {1.0, 50.0, 2});  // 20 s per trip
    std::vector<double> far = passTimes(m, {300.0, 0.0});
    ASSERT_EQ(far.size(), 2u);
    EXPECT_NEAR(far[0], 11.0, 1e-9);
    EXPECT_NEAR(far[1], 31.0, 1e-9);
    std::vector<double> start = passTimes(m, {0.0, 0.0});
    ASSERT_EQ(start.size(), 3u);
    EXPECT_NEAR(start[0], 0.0, 1e-9);
    EXPECT_NEAR(start[1], 21.0, 1e-9);
    EXPECT_NEAR(start[2], 41.0, 1e-9);
    // A point beside the middle is passed on the way out and on the way back.
    std::vector<double> middle = passTimes(m, {150.0, 6.0});
    ASSERT_EQ(middle.size(), 4u);
    EXPECT_NEAR(middle[0], 6.0, 1e-9);
    EXPECT_NEAR(middle[1], 16.0, 1e-9);
}

TEST(PassTruth, ClosestApproachBetweenFixesUsesTheContinuousPath) {
    // Accelerating from 10 to 30 m/s over 200 m: the point beside x = 100 m is
    // reached at t with 10 t + t^2 = 100, not at half the 10 s segment.
    Motion m = buildOutAndBack({{0, 0}, {200, 0}}, {10.0, 30.0}, {0.0, 50.0, 1});
    std::vector<Pass> p = findPasses(m, {100.0, 4.0}, 15.0);
    ASSERT_FALSE(p.empty());
    EXPECT_NEAR(p[0].simS, (-10.0 + std::sqrt(100.0 + 400.0)) / 2.0, 1e-9);
    EXPECT_NEAR(p[0].distanceM, 4.0, 1e-9);
}

TEST(PassTruth, PointsOutsideTheRadiusAreNeverPassed) {
    Motion m = buildCircle({0.0, 0.0}, 100.0, 10.0, {1.0, 50.0, 2});
    EXPECT_TRUE(passTimes(m, {0.0, 0.0}).empty());       // the centre
    EXPECT_TRUE(passTimes(m, {0.0, 115.0}).empty());     // exactly at the radius: strict
    EXPECT_EQ(passTimes(m, {0.0, 114.99}).size(), 3u);
}

TEST(PassTruth, TrackRepetitionsJumpingBackInsideTheDiscStayOnePass) {
    // A recorded lap ending 3 m from where it began: the jump back to the first
    // row happens inside the disc, so the lap boundary is one pass.
    std::vector<TrackSample> lap;
    for (int i = 0; i <= 40; ++i) {
        double a = 2.0 * PI * i / 40.0;
        lap.push_back({i * 1.0, {31.0 + 0.001 * (1.0 - std::cos(a)), 121.0 + 0.001 * std::sin(a)}, 0.0});
    }
    lap.back().position.longitudeDeg += 0.00003;  // about 3 m short of closing
    LocalFrame frame(lap.front().position);
    Motion m = buildTrackLaps(lap, lap.size() - 1, frame, {0.0, 0.0, 3});
    std::vector<double> t = passTimes(m, frame.toPlane(lap.front().position));
    ASSERT_EQ(t.size(), 4u);
    EXPECT_NEAR(t[1], 40.0, 1e-6);  // the restart lands on the point itself
    EXPECT_NEAR(t[3], 120.0, 0.2);  // the last lap just drives past it
}

TEST(PassTruth, TruthFileListsPassesWithWallTimesAndIsWrittenWhole) {
    std::vector<Pass> passes{{1.5, 0.0}, {64.25, 0.2}};
    std::string text = formatTruth(passes, 4.0, {"point 35,139"});
    std::istringstream in(text);
    std::string line;
    std::vector<std::string> data;
    while (std::getline(in, line))
        if (line.empty() || line[0] != '#') data.push_back(line);
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(data[0], "pass 1 1.500000 0.375000");
    EXPECT_EQ(data[1], "pass 2 64.250000 16.062500");
    EXPECT_EQ(text.rfind("# point 35,139\n", 0), 0u);
}

TEST(PassTruth, RealTrackLapsArePassedOncePerLapAtTheLine) {
    SimOptions o;
    o.mode = SimMode::Track;
    o.inputPath = TEST_DATA_DIR "/tracks/tianma-lap.csv";
    o.laps = 3;
    o.leadInS = 1.0;
    DriveResult built = buildDrive(o);
    ASSERT_TRUE(built.drive) << built.error;
    // The first row is a point on the lap; it is reached again about 76.3 s later.
    LatLon start{31.07816780, 121.11641320};
    std::vector<Pass> passes = passesOfPoint(*built.drive, start, 15.0);
    ASSERT_EQ(passes.size(), 4u);
    EXPECT_NEAR(passes[0].simS, 0.0, 1e-9);
    for (std::size_t i = 1; i < passes.size(); ++i) {
        EXPECT_NEAR(passes[i].simS - passes[i - 1].simS, i == 1 ? 77.3 : 76.3, 0.2);
        EXPECT_LT(passes[i].distanceM, 2.0);
    }
}
