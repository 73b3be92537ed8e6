#include "capture/gps/gps_reader.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#include "capture/gps/binary_receiver.h"
#include "capture/gps/fix_completion.h"
#include "capture/gps/gps_state.h"
#include "capture/gps/line_buffer.h"
#include "capture/gps/nmea_decoder.h"
#include "capture/gps/reader_hooks.h"
#include "capture/gps/receiver_watch.h"
#include "capture/gps/serial_port.h"
#include "platform/tick.h"

namespace {

std::thread readerThread;
std::mutex readerThreadLock;  // openGpsPort/closeGpsPort may come from different threads

std::atomic<LineObserver> lineObserver{nullptr};

bool stopRequested() { return readerStop.load() != 0; }

// The timing layer's work after a line or packet, run by the reader itself:
// no display sink stands between a fix and the lap check.
void runPassCheck() {
    if (const auto hook = readerHooks().checkPointPasses) hook();
}

void runFlashPoll() {
    if (const auto hook = readerHooks().pollFlash) hook();
}

// Decodes every complete line in the buffer, one per millisecond; false when
// asked to stop.
bool decodeLines(NmeaLineBuffer& buffer) {
    char line[NMEA_BUFFER_BYTES];
    for (int length; (length = buffer.takeLine(line)) > 0;) {
        const SentenceResult result = decodeSentence(length, line);
        if (LineObserver observer = lineObserver.load()) observer(line, length, result);
        runPassCheck();  // after every line, understood or not
        runFlashPoll();
        platform::sleepMs(1);
        if (stopRequested()) return false;
    }
    return true;
}

void runNmeaReader(ReceiverWatch& watch) {
    NmeaLineBuffer buffer;
    for (;;) {
        const int got = readSerial(gpsPort, buffer.freeSpace(), buffer.freeBytes());
        if (got <= 0) {
            if (watch.poll(gpsPort, false)) buffer = NmeaLineBuffer{};  // a part line of the old device
            platform::sleepMs(1);
            runFlashPoll();  // no line may come for a long while: the flash must still end
            if (stopRequested()) return;
            continue;
        }
        buffer.added(got);
        watch.poll(gpsPort, true);
        if (stopRequested()) return;
        if (!decodeLines(buffer)) return;
        buffer.unwedge();
    }
}

// Decodes every complete packet in the buffer; false when asked to stop.
bool decodePackets(PacketBuffer& buffer) {
    uint8_t record[PACKET_RECORD_BYTES];
    while (!stopRequested()) {
        std::memset(record, 0, sizeof record);
        const int end = findPacket(buffer.data(), buffer.filled(), record);
        if (end < 0) return true;
        decodeBinaryPacket(record);
        runPassCheck();
        buffer.drop(end + 1);
        runFlashPoll();
        platform::sleepMs(1);
    }
    return false;
}

void runBinaryReader(ReceiverWatch& watch) {
    sendReceiverInit();
    if (stopRequested()) return;
    PacketBuffer buffer;
    for (;;) {
        const int got = readSerial(gpsPort, buffer.freeSpace(), buffer.freeBytes());
        if (got > 0) {
            buffer.added(got);
            if (!decodePackets(buffer)) return;
            buffer.unwedge();
        }
        if (watch.poll(gpsPort, got > 0)) {
            // A receiver plugged in again starts from its defaults.
            buffer = PacketBuffer{};
            sendReceiverInit();
        }
        platform::sleepMs(1);
        runFlashPoll();
        if (stopRequested()) return;
    }
}

void readerMain() {
    if (gpsPort.handle == 0) return;
    resetLiveFix();
    ReceiverWatch watch(gpsPort);
    if (binaryReceiver.load() != 0) {
        runBinaryReader(watch);
    } else {
        runNmeaReader(watch);
    }
}

}  // namespace

int openGpsPort() {
    std::lock_guard<std::mutex> guard(readerThreadLock);
    if (readerThread.joinable()) return 0;  // already running
    gpsFix.fixReceived.store(0);
    if (openSerialPort(gpsPort) != 0) return 1;
    readerStop.store(0);
    try {
        readerThread = std::thread(readerMain);
    } catch (const std::system_error&) {
        // Without a reader the open port would only block the next start.
        closeSerialPort(gpsPort);
        return 1;
    }
    readerRunning.store(1);
    return 0;
}

void closeGpsPort() {
    std::lock_guard<std::mutex> guard(readerThreadLock);
    readerStop.store(1);
    readerRunning.store(0);
    if (readerThread.joinable()) readerThread.join();
    closeSerialPort(gpsPort);
}

void setLineObserver(LineObserver observer) { lineObserver.store(observer); }
