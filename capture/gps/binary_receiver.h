// The GPS-4711qx binary receiver: DLE-framed packets 0x75 and 0x36.
//
// On the wire: DLE, id, data, checksum (xor of the data), DLE ETX; every DLE
// inside id, data or checksum is doubled. Offsets of the decoded packet count
// from the leading DLE.
//
// Decoding has two steps, as for NMEA: binary::parsePacket reads one packet
// into typed fields with no effect on anything, binary::applyPacket commits
// it to the live fix. A packet with a wrong checksum, a malformed one, or one
// whose status reports no usable fix never moves the car nor completes a fix.
#pragma once

#include <cstdint>
#include <span>

constexpr uint8_t DLE = 0x10;
constexpr uint8_t ETX = 0x03;
constexpr int PACKET_RECORD_BYTES = 512;

namespace binary {

constexpr uint8_t PACKET_POSITION_BE = 0x75;  // "u": latitude first, big-endian
constexpr uint8_t PACKET_POSITION_LE = 0x36;  // "6": longitude first, little-endian

enum class PacketCheck : uint8_t { Good, ChecksumError, Malformed };

// What became of one packet.
enum class PacketResult {
    Fix,            // a position packet that completed a fix
    Decoded,        // a position packet that took effect without completing a fix
    Ignored,        // a good packet of another id: no effect
    ChecksumError,  // "sum err" shown, nothing else changed
    Malformed,      // "packet err" shown, nothing else changed
};

struct ParsedPacket {
    PacketCheck check = PacketCheck::Malformed;
    uint8_t id = 0;
    uint8_t status = 0;             // bits 0x30 fix kind, bit 0x40 hybrid/relief reception
    double latitudeDeg = 0.0;       // north positive
    double longitudeDeg = 0.0;      // east positive
    double altitudeM = 0.0;
    uint8_t timeBcd[3] = {};        // hour, minute, second: two BCD digits each, as sent
    bool hasSatellites = false;     // 0x75 only
    int32_t satellites = 0;         // set bits of the satellite mask
};

// Reads one packet as it travels, from its leading DLE to its ETX (stuffed).
// Pure: no global state is read or written. Fields beyond the end of a short
// packet read as 0; anything that is not one whole frame (or longer than
// PACKET_RECORD_BYTES) is Malformed.
ParsedPacket parsePacket(std::span<const uint8_t> wire);

// True for a status whose fix kind is 2-D or 3-D: only then is a position used.
bool hasUsableFix(uint8_t status);

// Commits a parsed packet: the status and reception-mode texts, and for a
// usable fix the position, its fix completion, the time and (0x75) the
// satellite count.
PacketResult applyPacket(const ParsedPacket& packet);

// The first complete packet in `buffer`: indexes of its leading DLE and of its
// ETX, or -1, -1 when none is complete yet.
struct PacketBounds {
    int start = -1;
    int end = -1;
};
PacketBounds locatePacket(std::span<const uint8_t> buffer);

}  // namespace binary

// Sends the two set-up packets to gpsPort; write failures are ignored.
void sendReceiverInit();

// Looks for one complete packet in the first `length` bytes of `buffer`. When
// one is there, its unstuffed bytes go to `record` (PACKET_RECORD_BYTES,
// zeroed by the caller; bytes past the packet stay 0), "packet err" or "sum
// err" is shown if needed, and the index of its last byte (the ETX) is
// returned: the caller drops everything up to it, noise before the packet
// included. -1 when no complete packet is present.
int findPacket(const uint8_t* buffer, int length, uint8_t* record);

// Removes the stuffing of the raw packet in the first `length` bytes of
// `record`, in place. 0 good, 1 checksum mismatch, -1 malformed.
int unstuffPacket(uint8_t* record, int length);

// Applies a 0x75 or 0x36 record left by findPacket to gpsFix; other ids are
// ignored. The checksum is verified again, so a bad packet (already reported
// by findPacket) changes nothing. `record` is a whole PACKET_RECORD_BYTES record.
void decodeBinaryPacket(const uint8_t* record);

int countBits(uint32_t word);
