// "$GPGGA" and "$GPRMC" sentences as a receiver prints them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "tools/gps-sim/fix_report.h"

namespace gpssim {

// Exclusive-or of the bytes between '$' and '*' (`body` excludes both).
uint8_t nmeaChecksum(std::string_view body);
// "$" body "*HH" CR LF.
std::string finishSentence(std::string_view body);

// "ddmm.mmmmmm" / "dddmm.mmmmmm" of the magnitude; six decimals of minutes keep
// the position to 2e-8 degree. Rounding carries into the minutes and degrees.
std::string formatLatitude(double latitudeDeg);
std::string formatLongitude(double longitudeDeg);
char latitudeHemisphere(double latitudeDeg);    // 'N' or 'S'
char longitudeHemisphere(double longitudeDeg);  // 'E' or 'W'

std::string formatGga(const FixReport& fix);
// Status 'A' with a fix (quality above 0), 'V' without.
std::string formatRmc(const FixReport& fix);

constexpr double KNOTS_PER_MPS = 3600.0 / 1852.0;

}  // namespace gpssim
