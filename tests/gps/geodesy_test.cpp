#include "capture/gps/geodesy.h"

#include <gtest/gtest.h>

#include "capture/gps/gps_state.h"
#include "recording_sink.h"

namespace {

constexpr double MM = 0.0005;  // half a millimetre: results are pinned to the mm

GeoPoint at(double latitude, double longitude, double altitude = 0.0) {
    GeoPoint p;
    p.latitude = latitude;
    p.longitude = longitude;
    p.altitude = altitude;
    toGeocentric(p);
    return p;
}

class GeodesyTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetGpsStateForTests();
        resetGeodesyStateForTests();
    }
    void TearDown() override {
        resetGpsStateForTests();
        resetGeodesyStateForTests();
    }
    RecordingSink sink;
};

TEST_F(GeodesyTest, GeocentricPositionUnderBothDatums) {
    GeoPoint wgs = at(35.0, 139.0);
    EXPECT_NEAR(wgs.ecefX, -3947453.245, MM);
    EXPECT_NEAR(wgs.ecefY, 3431468.754, MM);
    EXPECT_NEAR(wgs.ecefZ, 3637866.909, MM);

    datum = 1;
    GeoPoint tokyo = at(35.0, 139.0);
    EXPECT_NEAR(tokyo.ecefX, -3947128.763, MM);
    EXPECT_NEAR(tokyo.ecefY, 3431567.287, MM);
    EXPECT_NEAR(tokyo.ecefZ, 3638187.657, MM);
    // Latitude, longitude and altitude are inputs only.
    EXPECT_EQ(tokyo.latitude, 35.0);
    EXPECT_EQ(tokyo.longitude, 139.0);
}

TEST_F(GeodesyTest, WesternAndSouthernHemispheres) {
    GeoPoint santiago = at(-33.9, -70.6);
    EXPECT_NEAR(santiago.ecefX, 1760272.293, MM);
    EXPECT_NEAR(santiago.ecefY, -4998564.104, MM);
    EXPECT_NEAR(santiago.ecefZ, -3537245.348, MM);
    // Across the antimeridian the two sides are neighbours, not a world apart.
    EXPECT_NEAR(chordDistance(at(0.0, 179.99999), at(0.0, -179.99999)), 2.226, 0.001);
    // Both poles lie on the axis.
    GeoPoint north = at(90.0, 12.0);
    EXPECT_NEAR(north.ecefX, 0.0, MM);
    EXPECT_NEAR(north.ecefY, 0.0, MM);
    EXPECT_NEAR(north.ecefZ, 6356752.314, MM);
}

TEST_F(GeodesyTest, ChordDistanceIgnoresAltitude) {
    GeoPoint a = at(35.0, 139.0, 0.0);
    GeoPoint b = at(35.0001, 139.0, 500.0);
    EXPECT_NEAR(chordDistance(a, b), 11.094, MM * 2);
    EXPECT_EQ(chordDistance(a, b), chordDistance(at(35.0, 139.0, 9000.0), at(35.0001, 139.0)));
    EXPECT_EQ(chordDistance(a, a), 0.0);
}

TEST_F(GeodesyTest, SegmentDistanceOnlyAlongTheSegment) {
    GeoPoint fix = at(35.0, 139.0);
    GeoPoint previous = at(35.001, 139.0);
    GeoPoint beside = at(35.0005, 139.0001);  // about 9.1 m east of the middle
    double d = segmentDistance(fix, previous, beside);
    EXPECT_GT(d, 9.0);
    EXPECT_LT(d, 9.2);
    // Both ends belong to the segment (t = 0 and t = 1).
    EXPECT_NEAR(segmentDistance(fix, previous, fix), 0.0, 1e-6);
    EXPECT_NEAR(segmentDistance(fix, previous, previous), 0.0, 1e-6);
    // Behind the fix, beyond the previous fix.
    EXPECT_EQ(segmentDistance(fix, previous, at(34.999, 139.0)), -1.0);
    EXPECT_EQ(segmentDistance(fix, previous, at(35.002, 139.0)), -1.0);
    // Degenerate segment, or an end without a geocentric position.
    EXPECT_EQ(segmentDistance(fix, fix, beside), -1.0);
    EXPECT_EQ(segmentDistance(GeoPoint{}, previous, beside), -1.0);
    EXPECT_EQ(segmentDistance(fix, GeoPoint{}, beside), -1.0);
}

TEST_F(GeodesyTest, UpdateMeasuresRegisteredPointsAndShowsThem) {
    course.pointCount = 1;
    course.points[0] = at(35.0, 139.0);
    gpsFix.position = at(35.0001, 139.0);
    updatePointDistances();
    EXPECT_NEAR(pointDistance[0], 11.094, 0.001);
    EXPECT_EQ(pointDistance[1], -1.0);               // slot beyond the count untouched
    EXPECT_EQ(pointSegmentDistance[0], -1.0);        // first call: no previous fix yet
    EXPECT_EQ(sink.text(PANEL_POINT1_DISTANCE).substr(0, 7), "11.0940");
    EXPECT_EQ(sink.text(PANEL_POINT2_DISTANCE), "");

    gpsFix.position = at(34.9999, 139.0);  // drove past the point
    updatePointDistances();
    EXPECT_NEAR(pointSegmentDistance[0], 0.0, 1e-4);  // the chord passes just under the point
    EXPECT_EQ(previousFix.latitude, 34.9999);
    EXPECT_EQ(noPreviousFix, 0);

    // The same instant again (RMC after GGA): zero-length segment.
    updatePointDistances();
    EXPECT_EQ(pointSegmentDistance[0], -1.0);
}

TEST_F(GeodesyTest, DistancesShowInPointOrder) {
    course.pointCount = 2;
    course.points[0] = at(35.0, 139.0);
    course.points[1] = at(35.001, 139.0);
    gpsFix.position = at(35.0, 139.0);
    updatePointDistances();
    EXPECT_EQ(sink.text(PANEL_POINT1_DISTANCE), "0.00000000(m)");
    EXPECT_EQ(sink.text(PANEL_POINT2_DISTANCE).substr(0, 6), "110.94");
}

}  // namespace
