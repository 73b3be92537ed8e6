#include "capture/gps/nmea_decoder.h"

#include <gtest/gtest.h>

#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "common/sjis.h"
#include "nmea_test_support.h"
#include "recording_sink.h"
#include "capture/gps/fix_completion.h"

namespace {

constexpr double LAT = 35.0 + 39.1234 / 60.0;
constexpr double LON = 139.0 + 45.6789 / 60.0;

class NmeaDecoderTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetGpsStateForTests();
        resetGeodesyStateForTests();
        resetLiveFix();
    }
    void TearDown() override {
        resetGpsStateForTests();
        resetGeodesyStateForTests();
    }
    // Two GGAs: the first sets the quality that lets the second take its position.
    void haveFix() {
        decode(gga(1));
        ASSERT_EQ(decode(gga(1)), SentenceResult::Fix);
        sink.clear();
    }
    RecordingSink sink;
};

TEST(NmeaChecksum, CoversTheBytesBetweenDollarAndStar) {
    EXPECT_EQ(nmeaChecksum("$GPGGA,1*00"), 'G' ^ 'P' ^ 'G' ^ 'G' ^ 'A' ^ ',' ^ '1');
    EXPECT_EQ(nmeaChecksum("$*12"), 0);
    EXPECT_EQ(nmeaChecksum("$AB\r*12"), 0);  // CR before any star
    EXPECT_EQ(nmeaChecksum(std::string_view("$A\0B*", 5)), 'A' ^ 'B');  // NUL is a byte like any other
}

TEST_F(NmeaDecoderTest, ChecksumIsOptionalButMustMatchWhenPresent) {
    decode(gga(1));
    std::string unchecked = gga(1);
    unchecked.erase(unchecked.find('*'), 3);
    EXPECT_EQ(decode(unchecked), SentenceResult::Fix);

    std::string wrong = gga(1, "222.0");
    wrong[wrong.find('*') + 2] ^= 1;
    const double altitude = gpsFix.position.altitude;
    sink.clear();
    EXPECT_EQ(decode(wrong), SentenceResult::ChecksumError);
    EXPECT_EQ(sink.text(PANEL_STATUS), "sum err");
    EXPECT_EQ(sink.textCount(), 1u);
    EXPECT_EQ(gpsFix.position.altitude, altitude);

    std::string lowercase = gga(1);
    size_t star = lowercase.find('*');
    for (size_t i = star + 1; i < star + 3; ++i) lowercase[i] = char(std::tolower(lowercase[i]));
    EXPECT_NE(decode(lowercase), SentenceResult::ChecksumError);
    EXPECT_EQ(decode("$GPGGA,1*G1\r\n"), SentenceResult::ChecksumError);  // not hex
    EXPECT_EQ(decode("$GPGGA,1*\r\n"), SentenceResult::ChecksumError);    // no digits
}

TEST_F(NmeaDecoderTest, GgaPositionWaitsForTheQualityOfThePreviousGga) {
    // After reader start the quality is 0: fields 1-5 are skipped even with quality 1.
    EXPECT_EQ(decode(gga(1)), SentenceResult::Decoded);  // no position yet: no fix at 0,0
    EXPECT_EQ(gpsFix.position.latitude, 0.0);
    EXPECT_EQ(gpsFix.quality, 1);
    EXPECT_EQ(gpsFix.satellites, 8);
    EXPECT_EQ(gpsFix.fixReceived.load(), 0);
    EXPECT_EQ(sink.text(PANEL_TIME), "");

    EXPECT_EQ(decode(gga(1)), SentenceResult::Fix);
    EXPECT_NEAR(gpsFix.position.latitude, LAT, 1e-12);
    EXPECT_NEAR(gpsFix.position.longitude, LON, 1e-12);
    EXPECT_EQ(gpsFix.fixReceived.load(), 1);
    EXPECT_NE(gpsFix.position.ecefX, 0.0);
    PositionTriple published = readPublishedPosition();
    EXPECT_EQ(published.latitude, gpsFix.position.latitude);
    EXPECT_EQ(published.altitude, 130.0);
}

