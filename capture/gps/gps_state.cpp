#include "capture/gps/gps_state.h"

#include <cstring>
#include <mutex>

#include "capture/gps/fix_completion.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/gps_reader.h"
#include "capture/gps/reader_hooks.h"

GpsFix gpsFix;
SerialPort gpsPort = closedSerialPort("COM1", 38400);  // constant-initialised: no start-up order
std::atomic<int32_t> binaryReceiver{0};
std::atomic<int32_t> datum{0};

std::atomic<int32_t> readerStop{0};
std::atomic<int32_t> readerRunning{0};
std::atomic<int32_t> registerPointRequest{0};
std::atomic<uint32_t> lastFixTickMs{0};
std::atomic<uint32_t> fixIntervalMs{0};
std::atomic<int32_t> fixLost{0};

namespace {

// Held only while three doubles are copied in or out: the recorder never
// sees a latitude of one fix with the longitude of the next.
std::mutex publishedLock;
PositionTriple published;

}  // namespace

void publishPosition(const GeoPoint& position) {
    std::lock_guard<std::mutex> guard(publishedLock);
    published.latitude = position.latitude;
    published.longitude = position.longitude;
    published.altitude = position.altitude;
}

PositionTriple readPublishedPosition() {
    std::lock_guard<std::mutex> guard(publishedLock);
    return published;
}

void resetGpsState() {
    gpsFix.position = GeoPoint{};
    std::memset(gpsFix.timeText, 0, sizeof gpsFix.timeText);
    gpsFix.satellites = 0;
    gpsFix.quality = 0;
    gpsFix.fixReceived = 0;
    gpsPort = closedSerialPort("COM1", 38400);
    binaryReceiver = 0;
    datum = 0;
    readerStop = 0;
    readerRunning = 0;
    registerPointRequest = 0;
    lastFixTickMs = 0;
    fixIntervalMs = 0;
    fixLost = 0;
    publishPosition(GeoPoint{});
    publishCoursePoints(CoursePoints{});
    setReaderHooks(ReaderHooks{});
    setLineObserver(nullptr);
    resetLiveFix();
    resetGeodesyState();
}
