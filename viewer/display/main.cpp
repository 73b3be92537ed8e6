// quindle: the drive log viewer. Start-up, the command loop and shutdown.
#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <string>

#include "pl/pl.h"
#include "platform/gui/single_instance.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/preference_files.h"
#include "viewer/display/commands.h"
#include "viewer/display/frame.h"
#include "viewer/display/menu_table.h"
#include "viewer/display/replay.h"
#include "viewer/display/views.h"

namespace {

int onCommand(void*, unsigned, uintptr_t wParam, intptr_t) {
    const int id = static_cast<int>(wParam & 0xffffu);
    switch (id) {
    case CMD_EXIT: plSetwinexit(mainWindowId); return 0;
    case CMD_MODE_3D: case CMD_MODE_2D: case CMD_MODE_SPEED: case CMD_MODE_ALTITUDE: case CMD_MODE_POWER: {
        const int ids[] = {CMD_MODE_3D, CMD_MODE_2D, CMD_MODE_SPEED, CMD_MODE_ALTITUDE, CMD_MODE_POWER};
        for (int i = 0; i < 5; ++i) if (ids[i] == id) viewState.displayMode = i;
        updateTitle();
        break;
    }
    case CMD_ANIMATION: toggleAnimation(); break;
    case CMD_ANIMATION_PAUSE: toggleAnimationPause(); return 0;
    case CMD_RESET_VIEW: resetView(); break;
    default: applyStateCommand(id); break;
    }
    refreshMenuStates();
    plUpdate(mainWindowId);
    return 0;
}

int onKeyDown(int key) {
    if (key == 27) {
        resetView();
        plUpdate(mainWindowId);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::string path = argc > 1 ? argv[1] : "";
    platform::SingleInstance instance("QUINDLE", "morvanefname", "plwin0");
    instance.openSharedMemory();
    if (!instance.acquire()) {
        if (path.empty()) {
            QMessageBox::warning(nullptr, "警告", "すでにQuindleは起動しています。");
            return 0;
        }
        return instance.handOver(path) == 0 ? 0 : 1;
    }
    std::vector<PlMenuRow> rows;
    for (const MenuRow& r : viewerMenuRows()) rows.push_back({static_cast<PlMenuKind>(r.kind), r.id, r.text});
    plRegisterMenu(MENU_RESOURCE_ID, rows);
    std::vector<PlAccelerator> keys;
    for (const AcceleratorRow& a : viewerAccelerators()) keys.push_back({a.keys, a.id});
    plRegisterAccelerators(MENU_RESOURCE_ID, keys);
    plSethinstance(nullptr, 0);
    mainWindowId = plGetwindow();
    if (mainWindowId < 0) return 1;
    plSetmenu(mainWindowId, MENU_RESOURCE_ID);
    plSetAccelerators(mainWindowId, MENU_RESOURCE_ID);
    plSetinitfunc(mainWindowId, initialiseGl);
    plSetdrawfunc(mainWindowId, drawFrame);
    plSetcommandfunc(mainWindowId, onCommand);
    plSetkeydownfunc(mainWindowId, onKeyDown);
    plSetmousedownfunc(mainWindowId, onMouseDrag);
    plSetmouseupfunc(mainWindowId, onMouseUp);
    if (!plCreatewindow(mainWindowId, PL_DEFAULT_POSITION, PL_DEFAULT_POSITION, 640, 480, "Quindle")) return 1;
    instance.listen([&](int command) {
        if (command == platform::COMMAND_OPEN_HANDOFF && !instance.sharedPath().empty()) {
            stopAnimation();
            std::string message;
            if (openDriveLog(instance.sharedPath(), message) != LOAD_OK)
                QMessageBox::warning(plQtWindow(mainWindowId), "エラー", QString::fromStdString(message));
            updateTitle();
            refreshMenuStates();
            plUpdate(mainWindowId);
        }
    });
    WindowRect rect;
    if (readWindowRect(rect) == 0) plMoveWindow(mainWindowId, rect.left, rect.top, rect.width, rect.height);
    setViewStateDefaults();
    readViewPrefs(viewState);
    refreshMenuStates();
    if (!path.empty()) {
        std::string message;
        if (openDriveLog(path, message) != LOAD_OK)
            QMessageBox::warning(plQtWindow(mainWindowId), "エラー", QString::fromStdString(message));
        updateTitle();
        refreshMenuStates();
    }
    plUpdate(mainWindowId);
    while (plGetwinexit(mainWindowId) == 0) plWaitEvents(mainWindowId, -1);
    stopAnimation();
    if (plGetWindowRect(mainWindowId, &rect.left, &rect.top, &rect.width, &rect.height) == 0) writeWindowRect(rect);
    writeViewPrefs(viewState);
    plExitwindow(mainWindowId);
    return 0;
}
