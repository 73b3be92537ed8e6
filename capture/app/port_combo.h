// Fills a port combo box with COM1..COM20 and the serial devices present.
#pragma once

#include <vector>

#include "capture/app/serial_device_list.h"

class QComboBox;

// Returns the entries shown, for mapping the chosen text back to a path.
std::vector<SerialDeviceEntry> fillPortCombo(QComboBox* combo, const std::string& currentName);
