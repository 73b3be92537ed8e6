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
