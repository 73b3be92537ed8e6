// "MoTeCビーコンポートの設定": the beacon port's name; its line settings are fixed.
#include <QComboBox>

#include "capture/app/capture_dialogs.h"
#include "capture/app/dialog_builder.h"
#include "capture/app/dialog_rules.h"
#include "capture/app/port_combo.h"
#include "capture/timing/beacon.h"
#include "common/sjis.h"

bool runBeaconPortDialog(QWidget* owner) {
    TemplateDialog dialog(owner, beaconPortDialogTemplate());
    auto* port = dialog.control<QComboBox>(1025);
    const std::vector<SerialDeviceEntry> choices =
        fillPortCombo(port, std::string(fixedText(beaconPort.portName)));
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted) applyBeaconPortText(portNameForText(port->currentText().toStdString(), choices), beaconPort);
    returnFocusToFrame(owner);
    return accepted;
}
