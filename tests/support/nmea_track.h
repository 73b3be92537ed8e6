// NMEA logs made from a recorded track: one GGA and one RMC per fix, as a
// receiver at the track's rate would send them.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

namespace nmeatrack {

// "$" + body + "*HH" + line end.
inline std::string sentence(const char* body, const char* lineEnd) {
    unsigned sum = 0;
    for (const char* p = body; *p != '\0'; ++p) sum ^= static_cast<unsigned char>(*p);
    char text[200];
    std::snprintf(text, sizeof text, "$%s*%02X%s", body, sum, lineEnd);
    return text;
}

inline void coordinate(double degrees, int degreeDigits, char positive, char negative, char* out, size_t size) {
    const double magnitude = std::fabs(degrees);
    const int whole = static_cast<int>(magnitude);
    std::snprintf(out, size, "%0*d%07.4f,%c", degreeDigits, whole, (magnitude - whole) * 60.0,
                  degrees < 0 ? negative : positive);
}

// Appends the GGA and RMC of one fix at `secondsOfDay` (wrapped at midnight).
inline void appendFix(std::string& out, double secondsOfDay, double latitude, double longitude, double altitudeM,
                      const char* lineEnd = "\r\n") {
    const long ms = std::lround(secondsOfDay * 1000.0) % 86400000;
    char time[16], lat[24], lon[24], body[160];
    std::snprintf(time, sizeof time, "%02ld%02ld%02ld.%03ld", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    coordinate(latitude, 2, 'N', 'S', lat, sizeof lat);
    coordinate(longitude, 3, 'E', 'W', lon, sizeof lon);
    std::snprintf(body, sizeof body, "GNGGA,%s,%s,%s,1,12,0.8,%.1f,M,,M,,", time, lat, lon, altitudeM);
    out += sentence(body, lineEnd);
    std::snprintf(body, sizeof body, "GNRMC,%s,A,%s,%s,80.0,90.0,311225,,,A", time, lat, lon);
    out += sentence(body, lineEnd);
}

}  // namespace nmeatrack
