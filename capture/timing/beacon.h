// The MoTeC beacon link: a burst of zero bytes on the beacon port at every
// counted pass, so that the logger's laps start with ours.
#pragma once

#include <atomic>
#include <cstdint>

#include "common/records.h"

constexpr int BEACON_BURST_BYTES = 2400;     // one write: 2.5 s at 9600 baud, 8-N-1
constexpr uint32_t BEACON_BURST_MS = 2000;   // a burst repeats its write until this has passed

extern SerialPort beaconPort;                 // defaults "COM2", 9600, 8-N-1
extern std::atomic<int32_t> beaconStop;       // asks the sender thread to end
extern std::atomic<int32_t> motecRunning;     // 1 while the sender thread exists
extern std::atomic<int32_t> beaconPulseCount; // bursts finished since start-up

// Opens beaconPort and starts the sender thread. 0 on success, 1 when the
// port cannot be opened (the caller reports it).
int openBeaconPort();
// Stops the sender (waiting for a write in progress) and closes the port.
// Safe to call when nothing is open.
void closeBeaconPort();
