// Packets of the DLE-framed binary receiver: position packets 0x75 and 0x36.
//
// On the wire: DLE, id, data, checksum (exclusive-or of the data bytes), DLE ETX;
// every DLE inside id, data or checksum is sent twice. Offsets below count from
// the leading DLE of the unstuffed packet, so the first data byte is at offset 2.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "tools/gps-sim/fix_report.h"

namespace gpssim {

constexpr uint8_t DLE = 0x10;
constexpr uint8_t ETX = 0x03;
constexpr uint8_t PACKET_POSITION_75 = 0x75;
constexpr uint8_t PACKET_POSITION_36 = 0x36;

// The framed, stuffed bytes of one packet.
std::vector<uint8_t> stuffPacket(uint8_t id, std::span<const uint8_t> data);

// 0x75: status at 2; latitude (3) and longitude (7) big-endian signed 32-bit in
// 1/256 arc-second; altitude (11) big-endian signed 16-bit metres; hour, minute,
// second as BCD at 24..26; satellite mask little-endian 32-bit at 33.
std::vector<uint8_t> packet75(const FixReport& fix);
// 0x36: status at 3; longitude (4) and latitude (8) little-endian; altitude (12)
// little-endian; BCD time at 29..31; no satellite mask.
std::vector<uint8_t> packet36(const FixReport& fix);

// 1/256 arc-second units, rounded to the nearest.
int32_t toBinaryAngle(double deg);
// A mask with `satellites` bits set (0..32), spread like real PRN numbers.
uint32_t satelliteMask(int satellites);
// 3-D fix (0x30) with a fix, "no fix" (0x00) without; stand-alone reception.
uint8_t statusByte(int quality);

}  // namespace gpssim
