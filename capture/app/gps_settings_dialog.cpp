// "GPSの設定": pass radius, sampling period and maximum recording time.
#include <QLineEdit>
#include <QMessageBox>

#include "capture/app/capture_dialogs.h"
#include "capture/app/dialog_builder.h"
#include "capture/app/dialog_rules.h"
#include "capture/timing/capture_settings.h"

bool runGpsSettingsDialog(QWidget* owner) {
    TemplateDialog dialog(owner, gpsSettingsDialogTemplate());
    const GpsSettingsFields initial = gpsSettingsFieldsFrom(captureSettings);
    auto* offset = dialog.control<QLineEdit>(GPS_SETTINGS_POINT_OFFSET);
    auto* period = dialog.control<QLineEdit>(GPS_SETTINGS_SAMPLING);
    auto* seconds = dialog.control<QLineEdit>(GPS_SETTINGS_MAX_RECORDING);
    offset->setText(QString::fromStdString(initial.pointOffset));
    period->setText(QString::fromStdString(initial.samplingPeriodMs));
    seconds->setText(QString::fromStdString(initial.maxRecordingSeconds));

    // A value out of range is refused with the allowed range and the dialog
    // stays open on that box; nothing is stored until all three are good.
    dialog.setAcceptCheck([&] {
        const GpsSettingsFields typed{offset->text().toStdString(), period->text().toStdString(),
                                      seconds->text().toStdString()};
        const SettingsCheck check = applyGpsSettingsFields(typed, captureSettings);
        if (check.accepted) return true;
        QMessageBox::warning(&dialog, "警告", QString::fromStdString(check.messageUtf8));
        if (auto* box = dialog.control<QLineEdit>(check.controlId)) {
            box->setFocus();
            box->selectAll();
        }
        return false;
    });
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted) returnFocusToFrame(owner);
    return accepted;
}
