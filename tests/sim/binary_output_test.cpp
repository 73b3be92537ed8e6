#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tools/gps-sim/binary_packets.h"

using namespace gpssim;

namespace {

struct Unstuffed {
    bool framed = false;
    uint8_t id = 0;
    std::vector<uint8_t> data;
    bool checksumOk = false;
};

// The receiver's side: DLE id data checksum DLE ETX, every inner DLE doubled.
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

}  // namespace

TEST(BinaryOutput, StuffingDoublesEveryDleAndRoundTrips) {
    // The receiver set-up packet, a known framing.
    EXPECT_EQ(stuffPacket(0x3F, std::vector<uint8_t>{0x2F, 0x09}),
              (std::vector<uint8_t>{0x10, 0x3F, 0x2F, 0x09, 0x26, 0x10, 0x03}));
    // A DLE as data and as checksum: both doubled.
    EXPECT_EQ(stuffPacket(0x75, std::vector<uint8_t>{0x10, 0, 0, 0, 0}),
              (std::vector<uint8_t>{0x10, 0x75, 0x10, 0x10, 0, 0, 0, 0, 0x10, 0x10, 0x10, 0x03}));
    // Data that looks like packet ends must come back unchanged.
    std::vector<uint8_t> nasty{0x10, 0x10, 0x03, 0x00, 0x10, 0x03, 0xFF};
    Unstuffed u = unstuff(stuffPacket(0x36, nasty));
    ASSERT_TRUE(u.framed);
    EXPECT_EQ(u.id, 0x36);
    EXPECT_EQ(u.data, nasty);
    EXPECT_TRUE(u.checksumOk);
}
