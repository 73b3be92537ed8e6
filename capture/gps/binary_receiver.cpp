#include "capture/gps/binary_receiver.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "capture/gps/capture_sink.h"
#include "capture/gps/fix_completion.h"
#include "capture/gps/gps_state.h"
#include "capture/gps/panel_text.h"
#include "capture/gps/serial_port.h"

namespace {

using binary::PacketCheck;
using binary::PacketResult;
using binary::ParsedPacket;

// 1/256 arc-second to degrees.
constexpr double UNIT_TO_DEGREES = 0.00390625 * 0.0002777777777777778;

// Set-up packets, already stuffed.
constexpr uint8_t SETUP_PACKET_1[] = {0x10, 0x3F, 0x2F, 0x09, 0x26, 0x10, 0x03};
constexpr uint8_t SETUP_PACKET_2[] = {0x10, 0x75, 0x10, 0x10, 0x00, 0x00,
                                      0x00, 0x00, 0x10, 0x10, 0x10, 0x03};

// Packet 0x75, 3-D fix at 35.5 N 139.75 E, 10 m, 09:05:30, eight satellites:
//   10 75 30 01 F3 38 00 07 AD 3C 00 00 0A 00 00 00 00 00 00 00 00 00 00 00
//   09 05 30 00 00 00 00 00 00 FF 00 00 00 A5 10 03
// Offsets in the unstuffed packet (the leading DLE at 0, the id at 1):
namespace be {
constexpr int STATUS = 2;          // 1 byte
constexpr int LATITUDE = 3;        // int32, 1/256 arc-second
constexpr int LONGITUDE = 7;       // int32, 1/256 arc-second
constexpr int ALTITUDE = 11;       // int16, metres
constexpr int TIME = 24;           // hour, minute, second: BCD bytes
constexpr int SATELLITE_MASK = 33; // uint32 little-endian, one bit per satellite
}  // namespace be

// Packet 0x36, the same fix: little-endian, longitude first, no satellite mask:
//   10 36 00 30 00 3C AD 07 00 38 F3 01 0A 00 00 00 00 00 00 00 00 00 00 00
//   00 00 00 00 00 09 05 30 5A 10 03
namespace le {
constexpr int STATUS = 3;
constexpr int LONGITUDE = 4;
constexpr int LATITUDE = 8;
constexpr int ALTITUDE = 12;
constexpr int TIME = 29;
}  // namespace le

constexpr uint8_t STATUS_FIX_BITS = 0x30;
constexpr uint8_t STATUS_FIX_2D = 0x20;
constexpr uint8_t STATUS_HYBRID_BIT = 0x40;

uint32_t bigEndian(const uint8_t* p, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = (value << 8) | p[i];
    return value;
}

uint32_t littleEndian(const uint8_t* p, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
    return value;
}

double angleDegrees(uint32_t raw) { return static_cast<int32_t>(raw) * UNIT_TO_DEGREES; }
double altitudeMetres(uint32_t raw) { return static_cast<int16_t>(raw); }

// Reads the fields of an unstuffed, zero-padded record of PACKET_RECORD_BYTES.
void readFields(const uint8_t* r, ParsedPacket& p) {
    p.id = r[1];
    if (p.id == binary::PACKET_POSITION_BE) {
        p.status = r[be::STATUS];
        p.latitudeDeg = angleDegrees(bigEndian(r + be::LATITUDE, 4));
        p.longitudeDeg = angleDegrees(bigEndian(r + be::LONGITUDE, 4));
        p.altitudeM = altitudeMetres(bigEndian(r + be::ALTITUDE, 2));
        std::memcpy(p.timeBcd, r + be::TIME, 3);
        p.hasSatellites = true;
        p.satellites = countBits(littleEndian(r + be::SATELLITE_MASK, 4));
    } else if (p.id == binary::PACKET_POSITION_LE) {
        p.status = r[le::STATUS];
        p.longitudeDeg = angleDegrees(littleEndian(r + le::LONGITUDE, 4));
        p.latitudeDeg = angleDegrees(littleEndian(r + le::LATITUDE, 4));
        p.altitudeM = altitudeMetres(littleEndian(r + le::ALTITUDE, 2));
        std::memcpy(p.timeBcd, r + le::TIME, 3);
    }
}

// The checksum of a record findPacket left: its frame ends at the last DLE ETX
// (everything past the packet is 0), the checksum byte just before it.
PacketCheck checkRecord(const uint8_t* record) {
    if (record[0] != DLE) return PacketCheck::Malformed;
    int end = -1;  // index of the final DLE
    for (int k = PACKET_RECORD_BYTES - 2; k >= 2; --k) {
        if (record[k] == DLE && record[k + 1] == ETX) {
            end = k;
            break;
        }
    }
    if (end <= 2) return PacketCheck::Malformed;  // no id or no checksum
    uint8_t sum = 0;
    for (int k = 2; k <= end - 2; ++k) sum ^= record[k];
    return sum == record[end - 1] ? PacketCheck::Good : PacketCheck::ChecksumError;
}

// Status bits 0x30: fix kind; bit 0x40: hybrid/relief reception.
void showStatus(uint8_t status) {
    static const char* const fixTexts[4] = {"測位不可", "測位誤差大", "2次元測位", "3次元測位"};
    showText(PANEL_STATUS, fixTexts[(status & STATUS_FIX_BITS) >> 4]);
    showText(PANEL_MODE, (status & STATUS_HYBRID_BIT) ? "ﾊｲﾌﾞﾘｯﾄﾞ/ﾘﾘｰﾌ" : "単独");
}

// "%d%d時%d%d分%d%d秒" from three BCD bytes, shown as the receiver sends it.
void takeBcdTime(const uint8_t* bcd) {
    char utf8[64];
    std::snprintf(utf8, sizeof utf8, "%d%d時%d%d分%d%d秒", bcd[0] >> 4, bcd[0] & 15,
                  bcd[1] >> 4, bcd[1] & 15, bcd[2] >> 4, bcd[2] & 15);
    std::snprintf(gpsFix.timeText, sizeof gpsFix.timeText, "%d%d\x8E\x9E%d%d\x95\xAA%d%d\x95\x62",
                  bcd[0] >> 4, bcd[0] & 15, bcd[1] >> 4, bcd[1] & 15, bcd[2] >> 4, bcd[2] & 15);
    showText(PANEL_TIME, utf8);
}

// Stores and shows the position (in the packet's field order) and completes the fix.
bool takePosition(const ParsedPacket& p) {
    GeoPoint& position = gpsFix.position;
    position.latitude = p.latitudeDeg;
    position.longitude = p.longitudeDeg;
    position.altitude = p.altitudeM;
    notePositionReceived();
    if (p.id == binary::PACKET_POSITION_BE) {
        showDegrees(PANEL_LATITUDE, p.latitudeDeg);
        showDegrees(PANEL_LONGITUDE, p.longitudeDeg);
    } else {
        showDegrees(PANEL_LONGITUDE, p.longitudeDeg);
        showDegrees(PANEL_LATITUDE, p.latitudeDeg);
    }
    showAltitude(PANEL_ALTITUDE, p.altitudeM);
    return completeFix(FixVariant::Binary);
}

}  // namespace

