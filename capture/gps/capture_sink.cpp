#include "capture/gps/capture_sink.h"

#include <atomic>

namespace {
CaptureSink silentSink;
std::atomic<CaptureSink*> installedSink{nullptr};
}  // namespace

CaptureSink& captureSink() {
    CaptureSink* sink = installedSink.load(std::memory_order_acquire);
    return sink ? *sink : silentSink;
}

void setCaptureSink(CaptureSink* sink) { installedSink.store(sink, std::memory_order_release); }
