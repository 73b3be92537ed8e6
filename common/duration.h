// Millisecond durations shown as hours, minutes, seconds and thirtieths of a second.
#pragma once

#include <cstdint>
#include <string>

struct DurationParts {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int thirtieths = 0;  // 0..29
};

// Splits an unsigned millisecond duration. The fourth field is
// truncate(remaining ms x 0.001 x 30), computed in double precision in that
// order, as every display of the suite does.
DurationParts splitDuration(uint32_t ms);

// "HH<sep>MM<sep>SS<sep>TT", each field two digits at least.
std::string formatDuration(uint32_t ms, const char* separator = ":");

// Difference of two millisecond ticks, modulo 2^32.
inline uint32_t tickDifference(uint32_t later, uint32_t earlier) { return later - earlier; }
