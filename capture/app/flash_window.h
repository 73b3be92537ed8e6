// The screen flash window, for tests and the screenshot tool.
#pragma once

class QWidget;

// The flash window, or nullptr before createFlashWindow.
QWidget* flashWindowForTests();
