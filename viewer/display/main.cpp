// quindle: the drive log viewer. Start-up, the command loop and shutdown.
#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "pl/pl.h"
#include "platform/gui/japanese_texts.h"
#include "platform/gui/single_instance.h"
#include "platform/gui/termination_signals.h"
#include "platform/gui/window_focus.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/preference_files.h"
#include "viewer/analysis/comparison_state.h"
#include "viewer/display/commands.h"
#include "viewer/display/comparison_menu.h"
#include "viewer/display/frame.h"
#include "viewer/display/menu_table.h"
#include "viewer/display/replay.h"
#include "viewer/display/views.h"

namespace {

int onCommand(void*, unsigned, uintptr_t wParam, intptr_t) {
    handleCommand(static_cast<int>(wParam & 0xffffu));
    return 0;
}

void onDrop(const char* path) { openAndShow(path); }

// The user is not bothered with a box at exit, but a lost preference is told.
void writePreferences(bool withWindowRect) {
    std::vector<WriteOutcome> written;
    WindowRect rect;
    if (withWindowRect && plGetWindowRect(mainWindowId, &rect.left, &rect.top, &rect.width, &rect.height) == 0)
        written.push_back(writeWindowRect(rect));
    written.push_back(writeViewPrefs(viewState));
    written.push_back(writeComparisonPrefs(comparisonState));
    for (const WriteOutcome& outcome : written)
        if (outcome.status != 0) std::fprintf(stderr, "quindle: %s\n", outcome.error.c_str());
}

// Qt ends the process with exit() when the X server goes away; the view
// settings are still written then (the window, gone with the display, is not asked).
bool loopRunning = false;
void writePreferencesAtExit() {
    if (loopRunning) writePreferences(false);
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
    platform::installJapaneseQtTexts();  // Qt's own buttons and dialogs in Japanese
    platform::keepKeyboardFocusWithWindows();
    const std::string path = argc > 1 ? argv[1] : "";
    platform::SingleInstance instance("QUINDLE", "morvanefname", "plwin0");
    instance.openSharedMemory();
    if (!instance.acquire()) {
        if (path.empty()) {
            if (unattended()) std::fprintf(stderr, "quindle: 警告: すでにQuindleは起動しています。\n");
            else QMessageBox::warning(nullptr, "警告", "すでにQuindleは起動しています。");
            return 0;
        }
        // A path of 256 bytes or more (made absolute) does not fit the hand-over memory and is refused whole.
        const int status = instance.handOver(path);
        const std::string absolute = platform::SingleInstance::absolutePath(path);
        if (status == 1) std::fprintf(stderr, "quindle: path too long to hand over (%zu bytes): %s\n", absolute.size(), absolute.c_str());
        return status == 0 ? 0 : 1;
    }
    std::vector<PlMenuRow> rows;
    for (const MenuRow& r : menuRowsWithComparison()) rows.push_back({static_cast<PlMenuKind>(r.kind), r.id, r.text});
    plRegisterMenu(MENU_RESOURCE_ID, rows);
    std::vector<PlAccelerator> keys;
    for (const AcceleratorRow& a : acceleratorsWithComparison()) keys.push_back({a.keys, a.id});
    plRegisterAccelerators(MENU_RESOURCE_ID, keys);
    plRegisterIcon(ICON_RESOURCE_ID, ":/viewer/quindle.png");
    plSethinstance(nullptr, 0);
    mainWindowId = plGetwindow();
    if (mainWindowId < 0) return 1;
    plSetmenu(mainWindowId, MENU_RESOURCE_ID);
    plSetAccelerators(mainWindowId, MENU_RESOURCE_ID);
    plSeticon(mainWindowId, ICON_RESOURCE_ID);
    plSetSmallicon(mainWindowId, ICON_RESOURCE_ID);
    plSetinitfunc(mainWindowId, initialiseGl);
    plSetdrawfunc(mainWindowId, drawFrame);
    plSetcommandfunc(mainWindowId, onCommand);
    plSetkeydownfunc(mainWindowId, onKeyDown);
    plSetmousedownfunc(mainWindowId, onMouseDrag);
    plSetmouseupfunc(mainWindowId, onMouseUp);
    plSetdropfunc(mainWindowId, onDrop);
    if (!plCreatewindow(mainWindowId, PL_DEFAULT_POSITION, PL_DEFAULT_POSITION, 640, 480, "Quindle")) return 1;
    instance.listen([&](int command) {
        if (command == platform::COMMAND_OPEN_HANDOFF && !instance.sharedPath().empty())
            openAndShow(instance.sharedPath());
    });
    // SIGINT and SIGTERM end the loop as the exit command does: both preference files are written.
    // exit() also ends a modal dialog's loop, so the signal is not held up by an open dialog.
    platform::onTerminationSignal(app, [] {
        plSetwinexit(mainWindowId);
        QCoreApplication::exit(0);
    });
    WindowRect rect;
    if (readWindowRect(rect) == 0) plMoveWindow(mainWindowId, rect.left, rect.top, rect.width, rect.height);
    setViewStateDefaults();
    readViewPrefs(viewState);
    readComparisonPrefs(comparisonState);
    refreshMenuStates();
    if (!path.empty()) openAndShow(path);
    else plUpdate(mainWindowId);
    loopRunning = true;
    std::atexit(writePreferencesAtExit);
    while (plGetwinexit(mainWindowId) == 0) plWaitEvents(mainWindowId, -1);
    loopRunning = false;
    stopAnimation();
    writePreferences(true);
    plExitwindow(mainWindowId);
    return 0;
}
