// Qt side of the dialog placement rule: moves a dialog (a QDialog, a Qt file
// or colour dialog) over its owner window, or over the primary screen when the
// owner is maximised or absent. Call it once the dialog has its size, on show.
#pragma once

class QWidget;

namespace platform {

// Moves `dialog` by the rule of common/dialog_placement.h, then just inside
// the available screen area; the owner is the dialog's parent window. The size
// is never changed.
void centreOnOwner(QWidget* dialog);

// Installs an event filter that centres `dialog` every time it is shown, for
// dialogs whose show is not in the caller's hands (QFileDialog::exec and the like).
void centreOnOwnerWhenShown(QWidget* dialog);

}  // namespace platform
