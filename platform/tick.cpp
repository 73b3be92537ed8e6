#include "platform/tick.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace platform {

namespace {
std::atomic<TickSource> tickSource{nullptr};
}

uint32_t GetTickCount() {
    if (TickSource source = tickSource.load(std::memory_order_acquire)) return source();
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void setTickSourceForTests(TickSource source) {
    tickSource.store(source, std::memory_order_release);
}

TickSource installedTickSource() { return tickSource.load(std::memory_order_acquire); }

void sleepMs(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace platform
