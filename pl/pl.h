// pl: the viewer's window host. One top-level window with a menu bar, an
// OpenGL drawing surface of its own and C-style callbacks, in the manner of a
// small Win32 GL framework. Resources (menus, accelerator tables, icons) are
// registered by the program under their numeric ids before they are used.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QMainWindow;

constexpr int PL_DEFAULT_POSITION = static_cast<int>(0x80000000u);  // CW_USEDEFAULT
constexpr unsigned PL_WM_COMMAND = 0x0111;

// Mouse-down callback codes.
constexpr int PL_MOUSE_DRAG_LEFT = 1;
constexpr int PL_MOUSE_DRAG_RIGHT = 2;
constexpr int PL_MOUSE_DRAG_BOTH = 3;
constexpr int PL_MOUSE_WHEEL = 8;  // signed wheel notches in x (positive = away from the user)

using PlInitFunc = int (*)(int win);
using PlDrawFunc = int (*)();
using PlCommandFunc = int (*)(void* window, unsigned message, uintptr_t wParam, intptr_t lParam);
using PlKeydownFunc = int (*)(int virtualKey);
using PlMouseFunc = int (*)(int code, int x, int y);
using PlTimerFunc = void (*)();
using PlDropFunc = void (*)(const char* path);

// One row of a menu resource.
enum class PlMenuKind { Item, Separator, Popup, EndPopup };
struct PlMenuRow {
    PlMenuKind kind = PlMenuKind::Item;
    int id = 0;            // command id of an item
    std::string text;      // UTF-8; "\t" followed by the key hint for items that show one
};
// One accelerator: a key sequence in Qt's portable text ("Ctrl+N", "F1", "Space").
struct PlAccelerator {
    std::string keys;
    int id = 0;
};

void plRegisterMenu(int resourceId, std::vector<PlMenuRow> rows);
void plRegisterAccelerators(int resourceId, std::vector<PlAccelerator> table);
void plRegisterIcon(int resourceId, const std::string& imagePath);

int plSethinstance(void* instance, int unused);
int plGetwindow();  // window id; -1 when no window can be had
int plSetmenu(int win, int resourceId);
int plSetAccelerators(int win, int resourceId);
int plSetinitfunc(int win, PlInitFunc f);
int plSetdrawfunc(int win, PlDrawFunc f);
int plSetcommandfunc(int win, PlCommandFunc f);
int plSetkeydownfunc(int win, PlKeydownFunc f);
int plSetmousedownfunc(int win, PlMouseFunc f);
int plSetmouseupfunc(int win, PlMouseFunc f);
int plSeticon(int win, int resourceId);
int plSetSmallicon(int win, int resourceId);
// Creates and shows the window; returns its handle (never 0 on success), 0 on failure.
void* plCreatewindow(int win, int x, int y, int width, int height, const char* title);
int plFlush(int win);
int plDrawstrat(int win);  // makes the GL context current
int plDrawend(int win);    // releases it
int plSwapbuffer();        // presents the frame of the window whose context is current
int plUpdate(int win);     // schedules a redraw through the draw callback
int plGetwindowsize(int win, int* width, int* height);
int plGetMousedownpos(int win, int button, int* x, int* y);
// Handles every pending event and returns.
int plEventLoop(int win);
// Blocks until at least one event arrives (or timeoutMs passes, -1 = no limit), then handles them.
int plWaitEvents(int win, int timeoutMs);
int plGetwinexit(int win);
int plSetwinexit(int win);
int plExitwindow(int win);

// Substitutes for the few Win32 calls the program makes on its window.
int plSetTimer(int win, int timerId, int periodMs, PlTimerFunc f);  // replaces a timer of that id
int plKillTimer(int win, int timerId);
bool plTimerActive(int win, int timerId);
int plSetTitle(int win, const char* title);
int plEnableMenuItem(int win, int id, bool enabled);
int plCheckMenuItem(int win, int id, bool checked);
bool plMenuItemEnabled(int win, int id);
bool plMenuItemChecked(int win, int id);
// Sends a command to the command callback as WM_COMMAND (the id in the low 16 bits of wParam).
int plSendCommand(int win, int id);
int plSetdropfunc(int win, PlDropFunc f);
// Normal (restored) rectangle of the window frame.
int plGetWindowRect(int win, int* x, int* y, int* width, int* height);
int plMoveWindow(int win, int x, int y, int width, int height);  // width/height 0 = position only
QMainWindow* plQtWindow(int win);  // owner for dialogs
