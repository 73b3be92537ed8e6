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

// Loads a drive log into a fresh model and keeps it only on success: a log
// that cannot be opened leaves the drive on screen as it was. Returns the
// loader's status; `message` receives the Japanese text naming file and reason.
int openDriveLog(const std::string& path, std::string& message);
