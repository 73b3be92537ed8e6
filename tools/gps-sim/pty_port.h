// The simulated receiver's end of a pseudo-terminal.
#pragma once

#include <atomic>
#include <string>
#include <string_view>

namespace gpssim {

// Set from signal handlers: every wait below gives up when it becomes non-zero.
extern std::atomic<int> stopRequested;

enum class WaitResult { Ready, ReaderGone, Stopped, TimedOut, Failed };

class PtyPort {
public:
    PtyPort() = default;
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;
    ~PtyPort();

    // Opens the pair in raw mode and closes our copy of the slave, so the master
    // reports a hang-up exactly while no reader has the device open.
    bool open(std::string& error);
    const std::string& devicePath() const { return devicePath_; }

    // Until a reader has the device open (timeoutS 0: no limit).
    WaitResult waitForReader(double timeoutS);
    // Sleeps `seconds`, ending early when the reader closes or a stop is requested.
    WaitResult pause(double seconds);
    // Writes everything, waiting while the reader's queue is full.
    WaitResult writeAll(std::string_view bytes);

private:
    bool readerPresent() const;
    int master_ = -1;
    std::string devicePath_;
};

// A symbolic link to the device, removed again by the destructor if it still
// points there. An existing symbolic link (left by a killed run) is replaced;
// anything else at that path is an error.
class DeviceLink {
public:
    DeviceLink() = default;
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;
    ~DeviceLink();
    bool create(const std::string& linkPath, const std::string& target, std::string& error);

private:
    std::string linkPath_;
    std::string target_;
};

}  // namespace gpssim
