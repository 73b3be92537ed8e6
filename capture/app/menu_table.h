// The frame's menu and accelerator table as data, read by one builder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// One row of the menu: a popup opens (POPUP) or closes (END) a level, an item
// carries its command id, a separator has neither.
enum MenuRowKind { MENU_POPUP, MENU_END, MENU_ITEM, MENU_SEPARATOR };

struct MenuRow {
    MenuRowKind kind;
    int commandId;           // MENU_ITEM only
    std::string_view text;   // UTF-8; "\t" separates the accelerator hint
};

// The whole menu bar in order, popups nested.
const std::vector<MenuRow>& captureMenuRows();

// What the accelerator table really binds; hints in the menu ("Ctrl-O",
// "DEL") without a row here are menu-only.
struct AcceleratorRow {
    int commandId;
    std::string_view keys;   // QKeySequence portable text
};
const std::vector<AcceleratorRow>& captureAccelerators();

// "Velmora", or "Velmora (ループ：NAME)" and the open kinds, from the course
// name (Shift-JIS) and type.
std::string windowTitleText(std::string_view sjisName, int courseType);