TEST_F(NmeaDecoderTest, GgaPanelTexts) {
    haveFix();
    decode(gga(2));
    EXPECT_EQ(sink.text(PANEL_STATUS), "GPGGA");
    EXPECT_EQ(sink.text(PANEL_TIME), "00時30分12秒");
    EXPECT_EQ(sink.text(PANEL_LATITUDE), "35.65205667度");
    EXPECT_EQ(sink.text(PANEL_LONGITUDE), "139.76131500度");
    EXPECT_EQ(sink.text(PANEL_MODE), "DGPS");
    EXPECT_EQ(sink.text(PANEL_SATELLITES), "08");  // the field text, unchanged
    EXPECT_EQ(sink.text(PANEL_ALTITUDE), "130.000(m)");
    // Stored as Shift-JIS, shown as UTF-8.
    EXPECT_EQ(std::string(gpsFix.timeText), utf8ToSjis("00時30分12秒"));
    decode(gga(1));
    EXPECT_EQ(sink.text(PANEL_MODE), "GPS SPS");
    decode(gga(3));
    EXPECT_EQ(sink.text(PANEL_MODE), "GPS PPS");
    decode(gga(6));  // dead reckoning: a fix, but no mode text of its own
    EXPECT_EQ(sink.text(PANEL_MODE), "GPS PPS");
}

TEST_F(NmeaDecoderTest, NoFixQualityLeavesTheFixAlone) {
    haveFix();
    const double latitude = gpsFix.position.latitude;
    decode(nmeaLine("GPGGA,153013.00,3500.0000,N,13900.0000,E,0,03,0.9,50.0,M,1.0,M,,"));
    // The previous GGA had a fix, so this one's position is still taken...
    EXPECT_NE(gpsFix.position.latitude, latitude);
    EXPECT_EQ(sink.text(PANEL_MODE), "none");
    const GeoPoint after = gpsFix.position;
    sink.clear();
    // ...but the second no-fix GGA changes nothing but the texts it is allowed to.
    EXPECT_EQ(decode(nmeaLine("GPGGA,153014.00,3400.0000,N,13800.0000,E,0,04,0.9,60.0,M,1.0,M,,")),
              SentenceResult::Decoded);
    EXPECT_EQ(gpsFix.position.latitude, after.latitude);
    EXPECT_EQ(gpsFix.position.altitude, after.altitude);
    EXPECT_EQ(gpsFix.satellites, 8);
    EXPECT_EQ(sink.text(PANEL_MODE), "none");
    EXPECT_EQ(sink.text(PANEL_SATELLITES), "");
    EXPECT_EQ(sink.text(PANEL_ALTITUDE), "");
    // An empty quality field reads as no fix.
    decode(nmeaLine("GPGGA,153014.00,,,,,,,,,,,,,"));
    EXPECT_EQ(gpsFix.quality, 0);
}

TEST_F(NmeaDecoderTest, AltitudeAddsTheMagnitudeOfTheGeoidSeparation) {
    haveFix();
    decode(gga(1, "100.0", "-30.0"));
    EXPECT_EQ(gpsFix.position.altitude, 130.0);
    decode(gga(1, "100.0", "30.0"));
    EXPECT_EQ(gpsFix.position.altitude, 130.0);
    decode(gga(1, "100.0", ""));
    EXPECT_EQ(gpsFix.position.altitude, 100.0);
    EXPECT_EQ(sink.text(PANEL_ALTITUDE), "100.000(m)");
    // Without an altitude in the sentence the separation is not added again
    // and again to the one kept from before.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(decode(gga(1, "", "30.0")), SentenceResult::Fix);
    EXPECT_EQ(gpsFix.position.altitude, 100.0);
}

