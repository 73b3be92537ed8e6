// The viewer's menu states and window title, applied to the host window.
#pragma once

#include <string>

#include "viewer/analysis/drive_model.h"

// Applies every check mark and grey state of the current state to the menu.
void refreshMenuStates();
// The title of the current drive and display mode (UTF-8).
std::string windowTitle();
void updateTitle();
// QUINDLE_UNATTENDED=1: messages go to stderr instead of a message box that
// waits for a click, and every title change is printed as "title: TEXT".
bool unattended();

// The state commands that need no dialog: toggles, radio choices, lap steps
// (over cut laps only) and the colour reset. False for any other id.
bool applyStateCommand(int id);

// Loads a drive log into a fresh model and keeps it only on success: a log
// that cannot be opened leaves the drive on screen as it was. Returns the
// loader's status; `message` receives the Japanese text naming file and reason,
// or after a load that left samples or laps out, what was left out ("" otherwise).
int openDriveLog(const std::string& path, std::string& message);

// Runs the analysis again on the drive in memory (the vehicle weight changed;
// the file may have moved since it was opened) and keeps the displayed lap
// when it is still cut. A running replay restarts at the lap's first sample.
// Returns the analysis status; nothing happens without a drive.
int reanalyseDrive();

// Open, drop and hand-over: stops the replay, loads `path` (the drive on
// screen stays when that fails, and a message box says which file and why),
// resets the view, the title and the menus, and redraws.
bool openAndShow(const std::string& path);

// Every menu command and accelerator (the low 16 bits of WM_COMMAND's wParam).
void handleCommand(int id);

// The first lap that was cut, or 0 when there is none.
int firstCutLap(const DriveModel& drive);
