// The viewer's dialogs: file choice, colour choice, the About box, the
// vehicle weight and the lap list. Each is modal over `owner` and centred on it.
#pragma once

#include <string>

#include "viewer/analysis/view_state.h"

class QWidget;

// Open (forOpen) or save dialog for a drive log or the current lap's CSV.
// Returns 0 with `path` set on OK, nonzero when cancelled (`path` unchanged).
int chooseFile(QWidget* owner, std::string& path, bool forOpen);

// Edits `colour` in place on OK; returns whether OK was pressed.
bool chooseColour(QWidget* owner, const char* title, Colour& colour);

void showAbout(QWidget* owner);

// The weight dialog on viewState.vehicleWeightKg. Returns whether OK was pressed.
bool showWeightDialog(QWidget* owner);

// The lap list of the loaded drive; returns 0 after OK.
int showLapList(QWidget* owner);