TEST_F(NmeaDecoderTest, HemispheresSignTheCoordinates) {
    haveFix();
    decode(nmeaLine("GPGGA,153012.00,3539.1234,S,07036.0000,W,1,08,0.9,1.0,M,,M,,"));
    EXPECT_NEAR(gpsFix.position.latitude, -35.6520566667, 1e-10);
    EXPECT_NEAR(gpsFix.position.longitude, -70.6, 1e-12);
    EXPECT_EQ(sink.text(PANEL_LATITUDE), "-35.65205667度");
    // A hemisphere without a coordinate must not flip the kept one.
    decode(nmeaLine("GPGGA,153013.00,,S,,W,1,08,0.9,1.0,M,,M,,"));
    EXPECT_NEAR(gpsFix.position.latitude, -35.6520566667, 1e-10);
    EXPECT_NEAR(gpsFix.position.longitude, -70.6, 1e-12);
}

TEST_F(NmeaDecoderTest, TimeIsShownAsJapanTime) {
    haveFix();
    struct Case {
        const char* utc;
        const char* shown;
    } cases[] = {{"153012.00", "00時30分12秒"}, {"145959", "23時59分59秒"},
                 {"000000.000", "09時00分00秒"}, {"235959", "08時59分59秒"}};
    for (const Case& c : cases) {
        decode(nmeaLine(std::string("GPRMC,") + c.utc + ",V,,,,,,,,,"));
        EXPECT_EQ(sink.text(PANEL_TIME), c.shown) << c.utc;
    }
}

TEST_F(NmeaDecoderTest, RmcMovesTheCarOnlyWhenValid) {
    haveFix();
    course.pointCount = 1;
    course.points[0] = gpsFix.position;
    const GeoPoint before = gpsFix.position;
    gpsFix.fixReceived = 0;
    EXPECT_EQ(decode(nmeaLine("GPRMC,010203,V,3500.0000,N,13900.0000,E,0.0,0.0,010124,,")),
              SentenceResult::Decoded);
    EXPECT_EQ(gpsFix.position.latitude, before.latitude);
    EXPECT_EQ(pointDistance[0], -1.0);
    EXPECT_EQ(sink.text(PANEL_TIME), "10時02分03秒");
    EXPECT_EQ(sink.text(PANEL_STATUS), "GPRMC");

    EXPECT_EQ(decode(nmeaLine("GPRMC,010204,A,3500.0000,N,13900.0000,E,0.0,0.0,010124,,")),
              SentenceResult::Fix);
    EXPECT_EQ(gpsFix.position.latitude, 35.0);
    EXPECT_EQ(gpsFix.position.longitude, 139.0);
    EXPECT_EQ(gpsFix.position.altitude, before.altitude);  // RMC carries no altitude
    EXPECT_GT(pointDistance[0], 1000.0);
    EXPECT_EQ(gpsFix.fixReceived.load(), 0);  // only GGA opens the recording gate
}

TEST_F(NmeaDecoderTest, AnyTwoLetterTalkerDecodes) {
    for (const char* talker : {"GN", "GL", "GA", "GB", "BD", "GQ", "IN"}) {
        resetLiveFix();
        decode(nmeaLine(std::string(talker) + "GGA,153012.00,,,,,1,08,0.9,1.0,M,,M,,"));
        EXPECT_EQ(decode(nmeaLine(std::string(talker) +
                                  "GGA,153012.00,3539.1234,N,13945.6789,E,1,08,0.9,1.0,M,,M,,")),
                  SentenceResult::Fix)
            << talker;
        EXPECT_EQ(sink.text(PANEL_STATUS), std::string(talker) + "GGA");
    }
    EXPECT_EQ(decode(nmeaLine("GNRMC,010204,A,3500.0000,N,13900.0000,E,0.0,0.0,010124,,")),
              SentenceResult::Fix);
    EXPECT_EQ(sink.text(PANEL_STATUS), "GNRMC");
    sink.clear();
    for (const char* other : {"GPGSA,A,3,,,", "gpGGA,1,2", "G1GGA,1", "GPGGAX,1", "PGGA,1"}) {
        std::string line = nmeaLine(other);
        EXPECT_EQ(decode(line), SentenceResult::Unknown) << other;
    }
    EXPECT_EQ(sink.textCount(), 0u);
}

