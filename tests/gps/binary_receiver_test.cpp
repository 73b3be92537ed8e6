#include "capture/gps/binary_receiver.h"

#include <gtest/gtest.h>

#include <cstring>

#include "gps_test_support.h"

namespace {

class BinaryReceiverTest : public GpsTest {
protected:
    // Finds, unstuffs and decodes the first packet of `bytes`; returns findPacket's result.
    int feed(const std::vector<uint8_t>& bytes) {
        std::memset(record, 0, sizeof record);
        const int end = findPacket(bytes.data(), int(bytes.size()), record);
        if (end >= 0) decodeBinaryPacket(record);
        return end;
    }
    uint8_t record[PACKET_RECORD_BYTES] = {};
};

TEST_F(BinaryReceiverTest, SetUpPacketsAreValidAndChecksumsAndEndsAreFound) {
    uint8_t first[] = {0x10, 0x3F, 0x2F, 0x09, 0x26, 0x10, 0x03};
    EXPECT_EQ(unstuffPacket(first, sizeof first), 0);
    uint8_t second[PACKET_RECORD_BYTES] = {0x10, 0x75, 0x10, 0x10, 0, 0, 0, 0, 0x10, 0x10, 0x10, 0x03};
    EXPECT_EQ(unstuffPacket(second, 12), 0);
    const uint8_t unstuffed[] = {0x10, 0x75, 0x10, 0, 0, 0, 0, 0x10, 0x10, 0x03, 0, 0};
    EXPECT_EQ(std::memcmp(second, unstuffed, sizeof unstuffed), 0);
    first[4] ^= 1;
    EXPECT_EQ(unstuffPacket(first, sizeof first), 1) << "wrong checksum";
    EXPECT_EQ(unstuffPacket(first, 5), -1) << "no end";
}

TEST_F(BinaryReceiverTest, GarbageBeforeAPacketIsConsumedAndOtherPacketsHaveNoEffect) {
    std::vector<uint8_t> bytes{0xAA, 0x10, 0x03, 0x55};
    const std::vector<uint8_t> packet = stuffedPacket(0x3F, {0x2F, 0x09});
    bytes.insert(bytes.end(), packet.begin(), packet.end());
    bytes.insert(bytes.end(), {0x10, 0x75});  // start of the next one
    EXPECT_EQ(feed(bytes), int(bytes.size()) - 3);
    EXPECT_EQ(record[1], 0x3F);
    EXPECT_TRUE(sink.texts().empty());
    EXPECT_EQ(findPacket(packet.data(), int(packet.size()) - 1, record), -1) << "incomplete";
}

TEST_F(BinaryReceiverTest, BigEndianPacketMovesTheCarWhateverItsStatus) {
    ASSERT_GE(feed(stuffedPacket(0x75, bigEndianPositionData(0x70, LATITUDE_35_5, 0xFFF6, 0xFF))), 0);
    EXPECT_EQ(gpsFix.position.latitude, 35.5);
    EXPECT_EQ(gpsFix.position.longitude, 139.75);
    EXPECT_EQ(gpsFix.position.altitude, -10.0);
    EXPECT_NE(gpsFix.position.ecefX, 0.0);
    EXPECT_EQ(gpsFix.fixReceived.load(), 1);
    EXPECT_EQ(sink.text(PANEL_SATELLITES), "08");
    EXPECT_EQ(sink.text(PANEL_STATUS), "3次元測位");
    EXPECT_EQ(sink.text(PANEL_MODE), "ﾊｲﾌﾞﾘｯﾄﾞ/ﾘﾘｰﾌ");
    EXPECT_EQ(sink.text(PANEL_ALTITUDE), "-10.000(m)");
    EXPECT_EQ(sink.text(PANEL_TIME), "09時05分30秒");  // as sent, no time-zone shift

    feed(stuffedPacket(0x75, bigEndianPositionData(0x00, LATITUDE_35_5 * 2, 12, 0x3)));
    EXPECT_EQ(gpsFix.position.latitude, 71.0);
    EXPECT_EQ(sink.text(PANEL_STATUS), "測位不可");
    EXPECT_EQ(sink.text(PANEL_MODE), "単独");
}

TEST_F(BinaryReceiverTest, LittleEndianPacketNeedsAUsableFix) {
    feed(stuffedPacket(0x36, littleEndianPositionData(0x10, 5)));
    EXPECT_EQ(gpsFix.position.latitude, 0.0);
    EXPECT_EQ(gpsFix.fixReceived.load(), 0);
    EXPECT_EQ(sink.text(PANEL_STATUS), "測位誤差大");

    const std::vector<uint8_t> packet = stuffedPacket(0x36, littleEndianPositionData(0x20, 5));
    EXPECT_EQ(std::vector<uint8_t>(packet.begin() + 4, packet.begin() + 8),
              (std::vector<uint8_t>{0x00, 0x3C, 0xAD, 0x07}))
        << "the longitude travels little-endian at offset 4";
    feed(packet);
    EXPECT_EQ(gpsFix.position.latitude, 35.5);
    EXPECT_EQ(gpsFix.position.longitude, 139.75);
    EXPECT_EQ(gpsFix.position.altitude, 5.0);
    EXPECT_EQ(sink.text(PANEL_STATUS), "2次元測位");
    EXPECT_EQ(sink.text(PANEL_TIME), "09時05分30秒");
    EXPECT_EQ(gpsFix.fixReceived.load(), 1);
}

TEST_F(BinaryReceiverTest, WrongChecksumIsReportedAndStillDecoded) {
    auto packet = stuffedPacket(0x75, bigEndianPositionData(0x30, LATITUDE_35_5, 1, 1));
    packet[packet.size() - 3] ^= 0x01;  // the checksum byte
    feed(packet);
    ASSERT_FALSE(sink.texts().empty());
    EXPECT_EQ(sink.texts().front().second, "sum err");
    EXPECT_EQ(gpsFix.position.latitude, 35.5);
}

TEST_F(BinaryReceiverTest, DoubledDleBeforeAnEtxDataByteIsNotTheEnd) {
    // Latitude bytes 00 10 03 00: a doubled DLE followed by a data byte 0x03.
    const auto packet = stuffedPacket(0x75, bigEndianPositionData(0x30, 0x00100300, 7, 0xF));
    EXPECT_EQ(feed(packet), int(packet.size()) - 1);
    EXPECT_EQ(sink.texts().front().second, "3次元測位") << "no checksum error";
    EXPECT_DOUBLE_EQ(gpsFix.position.latitude, 0x00100300 / 256.0 / 3600.0);
    EXPECT_EQ(gpsFix.satellites, 4);
}

TEST_F(BinaryReceiverTest, FieldsBeyondAShortPacketReadAsZero) {
    auto data = bigEndianPositionData(0x30, LATITUDE_35_5, 3, 0xFF);
    data.resize(11);  // cut short after the altitude
    feed(stuffedPacket(0x75, data));
    EXPECT_EQ(gpsFix.position.latitude, 35.5);
    EXPECT_EQ(sink.text(PANEL_TIME), "00時00分00秒");
    EXPECT_EQ(sink.text(PANEL_SATELLITES), "00");
}

}  // namespace
