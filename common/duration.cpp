#include "common/duration.h"

#include <cstdio>

DurationParts splitDuration(uint32_t ms) {
    DurationParts p;
    p.hours = static_cast<int>(ms / 3600000u);
    uint32_t rest = ms % 3600000u;
    p.minutes = static_cast<int>(rest / 60000u);
    rest %= 60000u;
    p.seconds = static_cast<int>(rest / 1000u);
    rest %= 1000u;
    p.thirtieths = static_cast<int>(static_cast<double>(rest) * 0.001 * 30.0);
    return p;
}

std::string formatDuration(uint32_t ms, const char* separator) {
    DurationParts p = splitDuration(ms);
    char text[96];
    std::snprintf(text, sizeof text, "%02d%s%02d%s%02d%s%02d", p.hours, separator, p.minutes,
                  separator, p.seconds, separator, p.thirtieths);
    return text;
}
