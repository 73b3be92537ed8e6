// Reader hooks that only count their calls: the GPS tests see the reader run
// its lap check and flash poll without linking the timing layer.
#pragma once

#include <atomic>

#include "capture/gps/reader_hooks.h"

struct CountingHooks {
    static inline std::atomic<int> passChecks{0};
    static inline std::atomic<int> flashPolls{0};
    static inline std::atomic<int> registrations{0};

    CountingHooks() { install(); }
    ~CountingHooks() { setReaderHooks(ReaderHooks{}); }
    // Again, after a fixture's reset has removed them.
    void install() {
        passChecks = flashPolls = registrations = 0;
        ReaderHooks hooks;
        hooks.checkPointPasses = [] { ++passChecks; };
        hooks.pollFlash = [] { ++flashPolls; };
        hooks.registerPoint = [](const GeoPoint&, int32_t) { ++registrations; };
        setReaderHooks(hooks);
    }
};
