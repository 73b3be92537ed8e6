// The reader's watch over the receiver, run on the reader thread.
//
// A receiver that sends no byte for RECEIVER_SILENT_MS is shown as lost in the
// status field, and its port is reopened by the same path about once a second
// until bytes come again: a re-plugged USB receiver returns under the same
// /dev/serial/by-id name, and measuring goes on without a restart. A fix
// older than FIX_STALE_MS sets fixLost, so the recorder leaves a gap in its
// ticks instead of repeating the frozen position.
#pragma once

#include <cstdint>

#include "common/records.h"

inline constexpr char RECEIVER_LOST_TEXT[] = "受信なし";
constexpr uint32_t REOPEN_INTERVAL_MS = 1000;

class ReceiverWatch {
public:
    // Keeps a copy of the port's name and line settings for the reopening.
    explicit ReceiverWatch(const SerialPort& settings);
    // After every read attempt, `gotBytes` when it returned any. True when the
    // port was reopened: the caller drops its partial input (and sets a
    // binary receiver up again).
    bool poll(SerialPort& port, bool gotBytes);

private:
    void heard(uint32_t nowMs);
    bool reopen(SerialPort& port, uint32_t nowMs);

    SerialPort settings_;
    uint32_t lastByteMs_;
    uint32_t lastCheckMs_;
    uint32_t lastReopenMs_;
    int lastQueued_ = 0;
    bool lost_ = false;
};
