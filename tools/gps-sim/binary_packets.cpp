#include "tools/gps-sim/binary_packets.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace gpssim {

namespace {

constexpr int PACKET75_DATA_BYTES = 35;  // offsets 2..36
constexpr int PACKET36_DATA_BYTES = 30;  // offsets 2..31

// Data index of a packet offset (the id sits at offset 1).
constexpr int dataIndex(int packetOffset) { return packetOffset - 2; }

uint8_t bcd(int value) { return static_cast<uint8_t>((value / 10) << 4 | value % 10); }

void putBigEndian(std::vector<uint8_t>& data, int offset, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        data[dataIndex(offset) + i] = static_cast<uint8_t>(value >> (8 * (bytes - 1 - i)));
}

void putLittleEndian(std::vector<uint8_t>& data, int offset, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) data[dataIndex(offset) + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint16_t altitudeWord(double altitudeM) {
    long metres = std::lround(std::clamp(altitudeM, -32768.0, 32767.0));
    return static_cast<uint16_t>(static_cast<int16_t>(metres));
}

void putTime(std::vector<uint8_t>& data, int offset, const UtcTime& t) {
    data[dataIndex(offset)] = bcd(t.hour);
    data[dataIndex(offset + 1)] = bcd(t.minute);
    data[dataIndex(offset + 2)] = bcd(t.second);
}

}  // namespace

std::vector<uint8_t> stuffPacket(uint8_t id, std::span<const uint8_t> data) {
    std::vector<uint8_t> wire{DLE};
    auto put = [&wire](uint8_t b) {
        wire.push_back(b);
        if (b == DLE) wire.push_back(DLE);
    };
    put(id);
    uint8_t checksum = 0;
    for (uint8_t b : data) {
        put(b);
        checksum ^= b;
    }
    put(checksum);
    wire.push_back(DLE);
    wire.push_back(ETX);
    return wire;
}

int32_t toBinaryAngle(double deg) { return static_cast<int32_t>(std::llround(deg * 3600.0 * 256.0)); }

uint32_t satelliteMask(int satellites) {
    // PRNs 2, 5, 7, 12, 15, 20, 24, 29 first, then the remaining ones in order.
    static constexpr int PREFERRED[] = {1, 4, 6, 11, 14, 19, 23, 28};
    uint32_t mask = 0;
    int wanted = std::clamp(satellites, 0, 32);
    for (int bit : PREFERRED)
        if (std::popcount(mask) < wanted) mask |= 1u << bit;
    for (int bit = 0; bit < 32 && std::popcount(mask) < wanted; ++bit) mask |= 1u << bit;
    return mask;
}

uint8_t statusByte(int quality) { return quality > 0 ? 0x30 : 0x00; }

std::vector<uint8_t> packet75(const FixReport& fix) {
    std::vector<uint8_t> data(PACKET75_DATA_BYTES, 0);
    data[dataIndex(2)] = statusByte(fix.quality);
    putBigEndian(data, 3, static_cast<uint32_t>(toBinaryAngle(fix.position.latitudeDeg)), 4);
    putBigEndian(data, 7, static_cast<uint32_t>(toBinaryAngle(fix.position.longitudeDeg)), 4);
    putBigEndian(data, 11, altitudeWord(fix.altitudeM), 2);
    putTime(data, 24, fix.utc);
    putLittleEndian(data, 33, satelliteMask(fix.satellites), 4);
    return stuffPacket(PACKET_POSITION_75, data);
}

std::vector<uint8_t> packet36(const FixReport& fix) {
    std::vector<uint8_t> data(PACKET36_DATA_BYTES, 0);
    data[dataIndex(3)] = statusByte(fix.quality);
    putLittleEndian(data, 4, static_cast<uint32_t>(toBinaryAngle(fix.position.longitudeDeg)), 4);
    putLittleEndian(data, 8, static_cast<uint32_t>(toBinaryAngle(fix.position.latitudeDeg)), 4);
    putLittleEndian(data, 12, altitudeWord(fix.altitudeM), 2);
    putTime(data, 29, fix.utc);
    return stuffPacket(PACKET_POSITION_36, data);
}

}  // namespace gpssim
