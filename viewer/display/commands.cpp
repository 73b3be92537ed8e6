#include "viewer/display/commands.h"

#include <QtGlobal>
#include <cstdio>

#include "common/sjis.h"
#include "pl/pl.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/view_state.h"
#include "viewer/display/comparison_commands.h"
#include "viewer/display/comparison_menu.h"
#include "viewer/display/comparison_views.h"
#include "viewer/display/frame.h"
#include "viewer/display/menu_table.h"
#include "viewer/display/recording_commands.h"
#include "import/viewer_import.h"

void refreshMenuStates() {
    MenuStates m = computeMenuStates(viewState, driveModel, animation);
    addComparisonMenuStates(m, comparisonState, driveModel);
    for (const auto& [id, on] : m.enabled) plEnableMenuItem(mainWindowId, id, on);
    for (const auto& [id, on] : m.checked) plCheckMenuItem(mainWindowId, id, on);
}

std::string windowTitle() {
    if (driveModel.loaded == 0) return "Quindle";
    static const char* const patterns[] = {"%s (3次元表示）", "%s (2次元表示）", "%s (時間／スピード）",
                                           "%s (時間／高度）", "%s (時間／パワー）"};
    const int mode = viewState.displayMode;
    const std::string name = sjisToUtf8(fixedText(driveModel.course.name));
    char buffer[512];
    if (deltaGraphActive()) {
        std::snprintf(buffer, sizeof buffer, "%s (距離／タイム差）", name.c_str());
        return buffer + importedTitleSuffix();
    }
    if (mode < 0 || mode > 4) return name + importedTitleSuffix();
    std::snprintf(buffer, sizeof buffer, patterns[mode], name.c_str());
    return buffer + importedTitleSuffix();
}

bool unattended() {
    static const bool value = qEnvironmentVariableIntValue("QUINDLE_UNATTENDED") != 0;
    return value;
}

void updateTitle() {
    const std::string title = windowTitle();
    plSetTitle(mainWindowId, title.c_str());
    // Unattended runs (the process tests) follow the window through its titles.
    if (unattended()) {
        std::printf("title: %s\n", title.c_str());
        std::fflush(stdout);
    }
}

#include "viewer/display/replay.h"

namespace {

void toggle(int32_t& flag) { flag = flag != 0 ? 0 : 1; }

}  // namespace

