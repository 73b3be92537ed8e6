#include "capture/gps/fix_completion.h"

#include <atomic>
#include <cstring>

#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "capture/gps/reader_hooks.h"

namespace {
// Written and read by the reader thread only; atomic so a test thread may reset it.
std::atomic<bool> positionReceived{false};
}  // namespace

void notePositionReceived() { positionReceived.store(true, std::memory_order_relaxed); }

void notePositionWithoutFix() { positionReceived.store(false, std::memory_order_relaxed); }

void resetLiveFix() {
    std::memset(gpsFix.timeText, 0, sizeof gpsFix.timeText);
    gpsFix.satellites = 0;
    gpsFix.quality = 0;
    gpsFix.position = GeoPoint{};
    publishPosition(gpsFix.position);
    positionReceived.store(false, std::memory_order_relaxed);
}

void registerPointFromFix() { registerPointFromFix(datum.load()); }

void registerPointFromFix(int32_t datumCode) {
    const GeoPoint& fix = gpsFix.position;
    if (fix.latitude == 0.0 || fix.longitude == 0.0) return;
    if (const auto registerPoint = readerHooks().registerPoint) registerPoint(fix, datumCode);
}

bool completeFix(FixVariant variant) {
    if (!positionReceived.load(std::memory_order_relaxed)) return false;
    // One datum for the whole fix: the settings dialog may change it meanwhile.
    const int32_t datumCode = datum.load();
    toGeocentric(gpsFix.position, datumCode);
    updatePointDistances();
    // Published before the gate opens, so the recorder's first sample is this fix.
    publishPosition(gpsFix.position);
    if (variant != FixVariant::Rmc) gpsFix.fixReceived.store(1);
    // Taken with an exchange: a request made while this one is handled is
    // not lost without a fix to serve it.
    if (registerPointRequest.exchange(0) != 0) registerPointFromFix(datumCode);
    return true;
}
