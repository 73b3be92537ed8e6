// The sink of the headless recorder: prints every counted pass as one
// machine-readable line, and the loss and return of the receiver.
#pragma once

#include <cstdint>
#include <cstdio>

#include "capture/gps/capture_sink.h"

class PassPrinter : public CaptureSink {
public:
    explicit PassPrinter(std::FILE* out) : out_(out) {}
    void passCounted(int point, uint32_t tickMs) override;
    // Prints "receiver lost" when the status field says so and "receiver
    // back" at the next status text.
    void setPanelText(int controlId, std::string_view utf8) override;

private:
    std::FILE* out_;
    int passes_ = 0;         // counted passes, also those beyond the pass log's 100
    int32_t logged_ = 0;     // pass log entries seen so far
    bool lost_ = false;      // the status field shows the receiver lost (reader thread)
};
