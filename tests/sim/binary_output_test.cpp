#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "tools/gps-sim/binary_packets.h"

using namespace gpssim;

namespace {

// A receiver-side unstuffing of one framed packet: DLE id data checksum DLE ETX.
struct Unstuffed {
    bool framed = false;
    uint8_t id = 0;
    std::vector<uint8_t> data;
    bool checksumOk = false;
};

Unstuffed unstuff(const std::vector<uint8_t>& wire) {
    Unstuffed u;
    if (wire.size() < 5 || wire[0] != DLE || wire[wire.size() - 2] != DLE || wire.back() != ETX) return u;
    std::vector<uint8_t> body;
    for (std::size_t i = 1; i + 2 < wire.size(); ++i) {
        if (wire[i] == DLE) {
            if (i + 3 >= wire.size() || wire[i + 1] != DLE) return u;  // a lone DLE inside
            ++i;
        }
        body.push_back(wire[i]);
    }
    if (body.size() < 2) return u;
    u.framed = true;
    u.id = body.front();
    u.data.assign(body.begin() + 1, body.end() - 1);
    uint8_t sum = 0;
    for (uint8_t b : u.data) sum ^= b;
    u.checksumOk = sum == body.back();
    return u;
}

// Bytes of the unstuffed packet at a packet offset (the leading DLE is offset 0).
uint32_t bytesAt(const Unstuffed& u, int offset, int count, bool bigEndian) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        uint32_t b = u.data.at(offset - 2 + i);
        value |= bigEndian ? b << (8 * (count - 1 - i)) : b << (8 * i);
    }
    return value;
}

FixReport fixAt(double lat, double lon) {
    FixReport fix;
    fix.position = {lat, lon};
    fix.altitudeM = -12.0;
    fix.utc = {2025, 6, 15, 9, 5, 30, 0};
    return fix;
}

}  // namespace

TEST(BinaryOutput, StuffingDoublesEveryDleAndRoundTrips) {
    // The receiver set-up packet is a known framing: 10 3F 2F 09 26 10 03.
    std::vector<uint8_t> setup = stuffPacket(0x3F, std::vector<uint8_t>{0x2F, 0x09});
    EXPECT_EQ(setup, (std::vector<uint8_t>{0x10, 0x3F, 0x2F, 0x09, 0x26, 0x10, 0x03}));
    // Data and checksum both DLE: 10 75 10 10 00 00 00 00 10 10 10 03.
    std::vector<uint8_t> second = stuffPacket(0x75, std::vector<uint8_t>{0x10, 0, 0, 0, 0});
    EXPECT_EQ(second, (std::vector<uint8_t>{0x10, 0x75, 0x10, 0x10, 0, 0, 0, 0, 0x10, 0x10, 0x10, 0x03}));

    std::vector<uint8_t> nasty{0x10, 0x10, 0x03, 0x00, 0x10, 0x03, 0xFF};
    Unstuffed u = unstuff(stuffPacket(0x36, nasty));
    ASSERT_TRUE(u.framed);
    EXPECT_EQ(u.id, 0x36);
    EXPECT_EQ(u.data, nasty);
    EXPECT_TRUE(u.checksumOk);
}

TEST(BinaryOutput, Packet75IsBigEndianLatitudeFirstWithSatelliteMask) {
    Unstuffed u = unstuff(packet75(fixAt(35.5, 139.75)));
    ASSERT_TRUE(u.framed);
    EXPECT_TRUE(u.checksumOk);
    EXPECT_EQ(u.id, 0x75);
    EXPECT_EQ(bytesAt(u, 2, 1, true), 0x30u);  // 3-D fix
    EXPECT_EQ(bytesAt(u, 3, 4, true), 0x01F33800u);
    EXPECT_EQ(bytesAt(u, 7, 4, true), 0x07AD3C00u);
    EXPECT_EQ(static_cast<int16_t>(bytesAt(u, 11, 2, true)), -12);
    EXPECT_EQ(bytesAt(u, 24, 1, true), 0x09u);
    EXPECT_EQ(bytesAt(u, 25, 1, true), 0x05u);
    EXPECT_EQ(bytesAt(u, 26, 1, true), 0x30u);
    EXPECT_EQ(std::popcount(bytesAt(u, 33, 4, false)), 8);
}

TEST(BinaryOutput, Packet36IsLittleEndianLongitudeFirst) {
    Unstuffed u = unstuff(packet36(fixAt(35.5, 139.75)));
    ASSERT_TRUE(u.framed);
    EXPECT_TRUE(u.checksumOk);
    EXPECT_EQ(u.id, 0x36);
    EXPECT_EQ(bytesAt(u, 3, 1, false), 0x30u);
    EXPECT_EQ(bytesAt(u, 4, 4, false), 0x07AD3C00u);  // 00 3C AD 07 on the wire
    EXPECT_EQ(u.data.at(2), 0x00);
    EXPECT_EQ(bytesAt(u, 8, 4, false), 0x01F33800u);
    EXPECT_EQ(static_cast<int16_t>(bytesAt(u, 12, 2, false)), -12);
    EXPECT_EQ(bytesAt(u, 29, 1, false), 0x09u);
    EXPECT_EQ(bytesAt(u, 31, 1, false), 0x30u);
}

TEST(BinaryOutput, SouthWestIsNegativeAndNoFixClearsTheStatus) {
    Unstuffed u = unstuff(packet75(fixAt(-33.9, -70.6)));
    ASSERT_TRUE(u.checksumOk);
    EXPECT_EQ(static_cast<int32_t>(bytesAt(u, 3, 4, true)), toBinaryAngle(-33.9));
    EXPECT_EQ(static_cast<int32_t>(bytesAt(u, 7, 4, true)), -65064960);  // -70.6 * 3600 * 256
    FixReport noFix = fixAt(35.5, 139.75);
    noFix.quality = 0;
    EXPECT_EQ(bytesAt(unstuff(packet75(noFix)), 2, 1, true), 0u);
    EXPECT_EQ(bytesAt(unstuff(packet36(noFix)), 3, 1, false), 0u);
}
