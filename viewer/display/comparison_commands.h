// The comparison menu's commands on the viewer window.
#pragma once

// Runs a command of the comparison menu (the reference lap by number asks in
// a dialog); false for any other id. The caller refreshes menus and redraws.
bool handleComparisonCommand(int id);
