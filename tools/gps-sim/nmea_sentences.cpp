#include "tools/gps-sim/nmea_sentences.h"

#include <cmath>
#include <cstdio>

namespace gpssim {

namespace {

constexpr long long MICROMINUTES_PER_DEGREE = 60LL * 1000000;

std::string formatDegreesMinutes(double deg, int degreeDigits) {
    long long total = std::llround(std::fabs(deg) * static_cast<double>(MICROMINUTES_PER_DEGREE));
    long long whole = total / MICROMINUTES_PER_DEGREE;
    long long micro = total % MICROMINUTES_PER_DEGREE;
    char text[32];
    std::snprintf(text, sizeof text, "%0*lld%02lld.%06lld", degreeDigits, whole, micro / 1000000, micro % 1000000);
    return text;
}

std::string timeField(const UtcTime& t) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d.%02d", t.hour, t.minute, t.second, t.centisecond);
    return text;
}

}  // namespace

uint8_t nmeaChecksum(std::string_view body) {
    uint8_t sum = 0;
    for (char c : body) sum ^= static_cast<uint8_t>(c);
    return sum;
}

std::string finishSentence(std::string_view body) {
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", nmeaChecksum(body));
    return "$" + std::string(body) + tail;
}

std::string formatLatitude(double latitudeDeg) { return formatDegreesMinutes(latitudeDeg, 2); }
std::string formatLongitude(double longitudeDeg) { return formatDegreesMinutes(longitudeDeg, 3); }
char latitudeHemisphere(double latitudeDeg) { return latitudeDeg < 0.0 ? 'S' : 'N'; }
char longitudeHemisphere(double longitudeDeg) { return longitudeDeg < 0.0 ? 'W' : 'E'; }

// $GPGGA,123519.00,4807.038000,N,01131.000000,E,1,08,0.9,545.4,M,46.9,M,,*hh
//   1 time, 2-3 latitude, 4-5 longitude, 6 quality, 7 satellites, 8 HDOP,
//   9-10 altitude (MSL), 11-12 geoid separation, 13 DGPS age, 14 station.
std::string formatGga(const FixReport& fix) {
    char body[160];
    std::snprintf(body, sizeof body, "GPGGA,%s,%s,%c,%s,%c,%d,%02d,%.1f,%.1f,M,%.1f,M,,", timeField(fix.utc).c_str(),
                  formatLatitude(fix.position.latitudeDeg).c_str(), latitudeHemisphere(fix.position.latitudeDeg),
                  formatLongitude(fix.position.longitudeDeg).c_str(), longitudeHemisphere(fix.position.longitudeDeg),
                  fix.quality, fix.satellites, fix.hdop, fix.altitudeM, fix.geoidSeparationM);
    return finishSentence(body);
}

// $GPRMC,123519.00,A,4807.038000,N,01131.000000,E,22.40,84.4,230394,,,A*hh
//   1 time, 2 status, 3-4 latitude, 5-6 longitude, 7 speed (knots),
//   8 course (degrees true), 9 date ddmmyy, 10-11 magnetic variation, 12 mode.
std::string formatRmc(const FixReport& fix) {
    bool valid = fix.quality > 0;
    // 359.96 would print as "360.0"; receivers stay below 360.
    double courseDeg = std::round(fix.courseDeg * 10.0) / 10.0;
    if (courseDeg >= 360.0 || courseDeg < 0.0) courseDeg = 0.0;
    char body[160];
    std::snprintf(body, sizeof body, "GPRMC,%s,%c,%s,%c,%s,%c,%.2f,%.1f,%02d%02d%02d,,,%c",
                  timeField(fix.utc).c_str(), valid ? 'A' : 'V', formatLatitude(fix.position.latitudeDeg).c_str(),
                  latitudeHemisphere(fix.position.latitudeDeg), formatLongitude(fix.position.longitudeDeg).c_str(),
                  longitudeHemisphere(fix.position.longitudeDeg), fix.speedMps * KNOTS_PER_MPS, courseDeg,
                  fix.utc.day, fix.utc.month, fix.utc.year % 100, valid ? 'A' : 'N');
    return finishSentence(body);
}

}  // namespace gpssim