bool applyStateCommand(int id) {
    ViewState& s = viewState;
    switch (id) {
    case CMD_STATISTICS: toggle(s.showStatistics); return true;
    case CMD_INFO_SPEED: toggle(s.showSpeedInfo); return true;
    case CMD_INFO_POWER: toggle(s.showPowerInfo); return true;
    case CMD_INFO_CORNER_SPEED: toggle(s.showCornerSpeedInfo); return true;
    case CMD_INFO_ALTITUDE: toggle(s.showAltitudeInfo); return true;
    case CMD_INFO_ALL: case CMD_INFO_NONE: {
        const int32_t v = id == CMD_INFO_ALL ? 1 : 0;
        s.showSpeedInfo = s.showStatistics = s.showPowerInfo = s.showCornerSpeedInfo = s.showAltitudeInfo = v;
        return true;
    }
    case CMD_GRID: toggle(s.showGrid); return true;
    case CMD_TRACK_ALTITUDE: toggle(s.showTrackAltitude); return true;
    case CMD_ORIGIN: toggle(s.showOrigin); return true;
    case CMD_MEAN_ALTITUDE: toggle(s.absoluteAltitude); return true;
    case CMD_SCALE_1: s.altitudeScale = 0; return true;
    case CMD_SCALE_5: s.altitudeScale = 1; return true;
    case CMD_SCALE_10: s.altitudeScale = 2; return true;
    case CMD_CORNER_COUNT: toggle(s.showCornerCount); return true;
    case CMD_CORNER_SPEED: toggle(s.showCornerSpeed); return true;
    case CMD_CORNER_ALTITUDE: toggle(s.showCornerAltitude); return true;
    case CMD_CORNER_ALL: case CMD_CORNER_NONE: {
        const int32_t v = id == CMD_CORNER_ALL ? 1 : 0;
        s.showCornerAltitude = s.showCornerCount = s.showCornerSpeed = v;
        return true;
    }
    case CMD_MAP_NONE: s.colourMapMode = COLOUR_MAP_NONE; return true;
    case CMD_MAP_ACCELERATION: s.colourMapMode = COLOUR_MAP_ACCELERATION; return true;
    case CMD_MAP_CLIMB: s.colourMapMode = COLOUR_MAP_CLIMB; return true;
    case CMD_GPS_POINTS: toggle(s.showGpsPoints); return true;
    case CMD_LAP_MARKS: toggle(s.showLapMarkPosition); return true;
    case CMD_MAX_SPEED_POINT: toggle(s.showMaxSpeedPoint); return true;
    case CMD_NEXT_LAP: case CMD_PREVIOUS_LAP: {
        const int to = id == CMD_NEXT_LAP ? nextCutLap(driveModel, driveModel.currentLap)
                                          : previousCutLap(driveModel, driveModel.currentLap);
        if (to >= 0) driveModel.currentLap = to;
        restartAnimationForLap();
        return true;
    }
    case CMD_RESET_COLOURS: resetColours(); return true;
    case CMD_SPEED_1: case CMD_SPEED_2: case CMD_SPEED_4: case CMD_SPEED_8:
        setAnimationSpeed(id - CMD_SPEED_1);
        return true;
    case CMD_IN_CAR_VIEW: toggleInCarView(); return true;
    default: return false;
    }
}

#include <filesystem>
#include <utility>

#include "viewer/analysis/drive_log_loader.h"

int firstCutLap(const DriveModel& drive) {
    const int lap = nextCutLap(drive, -1);
    return lap >= 0 ? lap : 0;
}

// What the load left out, for the user: "" when the whole file was used.
static std::string loadNotesMessage(const std::string& path) {
    std::string notes;
    if (driveModel.leftOutSamples > 0)
        notes += "\n座標が数値でないサンプル " + std::to_string(driveModel.leftOutSamples) + " 個を除外しました。";
    if (driveModel.lapsBeyondTable > 0)
        notes += "\nラップが多すぎるため、" + std::to_string(MAX_LAPS + 1) + "周目以降の " +
                 std::to_string(driveModel.lapsBeyondTable) + " 周は表示できません。";
    return notes.empty() ? "" : "ファイル " + path + " :" + notes;
}

int openDriveLog(const std::string& path, std::string& message) {
    if (isRecordingPath(path)) return openRecording(path, message);
    DriveModel previous = std::move(driveModel);
    driveModel = DriveModel{};
    const int status = loadDriveLog(path);
    if (status == LOAD_OK) {
        driveModel.currentLap = firstCutLap(driveModel);
        rememberLastCourse(driveModel.course);
        message = loadNotesMessage(path);
        return status;
    }
    const LoadProblem problem = lastLoadProblem();
    const char* reason = "ファイルを読み込めません。";
    std::error_code ec;
    if (problem == LoadProblem::CannotOpen && !std::filesystem::exists(path, ec)) reason = "ファイルが見つかりません。";
    else if (problem == LoadProblem::BadSampleCount || problem == LoadProblem::Truncated)
        reason = "サンプル数が壊れています。";
    else if (problem == LoadProblem::WrongSize) reason = "ファイルの大きさがサンプル数と合いません。";
    else if (problem == LoadProblem::TooFewPasses) reason = "ドライブログではありません。";
    else if (problem == LoadProblem::OutOfMemory) reason = "メモリが足りません。";
    message = "ファイル " + path + " を開けませんでした。\n" + reason;
    driveModel = std::move(previous);
    return status;
}

#include <QMainWindow>
#include <QMessageBox>

