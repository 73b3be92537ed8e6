#include "viewer/display/menu_table.h"

#include <algorithm>

#include "viewer/display/recording_commands.h"

namespace {

MenuRow item(int id, const char* text) { return {MenuRowKind::Item, id, text}; }
MenuRow popup(const char* text) { return {MenuRowKind::Popup, 0, text}; }
MenuRow end() { return {MenuRowKind::EndPopup, 0, ""}; }
MenuRow separator() { return {MenuRowKind::Separator, 0, ""}; }

bool isCut(const DriveModel& drive, int lap) {
    return lap >= 0 && lap < drive.lapCount && drive.laps[static_cast<size_t>(lap)].startSample >= 0 &&
           drive.laps[static_cast<size_t>(lap)].endSample >= 0;
}

}  // namespace

const std::vector<MenuRow>& viewerMenuRows() {
    static const std::vector<MenuRow> rows = {
        popup("ファイル(&F)"),
        item(CMD_OPEN_LOG, "ログファイルを開く\tCtrl-O"), separator(),
        item(CMD_EXPORT_CSV, "CSVファイル出力..."), item(CMD_EXPORT_TRACK, "GPX/KMLファイル出力..."), separator(),
        item(CMD_WEIGHT, "車重設定..."), separator(),
        item(CMD_EXIT, "アプリケーションの終了(&X)"),
        end(),
        popup("表示(V)"),
        item(CMD_MODE_3D, "３次元表示\tF1"), item(CMD_MODE_2D, "２次元表示\tF2"),
        item(CMD_MODE_SPEED, "スピードグラフ\tF3"), item(CMD_MODE_ALTITUDE, "高度グラフ\tF4"),
        item(CMD_MODE_POWER, "パワーグラフ\tF5"), item(CMD_LAP_LIST, "ラップリスト...\tCtrl-L"), separator(),
        popup("情報表示"),
        item(CMD_STATISTICS, "統計情報を表示\tCtrl-I"), separator(),
        item(CMD_INFO_SPEED, "速度"), item(CMD_INFO_POWER, "パワー"), item(CMD_INFO_CORNER_SPEED, "コーナー速度"),
        item(CMD_INFO_ALTITUDE, "高度"), separator(),
        item(CMD_INFO_ALL, "全ての情報を表示"), item(CMD_INFO_NONE, "全ての情報を非表示"),
        end(),
        popup("3次元表示オプション"),
        item(CMD_GRID, "グリッドを表示"), item(CMD_TRACK_ALTITUDE, "トラックの高度を表示"),
        item(CMD_ORIGIN, "原点座標を表示"), item(CMD_MEAN_ALTITUDE, "平均高度で表示"),
        popup("高度表示のスケール"),
        item(CMD_SCALE_1, "x 1.0倍\tCtrl-1"), item(CMD_SCALE_5, "x 5.0倍\tCtrl-2"), item(CMD_SCALE_10, "x 10倍\tCtrl-3"),
        end(),
        end(),
        popup("コーナー解析"),
        item(CMD_CORNER_COUNT, "カウントを表示"), item(CMD_CORNER_SPEED, "スピードを表示"),
        item(CMD_CORNER_ALTITUDE, "高度を表示"), separator(),
        item(CMD_CORNER_ALL, "全ての情報を表示"), item(CMD_CORNER_NONE, "全ての情報を非表示"),
        end(),
        popup("カラーマップ表示"),
        item(CMD_MAP_NONE, "カラーマップ無し"), item(CMD_MAP_ACCELERATION, "加速減速状態の表示"),
        item(CMD_MAP_CLIMB, "高度状態の表示"),
        end(),
        item(CMD_GPS_POINTS, "GPSポイントを表示\tCtrl-G"), item(CMD_LAP_MARKS, "ラップカウント位置の表示"),
        item(CMD_MAX_SPEED_POINT, "最高速地点の表示"), separator(),
        item(CMD_NEXT_LAP, "次のラップの表示\tCtrl-N"), item(CMD_PREVIOUS_LAP, "１つ前のラップの表示\tCtrl-P"),
        separator(),
        item(CMD_RESET_VIEW, "表示状態のリセット\tEsc"),
        end(),
        popup("設定(S)"),
        item(CMD_COLOUR_BACKGROUND, "背景色の設定..."), item(CMD_COLOUR_ROAD, "道路の色の設定..."),
        item(CMD_COLOUR_GPS_POINT, "GPSポイント色の設定..."),
        item(CMD_COLOUR_ANIMATION_POINT, "アニメーションポイント色の設定..."), separator(),
        item(CMD_COLOUR_ACCEL, "加速区間色の設定..."), item(CMD_COLOUR_DECEL, "減速区間色の設定..."), separator(),
        item(CMD_COLOUR_UPHILL, "登り区間色の指定..."), item(CMD_COLOUR_DOWNHILL, "下り区間色の指定..."),
        separator(),
        item(CMD_RESET_COLOURS, "初期状態に戻す"),
        end(),
        popup("アニメーション(A)"),
        item(CMD_ANIMATION, "スタート/ストップ\tSpace"), item(CMD_ANIMATION_PAUSE, "一時停止"), separator(),
        popup("スピード"),
        item(CMD_SPEED_1, "x 1.0倍速"), item(CMD_SPEED_2, "x 2.0倍速"), item(CMD_SPEED_4, "x 4.0倍速"),
        item(CMD_SPEED_8, "x 8.0倍速"),
        end(),
        separator(),
        item(CMD_IN_CAR_VIEW, "車載ビュー"),
        end(),
        popup("ヘルプ(&H)"),
        item(CMD_ABOUT, "バージョン情報 ...(&A)"),
        end(),
    };
    return rows;
}

