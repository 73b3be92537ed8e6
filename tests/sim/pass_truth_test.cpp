#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tools/gps-sim/pass_truth.h"
#include "tools/gps-sim/route_builder.h"
#include "tools/gps-sim/simulated_drive.h"

using namespace gpssim;

TEST(PassTruth, CirclePassesMatchTheAnalyticTimes) {
    // Radius 100 m at 10 m/s: a lap takes 20 pi s. Starts north, clockwise.
    constexpr double PI = std::numbers::pi;
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
    // The centre is never within the radius; the boundary itself is not a pass.
    EXPECT_TRUE(findPasses(m, {0.0, 0.0}, 15.0).empty());
    EXPECT_TRUE(findPasses(m, {0.0, 115.0}, 15.0).empty());
}

TEST(PassTruth, RealTrackLapsCloseAtTheLineOncePerLap) {
    SimOptions o;
    o.mode = SimMode::Track;
    o.inputPath = TEST_DATA_DIR "/tracks/tianma-lap.csv";
    o.laps = 3;
    o.leadInS = 1.0;
    DriveResult built = buildDrive(o);
    ASSERT_TRUE(built.drive) << built.error;
    // The recording runs past the line; its lap closes 76.3 s in, 1.5 m from the
    // first row. Standing on that row counts as the first pass, so K laps give K + 1.
    std::vector<Pass> passes = passesOfPoint(*built.drive, {31.07816780, 121.11641320}, 15.0);
    ASSERT_EQ(passes.size(), 4u);
    EXPECT_NEAR(passes[0].simS, 0.0, 1e-9);
    for (std::size_t i = 1; i < passes.size(); ++i) {
        EXPECT_NEAR(passes[i].simS - passes[i - 1].simS, i == 1 ? 77.3 : 76.3, 0.2) << i;
        EXPECT_LT(passes[i].distanceM, 2.0) << i;
    }
}