#include "viewer/analysis/lap_analysis.h"
#include "viewer/analysis/lap_csv.h"
#include "viewer/display/dialog_rules.h"
#include "viewer/display/dialogs.h"

int reanalyseDrive() {
    if (driveModel.loaded == 0) return ANALYSE_NO_LAPS;
    const int lap = driveModel.currentLap;
    const int status = analyseDrive();
    driveModel.currentLap = isLapCut(lap) ? lap : firstCutLap(driveModel);
    restartAnimationForLap();
    return status;
}

namespace {

QWidget* owner() { return plQtWindow(mainWindowId); }

void warn(const std::string& text) {
    if (unattended()) {
        std::fprintf(stderr, "quindle: エラー: %s\n", text.c_str());
        return;
    }
    QMessageBox::warning(owner(), QStringLiteral("エラー"), QString::fromStdString(text));
}

void caution(const std::string& text) {
    if (unattended()) {
        std::fprintf(stderr, "quindle: 警告: %s\n", text.c_str());
        return;
    }
    QMessageBox::warning(owner(), QStringLiteral("警告"), QString::fromStdString(text));
}

void exportCurrentLap() {
    // A slot that was never cut has no samples to write.
    if (!hasCurrentLap()) return;
    std::string path;
    if (chooseFile(owner(), path, false) != 0) return;
    const WriteOutcome written = writeLapCsv(path);
    if (written.status == CSV_WRITE_FAILED) warn("ファイル " + path + " を保存できませんでした。\n" + written.error);
}

void chooseCommandColour(int id) {
    const ColourCommand command = colourCommandOf(id);
    if (command.field != nullptr) chooseColour(owner(), command.title, viewState.*command.field);
}

void selectMode(int id) {
    const int ids[] = {CMD_MODE_3D, CMD_MODE_2D, CMD_MODE_SPEED, CMD_MODE_ALTITUDE, CMD_MODE_POWER};
    for (int i = 0; i < 5; ++i) {
        if (ids[i] == id) viewState.displayMode = i;
    }
    comparisonState.deltaGraph = 0;  // a view of the view menu replaces the delta-T graph
    updateTitle();
}

}  // namespace

bool openAndShow(const std::string& path) {
    stopAnimation();
    std::string message;
    const bool opened = openDriveLog(path, message) == LOAD_OK;
    if (!opened) warn(message);
    else resetView();
    updateTitle();
    refreshMenuStates();
    plUpdate(mainWindowId);
    if (opened && !message.empty()) caution(message);
    return opened;
}

void handleCommand(int id) {
    switch (id) {
    case CMD_EXIT: plSetwinexit(mainWindowId); return;
    case CMD_ABOUT: showAbout(owner()); return;
    case CMD_LAP_LIST: showLapList(owner()); return;
    case CMD_ANIMATION_PAUSE: toggleAnimationPause(); return;
    case CMD_OPEN_LOG: {
        std::string path;
        if (chooseFile(owner(), path, true) == 0) openAndShow(path);
        return;
    }
    case CMD_EXPORT_CSV: exportCurrentLap(); break;
    case CMD_EXPORT_TRACK: exportCurrentLapTrack(owner()); break;
    case CMD_WEIGHT:
        // Without a drive only the weight is stored.
        if (showWeightDialog(owner()) && driveModel.loaded != 0) reanalyseDrive();
        break;
    case CMD_MODE_3D: case CMD_MODE_2D: case CMD_MODE_SPEED: case CMD_MODE_ALTITUDE: case CMD_MODE_POWER:
        selectMode(id);
        break;
    case CMD_ANIMATION: toggleAnimation(); break;
    case CMD_RESET_VIEW: resetView(); break;
    default:
        if (colourCommandOf(id).field != nullptr) {
            chooseCommandColour(id);
            plUpdate(mainWindowId);
            return;
        }
        if (!applyStateCommand(id) && !handleComparisonCommand(id)) return;
        break;
    }
    refreshMenuStates();
    plUpdate(mainWindowId);
}
