// UTC date and time of the simulated fixes.
#pragma once

#include <cstdint>

namespace gpssim {

struct UtcTime {
    int year = 2025;  // 2000..2099 (the RMC date carries two digits)
    int month = 1;    // 1..12
    int day = 1;      // 1..31
    int hour = 12;
    int minute = 0;
    int second = 0;
    int centisecond = 0;
};

// `start` advanced by `elapsedS` seconds (rounded to the hundredth), rolling the
// date over at midnight.
UtcTime utcAfter(const UtcTime& start, double elapsedS);

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t daysFromCivil(int year, int month, int day);
void civilFromDays(int64_t days, int& year, int& month, int& day);

}  // namespace gpssim
