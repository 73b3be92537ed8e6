// "GPSポートの設定": the GPS port's line settings, the datum and the receiver kind.
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>

#include "capture/app/capture_dialogs.h"
#include "capture/app/dialog_builder.h"
#include "capture/app/dialog_rules.h"
#include "capture/app/port_combo.h"
#include "capture/gps/gps_state.h"
#include "capture/timing/capture_settings.h"

namespace {

enum : int {
    GPS_PORT_NAME = 1025,
    GPS_PORT_SPEED = 1022,
    GPS_PORT_BYTE_SIZE = 1023,
    GPS_PORT_STOP_BITS = 1015,
    GPS_PORT_PARITY = 1024,
    GPS_PORT_DATUM = 1026,
    GPS_PORT_BINARY = 1028,
};

void fillCombo(QComboBox* combo, const std::vector<std::string>& list, const std::string& text) {
    for (const std::string& entry : list) combo->addItem(QString::fromStdString(entry));
    combo->setEditText(QString::fromStdString(text));
    // A typed value is taken only as written: "odd" is no list entry, and
    // the box must not quietly turn it into "ODD".
    if (QCompleter* completer = combo->completer()) completer->setCaseSensitivity(Qt::CaseSensitive);
}

std::string textOf(const QComboBox* combo) { return combo->currentText().toStdString(); }

}  // namespace

bool runGpsPortDialog(QWidget* owner) {
    TemplateDialog dialog(owner, gpsPortDialogTemplate());
    int32_t newDatum = datum.load();
    int32_t newBinary = binaryReceiver.load();
    const GpsPortFields initial = gpsPortFieldsFrom(gpsPort, newDatum, newBinary);
    auto* port = dialog.control<QComboBox>(GPS_PORT_NAME);
    const std::vector<SerialDeviceEntry> choices = fillPortCombo(port, initial.port);
    fillCombo(dialog.control<QComboBox>(GPS_PORT_SPEED), baudRateList(), initial.baudRate);
    fillCombo(dialog.control<QComboBox>(GPS_PORT_BYTE_SIZE), byteSizeList(), initial.byteSize);
    fillCombo(dialog.control<QComboBox>(GPS_PORT_STOP_BITS), stopBitsList(), initial.stopBits);
    fillCombo(dialog.control<QComboBox>(GPS_PORT_PARITY), parityList(), initial.parity);
    fillCombo(dialog.control<QComboBox>(GPS_PORT_DATUM), datumList(), initial.datum);
    dialog.control<QCheckBox>(GPS_PORT_BINARY)->setChecked(initial.binaryReceiver);

    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted) {
        GpsPortFields typed;
        typed.port = portNameForText(textOf(port), choices);
        typed.baudRate = textOf(dialog.control<QComboBox>(GPS_PORT_SPEED));
        typed.byteSize = textOf(dialog.control<QComboBox>(GPS_PORT_BYTE_SIZE));
        typed.stopBits = textOf(dialog.control<QComboBox>(GPS_PORT_STOP_BITS));
        typed.parity = textOf(dialog.control<QComboBox>(GPS_PORT_PARITY));
        typed.datum = textOf(dialog.control<QComboBox>(GPS_PORT_DATUM));
        typed.binaryReceiver = dialog.control<QCheckBox>(GPS_PORT_BINARY)->isChecked();
        applyGpsPortFields(typed, gpsPort, newDatum, newBinary);
        // The settings record carries both, and publishing hands them to the
        // GPS state, so the next fix and whoever saves see the new values.
        captureSettings.datum = newDatum;
        captureSettings.binaryReceiver = newBinary;
        publishSettings();
    }
    returnFocusToFrame(owner);
    return accepted;
}
