// The GPS tests' fixture (the shared GPS state back to its start-up value and
// a recording sink) and builders of receiver sentences and packets.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "capture/gps/fix_completion.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "capture/gps/nmea_decoder.h"
#include "capture/gps/reader_hooks.h"
#include "tests/support/recording_sink.h"

class GpsTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetGpsState();
    }
    void TearDown() override {
        resetGpsState();
    }
    RecordingSink sink;
};

// "$" + body + "*HH\r\n" with the correct checksum.
inline std::string nmeaLine(const std::string& body) {
    unsigned sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
    return "$" + body + tail;
}

inline SentenceResult decode(const std::string& line) {
    return decodeSentence(static_cast<int>(line.size()), line.data());
}

// A GGA with the given quality at 35°39.1234'N 139°45.6789'E.
inline std::string gga(int quality, const std::string& altitude = "100.0",
                       const std::string& separation = "30.0") {
    return nmeaLine("GPGGA,153012.00,3539.1234,N,13945.6789,E," + std::to_string(quality) +
                    ",08,0.9," + altitude + ",M," + separation + ",M,,");
}

// DLE id data checksum DLE ETX, with every DLE in id, data and checksum doubled.
inline std::vector<uint8_t> stuffedPacket(uint8_t id, const std::vector<uint8_t>& data) {
    uint8_t sum = 0;
    for (uint8_t b : data) sum ^= b;
    std::vector<uint8_t> body{id}, out{0x10};
    body.insert(body.end(), data.begin(), data.end());
    body.push_back(sum);
    for (uint8_t b : body) {
        out.push_back(b);
        if (b == 0x10) out.push_back(0x10);
    }
    out.insert(out.end(), {0x10, 0x03});
    return out;
}

constexpr uint32_t LATITUDE_35_5 = 0x01F33800;    // 35.5 degrees in 1/256 arc-seconds
constexpr uint32_t LONGITUDE_139_75 = 0x07AD3C00;  // 139.75 degrees
constexpr uint32_t TIME_090530 = 0x090530;         // hours, minutes, seconds: one byte each

// `bytes` bytes of `value` from data offset `at`, most significant first unless `littleEndian`.
inline void put(std::vector<uint8_t>& d, size_t at, uint32_t value, int bytes, bool littleEndian) {
    for (int i = 0; i < bytes; ++i) d[at + i] = uint8_t(value >> 8 * (littleEndian ? i : bytes - 1 - i));
}

// Data of a 0x75 packet: big-endian, latitude first; data byte k sits at packet offset k + 2.
inline std::vector<uint8_t> bigEndianPositionData(uint8_t status, uint32_t latitude,
                                                  uint16_t altitudeM, uint32_t satelliteMask) {
    std::vector<uint8_t> d(35, 0);
    d[0] = status;
    put(d, 1, latitude, 4, false);
    put(d, 5, LONGITUDE_139_75, 4, false);
    put(d, 9, altitudeM, 2, false);
    put(d, 22, TIME_090530, 3, false);
    put(d, 31, satelliteMask, 4, true);
    return d;
}

// Data of a 0x36 packet: little-endian, status at packet offset 3, longitude first.
inline std::vector<uint8_t> littleEndianPositionData(uint8_t status, uint16_t altitudeM) {
    std::vector<uint8_t> d(30, 0);
    d[1] = status;
    put(d, 2, LONGITUDE_139_75, 4, true);
    put(d, 6, LATITUDE_35_5, 4, true);
    put(d, 10, altitudeM, 2, true);
    put(d, 27, TIME_090530, 3, false);
    return d;
}
