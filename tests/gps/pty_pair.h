// A pseudo-terminal standing in for a receiver: tests write into the master
// side, the code under test opens the slave by its path.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "capture/gps/serial_port.h"
#include "platform/serial_device.h"

class PtyPair {
public:
    PtyPair() {
        char name[256] = {};
        int slave = -1;
        if (openpty(&master_, &slave, name, nullptr, nullptr) == 0) {
            path_ = name;
            // Raw from the start, so nothing written before the open is echoed
            // or held back by line editing.
            termios tio{};
            tcgetattr(slave, &tio);
            cfmakeraw(&tio);
            tcsetattr(slave, TCSANOW, &tio);
            // Keep a slave descriptor open: the master reads EIO otherwise.
            slave_ = slave;
        }
    }
    ~PtyPair() {
        if (master_ >= 0) close(master_);
        if (slave_ >= 0) close(slave_);
    }
    bool ok() const { return master_ >= 0; }
    const std::string& path() const { return path_; }
    int master() const { return master_; }

    void write(const std::string& bytes) const {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return;
            done += size_t(n);
        }
    }
    // Bytes the code under test wrote to the port, waiting up to `timeoutMs`
    // for at least `atLeast` of them.
    std::string readBack(size_t atLeast, int timeoutMs = 5000) const {
        std::string got;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < atLeast && std::chrono::steady_clock::now() < deadline) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 20) > 0 && (p.revents & POLLIN)) {
                char buffer[256];
                ssize_t n = ::read(master_, buffer, sizeof buffer);
                if (n > 0) got.append(buffer, size_t(n));
            }
        }
        return got;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// Waits until the open port has at least `count` bytes queued (the pty moves
// bytes to the slave asynchronously).
inline bool waitQueued(const SerialPort& port, int count, int timeoutMs = 5000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (platform::queuedInputBytes(port.handle) >= count) return true;
        pollfd p{port.handle, POLLIN, 0};
        poll(&p, 1, 10);
    }
    return false;
}

// Waits for a condition the reader thread makes true; generous for a loaded
// machine under sanitizers.
template <typename Condition>
bool eventually(Condition condition, int timeoutMs = 10000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return condition();
}

inline void setPortName(SerialPort& port, const std::string& name) {
    std::memset(port.portName, 0, sizeof port.portName);
    std::snprintf(port.portName, sizeof port.portName, "%s", name.c_str());
}
