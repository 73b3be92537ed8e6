#include "capture/gps/binary_receiver.h"

#include <gtest/gtest.h>

#include <cstring>

#include "binary_test_support.h"
#include "capture/gps/fix_completion.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "common/sjis.h"
#include "recording_sink.h"

namespace {

const uint8_t TIME_090530[3] = {0x09, 0x05, 0x30};

class BinaryReceiverTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetGpsStateForTests();
        resetGeodesyStateForTests();
        resetLiveFix();
        std::memset(record, 0, sizeof record);
    }
    void TearDown() override { resetGpsStateForTests(); }

    // Finds, unstuffs and decodes the first packet of `bytes`; returns findPacket's result.
    int feed(const std::vector<uint8_t>& bytes) {
        std::memset(record, 0, sizeof record);
        int end = findPacket(bytes.data(), int(bytes.size()), record);
        if (end >= 0) decodeBinaryPacket(record);
        return end;
    }

    RecordingSink sink;
    uint8_t record[PACKET_RECORD_BYTES];
};

TEST_F(BinaryReceiverTest, SetUpPacketsAreValidPackets) {
    uint8_t first[] = {0x10, 0x3F, 0x2F, 0x09, 0x26, 0x10, 0x03};
    EXPECT_EQ(unstuffPacket(first, sizeof first), 0);
    EXPECT_EQ(first[1], 0x3F);
    uint8_t second[PACKET_RECORD_BYTES] = {0x10, 0x75, 0x10, 0x10, 0, 0, 0, 0, 0x10, 0x10, 0x10, 0x03};
    EXPECT_EQ(unstuffPacket(second, 12), 0);
    const uint8_t unstuffed[] = {0x10, 0x75, 0x10, 0, 0, 0, 0, 0x10, 0x10, 0x03, 0, 0};
    EXPECT_EQ(std::memcmp(second, unstuffed, sizeof unstuffed), 0);

    uint8_t wrongSum[] = {0x10, 0x3F, 0x2F, 0x09, 0x27, 0x10, 0x03};
    EXPECT_EQ(unstuffPacket(wrongSum, sizeof wrongSum), 1);
    uint8_t unended[] = {0x10, 0x3F, 0x2F, 0x09, 0x26};
    EXPECT_EQ(unstuffPacket(unended, sizeof unended), -1);
}

TEST_F(BinaryReceiverTest, FindPacketConsumesNoiseBeforeThePacket) {
    std::vector<uint8_t> bytes{0xAA, 0x10, 0x03, 0x55};
    std::vector<uint8_t> packet = stuffedPacket(0x3F, {0x2F, 0x09});
    bytes.insert(bytes.end(), packet.begin(), packet.end());
    bytes.push_back(0x10);  // start of the next one
    bytes.push_back(0x75);
    EXPECT_EQ(findPacket(bytes.data(), int(bytes.size()), record), int(bytes.size()) - 3);
    EXPECT_EQ(record[0], 0x10);
    EXPECT_EQ(record[1], 0x3F);
    EXPECT_EQ(sink.textCount(), 0u);
    // The next packet is incomplete: nothing is consumed.
    EXPECT_EQ(findPacket(bytes.data() + bytes.size() - 2, 2, record), -1);
    EXPECT_EQ(findPacket(packet.data(), int(packet.size()) - 1, record), -1);
    EXPECT_EQ(findPacket(bytes.data(), 0, record), -1);
}

TEST_F(BinaryReceiverTest, BigEndianPacketMovesTheCar) {
    auto data = bigEndianPositionData(0x70, LATITUDE_35_5, LONGITUDE_139_75, 0xFFF6, TIME_090530, 0xFF);
    ASSERT_GE(feed(stuffedPacket(0x75, data)), 0);
    EXPECT_EQ(gpsFix.position.latitude, 35.5);
    EXPECT_EQ(gpsFix.position.longitude, 139.75);
    EXPECT_EQ(gpsFix.position.altitude, -10.0);
    EXPECT_NE(gpsFix.position.ecefX, 0.0);
    EXPECT_EQ(gpsFix.fixReceived.load(), 1);
    EXPECT_EQ(gpsFix.satellites, 8);
    EXPECT_EQ(sink.text(PANEL_SATELLITES), "08");
    EXPECT_EQ(sink.text(PANEL_STATUS), "3次元測位");
    EXPECT_EQ(sink.text(PANEL_MODE), "ﾊｲﾌﾞﾘｯﾄﾞ/ﾘﾘｰﾌ");
    EXPECT_EQ(sink.text(PANEL_LATITUDE), "35.50000000度");
    EXPECT_EQ(sink.text(PANEL_LONGITUDE), "139.75000000度");
    EXPECT_EQ(sink.text(PANEL_ALTITUDE), "-10.000(m)");
    EXPECT_EQ(sink.text(PANEL_TIME), "09時05分30秒");  // as sent, no time-zone shift
    EXPECT_EQ(std::string(gpsFix.timeText), utf8ToSjis("09時05分30秒"));
    EXPECT_EQ(readPublishedPosition().latitude, 35.5);
}

