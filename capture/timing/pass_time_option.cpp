#include "capture/timing/pass_time_option.h"

#include <fstream>
#include <sstream>

#include "platform/exe_directory.h"

int32_t interpolatePassTime = 0;

namespace {
constexpr const char* INTERPOLATE_KEY = "interpolate-pass-time";
}

std::string passTimeOptionPath() { return platform::exeDirectory() + "velmora-timing.pref"; }

int loadPassTimeOption() {
    std::ifstream in(passTimeOptionPath());
    if (!in) return 1;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key, value, rest;
        if (!(words >> key >> value) || (words >> rest) || key != INTERPOLATE_KEY) continue;
        if (value == "0" || value == "1") interpolatePassTime = value == "1" ? 1 : 0;
    }
    return 0;
}

FileWriteResult savePassTimeOption() {
    const std::string text = std::string(INTERPOLATE_KEY) + (interpolatePassTime ? " 1\n" : " 0\n");
    return writeFileAtomically(passTimeOptionPath(), text);
}
