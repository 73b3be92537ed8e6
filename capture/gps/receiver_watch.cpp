#include "capture/gps/receiver_watch.h"

#include "capture/gps/capture_sink.h"
#include "capture/gps/gps_state.h"
#include "capture/gps/panel_text.h"
#include "capture/gps/serial_port.h"
#include "platform/tick.h"

namespace {

constexpr uint32_t CHECK_INTERVAL_MS = 20;  // the queue is looked at this often, not every poll

}  // namespace

ReceiverWatch::ReceiverWatch(const SerialPort& settings) : settings_(settings) {
    settings_.handle = 0;
    const uint32_t now = platform::GetTickCount();
    lastByteMs_ = lastCheckMs_ = lastReopenMs_ = now;
}

void ReceiverWatch::heard(uint32_t nowMs) {
    lastByteMs_ = nowMs;
    if (!lost_) return;
    lost_ = false;
    showText(PANEL_STATUS, "-");  // the next decoded line writes its own status
}

bool ReceiverWatch::poll(SerialPort& port, bool gotBytes) {
    const uint32_t now = platform::GetTickCount();
    if (gotBytes) heard(now);
    if (now - lastCheckMs_ < CHECK_INTERVAL_MS) return false;
    lastCheckMs_ = now;
    if (gpsFix.fixReceived.load() != 0 && now - lastFixTickMs.load() > FIX_STALE_MS) fixLost.store(1);
    // Bytes waiting that were not there before count as heard, though the
    // all-or-nothing read may not take them yet.
    const int queued = queuedSerialBytes(port);
    if (queued > 0 && queued > lastQueued_) heard(now);
    lastQueued_ = queued > 0 ? queued : 0;
    if (queued < 0 && port.handle > 0) closeSerialPort(port);  // the device is gone
    if (now - lastByteMs_ < RECEIVER_SILENT_MS) return false;
    if (!lost_) {
        lost_ = true;
        showText(PANEL_STATUS, RECEIVER_LOST_TEXT);
    }
    if (now - lastReopenMs_ < REOPEN_INTERVAL_MS) return false;
    return reopen(port, now);
}

bool ReceiverWatch::reopen(SerialPort& port, uint32_t nowMs) {
    lastReopenMs_ = nowMs;
    closeSerialPort(port);
    SerialPort fresh = settings_;
    if (openSerialPort(fresh) != 0) return false;  // not back yet: tried again in a second
    port.handle = fresh.handle;
    lastQueued_ = 0;
    return true;
}
