#include <cmath>
#include <limits>

#include "tests/views/views_test_support.h"
#include "tools/view-shot/view_frame.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/display/display_state.h"
#include "viewer/display/gl_text.h"
#include "viewer/display/statistics_lines.h"
#include "viewer/display/views.h"

namespace {

constexpr Colour WHITE{1, 1, 1}, GREEN{0, 1, 0}, RED{1, 0, 0}, YELLOW{1, 1, 0};

bool operator==(const Colour& a, const Colour& b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

LapRecord& lap() { return driveModel.laps[size_t(driveModel.currentLap)]; }

std::vector<std::string> texts(const std::vector<StatisticsLine>& lines) {
    std::vector<std::string> out;
    for (const StatisticsLine& l : lines) out.push_back(l.text);
    return out;
}

class Statistics : public ::testing::Test {
protected:
    void SetUp() override {
        resetToBareView();
        viewState.showStatistics = 1;
        analyse(pathDrive({{0, 0, 10}, {1000, 0, 60}, {1035, 35, 60}, {1035, 800, 25}}, 50, 2000, {1, -1}, COURSE_OPEN));
        lap().lapTimeMs = 83456;
        viewState.displayMode = DISPLAY_2D;
    }
    std::vector<StatisticsLine> lines() const { return statisticsLines(600, lap().boxMin.y, lap().boxMax.y); }
    void animateAt(int frame) {
        animation.animating = true;
        animation.animationFrameCount = lap().endSample - lap().startSample + 1;
        animation.animationFrame = frame;
    }
};

TEST_F(Statistics, EveryInformationFlagOffLeavesThreeLines) {
    const std::vector<StatisticsLine> l = lines();
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0].text, "ラップ No. : 1/1");
    EXPECT_TRUE(l[0].colour == GREEN);
    EXPECT_EQ(l[1].text, "ラップタイム : 00:01:23:13") << "456 ms are 13.68 thirtieths, truncated";
    EXPECT_EQ(l[2].text.rfind("走行距離 : ", 0), 0u);
    EXPECT_EQ(l[2].text.substr(l[2].text.size() - 3), " Km");
    viewState.showStatistics = 0;
    EXPECT_TRUE(lines().empty());
}

TEST_F(Statistics, BaselinesStartTwelveBelowTheTopThenTwelveThenThirteenApart) {
    viewState.showSpeedInfo = viewState.showPowerInfo = 1;
    const std::vector<StatisticsLine> l = lines();
    ASSERT_EQ(l.size(), 8u);
    const int expected[] = {588, 576, 563, 550, 537, 524, 511, 498};
    for (size_t k = 0; k < l.size(); ++k) {
        EXPECT_EQ(l[k].x, 10);
        EXPECT_EQ(l[k].y, expected[k]) << k;
    }
}

