#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "tools/gps-sim/nmea_sentences.h"

using namespace gpssim;

namespace {

std::vector<std::string> fieldsOf(const std::string& sentence) {
    std::string body = sentence.substr(1, sentence.find('*') - 1);
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t comma; (comma = body.find(',', start)) != std::string::npos; start = comma + 1)
        fields.push_back(body.substr(start, comma - start));
    fields.push_back(body.substr(start));
    return fields;
}

// How a receiver's reader turns ddmm.mmmm back into degrees.
double parseDegreesMinutes(const std::string& text, int degreeDigits, char hemisphere) {
    double minutes = 0.0;
    std::from_chars(text.data() + degreeDigits, text.data() + text.size(), minutes);
    double deg = std::stoi(text.substr(0, degreeDigits)) + minutes / 60.0;
    return hemisphere == 'S' || hemisphere == 'W' ? -deg : deg;
}

FixReport sampleFix() {
    FixReport fix;
    fix.utc = {2025, 6, 15, 9, 5, 30, 40};
    fix.position = {35.6520566667, 139.761315};
    fix.altitudeM = 100.0;
    fix.geoidSeparationM = -30.0;
    fix.speedMps = 10.0;
    fix.courseDeg = 84.44;
    return fix;
}

}  // namespace

TEST(NmeaOutput, ChecksumsMatchRealReceivers) {
    // Bodies and checksums as sent by a GlobalSat BU-353-S4 and a u-blox NEO-5Q.
    EXPECT_EQ(nmeaChecksum("GPGGA,030719.000,3747.0873,S,17518.8938,E,1,08,1.1,59.9,M,23.7,M,,0000"), 0x7D);
    EXPECT_EQ(nmeaChecksum("GPGGA,030720.000,3747.0875,S,17518.8938,E,1,08,1.1,59.8,M,23.7,M,,0000"), 0x70);
    EXPECT_EQ(finishSentence("GPRMC,005947.00,A,3715.6616,N,12157.6709,W,0.0,0.0,080710,,"),
              "$GPRMC,005947.00,A,3715.6616,N,12157.6709,W,0.0,0.0,080710,,*2F\r\n");
}

TEST(NmeaOutput, GgaCarriesFixFieldsInReceiverLayout) {
    std::string gga = formatGga(sampleFix());
    ASSERT_EQ(gga.substr(gga.size() - 2), "\r\n");
    std::vector<std::string> f = fieldsOf(gga);
    ASSERT_EQ(f.size(), 15u);
    EXPECT_EQ(f[0], "GPGGA");
    EXPECT_EQ(f[1], "090530.40");
    EXPECT_EQ(f[2], "3539.123400");
    EXPECT_EQ(f[3], "N");
    EXPECT_EQ(f[4], "13945.678900");
    EXPECT_EQ(f[5], "E");
    EXPECT_EQ(f[6], "1");
    EXPECT_EQ(f[7], "08");
    EXPECT_EQ(f[9], "100.0");
    EXPECT_EQ(f[10], "M");
    EXPECT_EQ(f[11], "-30.0");
    unsigned sent = std::stoul(gga.substr(gga.find('*') + 1, 2), nullptr, 16);
    EXPECT_EQ(sent, nmeaChecksum(gga.substr(1, gga.find('*') - 1)));
}

TEST(NmeaOutput, RmcCarriesStatusSpeedCourseAndDate) {
    FixReport fix = sampleFix();
    std::vector<std::string> f = fieldsOf(formatRmc(fix));
    ASSERT_EQ(f.size(), 13u);
    EXPECT_EQ(f[0], "GPRMC");
    EXPECT_EQ(f[2], "A");
    EXPECT_NEAR(std::stod(f[7]), 10.0 * 3600.0 / 1852.0, 0.005);
    EXPECT_EQ(f[8], "84.4");
    EXPECT_EQ(f[9], "150625");

    fix.quality = 0;
    EXPECT_EQ(fieldsOf(formatRmc(fix))[2], "V");
    fix.courseDeg = 359.97;  // must not print as 360.0
    EXPECT_EQ(fieldsOf(formatRmc(fix))[8], "0.0");
}

TEST(NmeaOutput, CoordinatesRoundTripInEveryHemisphere) {
    const double cases[][2] = {{35.6520566667, 139.761315}, {-33.9, -70.6},       {0.0, 0.0},
                               {-0.0000001, 179.9999999}, {89.0, -179.9999999}, {43.79670220, -87.98977850},
                               {59.99999999, 9.99999999}};
    for (const auto& c : cases) {
        FixReport fix;
        fix.position = {c[0], c[1]};
        std::vector<std::string> f = fieldsOf(formatGga(fix));
        EXPECT_NEAR(parseDegreesMinutes(f[2], 2, f[3][0]), c[0], 1e-7) << f[2];
        EXPECT_NEAR(parseDegreesMinutes(f[4], 3, f[5][0]), c[1], 1e-7) << f[4];
        // Minutes never print as 60 after rounding.
        EXPECT_LT(std::stod(f[2].substr(2)), 60.0);
        EXPECT_LT(std::stod(f[4].substr(3)), 60.0);
    }
    EXPECT_EQ(formatLatitude(59.9999999999), "6000.000000");
    EXPECT_EQ(formatLongitude(-9.99999999999), "01000.000000");
}

TEST(NmeaOutput, UtcRollsOverMidnightAndMonthEnds) {
    UtcTime start{2024, 2, 28, 23, 59, 59, 0};
    UtcTime t = utcAfter(start, 1.5);
    EXPECT_EQ(t.year, 2024);
    EXPECT_EQ(t.month, 2);
    EXPECT_EQ(t.day, 29);  // leap year
    EXPECT_EQ(t.hour, 0);
    EXPECT_EQ(t.second, 0);
    EXPECT_EQ(t.centisecond, 50);
    UtcTime newYear = utcAfter({2025, 12, 31, 23, 0, 0, 0}, 3600.0);
    EXPECT_EQ(newYear.year, 2026);
    EXPECT_EQ(newYear.month, 1);
    EXPECT_EQ(newYear.day, 1);
    // A 20 Hz fix stream keeps exact hundredths far into the run.
    UtcTime late = utcAfter({2025, 6, 15, 12, 0, 0, 0}, 123456 / 20.0);
    EXPECT_EQ(late.hour, 13);
    EXPECT_EQ(late.minute, 42);
    EXPECT_EQ(late.second, 52);
    EXPECT_EQ(late.centisecond, 80);
}
