// The capture program's live receiver state and the flags the threads share.
#pragma once

#include <atomic>
#include <cstdint>

#include "common/records.h"

// The single live receiver state. Written by the GPS reader thread.
struct GpsFix {
    GeoPoint position;           // latest position; all zero when the reader starts
    char timeText[32] = {};      // last receiver time as shown, Shift-JIS ("%02d時%c%c分%c%c秒")
    int32_t satellites = 0;      // satellites in use
    int32_t quality = 0;         // GGA fix quality, 0 = no fix
    std::atomic<int32_t> fixReceived{0};  // 1 once a GGA or binary fix completed
};

extern GpsFix gpsFix;
extern SerialPort gpsPort;          // defaults "COM1", 38400, 8, none, one
// Settings the reader reads while the window's settings dialog may write them.
extern std::atomic<int32_t> binaryReceiver;  // 0 NMEA, 1 binary receiver (read at reader start)
extern std::atomic<int32_t> datum;           // 0 WGS-84, 1 Tokyo (read at every fix)

extern std::atomic<int32_t> readerStop;
extern std::atomic<int32_t> readerRunning;
extern std::atomic<int32_t> registerPointRequest;

// Receiver loss. A fix is stale when none completed for FIX_STALE_MS; the
// receiver is silent when no byte came for as long. The recorder takes no
// sample while `fixLost` is set, and a pass found on the straight segment
// between two fixes further apart than MAX_SEGMENT_GAP_MS is not counted.
constexpr uint32_t FIX_STALE_MS = 2000;
constexpr uint32_t RECEIVER_SILENT_MS = 2000;
constexpr uint32_t MAX_SEGMENT_GAP_MS = 2000;
extern std::atomic<uint32_t> lastFixTickMs;  // tick of the latest completed fix (reader thread)
extern std::atomic<uint32_t> fixIntervalMs;  // ms between the latest two fixes; 0 for the first
extern std::atomic<int32_t> fixLost;         // 1 while the live fix is stale (set by the reader)

// The published position: the recorder reads a consistent latitude,
// longitude and altitude triple, never a half-updated one.
struct PositionTriple {
    double latitude = 0.0;
    double longitude = 0.0;
    double altitude = 0.0;
};
void publishPosition(const GeoPoint& position);
PositionTriple readPublishedPosition();

// Back to program-start values: the live fix, the flags, the port, the
// settings above, the published position and course points, the distances of
// the geodesy, the reader hooks and the line observer. Call while no reader
// runs; every test fixture does.
void resetGpsState();
