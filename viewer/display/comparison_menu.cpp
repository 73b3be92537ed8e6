#include "viewer/display/comparison_menu.h"

#include <string>

const std::vector<MenuRow>& comparisonMenuRows() {
    static const std::vector<MenuRow> rows = [] {
        std::vector<MenuRow> r = {
            {MenuRowKind::Popup, 0, "比較(C)"},
            {MenuRowKind::Item, CMD_SHOW_REFERENCE, "基準ラップを重ねて表示"},
            {MenuRowKind::Separator, 0, ""},
            {MenuRowKind::Item, CMD_REFERENCE_BEST, "基準ラップ：ベストラップ"},
            {MenuRowKind::Item, CMD_REFERENCE_DISPLAYED, "表示中のラップを基準ラップにする"},
            {MenuRowKind::Item, CMD_REFERENCE_BY_NUMBER, "基準ラップの番号を指定..."},
            {MenuRowKind::Separator, 0, ""},
            {MenuRowKind::Item, CMD_DELTA_GRAPH, "タイム差グラフ\tF6"},
            {MenuRowKind::Item, CMD_GAIN_LOSS_MAP, "ゲイン／ロスのカラーマップ"},
            {MenuRowKind::Separator, 0, ""},
            {MenuRowKind::Popup, 0, "セクター数"},
        };
        for (int n = MIN_SECTOR_COUNT; n <= MAX_SECTOR_COUNT; ++n)
            r.push_back({MenuRowKind::Item, CMD_SECTORS_2 + n - 2, std::to_string(n) + " セクター"});
        r.push_back({MenuRowKind::EndPopup, 0, ""});
        r.push_back({MenuRowKind::Item, CMD_SECTORS_AT_CORNERS, "コーナーでセクターを区切る"});
        r.push_back({MenuRowKind::EndPopup, 0, ""});
        return r;
    }();
    return rows;
}

std::vector<MenuRow> menuRowsWithComparison() {
    std::vector<MenuRow> rows;
    int depth = 0;
    bool inAnimation = false, inserted = false;
    for (const MenuRow& row : viewerMenuRows()) {
        rows.push_back(row);
        if (row.kind == MenuRowKind::Popup && depth++ == 0) inAnimation = row.text == "アニメーション(A)";
        if (row.kind != MenuRowKind::EndPopup || --depth != 0 || !inAnimation || inserted) continue;
        rows.insert(rows.end(), comparisonMenuRows().begin(), comparisonMenuRows().end());
        inserted = true;
    }
    if (!inserted) rows.insert(rows.end(), comparisonMenuRows().begin(), comparisonMenuRows().end());
    return rows;
}

std::vector<AcceleratorRow> acceleratorsWithComparison() {
    std::vector<AcceleratorRow> table = viewerAccelerators();
    table.push_back({"F6", CMD_DELTA_GRAPH});
    return table;
}

void addComparisonMenuStates(MenuStates& m, const ComparisonState& c, const DriveModel& drive) {
    const bool comparable = drive.loaded != 0 && bestValidLap(drive) >= 0;
    const bool displayedIsReference = comparable && referenceLapOf(c, drive) == drive.currentLap;
    m.checked[CMD_SHOW_REFERENCE] = c.showReference != 0;
    m.checked[CMD_REFERENCE_BEST] = c.referenceLap == 0;
    m.checked[CMD_REFERENCE_DISPLAYED] = c.referenceLap != 0 && displayedIsReference;
    m.checked[CMD_REFERENCE_BY_NUMBER] = c.referenceLap != 0;
    m.checked[CMD_DELTA_GRAPH] = c.deltaGraph != 0;
    m.checked[CMD_GAIN_LOSS_MAP] = c.gainLossMap != 0;
    m.checked[CMD_SECTORS_AT_CORNERS] = c.sectorsAtCorners != 0;
    for (int id : {CMD_SHOW_REFERENCE, CMD_REFERENCE_BEST, CMD_REFERENCE_DISPLAYED, CMD_REFERENCE_BY_NUMBER,
                   CMD_DELTA_GRAPH, CMD_GAIN_LOSS_MAP}) {
        m.enabled[id] = comparable;
    }
    // The displayed lap can be the reference only when it is a valid lap.
    m.enabled[CMD_REFERENCE_DISPLAYED] = comparable && isValidLap(drive, drive.currentLap);
    for (int n = MIN_SECTOR_COUNT; n <= MAX_SECTOR_COUNT; ++n) {
        const int id = CMD_SECTORS_2 + n - 2;
        m.checked[id] = c.sectorsAtCorners == 0 && c.sectorCount == n;
        m.enabled[id] = true;
    }
    m.enabled[CMD_SECTORS_AT_CORNERS] = true;
}

namespace {

void toggle(int32_t& flag) { flag = flag != 0 ? 0 : 1; }

}  // namespace

bool isDisplayModeCommand(int id) {
    return id == CMD_MODE_3D || id == CMD_MODE_2D || id == CMD_MODE_SPEED || id == CMD_MODE_ALTITUDE ||
           id == CMD_MODE_POWER;
}

bool applyComparisonCommand(int id, ComparisonState& c, const DriveModel& drive) {
    if (id >= CMD_SECTORS_2 && id <= CMD_SECTORS_10) {
        c.sectorCount = id - CMD_SECTORS_2 + 2;
        c.sectorsAtCorners = 0;
        return true;
    }
    switch (id) {
    case CMD_SHOW_REFERENCE: toggle(c.showReference); return true;
    case CMD_REFERENCE_BEST: c.referenceLap = 0; return true;
    case CMD_REFERENCE_DISPLAYED:
        if (isValidLap(drive, drive.currentLap)) c.referenceLap = drive.currentLap + 1;
        return true;
    case CMD_DELTA_GRAPH: toggle(c.deltaGraph); return true;
    case CMD_GAIN_LOSS_MAP: toggle(c.gainLossMap); return true;
    case CMD_SECTORS_AT_CORNERS: toggle(c.sectorsAtCorners); return true;
    default: return false;
    }
}