TEST_F(NmeaDecoderTest, OnlyTheSentenceAfterTheLastDollarCounts) {
    haveFix();
    // A GSA broken off and merged with the RMC that follows, as some receivers do.
    std::string merged = "$GPGSA,A,3,04,05,,09,12*1E" +
                         nmeaLine("GPRMC,010204,A,3500.0000,N,13900.0000,E,0.0,0.0,010124,,");
    EXPECT_EQ(decode(merged), SentenceResult::Fix);
    EXPECT_EQ(gpsFix.position.latitude, 35.0);
    std::string noise = std::string("\x10\x75\x01\x02\0\xff", 6) +
                        nmeaLine("GPRMC,010205,A,3400.0000,N,13900.0000,E,0.0,0.0,010124,,");
    EXPECT_EQ(decode(noise), SentenceResult::Fix);
    EXPECT_EQ(gpsFix.position.latitude, 34.0);
    EXPECT_EQ(decode("garbage without a dollar\r\n"), SentenceResult::Rejected);
}

TEST_F(NmeaDecoderTest, MalformedSentencesHaveNoEffect) {
    haveFix();
    const GeoPoint before = gpsFix.position;
    const char* bad[] = {
        // position fields that are not numbers or out of range
        "GPGGA,153013.00,35x9.1234,N,13945.6789,E,1,08,0.9,1.0,M,,M,,",
        "GPGGA,153013.00,3560.0000,N,13945.6789,E,1,08,0.9,1.0,M,,M,,",
        "GPGGA,153013.00,9100.0000,N,13945.6789,E,1,08,0.9,1.0,M,,M,,",
        "GPGGA,153013.00,3539.1234,N,18100.0000,E,1,08,0.9,1.0,M,,M,,",
        "GPGGA,153013.00,3539.1234,N,13945.6789,E,1,08,0.9,1e3,M,,M,,",
        "GPGGA,153013.00,3539.1234,N,13945.6789,E,1,08,0.9,inf,M,,M,,",
        "GPGGA,153013.00,3539.1234,N,13945.6789,E,1,08,0.9,1.0,M,3-0,M,,",
        "GPGGA,153013.00,3539.1234,N,13945.6789,E,1x,08,0.9,1.0,M,,M,,",
        "GPGGA,153013.00,3539.1234,N,13945.6789,E,1,-8,0.9,1.0,M,,M,,",
        "GPGGA,153013.00,3539.1234,X,13945.6789,E,1,08,0.9,1.0,M,,M,,",
        "GPGGA,15301,3539.1234,N,13945.6789,E,1,08,0.9,1.0,M,,M,,",
        "GPGGA,153013.00,35,N,13945.6789,E,1,08,0.9,1.0,M,,M,,",
        "GPRMC,010204,A,3500.0000,N,-1300.0000,E,0.0,0.0,010124,,",
        // over-long coordinate texts and fields
        "GPRMC,010204,A,3500.000000000000000000000000,N,13900.0000,E,,,,,",
        "GPRMC,010204,A,3500.0000,N,13900.00000000000000000000000000,E,,,,,",
    };
    for (const char* body : bad) {
        sink.clear();
        EXPECT_EQ(decode(nmeaLine(body)), SentenceResult::Rejected) << body;
        EXPECT_EQ(sink.textCount(), 0u) << body;
    }
    std::string longField = "GPGGA,153013.00," + std::string(64, '1') + ",N,,,1,,,,,,,,";
    EXPECT_EQ(decode(nmeaLine(longField)), SentenceResult::Rejected);
    // No CR: the last field is not ended.
    std::string noCr = gga(1, "555.0");
    noCr.erase(noCr.size() - 2, 1);
    EXPECT_EQ(decode(noCr), SentenceResult::Rejected);
    EXPECT_EQ(gpsFix.position.latitude, before.latitude);
    EXPECT_EQ(gpsFix.position.longitude, before.longitude);
    EXPECT_EQ(gpsFix.position.altitude, before.altitude);
    EXPECT_EQ(gpsFix.quality, 1);
    // Limits themselves are fine: 28 and 29 characters, zero-padded numbers.
    EXPECT_EQ(decode(nmeaLine("GPRMC,010204,A,3500.00000000000000000000000,N,"
                              "13900.00000000000000000000000,E,,,,,")),
              SentenceResult::Fix);
    EXPECT_EQ(decode(nmeaLine("GPGGA,153013,3539.1234,S,13945.6789,E,1,08,0.9,000115.4,M,0033.3,M,,")),
              SentenceResult::Fix);
    EXPECT_NEAR(gpsFix.position.altitude, 148.7, 1e-9);
}

