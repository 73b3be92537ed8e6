// The viewer's menu states and window title, applied to the host window.
#pragma once

#include <string>

// Applies every check mark and grey state of the current state to the menu.
void refreshMenuStates();
// The title of the current drive and display mode (UTF-8).
std::string windowTitle();
void updateTitle();

// The state commands that need no dialog: toggles, radio choices, lap steps
// (over cut laps only) and the colour reset. False for any other id.
bool applyStateCommand(int id);
