#include <cmath>

#include "tests/views/views_test_support.h"
#include "tools/view-shot/view_frame.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/display/display_state.h"
#include "viewer/display/gl_text.h"
#include "viewer/display/graph_scale.h"

namespace {

constexpr Colour GRID{0.9f, 0.9f, 0.9f};
constexpr Colour BACKGROUND{0.4f, 0.4f, 0.4f};

std::vector<std::string> texts(const std::vector<GraphLabel>& labels) {
    std::vector<std::string> out;
    for (const GraphLabel& l : labels) out.push_back(l.text);
    return out;
}

TEST(GraphScale, TimeLabelsAreTheLapsTenthsInSecondsWithTheTitleUnderTheRightEnd) {
    const std::vector<GraphLabel> labels = graphFrameLabels(83456, 8345.6, 14.32, 143.2, 20);
    const std::vector<std::string> expected{"0",    "8.3",  "16.7", "25.0", "33.4", "41.7", "50.1",  "58.4",
                                            "66.8", "75.1", "83.5", TIME_AXIS_TITLE, "20.0", "40.0", "60.0",
                                            "80.0", "100.0", "120.0", "140.0"};
    EXPECT_EQ(texts(labels), expected);
    EXPECT_DOUBLE_EQ(labels[0].x, -0.3 * 8345.6);
    EXPECT_DOUBLE_EQ(labels[10].x, 83456.0) << "the tenth tenth is the right border";
    EXPECT_DOUBLE_EQ(labels[10].y, -0.3 * 14.32);
    EXPECT_DOUBLE_EQ(labels[11].x, 83456.0);
    EXPECT_DOUBLE_EQ(labels[11].y, -0.5 * 14.32);
    EXPECT_DOUBLE_EQ(labels.back().y, 140.0);
    EXPECT_DOUBLE_EQ(labels.back().x, -0.6 * 8345.6);
}

TEST(GraphScale, AltitudeGridStepFollowsTheRange) {
    struct Case { double rangeM; int step; size_t lines; } cases[] = {
        {95, 5, 19}, {99.99, 5, 19}, {100, 10, 10}, {120, 10, 12}, {399, 10, 39}, {400, 20, 20}, {4.9, 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rangeM);
        EXPECT_EQ(altitudeGridStep(c.rangeM), c.step);
        const std::vector<double> values = horizontalGridValues(c.rangeM, c.step);
        EXPECT_EQ(values.size(), c.lines);
        if (!values.empty()) {
            EXPECT_LE(values.back(), c.rangeM);
        }
    }
    EXPECT_EQ(horizontalGridValues(95, 5).back(), 95.0) << "a line exactly at the top";
}

class TimeGraphs : public ::testing::Test {
protected:
    void SetUp() override {
        resetToBareView();
        // North then east and back down: speeds from the analysis, heights 0..120 m.
        analyse(pathDrive({{0, 0, 0}, {1500, 0, 120}, {1535, 35, 120}, {1535, 1500, 30}}, 50, 1500, {1, -1}, COURSE_OPEN));
    }
    LapRecord& lap() { return driveModel.laps[size_t(driveModel.currentLap)]; }
};

TEST_F(TimeGraphs, ValuesAreClampedIntoThePlot) {
    const int s = lap().startSample;
    driveModel.points[size_t(s + 3)].speed = lap().maxSpeed + 50.0;
    driveModel.points[size_t(s + 4)].speed = -5.0;
    EXPECT_EQ(graphValueOf(DISPLAY_SPEED_GRAPH, 0, s + 3), lap().maxSpeed);
    EXPECT_EQ(graphValueOf(DISPLAY_SPEED_GRAPH, 0, s + 4), 0.0);
    lap().minPower = -12.0;  // a negative minimum still plots from 0
    EXPECT_DOUBLE_EQ(graphScaleOf(DISPLAY_POWER_GRAPH, 0).top, lap().maxPower + 12.0);
    EXPECT_DOUBLE_EQ(graphValueOf(DISPLAY_POWER_GRAPH, 0, s + 5), driveModel.points[size_t(s + 5)].power + 12.0);
    const GraphScale altitude = graphScaleOf(DISPLAY_ALTITUDE_GRAPH, 0);
    EXPECT_NEAR(altitude.top, 120.0, 0.1);
    EXPECT_EQ(altitude.step, 10);
    EXPECT_NEAR(graphValueOf(DISPLAY_ALTITUDE_GRAPH, 0, s), 0.0, 0.01) << "metres above the lap's lowest point";
}

TEST_F(TimeGraphs, SpeedGraphDrawsItsGridAndTopLabelWhereTheProjectionPutsThem) {
    lap().maxSpeed = 153.2;  // its label clear of the one at 140
    for (int i = lap().startSample; i <= lap().endSample; ++i) driveModel.points[size_t(i)].speed = 10.0;
    viewState.displayMode = DISPLAY_SPEED_GRAPH;
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    canvas.draw();
    const double t = double(lap().lapTimeMs);
    for (double v : {20.0, 80.0, 140.0}) {
        const ScreenPoint p = projectScenePoint(CANVAS, CANVAS, 0.45 * t, v, 0);  // between two time lines
        EXPECT_TRUE(canvas.near(p.x, p.y, GRID)) << "grid line at " << v;
    }
    const ScreenPoint none = projectScenePoint(CANVAS, CANVAS, 0.45 * t, 150.0, 0);
    EXPECT_FALSE(canvas.near(none.x, none.y, GRID, 0)) << "no line between 140 and the top";
    const ScreenPoint timeLine = projectScenePoint(CANVAS, CANVAS, 0.3 * t, 50.0, 0);
    EXPECT_TRUE(canvas.near(timeLine.x, timeLine.y, GRID)) << "the third tenth";
    // The top label "153.2" sits with its lower-left corner at (-0.6 A, V).
    FrameFont* font = createFrameFont(9, "ＭＳ ゴシック", false, false, false, false);
    const TextMask m = renderTextMask("153.2");
    deleteFrameFont(font);
    const ScreenPoint anchor = projectScenePoint(CANVAS, CANVAS, -0.6 * 0.1 * t, 153.2, 0);
    const int ax = int(std::floor(anchor.x)), ay = int(std::floor(anchor.y));
    // Text pixels are white; where no grid or border crosses, the rest of the cell is background.
    const ScreenPoint corner = projectScenePoint(CANVAS, CANVAS, 0.0, 153.2, 0);
    int mismatches = 0, ink = 0;
    for (int r = 0; r < m.maskHeight; ++r)
        for (int x = 0; x < m.maskWidth; ++x) {
            const bool on = m.bits[size_t(r * m.maskWidth / 8 + x / 8)] & (0x80 >> (x % 8));
            const Rgb p = canvas.at(ax + x, ay + r);
            const bool clear = ax + x < corner.x - 2 && ay + r > corner.y + 2 && r < 6;  // the title sits above
            ink += on;
            if (on ? !sameColour(p, Colour{1, 1, 1}, 0) : clear && !sameColour(p, BACKGROUND, 0)) ++mismatches;
        }
    EXPECT_GT(ink, 10);
    EXPECT_EQ(mismatches, 0) << "label at " << ax << "," << ay;
    if (HasFailure()) canvas.save("speed-graph");
}

TEST_F(TimeGraphs, ReplayPointRidesTheCurveOfEveryGraph) {
    animation.animating = true;
    animation.animationFrameCount = lap().endSample - lap().startSample + 1;
    animation.animationFrame = 20;
    viewState.animationPointColour = Colour{1.0f, 0.0f, 1.0f};
    const int s = lap().startSample + 20;
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    for (int mode : {DISPLAY_SPEED_GRAPH, DISPLAY_ALTITUDE_GRAPH, DISPLAY_POWER_GRAPH}) {
        viewState.displayMode = mode;
        canvas.draw();
        const double x = double(driveModel.samples[size_t(s)].tick - driveModel.samples[size_t(lap().startSample)].tick);
        const ScreenPoint p = projectScenePoint(CANVAS, CANVAS, x, graphValueOf(mode, 0, s), 0);
        EXPECT_TRUE(canvas.near(p.x, p.y, viewState.animationPointColour)) << "mode " << mode;
    }
}

TEST_F(TimeGraphs, ApicesShowWithAnyCornerOptionAndNoneWithout) {
    int apex = -1;
    for (int i = lap().startSample; i <= lap().endSample; ++i)
        if (driveModel.cornerMarks[size_t(i)] == CORNER_APEX) apex = i;
    ASSERT_GE(apex, 0) << "the turn east is a corner";
    viewState.displayMode = DISPLAY_ALTITUDE_GRAPH;
    const double x = double(driveModel.samples[size_t(apex)].tick - driveModel.samples[size_t(lap().startSample)].tick);
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    for (int altitudeOnly : {0, 1}) {
        viewState.showCornerAltitude = altitudeOnly;
        canvas.draw();
        const ScreenPoint p = projectScenePoint(CANVAS, CANVAS, x, graphValueOf(DISPLAY_ALTITUDE_GRAPH, 0, apex), 0);
        EXPECT_EQ(canvas.near(p.x, p.y, Colour{1, 0, 0}), altitudeOnly == 1);
    }
}

}  // namespace
