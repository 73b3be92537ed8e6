// Polling for a condition that another thread or process makes true.
#pragma once

#include <chrono>
#include <thread>

// Waits for a condition another thread makes true; generous for a loaded
// machine under sanitizers.
template <typename Condition>
bool eventually(Condition condition, int timeoutMs = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return condition();
}
