#include "capture/app/port_combo.h"

#include <QAbstractItemView>
#include <QComboBox>

std::vector<SerialDeviceEntry> fillPortCombo(QComboBox* combo, const std::string& currentName) {
    const std::vector<SerialDeviceEntry> choices = portChoices(listSerialDevices());
    combo->clear();
    for (const SerialDeviceEntry& choice : choices) combo->addItem(QString::fromStdString(choice.label));
    // Device labels are longer than the box; the open list shows them whole.
    combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) + 24);
    combo->setEditText(QString::fromStdString(currentName));
    return choices;
}