TEST_F(BinaryReceiverTest, BigEndianPacketIsUsedWhateverItsStatus) {
    auto data = bigEndianPositionData(0x00, LATITUDE_35_5, LONGITUDE_139_75, 12, TIME_090530, 0x3);
    feed(stuffedPacket(0x75, data));
    EXPECT_EQ(gpsFix.position.latitude, 35.5);
    EXPECT_EQ(gpsFix.fixReceived.load(), 1);
    EXPECT_EQ(sink.text(PANEL_STATUS), "測位不可");
    EXPECT_EQ(sink.text(PANEL_MODE), "単独");
    EXPECT_EQ(sink.text(PANEL_SATELLITES), "02");
}

TEST_F(BinaryReceiverTest, LittleEndianPacketNeedsAUsableFix) {
    auto noFix = littleEndianPositionData(0x10, LONGITUDE_139_75, LATITUDE_35_5, 5, TIME_090530);
    feed(stuffedPacket(0x36, noFix));
    EXPECT_EQ(gpsFix.position.latitude, 0.0);
    EXPECT_EQ(gpsFix.fixReceived.load(), 0);
    EXPECT_EQ(sink.text(PANEL_STATUS), "測位誤差大");
    EXPECT_EQ(sink.text(PANEL_TIME), "");
    EXPECT_EQ(sink.textCount(), 2u);

    auto twoD = littleEndianPositionData(0x20, LONGITUDE_139_75, LATITUDE_35_5, 5, TIME_090530);
    // The longitude travels as 00 3C AD 07 at offset 4.
    auto packet = stuffedPacket(0x36, twoD);
    EXPECT_EQ(packet[4], 0x00);
    EXPECT_EQ(packet[7], 0x07);
    feed(packet);
    EXPECT_EQ(gpsFix.position.latitude, 35.5);
    EXPECT_EQ(gpsFix.position.longitude, 139.75);
    EXPECT_EQ(gpsFix.position.altitude, 5.0);
    EXPECT_EQ(gpsFix.satellites, 0);  // 0x36 carries no satellite mask
    EXPECT_EQ(sink.text(PANEL_STATUS), "2次元測位");
    EXPECT_EQ(sink.text(PANEL_TIME), "09時05分30秒");
    EXPECT_EQ(gpsFix.fixReceived.load(), 1);
}

TEST_F(BinaryReceiverTest, WrongChecksumIsReportedAndStillDecoded) {
    auto packet = stuffedPacket(
        0x75, bigEndianPositionData(0x30, LATITUDE_35_5, LONGITUDE_139_75, 1, TIME_090530, 1));
    packet[packet.size() - 3] ^= 0x01;  // the checksum byte
    feed(packet);
    auto texts = sink.texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), std::make_pair(int(PANEL_STATUS), std::string("sum err")));
    EXPECT_EQ(sink.text(PANEL_STATUS), "3次元測位");
    EXPECT_EQ(gpsFix.position.latitude, 35.5);
}

TEST_F(BinaryReceiverTest, StuffedDleBeforeEtxDataByteDoesNotEndThePacket) {
    // Latitude bytes 10 03 .. : a doubled DLE followed by a data byte 0x03 is
    // data, not the end of the packet.
    const uint32_t latitude = 0x00100300;  // 1050368/256/3600 degrees
    auto data = bigEndianPositionData(0x30, latitude, LONGITUDE_139_75, 7, TIME_090530, 0xF);
    auto packet = stuffedPacket(0x75, data);
    EXPECT_EQ(feed(packet), int(packet.size()) - 1);
    EXPECT_EQ(sink.texts().front().second, "3次元測位");  // no "sum err"
    EXPECT_DOUBLE_EQ(gpsFix.position.latitude, 0x00100300 / 256.0 / 3600.0);
    EXPECT_EQ(gpsFix.position.longitude, 139.75);
    EXPECT_EQ(gpsFix.satellites, 4);
}

TEST_F(BinaryReceiverTest, FieldsBeyondAShortPacketReadAsZero) {
    // A 0x75 cut short after its altitude: time and satellite mask read as 0.
    auto data = bigEndianPositionData(0x30, LATITUDE_35_5, LONGITUDE_139_75, 3, TIME_090530, 0xFF);
    data.resize(11);
    feed(stuffedPacket(0x75, data));
    EXPECT_EQ(gpsFix.position.latitude, 35.5);
    EXPECT_EQ(sink.text(PANEL_TIME), "00時00分00秒");
    EXPECT_EQ(sink.text(PANEL_SATELLITES), "00");
}

TEST_F(BinaryReceiverTest, OtherPacketsAreConsumedWithoutEffect) {
    EXPECT_GE(feed(stuffedPacket(0x3F, {0x2F, 0x09})), 0);
    EXPECT_EQ(sink.textCount(), 0u);
    EXPECT_EQ(countBits(0), 0);
    EXPECT_EQ(countBits(0xFFFFFFFFu), 32);
    EXPECT_EQ(countBits(0x80000001u), 2);
}

}  // namespace
