// A pseudo-terminal pair standing in for a serial device: the cores open the
// slave by its path, the test reads and writes the master.
#pragma once

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <string>

class Pty {
public:
    Pty() {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&master_, &slave, name, nullptr, nullptr) == 0) {
            // Raw on both sides so that zero bytes and CR LF pass unchanged.
            termios raw{};
            ::tcgetattr(slave, &raw);
            ::cfmakeraw(&raw);
            ::tcsetattr(slave, TCSANOW, &raw);
            path_ = name;
            // Keep the slave open: closing its last descriptor hangs the line up.
            slave_ = slave;
        }
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

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};
