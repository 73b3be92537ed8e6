#include "import/utc_time.h"

#include <cstdio>

#include "import/text_lines.h"

namespace {

constexpr int64_t SECONDS_PER_DAY = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0));
}

bool digits(std::string_view text, size_t at, size_t count, int& value) {
    if (at + count > text.size()) return false;
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

}  // namespace

bool readIsoTime(std::string_view text, double& unixSeconds) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!digits(text, 0, 4, year) || text.size() < 19 || text[4] != '-' || !digits(text, 5, 2, month) ||
        text[7] != '-' || !digits(text, 8, 2, day) || (text[10] != 'T' && text[10] != ' ') ||
        !digits(text, 11, 2, hour) || text[13] != ':' || !digits(text, 14, 2, minute) || text[16] != ':' ||
        !digits(text, 17, 2, second)) {
        return false;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) return false;
    size_t p = 19;
    double fraction = 0.0;
    if (p < text.size() && text[p] == '.') {
        const size_t start = p;
        ++p;
        while (p < text.size() && text[p] >= '0' && text[p] <= '9') ++p;
        if (p == start + 1 || !import_text::readNumber(text.substr(start, p - start), fraction)) return false;
    }
    int offsetS = 0;
    const std::string_view zone = text.substr(p);
    if (zone == "Z") {
        offsetS = 0;
    } else if (zone.size() == 6 && (zone[0] == '+' || zone[0] == '-') && zone[3] == ':') {
        int oh = 0, om = 0;
        if (!digits(zone, 1, 2, oh) || !digits(zone, 4, 2, om)) return false;
        offsetS = (zone[0] == '+' ? 1 : -1) * (oh * 3600 + om * 60);
    } else if (!zone.empty()) {
        return false;
    }
    const int64_t days = daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    unixSeconds = static_cast<double>(days * SECONDS_PER_DAY + hour * 3600 + minute * 60 + second - offsetS) + fraction;
    return true;
}

std::string isoTimeText(int64_t unixMilliseconds) {
    const int64_t seconds = unixMilliseconds >= 0 ? unixMilliseconds / 1000 : (unixMilliseconds - 999) / 1000;
    const auto ms = static_cast<int>(unixMilliseconds - seconds * 1000);
    const int64_t day = seconds >= 0 ? seconds / SECONDS_PER_DAY : (seconds - SECONDS_PER_DAY + 1) / SECONDS_PER_DAY;
    const auto ofDay = static_cast<int>(seconds - day * SECONDS_PER_DAY);
    int y = 0;
    unsigned m = 0, d = 0;
    civilFromDays(day, y, m, d);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", y, m, d, ofDay / 3600, ofDay / 60 % 60,
                  ofDay % 60, ms);
    return text;
}

int64_t utcMidnight(int64_t unixSeconds) {
    const int64_t day =
        unixSeconds >= 0 ? unixSeconds / SECONDS_PER_DAY : (unixSeconds - SECONDS_PER_DAY + 1) / SECONDS_PER_DAY;
    return day * SECONDS_PER_DAY;
}
