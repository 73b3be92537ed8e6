// The serial devices a receiver may sit on, for the port lists of the dialogs.
//
// USB receivers appear as /dev/ttyUSB* (USB-serial bridges) or /dev/ttyACM*
// (CDC-ACM, u-blox and most modern chips), and udev adds stable names under
// /dev/serial/by-id/. The list shows the USB product name where sysfs knows
// it, but what gets stored is always the device path.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct SerialDeviceEntry {
    std::string path;   // "/dev/ttyUSB0", stored as the port name
    std::string label;  // "/dev/ttyUSB0 (u-blox GNSS receiver)", shown in the list
};

// Devices present under `devRoot` ("/dev"), sorted, with product names read
// through `sysRoot` ("/sys"). Roots are parameters so tests can build a tree.
std::vector<SerialDeviceEntry> listSerialDevices(const std::string& devRoot = "/dev",
                                                 const std::string& sysRoot = "/sys");

// "COM1".."COM20" first, then the devices; each entry's text and stored name.
std::vector<SerialDeviceEntry> portChoices(const std::vector<SerialDeviceEntry>& devices);

// The port name to store for a combo box text: a shown label maps back to
// its device path, any other text is taken as typed.
std::string portNameForText(std::string_view text, const std::vector<SerialDeviceEntry>& choices);
