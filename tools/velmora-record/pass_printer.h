// The sink of the headless recorder: runs the lap check for the GPS reader
// and prints every counted pass as one machine-readable line.
#pragma once

#include <cstdio>

#include "capture/gps/capture_sink.h"

class PassPrinter : public CaptureSink {
public:
    explicit PassPrinter(std::FILE* out) : out_(out) {}
    void checkPointPasses() override;

private:
    std::FILE* out_;
};
