#include "capture/timing/beacon.h"

#include <system_error>
#include <thread>

#include "capture/gps/serial_port.h"
#include "capture/timing/lap_timing.h"
#include "platform/tick.h"

SerialPort beaconPort = closedSerialPort("COM2", 9600);
std::atomic<int32_t> beaconStop{0};
std::atomic<int32_t> motecRunning{0};
std::atomic<int32_t> beaconPulseCount{0};

namespace {

std::thread senderThread;

// One pass request becomes whole 2400-byte writes of zeros, repeated until
// 2000 ms have gone since the burst began; passes arriving meanwhile are
// absorbed by the running burst.
void senderLoop() {
    static const unsigned char burst[BEACON_BURST_BYTES] = {};
    if (beaconPort.handle == 0) return;
    bool inBurst = false;
    uint32_t deadlineMs = 0;
    while (beaconStop.load() == 0) {
        if (beaconPulsePending.load() == 0) {
            platform::sleepMs(1);
            continue;
        }
        if (!inBurst) {
            deadlineMs = platform::GetTickCount() + BEACON_BURST_MS;
            inBurst = true;
        }
        writeSerial(beaconPort, burst, BEACON_BURST_BYTES);  // a failed write still ends by the deadline
        if (static_cast<int32_t>(platform::GetTickCount() - deadlineMs) > 0) {
            beaconPulseCount.fetch_add(1);
            beaconPulsePending.store(0);
            inBurst = false;
        }
    }
}

}  // namespace

int openBeaconPort() {
    if (openSerialPort(beaconPort) != 0) return 1;
    beaconStop.store(0);
    try {
        senderThread = std::thread(senderLoop);
    } catch (const std::system_error&) {
        return 0;  // the port is open but no burst will be sent, as when the thread fails
    }
    motecRunning.store(1);
    return 0;
}

void closeBeaconPort() {
    beaconStop.store(1);
    motecRunning.store(0);
    if (senderThread.joinable()) senderThread.join();
    closeSerialPort(beaconPort);
}
