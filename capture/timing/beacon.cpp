#include "capture/timing/beacon.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <thread>

#include "capture/gps/serial_port.h"
#include "capture/timing/lap_timing.h"
#include "platform/serial_device.h"
#include "platform/tick.h"

SerialPort beaconPort = closedSerialPort("COM2", 9600);
std::atomic<int32_t> beaconStop{0};
std::atomic<int32_t> motecRunning{0};
std::atomic<int32_t> beaconPulseCount{0};

namespace {

std::thread senderThread;

// The port's line settings as configureSerialPort hands them to the driver.
platform::SerialSettings lineSettings(const SerialPort& port) {
    platform::SerialSettings settings;
    settings.baudRate = port.baudRate;
    settings.dataBits = port.byteSize & 0xFF;
    settings.parity = port.parity & 0xFF;
    settings.stopBits = port.stopBits & 0xFF;
    return settings;
}

// One burst write that lasts the bytes' time on the line on every device.
// write() returns as soon as the driver has queued the bytes; tcdrain waits
// for a UART to send them, but a pseudo-terminal (or a driver that cannot
// drain) reports them gone at once, so the rest of the line time is waited
// out from the port's settings. Without this each pass would queue write
// after write until the 2000 ms passed: kilobytes through a UART's buffer,
// megabytes into a pty. The wait ends early on a stop request.
void writeBurst(const unsigned char* burst) {
    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    writeSerial(beaconPort, burst, BEACON_BURST_BYTES);  // a failed write still takes its time
    platform::drainSerialDevice(beaconPort.handle);
    const auto done =
        started + std::chrono::milliseconds(platform::lineTimeMs(lineSettings(beaconPort), BEACON_BURST_BYTES));
    for (auto now = Clock::now(); now < done && beaconStop.load() == 0; now = Clock::now()) {
        std::this_thread::sleep_for(std::min<Clock::duration>(done - now, std::chrono::milliseconds(10)));
    }
}

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
        writeBurst(burst);  // a failed write still ends by the deadline
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
