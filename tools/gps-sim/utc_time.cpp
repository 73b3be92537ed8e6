#include "tools/gps-sim/utc_time.h"

#include <cmath>

namespace gpssim {

// Day counting after H. Hinnant's "chrono-compatible low-level date algorithms":
// years are shifted to start in March so the leap day falls at the year's end.
int64_t daysFromCivil(int year, int month, int day) {
    int64_t y = year - (month <= 2 ? 1 : 0);
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yearOfEra = y - era * 400;
    int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(int64_t days, int& year, int& month, int& day) {
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    int64_t dayOfEra = days - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

UtcTime utcAfter(const UtcTime& start, double elapsedS) {
    constexpr int64_t CENTISECONDS_PER_DAY = 8640000;
    int64_t startCs = ((start.hour * 60LL + start.minute) * 60 + start.second) * 100 + start.centisecond;
    int64_t totalCs = startCs + std::llround(elapsedS * 100.0);
    // Floor division: a negative total (never produced by gps-sim itself) lands on the day before.
    int64_t dayShift = totalCs / CENTISECONDS_PER_DAY - (totalCs % CENTISECONDS_PER_DAY < 0 ? 1 : 0);
    int64_t cs = totalCs - dayShift * CENTISECONDS_PER_DAY;
    UtcTime t;
    civilFromDays(daysFromCivil(start.year, start.month, start.day) + dayShift, t.year, t.month, t.day);
    t.centisecond = static_cast<int>(cs % 100);
    t.second = static_cast<int>(cs / 100 % 60);
    t.minute = static_cast<int>(cs / 6000 % 60);
    t.hour = static_cast<int>(cs / 360000);
    return t;
}

}  // namespace gpssim
