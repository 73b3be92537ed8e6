// A pseudo-terminal standing in for a serial device: the code under test opens
// the slave by its path, the test writes and reads the master.
#pragma once

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "common/records.h"
#include "tests/support/eventually.h"

class Pty {
public:
    Pty() {
        char name[256] = {};
        int slave = -1;
        if (::openpty(&master_, &slave, name, nullptr, nullptr) != 0) return;
        // Raw from the start: nothing written before the open is echoed or held
        // back by line editing, and NUL and CR LF pass unchanged.
        termios raw{};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        path_ = name;
        slave_ = slave;  // kept open: closing the last slave descriptor hangs the line up
    }
    ~Pty() {
        if (slave_ >= 0) ::close(slave_);
        if (master_ >= 0) ::close(master_);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return master_ >= 0 && !path_.empty(); }
    int master() const { return master_; }
    const std::string& path() const { return path_; }

    void write(const std::string& bytes) const {
        for (size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return;
            done += size_t(n);
        }
    }
    // What the code under test wrote to the port, waiting up to `timeoutMs` for `atLeast` bytes.
    std::string readBack(size_t atLeast, int timeoutMs = 5000) const {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (got.size() < atLeast && std::chrono::steady_clock::now() < deadline) {
            pollfd p{master_, POLLIN, 0};
            char buffer[256];
            if (::poll(&p, 1, 20) <= 0) continue;
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n > 0) got.append(buffer, size_t(n));
        }
        return got;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

inline void setPortName(SerialPort& port, const std::string& name) {
    std::snprintf(port.portName, sizeof port.portName, "%s", name.c_str());
}
