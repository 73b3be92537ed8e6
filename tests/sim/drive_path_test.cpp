#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tools/gps-sim/route_builder.h"
#include "tools/gps-sim/simulated_drive.h"
#include "tools/gps-sim/track_csv.h"

using namespace gpssim;

namespace {

constexpr double PI = std::numbers::pi;

DriveShape shape(double leadInS, int laps) { return {leadInS, 50.0, laps}; }

}  // namespace

TEST(LocalFrame, MapsMetresBothWaysAndAcrossTheAntimeridian) {
    LocalFrame frame({35.0, 139.0});
    // 0.0001 degree of latitude near 35 N is 11.09 m.
    EXPECT_NEAR(frame.toPlane({35.0001, 139.0}).northM, 11.094, 0.002);
    LatLon back = frame.toLatLon(frame.toPlane({35.0123456, 139.0234567}));
    EXPECT_NEAR(back.latitudeDeg, 35.0123456, 1e-10);
    EXPECT_NEAR(back.longitudeDeg, 139.0234567, 1e-10);

    LocalFrame dateLine({-16.5, 179.9995});
    PlanePoint east = dateLine.toPlane({-16.5, -179.9995});  // 0.001 degree further east
    EXPECT_NEAR(east.eastM, 106.7, 0.2);
    EXPECT_NEAR(dateLine.toLatLon({200.0, 0.0}).longitudeDeg, -179.99863, 1e-5);
}

TEST(DrivePath, CircleStartsNorthDrivesClockwiseAtConstantSpeed) {
    Motion m = buildCircle({0.0, 0.0}, 100.0, 10.0, shape(2.0, 2));
    double lapS = 2.0 * PI * 100.0 / 10.0;
    EXPECT_NEAR(m.durationS(), 2.0 + 2.0 * lapS, 1e-9);
    EXPECT_NEAR(m.pathLengthM(), 4.0 * PI * 100.0, 1e-9);

    MotionState standing = m.stateAt(1.0);
    EXPECT_NEAR(standing.position.northM, 100.0, 1e-9);
    EXPECT_EQ(standing.speedMps, 0.0);

    MotionState quarter = m.stateAt(2.0 + lapS / 4.0);
    EXPECT_NEAR(quarter.position.eastM, 100.0, 1e-9);
    EXPECT_NEAR(quarter.position.northM, 0.0, 1e-9);
    EXPECT_NEAR(quarter.speedMps, 10.0, 1e-12);
    EXPECT_NEAR(quarter.courseDeg, 180.0, 1e-9);  // heading south on the east side

    MotionState secondLap = m.stateAt(2.0 + lapS * 1.5);
    EXPECT_NEAR(secondLap.position.northM, -100.0, 1e-9);
    EXPECT_NEAR(secondLap.courseDeg, 270.0, 1e-9);
}

