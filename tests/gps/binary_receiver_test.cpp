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

TEST_F(BinaryReceiverTest, BigEndianPacketMovesTheCar) {
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
}

// Line noise and a receiver without a fix must neither move the car nor open
// the recording gate, whichever packet carries them; the next good packet applies.
TEST_F(BinaryReceiverTest, BadOrFixlessPacketsNeverMoveTheCar) {
    auto withWrongChecksum = [](std::vector<uint8_t> packet) {
        packet[packet.size() - 3] ^= 0x01;  // the checksum byte (not a DLE in these packets)
        return packet;
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> packet;
        const char* status;
        const char* mode;  // nullptr: not shown
    };
    const Case cases[] = {
        {"0x75 wrong checksum",
         withWrongChecksum(stuffedPacket(0x75, bigEndianPositionData(0x30, LATITUDE_35_5, 1, 1))),
         "sum err", nullptr},
        {"0x36 wrong checksum",
         withWrongChecksum(stuffedPacket(0x36, littleEndianPositionData(0x30, 5))), "sum err",
         nullptr},
        {"0x75 without an id's data or checksum", {0x10, 0x75, 0x10, 0x03}, "packet err", nullptr},
        {"0x75 no fix", stuffedPacket(0x75, bigEndianPositionData(0x00, LATITUDE_35_5, 1, 0xF)),
         "測位不可", "単独"},
        {"0x75 large error",
         stuffedPacket(0x75, bigEndianPositionData(0x50, LATITUDE_35_5, 1, 0xF)), "測位誤差大",
         "ﾊｲﾌﾞﾘｯﾄﾞ/ﾘﾘｰﾌ"},
        {"0x36 no fix", stuffedPacket(0x36, littleEndianPositionData(0x00, 5)), "測位不可", "単独"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        resetGpsState();
        sink.clear();
        gpsFix.position.latitude = 1.25;  // a previous fix's
        gpsFix.position.longitude = 2.5;
        registerPointRequest = 1;
        EXPECT_EQ(feed(c.packet), int(c.packet.size()) - 1) << "consumed";
        EXPECT_EQ(gpsFix.position.latitude, 1.25);
        EXPECT_EQ(gpsFix.position.longitude, 2.5);
        EXPECT_EQ(gpsFix.position.ecefX, 0.0) << "no fix completion";
        EXPECT_EQ(gpsFix.fixReceived.load(), 0);
        EXPECT_EQ(registerPointRequest.load(), 1) << "a point request waits for a real fix";
        EXPECT_EQ(gpsFix.satellites, 0);
        EXPECT_EQ(sink.text(PANEL_STATUS), c.status);
        EXPECT_EQ(sink.text(PANEL_MODE), c.mode ? c.mode : "");
        EXPECT_EQ(sink.text(PANEL_LATITUDE), "");
        EXPECT_EQ(sink.text(PANEL_TIME), "");

        feed(stuffedPacket(0x75, bigEndianPositionData(0x20, LATITUDE_35_5, 1, 0x3)));
        EXPECT_EQ(gpsFix.position.latitude, 35.5) << "a good packet after it applies";
        EXPECT_EQ(gpsFix.fixReceived.load(), 1);
        EXPECT_EQ(sink.text(PANEL_STATUS), "2次元測位");
    }
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

// The parse step alone: typed fields from the bytes, nothing else touched.
TEST_F(BinaryReceiverTest, ParsingReadsOneWholeFrameAndTouchesNothing) {
    // The 0x75 sample: 3-D fix at 35.5 N 139.75 E, 10 m, 09:05:30, eight satellites.
    const std::vector<uint8_t> sample{
        0x10, 0x75, 0x30, 0x01, 0xF3, 0x38, 0x00, 0x07, 0xAD, 0x3C, 0x00, 0x00, 0x0A, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x09, 0x05, 0x30, 0x00,
        0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0xA5, 0x10, 0x03};
    const binary::ParsedPacket p = binary::parsePacket(sample);
    EXPECT_EQ(p.check, binary::PacketCheck::Good);
    EXPECT_EQ(p.id, 0x75);
    EXPECT_EQ(p.status, 0x30);
    EXPECT_EQ(p.latitudeDeg, 35.5);
    EXPECT_EQ(p.longitudeDeg, 139.75);
    EXPECT_EQ(p.altitudeM, 10.0);
    EXPECT_EQ(p.timeBcd[0], 0x09);
    EXPECT_EQ(p.timeBcd[2], 0x30);
    EXPECT_TRUE(p.hasSatellites);
    EXPECT_EQ(p.satellites, 8);

    const binary::ParsedPacket little =
        binary::parsePacket(stuffedPacket(0x36, littleEndianPositionData(0x20, 0xFFFF)));
    EXPECT_EQ(little.check, binary::PacketCheck::Good);
    EXPECT_EQ(little.latitudeDeg, 35.5);
    EXPECT_EQ(little.longitudeDeg, 139.75);
    EXPECT_EQ(little.altitudeM, -1.0);
    EXPECT_FALSE(little.hasSatellites);

    auto cut = [&](size_t from, size_t to) {
        return std::vector<uint8_t>(sample.begin() + long(from), sample.begin() + long(to));
    };
    std::vector<uint8_t> noisy{0xAA};
    noisy.insert(noisy.end(), sample.begin(), sample.end());
    std::vector<uint8_t> trailing = sample;
    trailing.push_back(0x10);
    std::vector<uint8_t> oversized(PACKET_RECORD_BYTES + 1, 0x00);
    oversized[0] = 0x10, oversized[1] = 0x3F, oversized[oversized.size() - 2] = 0x10;
    oversized.back() = 0x03;
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        binary::PacketCheck check;
    } frames[] = {
        {"empty", {}, binary::PacketCheck::Malformed},
        {"no end", cut(0, sample.size() - 1), binary::PacketCheck::Malformed},
        {"no start", cut(1, sample.size()), binary::PacketCheck::Malformed},
        {"noise before", noisy, binary::PacketCheck::Malformed},
        {"bytes after", trailing, binary::PacketCheck::Malformed},
        {"id only", {0x10, 0x3F, 0x10, 0x03}, binary::PacketCheck::Malformed},
        {"longer than a record", oversized, binary::PacketCheck::Malformed},
        {"set-up packet", {0x10, 0x3F, 0x2F, 0x09, 0x26, 0x10, 0x03}, binary::PacketCheck::Good},
        {"set-up packet, wrong sum", {0x10, 0x3F, 0x2F, 0x09, 0x27, 0x10, 0x03},
         binary::PacketCheck::ChecksumError},
    };
    for (const auto& f : frames) {
        EXPECT_EQ(binary::parsePacket(f.bytes).check, f.check) << f.what;
    }
    EXPECT_EQ(gpsFix.position.latitude, 0.0);
    EXPECT_TRUE(sink.texts().empty()) << "parsing shows nothing";

    EXPECT_EQ(binary::applyPacket(binary::parsePacket(sample)), binary::PacketResult::Fix);
    EXPECT_EQ(binary::applyPacket(binary::parsePacket(frames[7].bytes)),
              binary::PacketResult::Ignored);
    EXPECT_EQ(binary::applyPacket(binary::parsePacket(frames[8].bytes)),
              binary::PacketResult::ChecksumError);
    EXPECT_EQ(binary::applyPacket(binary::parsePacket(frames[0].bytes)),
              binary::PacketResult::Malformed);
    EXPECT_EQ(sink.text(PANEL_STATUS), "packet err");
}

}  // namespace