namespace binary {

PacketBounds locatePacket(std::span<const uint8_t> buffer) {
    const int length = static_cast<int>(buffer.size());
    for (int start = 0; start + 1 < length; ++start) {
        // A packet starts at a DLE followed by an id (neither DLE nor ETX).
        if (buffer[start] != DLE || buffer[start + 1] == DLE || buffer[start + 1] == ETX) continue;
        int k = start + 2;
        // A doubled DLE is one data byte and can never end the packet, even
        // when a data byte 0x03 follows it.
        while (k + 1 < length) {
            if (buffer[k] == DLE && buffer[k + 1] == DLE) {
                k += 2;
            } else if (buffer[k] == DLE && buffer[k + 1] == ETX) {
                return {start, k + 1};
            } else {
                ++k;
            }
        }
        return {};  // the first start is not complete yet
    }
    return {};
}

ParsedPacket parsePacket(std::span<const uint8_t> wire) {
    ParsedPacket parsed;
    const int size = static_cast<int>(wire.size());
    if (size > PACKET_RECORD_BYTES) return parsed;
    const PacketBounds bounds = locatePacket(wire);
    if (bounds.start != 0 || bounds.end != size - 1) return parsed;  // not one whole frame
    uint8_t record[PACKET_RECORD_BYTES] = {};
    std::memcpy(record, wire.data(), wire.size());
    switch (unstuffPacket(record, size)) {
        case 0: parsed.check = PacketCheck::Good; break;
        case 1: parsed.check = PacketCheck::ChecksumError; return parsed;
        default: return parsed;
    }
    readFields(record, parsed);
    return parsed;
}

bool hasUsableFix(uint8_t status) { return (status & STATUS_FIX_BITS) >= STATUS_FIX_2D; }

PacketResult applyPacket(const ParsedPacket& p) {
    if (p.check == PacketCheck::ChecksumError) {
        showText(PANEL_STATUS, "sum err");
        return PacketResult::ChecksumError;
    }
    if (p.check == PacketCheck::Malformed) {
        showText(PANEL_STATUS, "packet err");
        return PacketResult::Malformed;
    }
    if (p.id != PACKET_POSITION_BE && p.id != PACKET_POSITION_LE) return PacketResult::Ignored;
    showStatus(p.status);
    // Without a 2-D or 3-D fix the receiver's position is stale or invented:
    // only the two texts change, as for an NMEA sentence without a fix.
    if (!hasUsableFix(p.status)) return PacketResult::Decoded;
    const bool fix = takePosition(p);
    takeBcdTime(p.timeBcd);
    if (p.hasSatellites) {
        gpsFix.satellites = p.satellites;
        char text[16];
        std::snprintf(text, sizeof text, "%02d", p.satellites);
        showText(PANEL_SATELLITES, text);
    }
    return fix ? PacketResult::Fix : PacketResult::Decoded;
}

}  // namespace binary

