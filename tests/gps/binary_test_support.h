// Builds binary receiver packets for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// DLE id data checksum DLE ETX, with every DLE in id, data and checksum doubled.
inline std::vector<uint8_t> stuffedPacket(uint8_t id, const std::vector<uint8_t>& data) {
    uint8_t sum = 0;
    for (uint8_t b : data) sum ^= b;
    std::vector<uint8_t> body{id};
    body.insert(body.end(), data.begin(), data.end());
    body.push_back(sum);
    std::vector<uint8_t> out{0x10};
    for (uint8_t b : body) {
        out.push_back(b);
        if (b == 0x10) out.push_back(0x10);
    }
    out.push_back(0x10);
    out.push_back(0x03);
    return out;
}

// Data of a 0x75 packet (offsets count from the DLE, so data byte k is offset k + 2).
inline std::vector<uint8_t> bigEndianPositionData(uint8_t status, uint32_t latitude,
                                                  uint32_t longitude, uint16_t altitude,
                                                  const uint8_t time[3], uint32_t satelliteMask) {
    std::vector<uint8_t> d(35, 0);
    d[0] = status;
    for (int i = 0; i < 4; ++i) d[1 + i] = uint8_t(latitude >> (24 - 8 * i));
    for (int i = 0; i < 4; ++i) d[5 + i] = uint8_t(longitude >> (24 - 8 * i));
    d[9] = uint8_t(altitude >> 8);
    d[10] = uint8_t(altitude);
    d[22] = time[0];
    d[23] = time[1];
    d[24] = time[2];
    for (int i = 0; i < 4; ++i) d[31 + i] = uint8_t(satelliteMask >> (8 * i));
    return d;
}

// Data of a 0x36 packet: status at offset 3, longitude first, little-endian.
inline std::vector<uint8_t> littleEndianPositionData(uint8_t status, uint32_t longitude,
                                                     uint32_t latitude, uint16_t altitude,
                                                     const uint8_t time[3]) {
    std::vector<uint8_t> d(30, 0);
    d[1] = status;
    for (int i = 0; i < 4; ++i) d[2 + i] = uint8_t(longitude >> (8 * i));
    for (int i = 0; i < 4; ++i) d[6 + i] = uint8_t(latitude >> (8 * i));
    d[10] = uint8_t(altitude);
    d[11] = uint8_t(altitude >> 8);
    d[27] = time[0];
    d[28] = time[1];
    d[29] = time[2];
    return d;
}

constexpr uint32_t LATITUDE_35_5 = 0x01F33800;    // 35.5 degrees in 1/256 arc-seconds
constexpr uint32_t LONGITUDE_139_75 = 0x07AD3C00;  // 139.75 degrees