TEST(DrivePath, PolylineLoopClosesAndInterpolatesLinearly) {
    std::vector<PlanePoint> square{{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    Motion m = buildLoop(square, {20.0}, shape(1.0, 3));
    EXPECT_NEAR(m.pathLengthM(), 3 * 400.0, 1e-9);
    EXPECT_NEAR(m.durationS(), 1.0 + 3 * 20.0, 1e-9);
    MotionState s = m.stateAt(1.0 + 2.5);  // half-way along the first side
    EXPECT_NEAR(s.position.eastM, 50.0, 1e-9);
    EXPECT_NEAR(s.position.northM, 0.0, 1e-9);
    EXPECT_NEAR(s.courseDeg, 90.0, 1e-9);
    MotionState closing = m.stateAt(1.0 + 20.0 + 17.5);  // second lap, last side, going south
    EXPECT_NEAR(closing.position.eastM, 0.0, 1e-9);
    EXPECT_NEAR(closing.position.northM, 50.0, 1e-9);
    EXPECT_NEAR(closing.courseDeg, 180.0, 1e-9);
    MotionState end = m.stateAt(m.durationS() + 5.0);  // clamped to the finish
    EXPECT_NEAR(end.position.eastM, 0.0, 1e-9);
    EXPECT_NEAR(end.position.northM, 0.0, 1e-9);
}

TEST(DrivePath, SpeedProfileChangesSpeedLinearlyInTime) {
    // 150 m from 10 m/s to 20 m/s takes 2 * 150 / 30 = 10 s at 1 m/s2.
    Motion m = buildOutAndBack({{0, 0}, {150, 0}}, {10.0, 20.0}, shape(0.0, 1));
    EXPECT_NEAR(m.durationS(), 20.0, 1e-9);
    MotionState mid = m.stateAt(5.0);
    EXPECT_NEAR(mid.speedMps, 15.0, 1e-9);
    EXPECT_NEAR(mid.position.eastM, 10.0 * 5.0 + 0.5 * 25.0, 1e-9);
    MotionState back = m.stateAt(15.0);  // decelerating on the way back
    EXPECT_NEAR(back.speedMps, 15.0, 1e-9);
    EXPECT_NEAR(back.position.eastM, 150.0 - (20.0 * 5.0 - 0.5 * 25.0), 1e-9);
    EXPECT_NEAR(back.courseDeg, 270.0, 1e-9);
    // The inverse used by the ground truth agrees with the forward motion.
    const MotionPiece& out = m.pieces().front();
    EXPECT_NEAR(out.elapsedAtDistanceS(62.5), 5.0, 1e-9);
    EXPECT_NEAR(out.elapsedAtDistanceS(150.0), 10.0, 1e-9);
}

TEST(TrackCsv, ReadsTheNeutralFormAndRejectsBadRows) {
    TrackReadResult ok = parseTrackCsv("time_s,lat,lon,alt_m\r\n0.0,31.0,121.0,1.5\r\n\r\n0.5,31.0001,121.0,2.5\r\n"
                                       "0.5,31.0002,121.0,3.5\r\n1.0,31.0002,121.0\r\n");
    ASSERT_EQ(ok.error, "");
    ASSERT_EQ(ok.samples.size(), 3u);  // the repeated time is dropped
    EXPECT_DOUBLE_EQ(ok.samples[1].altitudeM, 2.5);
    EXPECT_DOUBLE_EQ(ok.samples[2].altitudeM, 0.0);

    struct Bad {
        const char* text;
        const char* error;
    };
    const Bad bad[] = {
        {"time_s,lat,lon\n0,31,121\n1,31.1\n", "line 3: expected time_s,lat,lon[,alt_m]"},
        {"0,31,121\n1,95,121\n", "line 2: bad latitude"},
        {"0,31,121\n1,31,abc\n", "line 2: bad longitude"},
        {"0,31,121\n-1,31,121\n", "line 2: time goes backwards"},
        {"0,31,121\n1,31,121,nan\n", "line 2: bad altitude"},
        {"time_s,lat,lon\n0,31,121\n", "fewer than two track rows"},
    };
    for (const Bad& b : bad) {
        TrackReadResult r = parseTrackCsv(b.text);
        EXPECT_EQ(r.error, b.error) << b.text;
        EXPECT_TRUE(r.samples.empty() || !r.error.empty());
    }
    EXPECT_NE(readTrackCsv("/nonexistent/track.csv").error.find("cannot open"), std::string::npos);
}

TEST(TrackCsv, RecordedLapEndsWhereTheCarComesBack) {
    // The Tianma recording runs from 4 s before the line to 4 s after it; the
    // lap closes about 76 s in, 1.5 m from the first row.
    TrackReadResult tianma = readTrackCsv(TEST_DATA_DIR "/tracks/tianma-lap.csv");
    ASSERT_EQ(tianma.error, "");
    std::size_t end = lapEndIndex(tianma.samples);
    EXPECT_NEAR(tianma.samples[end].timeS, 76.3, 0.1);

    // A recording that never comes back is played whole.
    std::vector<TrackSample> straight;
    for (int i = 0; i < 50; ++i) straight.push_back({i * 1.0, {31.0 + i * 0.0001, 121.0}, 0.0});
    EXPECT_EQ(lapEndIndex(straight), straight.size() - 1);
}

TEST(TrackCsv, TrackLapsFollowTheRecordingAndJumpBackToTheStart) {
    std::vector<TrackSample> samples{{0.0, {31.0, 121.0}, 1.0},
                                     {2.0, {31.001, 121.0}, 3.0},
                                     {3.0, {31.001, 121.001}, 5.0}};
    LocalFrame frame(samples.front().position);
    Motion m = buildTrackLaps(samples, 2, frame, shape(1.0, 2));
    EXPECT_NEAR(m.durationS(), 1.0 + 2 * 3.0, 1e-9);
    MotionState s = m.stateAt(1.0 + 1.0);  // half-way between the first two rows
    LatLon p = frame.toLatLon(s.position);
    EXPECT_NEAR(p.latitudeDeg, 31.0005, 1e-10);
    EXPECT_NEAR(p.longitudeDeg, 121.0, 1e-10);
    EXPECT_NEAR(s.altitudeM, 2.0, 1e-9);
    EXPECT_NEAR(s.speedMps, frame.toPlane({31.001, 121.0}).northM / 2.0, 1e-9);
    // At the lap boundary the second repetition starts again at the first row.
    LatLon restart = frame.toLatLon(m.stateAt(4.0).position);
    EXPECT_NEAR(restart.latitudeDeg, 31.0, 1e-10);
    EXPECT_NEAR(restart.longitudeDeg, 121.0, 1e-10);
    LatLon last = frame.toLatLon(m.stateAt(7.0).position);
    EXPECT_NEAR(last.longitudeDeg, 121.001, 1e-10);
}

TEST(SimulatedDrive, FixesCoverTheWholeDriveAtTheRate) {
    SimOptions o;
    o.mode = SimMode::Loop;
    o.circle = Circle{{35.0, 139.0}, 50.0};
    o.speedKmh = 36.0;
    o.leadInS = 0.5;
    o.rateHz = 4.0;
    DriveResult built = buildDrive(o);
    ASSERT_TRUE(built.drive);
    double durationS = 0.5 + 2.0 * PI * 50.0 / 10.0;
    EXPECT_EQ(fixCount(*built.drive, 4.0), static_cast<long>(std::floor(durationS * 4.0)) + 1);

    FixReport fix = fixAt(*built.drive, o, 0.5 + 2.0 * PI * 50.0 / 10.0 / 4.0);  // east point
    LocalFrame frame({35.0, 139.0});
    PlanePoint at = frame.toPlane(fix.position);
    EXPECT_NEAR(at.eastM, 50.0, 1e-6);
    EXPECT_NEAR(at.northM, 0.0, 1e-6);
    EXPECT_EQ(fix.utc.hour, 12);
    EXPECT_EQ(fix.utc.second, 8);
}

TEST(SimulatedDrive, RejectsWaypointsThatGoNowhere) {
    SimOptions o;
    o.mode = SimMode::Loop;
    o.waypoints = {{35.0, 139.0}, {35.0, 139.0}};
    EXPECT_NE(buildDrive(o).error, "");
}
