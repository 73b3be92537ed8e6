// What the viewer's dialogs show and how their answers are read, without Qt:
// the file dialogs' texts, the colour dialog's byte conversions, the lap list
// rows and the caption texts. The dialog classes only apply these.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_list_text.h"
#include "viewer/analysis/view_state.h"

constexpr const char* ABOUT_TITLE = "バージョン情報";
constexpr const char* ABOUT_TEXT = "Quindle Version 1.21";
constexpr const char* WEIGHT_TITLE = "車重の設定";
constexpr const char* WEIGHT_LABEL = "車重(kg)：";
constexpr int WEIGHT_TEXT_LIMIT = 255;  // characters the edit box takes

// The open and save dialogs of the log and CSV commands.
struct FileDialogTexts {
    std::string title;
    std::string okText;
    std::string filter;         // Qt filter text: "name (patterns)"
    std::string defaultSuffix;  // added when the typed name has none
    std::string proposedName;   // preset file name ("" for the open dialog)
    bool mustExist = false;     // open: only an existing file is accepted
    bool confirmOverwrite = false;
};
// Open (forOpen) or save of the CSV of lap `lap` of a drive on `course`.
FileDialogTexts fileDialogTexts(bool forOpen, const Course& course, int lap);

// A colour channel 0..1 as the colour dialog's byte: x 255 truncated, clamped
// to 0..255 so a stored value a little outside the range cannot wrap.
struct ColourBytes {
    uint8_t r = 0, g = 0, b = 0;
};
ColourBytes colourToBytes(const Colour& colour);
// The dialog's answer back: each byte / 255.
Colour bytesToColour(const ColourBytes& bytes);

// The colour dialog's title and the ViewState colour of a colour command;
// `field` is nullptr for any other id.
struct ColourCommand {
    const char* title = nullptr;
    Colour ViewState::*field = nullptr;
};
ColourCommand colourCommandOf(int commandId);

// "ラップリスト：<course name>" (UTF-8); an empty name without a drive.
std::string lapListCaption(const DriveModel& drive);
// One row per lap slot 0 .. lapCount-1. A slot that was never cut (an open
// course's odd slot, a last mark without a partner) shows its number and "-"
// in every other column: it has no time or distance to show.
std::vector<std::array<std::string, LAP_LIST_COLUMNS>> lapListRows(const DriveModel& drive);
// Column widths in pixels, in column order.
const std::array<int, LAP_LIST_COLUMNS>& lapListColumnWidths();

// Dialog units to pixels for a dialog font of the given average character
// width and height (pixels): x = units * width / 4, y = units * height / 8.
int dialogUnitsX(int units, int averageCharWidth);
int dialogUnitsY(int units, int charHeight);
