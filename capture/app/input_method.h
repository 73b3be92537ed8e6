// The frame's input method around Japanese name entry: after a name was
// typed through the input method it must be closed again, or Space and the
// Ctrl shortcuts go to the composition instead of the program.
#pragma once

class QWidget;

// Whether an input method panel is open for the focused window.
bool inputMethodOpen();
// Ends any composition, closes the input method and gives the focus to `frame`.
void closeInputMethod(QWidget* frame);