TEST_F(Statistics, LinesFollowTheFlagsInTheirOrderAndColours) {
    struct Case {
        const char* what;
        int speed, power, corner, altitude, mode;
        bool animating;
        std::vector<std::string> prefixes;
        std::vector<Colour> colours;
    } cases[] = {
        {"speed while replaying", 1, 0, 0, 0, DISPLAY_2D, true,
         {"ラップ No.", "ラップタイム", "走行距離", "速　　度 : ", "平均速度", "最大速度", "最低速度"},
         {GREEN, WHITE, WHITE, WHITE, WHITE, WHITE, WHITE}},
        {"power alone makes the replay altitude red", 0, 1, 0, 1, DISPLAY_2D, true,
         {"ラップ No.", "ラップタイム", "走行距離", "平均出力馬力", "最大出力馬力", "高　　度 : ", "最大高度",
          "最低高度", "高度差"},
         {GREEN, WHITE, WHITE, RED, RED, RED, WHITE, WHITE, WHITE}},
        {"after the corner lines it is yellow", 0, 1, 1, 1, DISPLAY_2D, true,
         {"ラップ No.", "ラップタイム", "走行距離", "平均出力馬力", "最大出力馬力", "コーナー平均速度",
          "コーナー最大速度", "コーナー最小速度", "高　　度 : ", "最大高度", "最低高度", "高度差"},
         {GREEN, WHITE, WHITE, RED, RED, YELLOW, YELLOW, YELLOW, YELLOW, WHITE, WHITE, WHITE}},
        {"no replay: no animated lines; 3D adds the scale last", 1, 0, 0, 1, DISPLAY_3D, false,
         {"ラップ No.", "ラップタイム", "走行距離", "平均速度", "最大速度", "最低速度", "最大高度", "最低高度",
          "高度差", "高度表示スケール:1倍"},
         {GREEN, WHITE, WHITE, WHITE, WHITE, WHITE, WHITE, WHITE, WHITE, WHITE}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        resetAnimationState();
        if (c.animating) animateAt(5);
        viewState.showSpeedInfo = c.speed;
        viewState.showPowerInfo = c.power;
        viewState.showCornerSpeedInfo = c.corner;
        viewState.showAltitudeInfo = c.altitude;
        viewState.displayMode = c.mode;
        const std::vector<StatisticsLine> l = lines();
        ASSERT_EQ(l.size(), c.prefixes.size()) << ::testing::PrintToString(texts(l));
        for (size_t k = 0; k < l.size(); ++k) {
            EXPECT_EQ(l[k].text.rfind(c.prefixes[k], 0), 0u) << l[k].text;
            EXPECT_TRUE(l[k].colour == c.colours[k]) << l[k].text;
        }
    }
}

TEST_F(Statistics, ReplayShowsElapsedTimeSpeedAndHeightOfTheAnimatedSample) {
    viewState.showSpeedInfo = viewState.showAltitudeInfo = 1;
    animateAt(10);
    const int s = lap().startSample + 10;
    driveModel.points[size_t(s)].speed = 97.25;
    const std::vector<StatisticsLine> l = lines();
    EXPECT_EQ(l[1].text, "ラップタイム : 00:00:20:00 / 00:01:23:13");
    EXPECT_EQ(l[3].text, "速　　度 : 97.2 Km/h");
    const std::vector<std::string> t = texts(l);
    const auto height = std::find_if(t.begin(), t.end(), [](const std::string& x) { return x.rfind("高　　度", 0) == 0; });
    ASSERT_NE(height, t.end());
    // Sample 11 of the first leg, which climbs 50 m over 1000 m from 10 m: 35 m, 25 m above the lowest.
    EXPECT_EQ(*height, "高　　度 : 0.025 km") << "km above the lap's lowest point";
}

TEST_F(Statistics, AltitudeFiguresIgnoreTheThreeDScale) {
    viewState.showAltitudeInfo = 1;
    viewState.displayMode = DISPLAY_3D;
    for (int scale : {0, 2}) {
        viewState.altitudeScale = scale;
        // The frame hands over the unscaled bounds while the lap's are scaled.
        const double minY = lap().boxMin.y, maxY = lap().boxMax.y;
        lap().boxMin.y *= scale == 2 ? 10 : 1;
        lap().boxMax.y *= scale == 2 ? 10 : 1;
        animateAt(10);
        const std::vector<std::string> t = texts(statisticsLines(600, minY, maxY));
        lap().boxMin.y = minY;
        lap().boxMax.y = maxY;
        ASSERT_EQ(t.size(), 8u);
        EXPECT_EQ(t[3], "高　　度 : 0.025 km");
        EXPECT_EQ(t[4], "最大高度 : 0.060 km") << "the local frame's heights are above the ellipsoid";
        EXPECT_EQ(t[5], "最低高度 : 0.010 km");
        EXPECT_EQ(t[6], "高度差 : 50.0 m");
        EXPECT_EQ(t[7], scale == 2 ? "高度表示スケール:10倍" : "高度表示スケール:1倍");
    }
}

TEST_F(Statistics, ALapWithoutStepsOrApexesShowsZeroNotNan) {
    viewState.showSpeedInfo = viewState.showPowerInfo = viewState.showCornerSpeedInfo = 1;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    lap().avgSpeed = lap().avgPower = lap().cornerAvgSpeed = nan;
    lap().cornerMaxSpeed = lap().cornerMinSpeed = 0.0;
    for (const std::string& text : texts(lines())) EXPECT_EQ(text.find("nan"), std::string::npos) << text;
    EXPECT_EQ(texts(lines())[3], "平均速度 : 0.0 Km/h");
}

TEST_F(Statistics, TheFirstLineIsDrawnAtItsBaselineInWindowPixels) {
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    viewState.colourMapMode = 3;  // no track line under the text
    canvas.draw();
    FrameFont* font = createFrameFont(9, "ＭＳ ゴシック", false, false, false, false);
    const TextMask m = renderTextMask("ラップ No. : 1/1");
    deleteFrameFont(font);
    int ink = 0, wrong = 0;
    for (int r = 0; r < m.maskHeight; ++r)
        for (int x = 0; x < m.maskWidth; ++x) {
            const bool on = m.bits[size_t(r * m.maskWidth / 8 + x / 8)] & (0x80 >> (x % 8));
            ink += on;
            wrong += on != sameColour(canvas.at(10 + x, CANVAS - 12 + r), GREEN, 0);
        }
    EXPECT_GT(ink, 20);
    EXPECT_EQ(wrong, 0);
}

class CornerLabels : public Statistics {};

TEST_F(CornerLabels, SixFormsByTheThreeFlags) {
    int apex = -1;
    for (int i = lap().startSample; i <= lap().endSample; ++i)
        if (driveModel.cornerMarks[size_t(i)] == CORNER_APEX) apex = i;
    ASSERT_GE(apex, 0);
    TrackPoint& p = driveModel.points[size_t(apex)];
    p.speed = 87.9;  // truncates to 87
    // 37.5 m above the lap's lowest point (10 m).
    p.y = (driveModel.lapAltitudeRange[0].lowest + 0.0375) - lap().boxCentre.y;
    struct Case { int speed, altitude, count; const char* text; } cases[] = {
        {1, 1, 1, "C=3 (87km/h:37.5m)"}, {1, 1, 0, "C=3 (87km/h:37.5m)"}, {1, 0, 1, "C=3 (87km/h)"},
        {1, 0, 0, "87km/h"},             {0, 1, 1, "C=3 (37.5m)"},        {0, 1, 0, "37.5m"},
        {0, 0, 1, "C=3"},                {0, 0, 0, "C=3"},
    };
    for (const Case& c : cases) {
        viewState.showCornerSpeed = c.speed;
        viewState.showCornerAltitude = c.altitude;
        viewState.showCornerCount = c.count;
        EXPECT_EQ(cornerLabelText(apex, 3), c.text) << c.speed << c.altitude << c.count;
    }
}

}  // namespace
