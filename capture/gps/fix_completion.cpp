#include "capture/gps/fix_completion.h"

#include <atomic>
#include <cstring>

#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "capture/gps/reader_hooks.h"
#include "platform/tick.h"

namespace {
// Written and read by the reader thread only; atomic so a test thread may reset it.
std::atomic<bool> positionReceived{false};
std::atomic<bool> fixSeen{false};  // a fix completed since the reader started

// The fix's tick and its distance in time from the previous one: the lap
// check trusts the segment between them only over a short interval.
void noteFixTick() {
    const uint32_t now = platform::GetTickCount();
    const uint32_t previous = lastFixTickMs.exchange(now);
    fixIntervalMs.store(fixSeen.exchange(true) ? now - previous : 0);
    fixLost.store(0);
}
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
    fixSeen.store(false);
    lastFixTickMs.store(0);
    fixIntervalMs.store(0);
    fixLost.store(0);
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
    noteFixTick();
    updatePointDistances();
    // Published before the gate opens, so the recorder's first sample is this fix.
    publishPosition(gpsFix.position);
    if (variant != FixVariant::Rmc) gpsFix.fixReceived.store(1);
    // Taken with an exchange: a request made while this one is handled is
    // not lost without a fix to serve it.
    if (registerPointRequest.exchange(0) != 0) registerPointFromFix(datumCode);
    return true;
}
