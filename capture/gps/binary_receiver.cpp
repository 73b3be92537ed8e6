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

constexpr uint8_t PACKET_POSITION_BE = 0x75;  // "u": latitude first, big-endian
constexpr uint8_t PACKET_POSITION_LE = 0x36;  // "6": longitude first, little-endian

// 1/256 arc-second to degrees.
constexpr double UNIT_TO_DEGREES = 0.00390625 * 0.0002777777777777778;

// Set-up packets, already stuffed.
constexpr uint8_t SETUP_PACKET_1[] = {0x10, 0x3F, 0x2F, 0x09, 0x26, 0x10, 0x03};
constexpr uint8_t SETUP_PACKET_2[] = {0x10, 0x75, 0x10, 0x10, 0x00, 0x00,
                                      0x00, 0x00, 0x10, 0x10, 0x10, 0x03};

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

// Status bits 0x30: fix kind; bit 0x40: hybrid/relief reception.
void showStatus(uint8_t status) {
    static const char* const fixTexts[4] = {"測位不可", "測位誤差大", "2次元測位", "3次元測位"};
    showText(PANEL_STATUS, fixTexts[(status & 0x30) >> 4]);
    showText(PANEL_MODE, (status & 0x40) ? "ﾊｲﾌﾞﾘｯﾄﾞ/ﾘﾘｰﾌ" : "単独");
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

void takePosition(double latitude, double longitude, double altitude, bool latitudeFirst) {
    GeoPoint& position = gpsFix.position;
    position.latitude = latitude;
    position.longitude = longitude;
    position.altitude = altitude;
    notePositionReceived();
    if (latitudeFirst) {
        showDegrees(PANEL_LATITUDE, latitude);
        showDegrees(PANEL_LONGITUDE, longitude);
    } else {
        showDegrees(PANEL_LONGITUDE, longitude);
        showDegrees(PANEL_LATITUDE, latitude);
    }
    showAltitude(PANEL_ALTITUDE, altitude);
    completeFix(FixVariant::Binary);
}

// 0x75 uses its position whatever the status says.
void decodeBigEndianPosition(const uint8_t* r) {
    showStatus(r[2]);
    takePosition(angleDegrees(bigEndian(r + 3, 4)), angleDegrees(bigEndian(r + 7, 4)),
                 altitudeMetres(bigEndian(r + 11, 2)), true);
    takeBcdTime(r + 24);
    gpsFix.satellites = countBits(littleEndian(r + 33, 4));
    char text[16];
    std::snprintf(text, sizeof text, "%02d", gpsFix.satellites);
    showText(PANEL_SATELLITES, text);
}

// 0x36 touches nothing but the two texts without a 2-D or 3-D fix.
void decodeLittleEndianPosition(const uint8_t* r) {
    const uint8_t status = r[3];
    showStatus(status);
    if ((status & 0x30) == 0x10 || (status & 0x30) == 0x00) return;
    takePosition(angleDegrees(littleEndian(r + 8, 4)), angleDegrees(littleEndian(r + 4, 4)),
                 altitudeMetres(littleEndian(r + 12, 2)), false);
    takeBcdTime(r + 29);
}

}  // namespace

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
    if (buffer == nullptr || record == nullptr) return -1;
    for (int start = 0; start + 1 < length; ++start) {
        // A packet starts at a DLE followed by an id (neither DLE nor ETX).
        if (buffer[start] != DLE || buffer[start + 1] == DLE || buffer[start + 1] == ETX) continue;
        int k = start + 2;
        while (k + 1 < length) {
            if (buffer[k] == DLE && buffer[k + 1] == DLE) {
                k += 2;
            } else if (buffer[k] == DLE && buffer[k + 1] == ETX) {
                break;
            } else {
                ++k;
            }
        }
        if (k + 1 >= length) return -1;  // the first start is not complete yet
        const int end = k + 1;
        const int size = end - start + 1;
        if (size > PACKET_RECORD_BYTES) return end;  // cannot hold it: consume it unseen
        std::memcpy(record, buffer + start, size);
        const int result = unstuffPacket(record, size);
        if (result == -1) showText(PANEL_STATUS, "packet err");
        if (result == 1) showText(PANEL_STATUS, "sum err");
        return end;
    }
    return -1;
}

void decodeBinaryPacket(const uint8_t* record) {
    if (record == nullptr) return;
    switch (record[1]) {
        case PACKET_POSITION_BE: decodeBigEndianPosition(record); break;
        case PACKET_POSITION_LE: decodeLittleEndianPosition(record); break;
        default: break;
    }
}
