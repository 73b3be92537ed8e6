#include "capture/app/serial_device_list.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "capture/app/dialog_rules.h"

namespace fs = std::filesystem;

namespace {

std::string readFirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

// The USB product name of a tty: sysfs links /sys/class/tty/NAME/device to
// the USB interface (ttyACM) or the usb-serial port below it (ttyUSB); the
// "product" file sits in the USB device a level or two above.
std::string usbProductName(const std::string& ttyName, const std::string& sysRoot) {
    std::error_code ec;
    fs::path dir = fs::canonical(fs::path(sysRoot) / "class" / "tty" / ttyName / "device", ec);
    if (ec) return {};
    for (int up = 0; up < 4 && !dir.empty(); ++up) {
        if (fs::exists(dir / "product", ec)) return readFirstLine(dir / "product");
        dir = dir.parent_path();
    }
    return {};
}

std::string labelFor(const std::string& path, const std::string& ttyName, const std::string& sysRoot) {
    const std::string product = usbProductName(ttyName, sysRoot);
    return product.empty() ? path : path + " (" + product + ")";
}

bool isTtyName(const std::string& name) {
    return name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0;
}

}  // namespace

std::vector<SerialDeviceEntry> listSerialDevices(const std::string& devRoot, const std::string& sysRoot) {
    std::vector<SerialDeviceEntry> ttys;
    std::vector<SerialDeviceEntry> byId;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(devRoot, ec)) {
        const std::string name = entry.path().filename().string();
        if (!isTtyName(name)) continue;
        const std::string path = "/dev/" + name;
        ttys.push_back({path, labelFor(path, name, sysRoot)});
    }
    const fs::path idDir = fs::path(devRoot) / "serial" / "by-id";
    for (const auto& entry : fs::directory_iterator(idDir, ec)) {
        const std::string path = "/dev/serial/by-id/" + entry.path().filename().string();
        // The link's own name already carries the vendor and product.
        byId.push_back({path, path});
    }
    const auto byPath = [](const SerialDeviceEntry& a, const SerialDeviceEntry& b) { return a.path < b.path; };
    std::sort(ttys.begin(), ttys.end(), byPath);
    std::sort(byId.begin(), byId.end(), byPath);
    ttys.insert(ttys.end(), byId.begin(), byId.end());
    return ttys;
}

std::vector<SerialDeviceEntry> portChoices(const std::vector<SerialDeviceEntry>& devices) {
    std::vector<SerialDeviceEntry> choices;
    for (const std::string& com : comPortNames()) choices.push_back({com, com});
    choices.insert(choices.end(), devices.begin(), devices.end());
    return choices;
}

std::string portNameForText(std::string_view text, const std::vector<SerialDeviceEntry>& choices) {
    for (const SerialDeviceEntry& choice : choices) {
        if (choice.label == text) return choice.path;
    }
    return std::string(text);
}
