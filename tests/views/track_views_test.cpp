#include <cmath>

#include "tests/views/views_test_support.h"
#include "tools/view-shot/view_frame.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/display/display_state.h"
#include "viewer/display/views.h"

namespace {

constexpr Colour BACKGROUND{0.4f, 0.4f, 0.4f};
constexpr Colour GRID{0.2f, 0.2f, 0.2f};
constexpr Colour CURTAIN{0.7f, 0.7f, 0.7f};
constexpr Colour MARKER_TICK{0.5f, 1.0f, 1.0f};
constexpr Colour BLUE{0.0f, 0.0f, 1.0f};
constexpr Colour GREEN{0.0f, 1.0f, 0.0f};
constexpr Colour RED{1.0f, 0.0f, 0.0f};
constexpr int NO_LINE = 3;  // a colour map mode that draws no track line

const LapRecord& lap() { return driveModel.laps[size_t(driveModel.currentLap)]; }
TrackPoint& point(int i) { return driveModel.points[size_t(i)]; }

ScreenPoint project(double x, double y, double z) { return projectScenePoint(CANVAS, CANVAS, x, y, z); }

class TrackViews : public ::testing::Test {
protected:
    void SetUp() override { resetToBareView(); }
};

TEST_F(TrackViews, GridHasTwentyOneLinesEachWayWithTheOuterOnesAtTheRadius) {
    analyse(pathDrive({{0, 0, 0}, {800, 0, 40}, {800, 500, 0}}, 50, 2000, {1, -1}, COURSE_LOOP));
    viewState.showGrid = 1;
    viewState.colourMapMode = NO_LINE;
    viewCamera.track3d.tilt = 90.0f;  // from above
    viewCamera.track3d.dolly = float(-lap().viewDistance);  // back far enough to see all of it
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    canvas.draw();
    const double r = lap().radius, g = lap().boxMin.y;
    // Along a row between two grid lines every line across is crossed once.
    const ScreenPoint left = project(-1.1 * r, g, 0.55 * r), right = project(1.1 * r, g, 0.55 * r);
    ASSERT_TRUE(left.ok && right.ok);
    ASSERT_NEAR(left.y, right.y, 0.5);
    int lines = 0;
    bool inLine = false;
    for (int x = int(std::min(left.x, right.x)); x <= int(std::max(left.x, right.x)); ++x) {
        const bool grid = sameColour(canvas.at(x, left.y), GRID);
        lines += grid && !inLine;
        inLine = grid;
    }
    EXPECT_EQ(lines, 21);
    for (double sign : {-1.0, 1.0}) {
        const ScreenPoint outer = project(sign * r, g, 0.55 * r), beyond = project(sign * 1.05 * r, g, 0.55 * r);
        EXPECT_TRUE(canvas.near(outer.x, outer.y, GRID)) << "outer line at " << sign << " R";
        EXPECT_TRUE(canvas.near(beyond.x, beyond.y, BACKGROUND, 0)) << "nothing beyond it";
    }
    if (HasFailure()) canvas.save("grid");
}

TEST_F(TrackViews, CurtainClosesBackToTheFirstSampleOnlyOnALoopCourse) {
    struct Case { int32_t course; bool closed; } cases[] = {{COURSE_LOOP, true}, {COURSE_OPEN, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.course);
        // North, then east; the closing band runs back along the diagonal.
        analyse(pathDrive({{0, 0, 150}, {500, 0, 0}, {1000, 0, 150}, {1000, 1000, 150}}, 50, 2000, {1, 41},
                          c.course));
        viewState.showTrackAltitude = 1;
        viewState.absoluteAltitude = 1;
        viewState.colourMapMode = NO_LINE;
        viewCamera.track3d.tilt = 45.0f;
        viewCamera.track3d.dolly = float(-lap().viewDistance);
        GlCanvas canvas;
        REQUIRE_GL(canvas);
        canvas.draw();
        const TrackPoint& s = point(lap().startSample);
        const TrackPoint& e = point(lap().endSample);
        const double top = (s.y + e.y) / 2.0;
        const ScreenPoint mid = project((s.x + e.x) / 2.0, (lap().boxMin.y + top) / 2.0, (s.z + e.z) / 2.0);
        const Rgb p = canvas.at(mid.x, mid.y);
        EXPECT_TRUE(sameColour(p, c.closed ? CURTAIN : BACKGROUND)) << describe(p);
        const ScreenPoint wall = project(0.5 * (s.x + point(lap().startSample + 10).x), lap().boxMin.y + 0.01, s.z);
        EXPECT_TRUE(sameColour(canvas.at(wall.x, wall.y), CURTAIN)) << "the band under the first leg";
        if (HasFailure()) canvas.save(c.closed ? "curtain-loop" : "curtain-open");
    }
}

// A straight open run north, one sample every 200 m, seen from above.
class ColourMappedLine : public TrackViews {
protected:
    void SetUp() override {
        TrackViews::SetUp();
        analyse(pathDrive({{0, 0, 0}, {800, 0, 0}}, 200, 10000, {1, 5}, COURSE_OPEN));
        ASSERT_EQ(lap().endSample - lap().startSample, 4);
        viewState.displayMode = DISPLAY_2D;
        viewState.accelColour = GREEN;
        viewState.decelColour = RED;
        viewState.uphillColour = RED;
        viewState.downhillColour = GREEN;
    }
    // The pixel a fraction t along segment i -> i+1.
    static Rgb along(const GlCanvas& canvas, int i, double t) {
        const TrackPoint& a = point(i);
        const TrackPoint& b = point(i + 1);
        const ScreenPoint p = project(a.x + t * (b.x - a.x), a.z + t * (b.z - a.z), 0.0);
        return canvas.at(p.x, p.y);
    }
};

TEST_F(ColourMappedLine, AccelerationMapStartsBlueAndTakesEffectFromTheNextVertex) {
    const int s = lap().startSample;
    for (int i = s; i <= lap().endSample; ++i) point(i).acceleration = 0.0;  // exactly 0 counts as accelerating
    point(s + 2).acceleration = -1.0;
    viewState.colourMapMode = COLOUR_MAP_ACCELERATION;
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    canvas.draw();
    const Rgb first = along(canvas, s, 0.05);
    EXPECT_GT(first.b, 200) << "first vertex blue: " << describe(first);
    EXPECT_TRUE(sameColour(along(canvas, s + 1, 0.5), GREEN)) << describe(along(canvas, s + 1, 0.5));
    const Rgb toDecel = along(canvas, s + 2, 0.95);
    EXPECT_GT(toDecel.r, 200) << "sample " << s + 2 << " decelerates: colour from the vertex after it "
                              << describe(toDecel);
    EXPECT_TRUE(sameColour(along(canvas, s + 2, 0.05), GREEN, 30)) << "not before";
    if (HasFailure()) canvas.save("acceleration-map");
}

TEST_F(ColourMappedLine, ClimbMapCountsEqualHeightsAsDescending) {
    const int s = lap().startSample;
    for (int i = s; i <= lap().endSample; ++i) point(i).y = 0.0;
    point(s + 3).y = 0.05;  // climbs at s+3, descends again at s+4
    viewState.colourMapMode = COLOUR_MAP_CLIMB;
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    canvas.draw();
    EXPECT_GT(along(canvas, s, 0.05).b, 200);
    EXPECT_TRUE(sameColour(along(canvas, s + 1, 0.5), GREEN)) << "equal heights: " << describe(along(canvas, s + 1, 0.5));
    const Rgb climbing = along(canvas, s + 3, 0.95);
    EXPECT_GT(climbing.r, 200) << "the climb to s+3 colours from s+4 on: " << describe(climbing);
    EXPECT_TRUE(sameColour(along(canvas, s + 3, 0.05), GREEN, 30)) << "not before";
}

TEST_F(TrackViews, LapsFirstSampleClimbsByItsTrueHeightNotAnotherLapsCentring) {
    // Two open runs north; the second is much higher, so its centred heights
    // start low while the run before ends high in its own centring.
    DriveLogImage image = pathDrive({{0, 0, 0}, {1900, 0, 190}}, 100, 10000, {1, 19}, COURSE_OPEN);
    const DriveLogImage second = pathDrive({{2000, 0, 200}, {3900, 0, 590}}, 100, 10000, {}, COURSE_OPEN);
    for (size_t k = 1; k < second.samples.size(); ++k) {
        LogSample sample = second.samples[k];
        sample.tick = image.samples.back().tick + 10000;
        image.samples.push_back(sample);
    }
    image.samples[21].lapMark = 1;
    image.samples.back().lapMark = 1;
    image.passLog.passCount = 4;
    analyse(image);
    driveModel.currentLap = 1;
    ASSERT_TRUE(hasCurrentLap());
    const int s = lap().startSample;
    ASSERT_EQ(s, 21);
    ASSERT_LT(point(s).y, point(s - 1).y) << "the centred heights disagree with the true ones";
    viewState.displayMode = DISPLAY_2D;
    viewState.colourMapMode = COLOUR_MAP_CLIMB;
    viewState.uphillColour = RED;
    viewState.downhillColour = GREEN;
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    canvas.draw();
    // Vertex s+1 takes the colour of sample s: uphill, so s+1 -> s+2 is red throughout.
    const ScreenPoint p = project(0.75 * point(s + 1).x + 0.25 * point(s + 2).x, point(s + 1).z, 0.0);
    const Rgb c = canvas.at(p.x, p.y);
    EXPECT_TRUE(sameColour(c, RED, 20)) << describe(c);
}

TEST_F(TrackViews, TwoDViewDrawsNorthToTheLeftAndEastUpward) {
    analyse(pathDrive({{0, 0, 0}, {1000, 0, 0}, {1000, 500, 0}}, 50, 2000, {1, 31}, COURSE_OPEN));
    viewState.displayMode = DISPLAY_2D;
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    canvas.draw();
    // The projection by hand: x from cx + E (left) to cx - E, z from cz - E (bottom) up.
    const LapRecord& l = lap();
    const double e = (l.boxMax.x - l.boxMin.x) * 0.6;
    const double cx = (l.boxMin.x + l.boxMax.x) / 2, cz = (l.boxMin.z + l.boxMax.z) / 2;
    auto screen = [&](double x, double z) {
        return std::pair<double, double>{(cx + e - x) / (2 * e) * CANVAS, (z - (cz - e)) / (2 * e) * CANVAS};
    };
    const TrackPoint& corner = point(21);  // the north end of the first leg
    const auto [x, y] = screen(corner.x, 0.5 * (corner.z + point(31).z));  // halfway up the east leg
    EXPECT_LT(x, CANVAS / 2.0) << "north is on the left";
    EXPECT_TRUE(canvas.near(x, y, viewState.roadColour)) << "east leg at " << x << "," << y;
    EXPECT_TRUE(canvas.near(CANVAS - x, y, BACKGROUND, 0)) << "not mirrored";
    const auto [sx, sy] = screen(point(1).x, point(1).z);
    EXPECT_GT(sx, CANVAS / 2.0);
    EXPECT_LT(sy, y) << "the east leg lies above the start";
    // A full-width button-1 drag pans by viewWidth: the same translation moves the picture by the canvas.
    EXPECT_NEAR(viewCamera.track2d.viewWidth, 2 * e, 1e-6) << "zoom terms added in single precision";
}

// A U: east at 0 m, north at 200 m, west back at 0 m. Seen from the east the
// high middle leg's curtain stands in front of the start marker.
class MarkersBehindTheCurtain : public TrackViews {
protected:
    void SetUp() override {
        TrackViews::SetUp();
        analyse(pathDrive({{0, 0, 0}, {0, 600, 0}, {0, 601, 200}, {600, 601, 200}, {600, 602, 0}, {600, 0, 0}},
                          50, 2000, {1, -1}, COURSE_OPEN));
        viewState.showTrackAltitude = 1;
        viewState.absoluteAltitude = 1;
        viewState.colourMapMode = NO_LINE;
        viewState.showLapMarkPosition = 1;
    }
    ScreenPoint tickMiddle() const {
        const TrackPoint& s = point(lap().startSample);
        return project(s.x + 0.04, s.y + 0.04, s.z);
    }
};

TEST_F(MarkersBehindTheCurtain, ShownGpsPointsBringBackTheDepthTest) {
    viewState.showGpsPoints = 1;
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    canvas.draw();
    const ScreenPoint m = tickMiddle();
    EXPECT_TRUE(sameColour(canvas.at(m.x, m.y), CURTAIN)) << "the marker hides behind the curtain: "
                                                          << describe(canvas.at(m.x, m.y));
    if (HasFailure()) canvas.save("markers-gps");
}

TEST_F(MarkersBehindTheCurtain, WithoutGpsPointsMarkersAreAlwaysOnTop) {
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    canvas.draw();
    const ScreenPoint m = tickMiddle();
    EXPECT_TRUE(canvas.near(m.x, m.y, MARKER_TICK)) << describe(canvas.at(m.x, m.y));
    if (HasFailure()) canvas.save("markers-top");
}

TEST(InCarCamera, LooksTwoSamplesAheadWrappingInsideTheLapAndPastAStandingCar) {
    resetToBareView();
    // North 300 m, standing for four samples, then east.
    DriveLogImage image = pathDrive({{0, 0, 0}, {300, 0, 0}, {300, 300, 0}}, 50, 2000, {1, 12}, COURSE_LOOP);
    std::vector<LogSample>& s = image.samples;
    for (int k = 0; k < 3; ++k) s.insert(s.begin() + 7, s[7]);
    for (size_t k = 1; k < s.size(); ++k) s[k].tick = 1000 + uint32_t(k) * 2000;
    analyse(image);
    const int start = lap().startSample, end = lap().endSample;
    EXPECT_EQ(inCarLookAtSample(start), start + 2);
    EXPECT_EQ(inCarLookAtSample(end), start + 1) << "wraps by the lap's length";
    EXPECT_EQ(inCarLookAtSample(7), 11) << "samples 7 to 10 stand on one spot";
    EXPECT_EQ(inCarLookAtSample(8), 11);
}

TEST(InCarCamera, AStandingCarStillShowsTheTrack) {
    resetToBareView();
    DriveLogImage image = pathDrive({{0, 0, 0}, {300, 0, 0}, {300, 300, 0}}, 50, 2000, {1, 12}, COURSE_LOOP);
    std::vector<LogSample>& s = image.samples;
    for (int k = 0; k < 3; ++k) s.insert(s.begin() + 7, s[7]);
    for (size_t k = 1; k < s.size(); ++k) s[k].tick = 1000 + uint32_t(k) * 2000;
    analyse(image);
    viewState.inCarView = 1;
    animation.animating = true;
    animation.animationFrameCount = lap().endSample - lap().startSample + 1;
    animation.animationFrame = 7 - lap().startSample;
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    canvas.draw();
    int road = 0;
    for (int y = 0; y < CANVAS; y += 2)
        for (int x = 0; x < CANVAS; x += 2) road += sameColour(canvas.at(x, y), viewState.roadColour, 30);
    EXPECT_GT(road, 10) << "the road ahead is in view";
    if (HasFailure()) canvas.save("in-car-standing");
}

TEST(AnimationPoint, ShowsInTwoDEvenWithTheInCarViewAndNotInThreeD) {
    resetToBareView();
    analyse(pathDrive({{0, 0, 0}, {1000, 0, 0}, {1000, 500, 0}}, 50, 2000, {1, 31}, COURSE_OPEN));
    viewState.inCarView = 0;
    viewState.colourMapMode = NO_LINE;
    viewState.animationPointColour = Colour{1.0f, 0.0f, 1.0f};
    animation.animating = true;
    animation.animationFrameCount = lap().endSample - lap().startSample + 1;
    animation.animationFrame = 10;
    const TrackPoint& p = point(lap().startSample + 10);
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    for (int mode : {DISPLAY_2D, DISPLAY_3D}) {
        viewState.displayMode = mode;
        for (int inCar : {0, 1}) {
            viewState.inCarView = inCar;
            canvas.draw();
            const ScreenPoint at = mode == DISPLAY_2D ? project(p.x, p.z, 0.0) : project(p.x, lap().meanY, p.z);
            const bool expected = mode == DISPLAY_2D || !inCar;
            EXPECT_EQ(canvas.near(at.x, at.y, viewState.animationPointColour), expected)
                << "mode " << mode << " in-car " << inCar;
        }
    }
}

}  // namespace