const std::vector<AcceleratorRow>& viewerAccelerators() {
    static const std::vector<AcceleratorRow> table = {
        {"F1", CMD_MODE_3D}, {"F2", CMD_MODE_2D}, {"F3", CMD_MODE_SPEED}, {"F4", CMD_MODE_ALTITUDE},
        {"F5", CMD_MODE_POWER}, {"Ctrl+P", CMD_PREVIOUS_LAP}, {"Ctrl+G", CMD_GPS_POINTS},
        {"Ctrl+I", CMD_STATISTICS}, {"Ctrl+L", CMD_LAP_LIST}, {"Ctrl+N", CMD_NEXT_LAP},
        {"Ctrl+1", CMD_SCALE_1}, {"Ctrl+2", CMD_SCALE_5}, {"Ctrl+3", CMD_SCALE_10}, {"Space", CMD_ANIMATION},
        {"Alt+/", CMD_ABOUT}, {"Alt+?", CMD_ABOUT},
    };
    return table;
}

int cutLapCount(const DriveModel& drive) {
    int n = 0;
    for (int lap = 0; lap < drive.lapCount; ++lap) n += isCut(drive, lap) ? 1 : 0;
    return n;
}

int nextCutLap(const DriveModel& drive, int from) {
    for (int lap = from + 1; lap < drive.lapCount; ++lap) {
        if (isCut(drive, lap)) return lap;
    }
    return -1;
}

int previousCutLap(const DriveModel& drive, int from) {
    for (int lap = std::min(from, drive.lapCount) - 1; lap >= 0; --lap) {
        if (isCut(drive, lap)) return lap;
    }
    return -1;
}

