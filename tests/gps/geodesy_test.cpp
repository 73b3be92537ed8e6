#include "capture/gps/geodesy.h"

#include <gtest/gtest.h>

#include "gps_test_support.h"

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

using GeodesyTest = GpsTest;

TEST_F(GeodesyTest, GeocentricPositionsToTheMillimetre) {
    const struct { int32_t datum; double latitude, longitude, x, y, z; } cases[] = {
        {0, 35.0, 139.0, -3947453.245, 3431468.754, 3637866.909},
        {1, 35.0, 139.0, -3947128.763, 3431567.287, 3638187.657},  // Tokyo datum
        {0, -33.9, -70.6, 1760272.293, -4998564.104, -3537245.348},
        {0, 90.0, 12.0, 0.0, 0.0, 6356752.314},  // the pole lies on the axis
    };
    for (const auto& c : cases) {
        datum = c.datum;
        const GeoPoint p = at(c.latitude, c.longitude);
        EXPECT_NEAR(p.ecefX, c.x, MM) << c.latitude << " " << c.longitude;
        EXPECT_NEAR(p.ecefY, c.y, MM) << c.latitude << " " << c.longitude;
        EXPECT_NEAR(p.ecefZ, c.z, MM) << c.latitude << " " << c.longitude;
        EXPECT_EQ(p.latitude, c.latitude) << "latitude, longitude and altitude are inputs only";
    }
}

TEST_F(GeodesyTest, ChordAndSegmentDistances) {
    const GeoPoint a = at(35.0, 139.0), b = at(35.0001, 139.0, 500.0);
    EXPECT_NEAR(chordDistance(a, b), 11.094, 2 * MM);
    EXPECT_EQ(chordDistance(a, b), chordDistance(at(35.0, 139.0, 9000.0), at(35.0001, 139.0)))
        << "altitude is ignored";
    // Across the antimeridian the two sides are neighbours, not a world apart.
    EXPECT_NEAR(chordDistance(at(0.0, 179.99999), at(0.0, -179.99999)), 2.226, 0.001);

    const GeoPoint fix = at(35.0, 139.0), previous = at(35.001, 139.0);
    const double beside = segmentDistance(fix, previous, at(35.0005, 139.0001));  // ~9.1 m east
    EXPECT_GT(beside, 9.0);
    EXPECT_LT(beside, 9.2);
    EXPECT_NEAR(segmentDistance(fix, previous, previous), 0.0, 1e-6) << "both ends belong";
    EXPECT_EQ(segmentDistance(fix, previous, at(34.999, 139.0)), -1.0) << "behind the fix";
    EXPECT_EQ(segmentDistance(fix, previous, at(35.002, 139.0)), -1.0) << "beyond the previous";
    EXPECT_EQ(segmentDistance(GeoPoint{}, previous, fix), -1.0) << "no geocentric position";
}

TEST_F(GeodesyTest, UpdateMeasuresRegisteredPointsAndShowsThem) {
    publishCoursePoints({1, {at(35.0, 139.0)}});
    gpsFix.position = at(35.0001, 139.0);
    updatePointDistances();
    EXPECT_EQ(sink.text(PANEL_POINT1_DISTANCE).substr(0, 7), "11.0940");
    EXPECT_EQ(sink.text(PANEL_POINT2_DISTANCE), "") << "point 2's control comes first in id order";
    EXPECT_EQ(pointDistance[1], -1.0) << "a slot beyond the count is not measured";
    updatePointDistances();  // the same instant again (RMC after GGA): no segment
    EXPECT_EQ(pointSegmentDistance[0], -1.0);
}

}  // namespace
