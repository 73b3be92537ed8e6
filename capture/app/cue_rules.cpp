#include "capture/app/cue_rules.h"

#include <cstdio>

std::optional<std::string> cueFilePath(int cue, bool soundGuidance, const std::string& exeDir) {
    if (!soundGuidance) return std::nullopt;
    if (static_cast<unsigned>(cue) >= static_cast<unsigned>(CUE_COUNT)) return std::nullopt;
    char name[32];
    std::snprintf(name, sizeof name, "voice/%04u.wav", static_cast<unsigned>(cue));
    return exeDir + name;
}
