// Dialog templates as data: every control with its id, kind, text and
// rectangle in dialog units, and the conversion of dialog units to pixels
// through the dialog font's average character size (a horizontal unit is a
// quarter of the average width, a vertical one an eighth of the height).
#pragma once

#include <cstddef>

struct DluRect {
    int x = 0;  // dialog units
    int y = 0;
    int width = 0;
    int height = 0;
};

struct PixelRect {
    int x = 0;  // pixels
    int y = 0;
    int width = 0;
    int height = 0;
};

// avgCharWidth and charHeight in pixels.
PixelRect dluToPixels(const DluRect& r, int avgCharWidth, int charHeight);

enum class ControlKind {
    LABEL,          // static text, left aligned
    COMBO,          // drop-down combo box whose text can be typed
    EDIT,           // one-line edit box
    CHECK_BOX,
    RADIO,          // auto radio button; all radios of a dialog form one group
    BUTTON,         // id 1 accepts, id 2 cancels
    DEFAULT_BUTTON,
};

constexpr int CONTROL_STATIC = -1;  // id of controls nobody looks up
constexpr int CONTROL_OK = 1;
constexpr int CONTROL_CANCEL = 2;

struct DialogControl {
    int id;
    ControlKind kind;
    const char* text;  // UTF-8
    DluRect rect;
};

struct DialogTemplate {
    int resourceId;
    const char* caption;  // UTF-8
    int widthDlu;
    int heightDlu;
    const DialogControl* controls;
    size_t controlCount;
};

// The capture program's dialogs.
const DialogTemplate& gpsPortDialogTemplate();      // 134
const DialogTemplate& beaconPortDialogTemplate();   // 135
const DialogTemplate& gpsSettingsDialogTemplate();  // 136
const DialogTemplate& courseNameDialogTemplate();   // 133
const DialogTemplate& aboutBoxTemplate();           // 103
