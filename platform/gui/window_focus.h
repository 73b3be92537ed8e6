// Keyboard focus between a program's windows when no window manager moves it
// (a kiosk X session, Xvfb): a window that is shown takes the focus, and a
// dialog that closes gives it back to its owner. With a window manager the
// same requests are merely passed on to it.
#pragma once

namespace platform {

// Installs the rule for every window of the application (once; later calls do
// nothing). Windows shown with Qt::WA_ShowWithoutActivating (the flash) and
// pop-ups (menus, tool tips) are left alone.
void keepKeyboardFocusWithWindows();

}  // namespace platform