TEST_F(NmeaDecoderTest, CoordinateParsing) {
    GeoPoint p;
    p.latitude = 7.0;
    EXPECT_TRUE(parseLatitude("", p));
    EXPECT_EQ(p.latitude, 7.0);
    EXPECT_TRUE(parseLatitude("3539.1234", p));
    EXPECT_NEAR(p.latitude, 35.6520566667, 1e-10);
    EXPECT_TRUE(parseLongitude("13945.6789", p));
    EXPECT_NEAR(p.longitude, 139.761315, 1e-10);
    EXPECT_TRUE(parseLatitude("9000.0000", p));
    EXPECT_TRUE(parseLongitude("18000", p));
    EXPECT_TRUE(parseLatitude("0000.0000", p));
    EXPECT_EQ(p.latitude, 0.0);
    EXPECT_FALSE(parseLatitude("9000.0001", p));
    EXPECT_FALSE(parseLatitude("35", p));
    EXPECT_FALSE(parseLatitude("35.", p));
    EXPECT_FALSE(parseLongitude(" 13945.6789", p));
    EXPECT_FALSE(parseLongitude("13945.67.89", p));
    EXPECT_EQ(p.latitude, 0.0);  // failures leave the point alone
}

TEST_F(NmeaDecoderTest, PointRegistrationOnTheNextFix) {
    haveFix();
    registerPointRequest = 1;
    decode(gga(1));
    EXPECT_EQ(course.pointCount, 1);
    EXPECT_EQ(registerPointRequest.load(), 0);
    EXPECT_EQ(sink.coursePointShows.load(), 1);
    EXPECT_EQ(sink.commandRefreshes.load(), 1);
    EXPECT_EQ(course.points[0].latitude, gpsFix.position.latitude);
    EXPECT_NE(course.points[0].ecefX, 0.0);
    EXPECT_EQ(course.points[0].altitude, 130.0);

    // A fix on latitude 0 registers nothing; the request is still consumed.
    registerPointRequest = 1;
    decode(nmeaLine("GPRMC,010204,A,0000.0000,N,13900.0000,E,0.0,0.0,010124,,"));
    EXPECT_EQ(course.pointCount, 1);
    EXPECT_EQ(registerPointRequest.load(), 0);
    EXPECT_EQ(sink.commandRefreshes.load(), 2);

    // The course holds two points; a third request never writes past them.
    for (int i = 0; i < 3; ++i) {
        registerPointRequest = 1;
        decode(gga(1));
    }
    EXPECT_EQ(course.pointCount, 2);
    EXPECT_EQ(registerPointRequest.load(), 0);
    EXPECT_EQ(course.name[0], '\0');
}

}  // namespace
