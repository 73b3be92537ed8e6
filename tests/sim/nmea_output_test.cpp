#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/gps-sim/nmea_sentences.h"

using namespace gpssim;

namespace {

std::vector<std::string> fieldsOf(const std::string& sentence) {
    std::vector<std::string> fields;
    std::size_t start = 1, end = sentence.find('*');
    for (std::size_t comma; (comma = sentence.find(',', start)) < end; start = comma + 1)
        fields.push_back(sentence.substr(start, comma - start));
    fields.push_back(sentence.substr(start, end - start));
    return fields;
}

// How a receiver's reader turns "ddmm.mmmm" back into signed degrees.
double degreesOf(const std::string& text, int degreeDigits, const std::string& hemisphere) {
    double deg = std::stod(text.substr(0, degreeDigits)) + std::stod(text.substr(degreeDigits)) / 60.0;
    return hemisphere == "S" || hemisphere == "W" ? -deg : deg;
}

}  // namespace

TEST(NmeaOutput, ChecksumsMatchRealReceivers) {
    // Bodies and checksums as sent by a GlobalSat BU-353-S4 and a u-blox NEO-5Q.
    EXPECT_EQ(nmeaChecksum("GPGGA,030719.000,3747.0873,S,17518.8938,E,1,08,1.1,59.9,M,23.7,M,,0000"), 0x7D);
    EXPECT_EQ(finishSentence("GPRMC,005947.00,A,3715.6616,N,12157.6709,W,0.0,0.0,080710,,"),
              "$GPRMC,005947.00,A,3715.6616,N,12157.6709,W,0.0,0.0,080710,,*2F\r\n");
}

TEST(NmeaOutput, GgaAndRmcCarryTheFixInReceiverLayout) {
    FixReport fix;
    fix.utc = {2025, 6, 15, 9, 5, 30, 40};
    fix.position = {35.6520566667, 139.761315};
    fix.altitudeM = 100.0;
    fix.geoidSeparationM = -30.0;
    fix.speedMps = 10.0;  // 19.438 knots
    fix.courseDeg = 84.44;
    EXPECT_EQ(formatGga(fix), "$GPGGA,090530.40,3539.123400,N,13945.678900,E,1,08,0.9,100.0,M,-30.0,M,,*4B\r\n");
    EXPECT_EQ(formatRmc(fix), "$GPRMC,090530.40,A,3539.123400,N,13945.678900,E,19.44,84.4,150625,,,A*62\r\n");
    // Without a fix the status is void; a course just below north must not print as 360.0.
    fix.quality = 0;
    fix.courseDeg = 359.97;
    EXPECT_EQ(formatRmc(fix), "$GPRMC,090530.40,V,3539.123400,N,13945.678900,E,19.44,0.0,150625,,,N*42\r\n");
}

TEST(NmeaOutput, CoordinatesRoundTripInEveryHemisphere) {
    const double cases[][2] = {{-33.9, -70.6}, {0.0, 0.0}, {-0.0000001, 179.9999999}, {89.0, -179.9999999},
                               {43.79670220, -87.98977850}, {59.99999999, 9.99999999}};
    for (const auto& c : cases) {
        FixReport fix;
        fix.position = {c[0], c[1]};
        std::vector<std::string> f = fieldsOf(formatGga(fix));
        EXPECT_NEAR(degreesOf(f[2], 2, f[3]), c[0], 1e-7) << f[2];
        EXPECT_NEAR(degreesOf(f[4], 3, f[5]), c[1], 1e-7) << f[4];
        EXPECT_LT(std::stod(f[2].substr(2)), 60.0) << f[2];
        EXPECT_LT(std::stod(f[4].substr(3)), 60.0) << f[4];
    }
    // Minutes that round up to 60 carry into the degrees.
    EXPECT_EQ(formatLatitude(59.9999999999), "6000.000000");
    EXPECT_EQ(formatLongitude(-9.99999999999), "01000.000000");
}