MenuStates computeMenuStates(const ViewState& s, const DriveModel& drive, const AnimationState& anim) {
    MenuStates m;
    for (const MenuRow& row : viewerMenuRows()) {
        if (row.kind == MenuRowKind::Item) m.enabled[row.id] = true;
    }
    const std::pair<int, int32_t> flags[] = {
        {CMD_TRACK_ALTITUDE, s.showTrackAltitude}, {CMD_GRID, s.showGrid}, {CMD_STATISTICS, s.showStatistics},
        {CMD_INFO_SPEED, s.showSpeedInfo}, {CMD_INFO_POWER, s.showPowerInfo},
        {CMD_INFO_CORNER_SPEED, s.showCornerSpeedInfo}, {CMD_INFO_ALTITUDE, s.showAltitudeInfo},
        {CMD_GPS_POINTS, s.showGpsPoints}, {CMD_CORNER_COUNT, s.showCornerCount},
        {CMD_CORNER_SPEED, s.showCornerSpeed}, {CMD_CORNER_ALTITUDE, s.showCornerAltitude},
        {CMD_LAP_MARKS, s.showLapMarkPosition}, {CMD_MAX_SPEED_POINT, s.showMaxSpeedPoint},
        {CMD_ORIGIN, s.showOrigin}, {CMD_IN_CAR_VIEW, s.inCarView},
    };
    for (const auto& [id, flag] : flags) m.checked[id] = flag != 0;
    m.checked[CMD_MEAN_ALTITUDE] = s.absoluteAltitude == 0;
    const int mapIds[] = {CMD_MAP_NONE, CMD_MAP_ACCELERATION, CMD_MAP_CLIMB};
    for (int i = 0; i < 3; ++i) m.checked[mapIds[i]] = s.colourMapMode == i;
    const int scaleIds[] = {CMD_SCALE_1, CMD_SCALE_5, CMD_SCALE_10};
    for (int i = 0; i < 3; ++i) m.checked[scaleIds[i]] = s.altitudeScale == i;
    const int modeIds[] = {CMD_MODE_3D, CMD_MODE_2D, CMD_MODE_SPEED, CMD_MODE_ALTITUDE, CMD_MODE_POWER};
    for (int i = 0; i < 5; ++i) m.checked[modeIds[i]] = s.displayMode == i;
    const int speedIds[] = {CMD_SPEED_1, CMD_SPEED_2, CMD_SPEED_4, CMD_SPEED_8};
    for (int i = 0; i < 4; ++i) m.checked[speedIds[i]] = s.animationSpeed == i;

    // The nine 3D-only items; 2D keeps only the sample points.
    const int threeDItems[] = {CMD_GRID, CMD_TRACK_ALTITUDE, CMD_ORIGIN, CMD_MEAN_ALTITUDE, CMD_SCALE_1,
                               CMD_SCALE_5, CMD_SCALE_10, CMD_IN_CAR_VIEW};
    for (int id : threeDItems) m.enabled[id] = s.displayMode == DISPLAY_3D;
    m.enabled[CMD_GPS_POINTS] = s.displayMode == DISPLAY_3D || s.displayMode == DISPLAY_2D;

    // Lap stepping needs two laps that were cut (uncut slots are skipped).
    const bool twoLaps = cutLapCount(drive) >= 2;
    m.enabled[CMD_NEXT_LAP] = twoLaps;
    m.enabled[CMD_PREVIOUS_LAP] = twoLaps;
    m.enabled[CMD_ANIMATION_PAUSE] = anim.animating;
    const bool loaded = drive.loaded != 0;
    for (int id : {static_cast<int>(CMD_EXPORT_CSV), static_cast<int>(CMD_ANIMATION), static_cast<int>(CMD_SPEED_1),
                   static_cast<int>(CMD_SPEED_2), static_cast<int>(CMD_SPEED_4), static_cast<int>(CMD_SPEED_8)}) {
        m.enabled[id] = loaded;
    }
    // Export and replay work on the displayed lap: a drive without a cut lap has none.
    const bool aLap = loaded && cutLapCount(drive) >= 1;
    m.enabled[CMD_EXPORT_CSV] = aLap;
    m.enabled[CMD_ANIMATION] = aLap;
    m.enabled[CMD_EXPORT_TRACK] = loaded;
    if (!loaded) m.enabled[CMD_IN_CAR_VIEW] = false;
    return m;
}
