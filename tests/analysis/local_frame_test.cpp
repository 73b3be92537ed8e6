#include <gtest/gtest.h>

#include "tests/analysis/drive_log_builder.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_analysis.h"
#include "viewer/analysis/local_frame.h"
#include "viewer/analysis/view_state.h"

namespace {

class LocalFrame : public ::testing::Test {
protected:
    void SetUp() override {
        resetDriveModel();
        driveModel.originLatitude = BASE_LATITUDE;
        driveModel.originLongitude = BASE_LONGITUDE;
    }
    Vec3 at(double northM, double eastM, double altitudeM) {
        const LogSample s = sampleAt(northM, eastM, altitudeM, 0);
        return toLocalFrame(s.latitude, s.longitude, s.altitude);
    }
};

// East-west distances must not be stretched by 1/cos(latitude) (x1.38 at 43.8 N).
TEST_F(LocalFrame, AxesAreNorthUpEastInKilometres) {
    const Vec3 east = at(0.0, 1000.0, 0.0);
    EXPECT_NEAR(east.z, 1.0, 1e-5);
    EXPECT_NEAR(east.x, 0.0, 1e-4) << "the parallel bends towards the pole by d^2 tan(lat) / 2N";
    const Vec3 north = at(1000.0, 0.0, 0.0);
    EXPECT_NEAR(north.x, 1.0, 1e-5);
    EXPECT_NEAR(north.z, 0.0, 1e-9);
    const Vec3 up = at(0.0, 0.0, 250.0);
    EXPECT_NEAR(up.y, 0.25, 1e-9);
    EXPECT_NEAR(up.x, 0.0, 1e-9);
    EXPECT_NEAR(up.z, 0.0, 1e-9);
    const Vec3 west = at(0.0, -2000.0, 0.0);
    EXPECT_NEAR(west.z, -2.0, 1e-5);
    EXPECT_NEAR(west.y, -2.0 * 2.0 / (2 * 6378.137), 1e-4) << "the ground falls away from the tangent plane";
}

TEST(DriveOrigin, LevelShortDriveStaysLevel) {
    // A 50-sample drive: an origin off by a fiftieth of the position would
    // tilt the frame and invent a climb of several metres.
    setViewStateDefaults();
    DriveLogImage image;
    for (int i = 0; i < 50; ++i) image.samples.push_back(sampleAt(0.0, 40.0 * i, 280.0, 1000 * uint32_t(i), i == 2 || i == 48));
    image.passLog.passCount = 2;
    installDrive(image);
    ASSERT_EQ(analyseDrive(), ANALYSE_OK);
    const AltitudeRange range = driveModel.lapAltitudeRange[0];
    EXPECT_NEAR(range.highest - range.lowest, 0.0, 0.0005) << "km";
    EXPECT_NEAR(driveModel.laps[0].distanceKm, 45 * 0.040, 1e-4);
}

TEST(DriveOrigin, TrackAcrossTheAntimeridianKeepsItsLength) {
    setViewStateDefaults();
    DriveLogImage image;
    for (int i = 0; i < 40; ++i) {
        LogSample s;
        s.tick = 1000 * uint32_t(i);
        s.latitude = -17.0;
        s.longitude = 179.99 + 0.0005 * i;  // about 53 m a step, eastwards
        if (s.longitude > 180.0) s.longitude -= 360.0;
        s.lapMark = i == 1 || i == 39;
        image.samples.push_back(s);
    }
    image.passLog.passCount = 2;
    installDrive(image);
    ASSERT_EQ(analyseDrive(), ANALYSE_OK);
    EXPECT_NEAR(driveModel.laps[0].distanceKm, 37 * 0.0532, 0.01);
    EXPECT_NEAR(driveModel.lapAltitudeRange[0].highest - driveModel.lapAltitudeRange[0].lowest, 0.0, 0.001);
}

}  // namespace
