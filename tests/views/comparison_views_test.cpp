// The lap comparison in the viewer: the menu it adds, the lap list's sector
// texts, and what the views draw for it (read back from GL).
#include <algorithm>
#include <cstring>

#include "tests/views/views_test_support.h"
#include "viewer/analysis/comparison_state.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/display/comparison_menu.h"
#include "viewer/display/comparison_views.h"
#include "viewer/display/display_state.h"
#include "viewer/display/lap_list_sectors.h"

namespace {

constexpr Colour BACKGROUND{0.4f, 0.4f, 0.4f};

// Two laps at 90 km/h: round a 1000 m x 500 m rectangle, then round one
// 700 m wide (400 m longer, so 16 s slower), both from the same corner.
class Comparison : public ::testing::Test {
protected:
    void SetUp() override {
        resetToBareView();
        comparisonState = ComparisonState{};
        analyse(pathDrive({{0, 0, 0}, {1000, 0, 0}, {1000, 500, 0}, {0, 500, 0}, {0, 0, 0}, {1000, 0, 0},
                           {1000, 700, 0}, {0, 700, 0}, {0, 0, 0}, {200, 0, 0}},
                          50, 2000, {1, 61, 129}, COURSE_LOOP));
        driveModel.currentLap = 1;
    }
    void TearDown() override { comparisonState = ComparisonState{}; }
    // A sample of lap 0 in the 2D picture of lap 1 (each lap is centred on its own box).
    std::pair<double, double> onScreen2d(int sample) const {
        const LapRecord &shown = driveModel.laps[1], &ref = driveModel.laps[0];
        const TrackPoint& p = driveModel.points[size_t(sample)];
        const double x = p.x + ref.boxCentre.x - shown.boxCentre.x, z = p.z + ref.boxCentre.z - shown.boxCentre.z;
        const double e = std::max(shown.boxMax.x - shown.boxMin.x, shown.boxMax.z - shown.boxMin.z) * 0.6;
        const double cx = (shown.boxMin.x + shown.boxMax.x) / 2, cz = (shown.boxMin.z + shown.boxMax.z) / 2;
        return {(cx + e - x) / (2 * e) * CANVAS, (z - (cz - e)) / (2 * e) * CANVAS};
    }
};

TEST_F(Comparison, ReferenceIsDrawnInItsColourOnlyWhenAskedAndTheLapLosesAllRound) {
    viewState.displayMode = DISPLAY_2D;
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    const auto [x, y] = onScreen2d(41);  // the middle of the reference's westward leg, where lap 2 is not
    canvas.draw();
    EXPECT_TRUE(canvas.near(x, y, BACKGROUND, 0)) << "no reference unless shown";
    comparisonState.showReference = 1;
    canvas.draw();
    EXPECT_TRUE(canvas.near(x, y, REFERENCE_COLOUR)) << "reference at " << x << "," << y;

    // Lap 2 is slower at the same fraction of every stretch: red all round.
    comparisonState.gainLossMap = 1;
    canvas.draw();
    const TrackPoint& own = driveModel.points[100];  // lap 2's west leg, drawn on its own
    const LapRecord& shown = driveModel.laps[1];
    const double e = std::max(shown.boxMax.x - shown.boxMin.x, shown.boxMax.z - shown.boxMin.z) * 0.6;
    const double cx = (shown.boxMin.x + shown.boxMax.x) / 2, cz = (shown.boxMin.z + shown.boxMax.z) / 2;
    EXPECT_TRUE(canvas.near((cx + e - own.x) / (2 * e) * CANVAS, (own.z - (cz - e)) / (2 * e) * CANVAS, LOSS_COLOUR, 2));
    if (HasFailure()) canvas.save("comparison-2d");
}

TEST_F(Comparison, DeltaGraphReplacesTheViewAndEndsAtTheLapTimeDifference) {
    const LapComparison& c = displayedComparison();
    ASSERT_TRUE(c.valid());
    EXPECT_EQ(c.reference, 0) << "the best lap by default";
    EXPECT_NEAR(c.deltaS.back(), (driveModel.laps[1].lapTimeMs - driveModel.laps[0].lapTimeMs) / 1000.0, 1e-9);
    EXPECT_NEAR(c.deltaS[c.deltaS.size() / 2], 8.0, 0.5) << "half of the 16 s at half the lap";
    comparisonState.deltaGraph = 1;
    ASSERT_TRUE(deltaGraphActive());
    GlCanvas canvas;
    REQUIRE_GL(canvas);
    canvas.draw();
    int red = 0;
    for (int py = 0; py < CANVAS; ++py) {
        for (int px = 0; px < CANVAS; ++px) red += sameColour(canvas.at(px, py), LOSS_COLOUR);
    }
    EXPECT_GT(red, CANVAS / 2) << "the rising delta, drawn as time lost";
    comparisonState.referenceLap = 2;  // the lap itself
    EXPECT_EQ(displayedComparison().deltaS.back(), 0.0);
    if (HasFailure()) canvas.save("comparison-delta");
}

TEST_F(Comparison, MenuSitsAfterTheAnimationMenuAndItsCommandsKeepToTheirOwnState) {
    const std::vector<MenuRow> rows = menuRowsWithComparison();
    std::vector<std::string> tops;
    int depth = 0;
    for (const MenuRow& row : rows) {
        if (row.kind == MenuRowKind::Popup && depth++ == 0) tops.push_back(row.text);
        if (row.kind == MenuRowKind::EndPopup) --depth;
        if (row.kind == MenuRowKind::Item && row.id >= 40000) continue;
        EXPECT_LT(row.id, 40000) << row.text;
    }
    EXPECT_EQ(tops, (std::vector<std::string>{"ファイル(&F)", "表示(V)", "設定(S)", "アニメーション(A)", "比較(C)",
                                              "ヘルプ(&H)"}));
    EXPECT_EQ(rows.size(), viewerMenuRows().size() + comparisonMenuRows().size());

    MenuStates m;
    addComparisonMenuStates(m, comparisonState, driveModel);
    EXPECT_TRUE(m.enabled[CMD_SHOW_REFERENCE] && m.checked[CMD_REFERENCE_BEST] && m.checked[CMD_SECTORS_2 + 1]);
    EXPECT_TRUE(applyComparisonCommand(CMD_REFERENCE_DISPLAYED, comparisonState, driveModel));
    EXPECT_EQ(comparisonState.referenceLap, 2);
    EXPECT_TRUE(applyComparisonCommand(CMD_SECTORS_10, comparisonState, driveModel));
    EXPECT_EQ(comparisonState.sectorCount, 10);
    EXPECT_FALSE(applyComparisonCommand(CMD_MODE_3D, comparisonState, driveModel));
    const ViewState before = viewState;
    EXPECT_EQ(std::memcmp(&before, &viewState, sizeof before), 0) << "nothing of quindle.pref changes";

    const DriveModel none;
    MenuStates grey;
    addComparisonMenuStates(grey, comparisonState, none);
    EXPECT_FALSE(grey.enabled[CMD_SHOW_REFERENCE] || grey.enabled[CMD_DELTA_GRAPH] || grey.enabled[CMD_REFERENCE_BY_NUMBER]);
}

TEST_F(Comparison, LapListGainsSectorColumnsTheBestMarkedAndTheTheoreticalBest) {
    comparisonState.sectorCount = 4;
    const SectorColumns c = sectorColumns(comparisonState, driveModel);
    ASSERT_EQ(c.titles.size(), 4u);
    EXPECT_EQ(c.titles[0], "セクター1");
    ASSERT_EQ(c.lapCells.size(), size_t(driveModel.lapCount));
    EXPECT_EQ(c.bestLap, 0);
    for (size_t s = 0; s < 4; ++s) EXPECT_TRUE(c.best[0][s] && !c.best[1][s]) << "lap 1 is faster everywhere";
    EXPECT_EQ(c.theoreticalLabel, "理論ベスト");
    EXPECT_EQ(c.theoreticalCells[0].substr(c.theoreticalCells[0].size() - 4), "(L1)");
    EXPECT_TRUE(sectorColumns(comparisonState, DriveModel{}).titles.empty()) << "nothing without a drive";
}

}  // namespace
