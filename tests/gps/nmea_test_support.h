// Builds NMEA lines for tests.
#pragma once

#include <cstdio>
#include <string>

#include "capture/gps/nmea_decoder.h"

// "$" + body + "*HH\r\n" with the correct checksum.
inline std::string nmeaLine(const std::string& body) {
    unsigned sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

inline SentenceResult decode(const std::string& line) {
    return decodeSentence(static_cast<int>(line.size()), line.data());
}

// A GGA with the given quality at 35°39.1234'N 139°45.6789'E.
inline std::string gga(int quality, const std::string& altitude = "100.0",
                       const std::string& separation = "30.0") {
    return nmeaLine("GPGGA,153012.00,3539.1234,N,13945.6789,E," + std::to_string(quality) +
                    ",08,0.9," + altitude + ",M," + separation + ",M,,");
}