int countBits(uint32_t word) { return std::popcount(word); }

void sendReceiverInit() {
    writeSerial(gpsPort, SETUP_PACKET_1, sizeof SETUP_PACKET_1);
    writeSerial(gpsPort, SETUP_PACKET_2, sizeof SETUP_PACKET_2);
}

int unstuffPacket(uint8_t* record, int length) {
    if (record == nullptr || length < 2 || length > PACKET_RECORD_BYTES) return -1;
    uint8_t output[PACKET_RECORD_BYTES];
    int i = 1, j = 1;
    output[0] = record[0];
    bool ended = false;
    // A doubled DLE is one data byte and can never end the packet, even when a
    // data byte 0x03 follows it.
    while (i < length) {
        if (record[i] == DLE && i + 1 < length && record[i + 1] == DLE) {
            output[j++] = DLE;
            i += 2;
        } else if (record[i] == DLE && i + 1 < length && record[i + 1] == ETX) {
            output[j++] = DLE;
            output[j++] = ETX;
            ended = true;
            break;
        } else {
            output[j++] = record[i++];
        }
    }
    if (!ended) return -1;
    std::memcpy(record, output, j);
    // Fields beyond the end of a short packet read as 0, not as stale raw bytes.
    std::memset(record + j, 0, length - j);
    const int last = j - 1;  // the ETX
    if (last <= 3) return -1;  // no id or no checksum
    uint8_t sum = 0;
    for (int k = 2; k <= last - 3; ++k) sum ^= record[k];
    return sum == record[last - 2] ? 0 : 1;
}

int findPacket(const uint8_t* buffer, int length, uint8_t* record) {
    if (buffer == nullptr || record == nullptr || length <= 0) return -1;
    const binary::PacketBounds bounds =
        binary::locatePacket(std::span<const uint8_t>(buffer, static_cast<size_t>(length)));
    if (bounds.end < 0) return -1;
    const int size = bounds.end - bounds.start + 1;
    if (size > PACKET_RECORD_BYTES) return bounds.end;  // cannot hold it: consume it unseen
    std::memcpy(record, buffer + bounds.start, static_cast<size_t>(size));
    const int result = unstuffPacket(record, size);
    if (result == -1) showText(PANEL_STATUS, "packet err");
    if (result == 1) showText(PANEL_STATUS, "sum err");
    return bounds.end;
}

void decodeBinaryPacket(const uint8_t* record) {
    if (record == nullptr) return;
    ParsedPacket parsed;
    parsed.check = checkRecord(record);
    if (parsed.check != PacketCheck::Good) return;  // findPacket has shown why
    readFields(record, parsed);
    binary::applyPacket(parsed);
}
