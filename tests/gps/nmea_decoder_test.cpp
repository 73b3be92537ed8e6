#include "capture/gps/nmea_decoder.h"

#include <gtest/gtest.h>

#include "common/sjis.h"
#include "gps_test_support.h"
#include "tests/support/counting_hooks.h"

namespace {

constexpr double LAT = 35.0 + 39.1234 / 60.0;
const std::string RMC_35_139 = nmeaLine("GPRMC,010204,A,3500.0000,N,13900.0000,E,0.0,0.0,010124,,");

class NmeaDecoderTest : public GpsTest {
protected:
    // Two GGAs: the first sets the quality that lets the second take its position.
    void haveFix() {
        decode(gga(1));
        ASSERT_EQ(decode(gga(1)), SentenceResult::Fix);
        sink.clear();
    }
};

TEST_F(NmeaDecoderTest, ChecksumIsOptionalButMustMatchWhenPresent) {
    haveFix();
    std::string unchecked = gga(1, "111.0");
    unchecked.erase(unchecked.find('*'), 3);
    EXPECT_EQ(decode(unchecked), SentenceResult::Fix);
    std::string wrong = gga(1, "222.0");
    wrong[wrong.find('*') + 2] ^= 1;
    sink.clear();
    EXPECT_EQ(decode(wrong), SentenceResult::ChecksumError);
    EXPECT_EQ(sink.texts(), (decltype(sink.texts()){{PANEL_STATUS, "sum err"}}));
    std::string crInside = gga(1, "333.0");  // a stray CR must not cut off the checksum
    crInside.insert(crInside.find("333.0") + 1, "\r");
    EXPECT_EQ(decode(crInside), SentenceResult::ChecksumError);
    EXPECT_EQ(gpsFix.position.altitude, 141.0) << "nothing else changes";
    std::string lowercase = gga(2);  // checksum "6A": hex digits count in either case
    lowercase[lowercase.find('*') + 2] = 'a';
    EXPECT_EQ(decode(lowercase), SentenceResult::Fix);
    EXPECT_EQ(decode("$GPGGA,1*G1\r\n"), SentenceResult::ChecksumError);  // not hex
    EXPECT_EQ(decode("$GPGGA,1*\r\n"), SentenceResult::ChecksumError);    // no digits
}

TEST_F(NmeaDecoderTest, ParseReadsTypedFieldsWithoutTouchingTheFix) {
    const std::string line =
        nmeaLine("GPGGA,030719.000,3747.0873,S,17518.8938,E,1,08,1.1,59.9,M,-23.7,M,,0000");
    const ParsedSentence p = nmea::parse(line);
    EXPECT_EQ(p.outcome, SentenceResult::Decoded);
    EXPECT_EQ(p.type, SentenceType::Gga);
    EXPECT_EQ(p.name, "GPGGA");
    ASSERT_EQ(p.latitude.state, FieldState::Valid);
    EXPECT_NEAR(p.latitude.value, 37.0 + 47.0873 / 60.0, 1e-9);
    EXPECT_TRUE(p.south.value);
    EXPECT_FALSE(p.west.value);
    EXPECT_EQ(p.quality.value, 1);
    EXPECT_EQ(p.satellitesText, "08");
    EXPECT_EQ(p.separationM.value, -23.7);
    EXPECT_EQ(p.time.value.hour, 3);
    // Only apply commits: parsing the same line again and again changes nothing.
    for (int i = 0; i < 3; ++i) nmea::parse(line);
    EXPECT_EQ(gpsFix.fixReceived.load(), 0);
    EXPECT_TRUE(sink.texts().empty());
    EXPECT_EQ(nmea::parse(nmeaLine("GPGGA,03071x.000,,,,,1,08,,1,M,1,M,,")).time.state,
              FieldState::Invalid);
    EXPECT_EQ(nmea::parse("$GPGGA,1*G1\r\n").outcome, SentenceResult::ChecksumError);
}

TEST_F(NmeaDecoderTest, GgaPositionWaitsForTheQualityOfThePreviousGga) {
    // After reader start the quality is 0: fields 1-5 are skipped even with
    // quality 1, so no fix at 0,0 comes before a received position.
    EXPECT_EQ(decode(gga(1)), SentenceResult::Decoded);
    EXPECT_EQ(gpsFix.position.latitude, 0.0);
    EXPECT_EQ(sink.text(PANEL_TIME), "");
    EXPECT_EQ(decode(gga(1)), SentenceResult::Fix);
    EXPECT_NEAR(gpsFix.position.latitude, LAT, 1e-12);
    EXPECT_NEAR(gpsFix.position.longitude, 139.0 + 45.6789 / 60.0, 1e-12);
    EXPECT_EQ(gpsFix.fixReceived.load(), 1);
    EXPECT_EQ(readPublishedPosition().altitude, 130.0);

    // A no-fix GGA after a fix still takes its position, but a second one does not.
    decode(nmeaLine("GPGGA,153013.00,3500.0000,N,13900.0000,E,0,03,0.9,50.0,M,1.0,M,,"));
    EXPECT_EQ(gpsFix.position.latitude, 35.0);
    EXPECT_EQ(sink.text(PANEL_MODE), "none");
    const GeoPoint after = gpsFix.position;
    sink.clear();
    EXPECT_EQ(decode(nmeaLine("GPGGA,153014.00,3400.0000,N,13800.0000,E,0,04,0.9,60.0,M,1.0,M,,")),
              SentenceResult::Decoded);
    EXPECT_EQ(gpsFix.position.latitude, 35.0);
    EXPECT_EQ(gpsFix.position.altitude, after.altitude);
    EXPECT_EQ(gpsFix.satellites, 8);
    EXPECT_EQ(sink.text(PANEL_SATELLITES) + sink.text(PANEL_ALTITUDE), "");
    decode(nmeaLine("GPGGA,153014.00,,,,,,,,,,,,,"));
    EXPECT_EQ(gpsFix.quality, 0) << "an empty quality field reads as no fix";
    // Regaining the fix: the GGA that skips its position fields must not
    // complete at the no-fix position (0,0 from receivers that lost their fix).
    EXPECT_EQ(decode(gga(1)), SentenceResult::Decoded);
    EXPECT_NEAR(readPublishedPosition().latitude, LAT, 1e-12);
    EXPECT_EQ(decode(gga(1)), SentenceResult::Fix);
}

TEST_F(NmeaDecoderTest, GgaPanelTextsAndHemispheres) {
    haveFix();
    decode(gga(2));
    EXPECT_EQ(sink.text(PANEL_STATUS), "GPGGA");
    EXPECT_EQ(sink.text(PANEL_LONGITUDE), "139.76131500度");
    EXPECT_EQ(sink.text(PANEL_MODE), "DGPS");
    EXPECT_EQ(sink.text(PANEL_SATELLITES), "08");  // the field text, unchanged
    EXPECT_EQ(sink.text(PANEL_ALTITUDE), "130.000(m)");
    EXPECT_EQ(std::string(gpsFix.timeText), utf8ToSjis("00時30分12秒")) << "stored as Shift-JIS";
    decode(nmeaLine("GPGGA,153012.00,3539.1234,S,07036.0000,W,6,08,0.9,1.0,M,,M,,"));
    EXPECT_EQ(sink.text(PANEL_LATITUDE), "-35.65205667度");
    EXPECT_NEAR(gpsFix.position.longitude, -70.6, 1e-12);
    EXPECT_EQ(sink.text(PANEL_MODE), "DGPS") << "dead reckoning has no mode text of its own";
    decode(nmeaLine("GPGGA,153013.00,,S,,W,1,08,0.9,1.0,M,,M,,"));
    EXPECT_NEAR(gpsFix.position.latitude, -LAT, 1e-10) << "a lone hemisphere flips nothing";
    EXPECT_NEAR(gpsFix.position.longitude, -70.6, 1e-12);
}

TEST_F(NmeaDecoderTest, AltitudeAddsTheMagnitudeOfTheGeoidSeparation) {
    haveFix();
    const struct { const char *altitude, *separation; double expectedM; } cases[] = {
        {"100.0", "-30.0", 130.0}, {"100.0", "30.0", 130.0}, {"100.0", "", 100.0},
        // Without an altitude the separation is not added again to the kept one.
        {"", "30.0", 100.0}, {"", "30.0", 100.0}};
    for (const auto& c : cases) {
        EXPECT_EQ(decode(gga(1, c.altitude, c.separation)), SentenceResult::Fix);
        EXPECT_EQ(gpsFix.position.altitude, c.expectedM) << c.altitude << " " << c.separation;
    }
}

TEST_F(NmeaDecoderTest, RmcShowsJapanTimeAndMovesTheCarOnlyWhenValid) {
    for (const auto& [utc, shown] : {std::pair{"153012.00", "00時30分12秒"}, {"145959", "23時59分59秒"},
                                     {"000000.000", "09時00分00秒"}, {"235959", "08時59分59秒"}}) {
        decode(nmeaLine(std::string("GPRMC,") + utc + ",V,3500.0000,N,13900.0000,E,,,,,"));
        EXPECT_EQ(sink.text(PANEL_TIME), shown) << utc;
    }
    EXPECT_EQ(gpsFix.position.latitude, 0.0) << "status V moves nothing";
    haveFix();
    publishCoursePoints({1, {gpsFix.position}});
    gpsFix.fixReceived = 0;
    EXPECT_EQ(decode(RMC_35_139), SentenceResult::Fix);
    EXPECT_EQ(gpsFix.position.latitude, 35.0);
    EXPECT_EQ(gpsFix.position.altitude, 130.0) << "RMC carries no altitude";
    EXPECT_GT(pointDistance[0], 1000.0);
    EXPECT_EQ(gpsFix.fixReceived.load(), 0) << "only GGA opens the recording gate";
}

TEST_F(NmeaDecoderTest, AnyTalkerDecodesAndOnlyTheSentenceAfterTheLastDollarCounts) {
    for (const std::string talker : {"GN", "GL", "GA", "GB", "BD", "GQ", "IN"}) {
        resetLiveFix();
        decode(nmeaLine(talker + "GGA,153012.00,,,,,1,08,0.9,1.0,M,,M,,"));
        EXPECT_EQ(decode(nmeaLine(talker + "GGA,153012.00,3539.1234,N,13945.6789,E,1,08,0.9,1.0,M,,M,,")),
                  SentenceResult::Fix)
            << talker;
        EXPECT_EQ(sink.text(PANEL_STATUS), talker + "GGA");
    }
    sink.clear();
    for (const char* other : {"GPGSA,A,3,,,", "gpGGA,1,2", "G1GGA,1", "GPGGAX,1", "PGGA,1"}) {
        EXPECT_EQ(decode(nmeaLine(other)), SentenceResult::Unknown) << other;
    }
    EXPECT_TRUE(sink.texts().empty());
    // A GSA broken off and merged with the RMC that follows, as some receivers do.
    EXPECT_EQ(decode("$GPGSA,A,3,04,05,,09,12*1E" + RMC_35_139), SentenceResult::Fix);
    EXPECT_EQ(gpsFix.position.latitude, 35.0);
    EXPECT_EQ(decode(std::string("\x10\x75\x01\x02\0\xff", 6) + gga(1)), SentenceResult::Fix);
    EXPECT_NEAR(gpsFix.position.latitude, LAT, 1e-12);
    EXPECT_EQ(decode("garbage without a dollar\r\n"), SentenceResult::Rejected);
}

TEST_F(NmeaDecoderTest, MalformedSentencesHaveNoEffect) {
    haveFix();
    const GeoPoint before = gpsFix.position;
    std::string noCr = gga(1, "555.0");  // the last field is not ended
    noCr.erase(noCr.size() - 2, 1);
    const std::string fields = "GPGGA,153013.00,3539.1234,N,13945.6789,E,1,08,0.9,1.0,M,,M,,";
    // Each case replaces one field of the good sentence above.
    const std::pair<std::string, std::string> bad[] = {
        {"3539.1234", "35x9.1234"}, {"3539.1234", "3560.0000"}, {"3539.1234", "9000.0001"},
        {"3539.1234", "3539.12.34"}, {"3539.1234", "35."},     {"13945.6789", " 13945.6789"},
        {"13945.6789", "18100.0000"}, {"13945.6789", "-1300.0000"}, {"0.9,1.0", "0.9,1e3"},
        {"0.9,1.0", "0.9,inf"},      {"M,,M", "M,3-0,M"},       {"E,1,08", "E,1x,08"},
        {"E,1,08", "E,1,-8"},        {",N,", ",X,"},            {"153013.00", "15301"},
        {"3539.1234", "3539.123400000000000000000000"},  // 29 characters
        {"3539.1234", std::string(64, '1')}, {"0.9,", std::string(64, '9') + ","},  // unused field
    };
    for (const auto& [field, replacement] : bad) {
        std::string body = fields;
        body.replace(body.find(field), field.size(), replacement);
        sink.clear();
        EXPECT_EQ(decode(nmeaLine(body)), SentenceResult::Rejected) << body;
        EXPECT_TRUE(sink.texts().empty()) << body;
    }
    EXPECT_EQ(decode(noCr), SentenceResult::Rejected);
    EXPECT_EQ(gpsFix.position.latitude, before.latitude);
    EXPECT_EQ(gpsFix.position.altitude, before.altitude);
    // Limits themselves are fine: 28 characters, the poles and the antimeridian, zero padding.
    EXPECT_EQ(decode(nmeaLine("GPGGA,153013,3500.00000000000000000000000,N,18000,E,1,08,0.9,000115.4,M,"
                              "0033.3,M,,")),
              SentenceResult::Fix);
    EXPECT_NEAR(gpsFix.position.altitude, 148.7, 1e-9);
    EXPECT_EQ(decode(nmeaLine("GPGGA,153013,9000.0000,S,13945.6789,E,1,08,0.9,1.0,M,,M,,")),
              SentenceResult::Fix);
}

TEST_F(NmeaDecoderTest, PointRegistrationTakesTheNextUsableFix) {
    CountingHooks hooks;  // the timing layer's registration, counted
    haveFix();
    registerPointRequest = 1;  // a fix on latitude 0 registers nothing but takes the request
    decode(nmeaLine("GPRMC,010204,A,0000.0000,N,13900.0000,E,0.0,0.0,010124,,"));
    EXPECT_EQ(CountingHooks::registrations.load(), 0);
    EXPECT_EQ(registerPointRequest.load(), 0);
    registerPointRequest = 1;
    decode(gga(1));
    EXPECT_EQ(CountingHooks::registrations.load(), 1);
}

}  // namespace
