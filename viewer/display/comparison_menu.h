// The lap comparison menu "比較(C)", placed after the animation menu, its
// accelerator and its check and grey rules. Qt-free: the window applies them.
// Its command ids lie outside those of the rest of the menu.
#pragma once

#include <vector>

#include "viewer/analysis/comparison_state.h"
#include "viewer/analysis/lap_sectors.h"
#include "viewer/display/menu_table.h"

enum ComparisonCommand : int {
    CMD_SHOW_REFERENCE = 40001,
    CMD_REFERENCE_BEST = 40002,
    CMD_REFERENCE_DISPLAYED = 40003,
    CMD_REFERENCE_BY_NUMBER = 40004,
    CMD_DELTA_GRAPH = 40005,
    CMD_GAIN_LOSS_MAP = 40006,
    CMD_SECTORS_2 = 40012,  // .. CMD_SECTORS_2 + 8 for ten sectors
    CMD_SECTORS_10 = 40020,
    CMD_SECTORS_AT_CORNERS = 40021,
};

// The popup rows of the comparison menu.
const std::vector<MenuRow>& comparisonMenuRows();
// The whole menu bar: the viewer's menu with the comparison popup inserted
// after the animation popup.
std::vector<MenuRow> menuRowsWithComparison();
// The viewer's accelerators and F6 for the delta-T graph.
std::vector<AcceleratorRow> acceleratorsWithComparison();

// Check and grey states of the comparison items, added to `states`.
void addComparisonMenuStates(MenuStates& states, const ComparisonState& comparison, const DriveModel& drive);

// The comparison commands that need no dialog; false for any other id.
// Choosing a display mode of the view menu leaves the delta-T graph.
bool applyComparisonCommand(int id, ComparisonState& comparison, const DriveModel& drive);
bool isDisplayModeCommand(int id);
