// The GPS-4711qx binary receiver: DLE-framed packets 0x75 and 0x36.
//
// On the wire: DLE, id, data, checksum (xor of the data), DLE ETX; every DLE
// inside id, data or checksum is doubled. Offsets of the decoded packet count
// from the leading DLE.
#pragma once

#include <cstdint>

constexpr uint8_t DLE = 0x10;
constexpr uint8_t ETX = 0x03;
constexpr int PACKET_RECORD_BYTES = 512;

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

// Applies a 0x75 or 0x36 packet to gpsFix; other ids are ignored.
// `record` is a whole PACKET_RECORD_BYTES record.
void decodeBinaryPacket(const uint8_t* record);

int countBits(uint32_t word);
