#include "viewer/display/commands.h"

#include <cstdio>

#include "common/sjis.h"
#include "pl/pl.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/view_state.h"
#include "viewer/display/frame.h"
#include "viewer/display/menu_table.h"

void refreshMenuStates() {
    const MenuStates m = computeMenuStates(viewState, driveModel, animation);
    for (const auto& [id, on] : m.enabled) plEnableMenuItem(mainWindowId, id, on);
    for (const auto& [id, on] : m.checked) plCheckMenuItem(mainWindowId, id, on);
}

std::string windowTitle() {
    if (driveModel.loaded == 0) return "Quindle";
    static const char* const patterns[] = {"%s (3次元表示）", "%s (2次元表示）", "%s (時間／スピード）",
                                           "%s (時間／高度）", "%s (時間／パワー）"};
    const int mode = viewState.displayMode;
    const std::string name = sjisToUtf8(fixedText(driveModel.course.name));
    if (mode < 0 || mode > 4) return name;
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, patterns[mode], name.c_str());
    return buffer;
}

void updateTitle() { plSetTitle(mainWindowId, windowTitle().c_str()); }

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

int openDriveLog(const std::string& path, std::string& message) {
    DriveModel previous = std::move(driveModel);
    driveModel = DriveModel{};
    const int status = loadDriveLog(path);
    if (status == LOAD_OK) {
        message.clear();
        return status;
    }
    const LoadProblem problem = lastLoadProblem();
    const char* reason = "ファイルを読み込めません。";
    std::error_code ec;
    if (problem == LoadProblem::CannotOpen && !std::filesystem::exists(path, ec)) reason = "ファイルが見つかりません。";
    else if (problem == LoadProblem::BadSampleCount || problem == LoadProblem::Truncated)
        reason = "サンプル数が壊れています。";
    else if (problem == LoadProblem::TooFewPasses) reason = "ドライブログではありません。";
    else if (problem == LoadProblem::OutOfMemory) reason = "メモリが足りません。";
    message = "ファイル " + path + " を開けませんでした。\n" + reason;
    driveModel = std::move(previous);
    return status;
}
