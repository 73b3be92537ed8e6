// "フラッシュカラーの選択": the colour of the screen flash.
#include <QColorDialog>

#include "capture/app/capture_dialogs.h"
#include "capture/app/colour_ref.h"
#include "capture/app/dialog_builder.h"
#include "capture/timing/capture_settings.h"
#include "platform/gui/centre_on_owner.h"
#include "platform/gui/japanese_texts.h"

bool chooseFlashColour(QWidget* owner) {
    platform::installJapaneseQtTexts();
    const Rgb stored = rgbFromColourRef(captureSettings.flashColour);
    const QColor current(stored.red, stored.green, stored.blue);
    // The custom colours start afresh each time: the current colour first, black after.
    QColorDialog::setCustomColor(0, current);
    for (int i = 1; i < QColorDialog::customCount(); ++i) QColorDialog::setCustomColor(i, Qt::black);
    QColorDialog dialog(current, owner);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setWindowTitle("フラッシュカラーの選択");
    platform::centreOnOwnerWhenShown(&dialog);
    if (dialog.exec() != QDialog::Accepted) return false;
    const QColor chosen = dialog.selectedColor();
    captureSettings.flashColour = colourRefFromRgb({chosen.red(), chosen.green(), chosen.blue()});
    return true;
}
