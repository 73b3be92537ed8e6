#include "tools/gps-sim/pty_port.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace gpssim {

std::atomic<int> stopRequested{0};

namespace {

using Clock = std::chrono::steady_clock;

// Longest single sleep, so stop requests and hang-ups are noticed promptly.
constexpr int POLL_SLICE_MS = 20;

std::string errorText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

PtyPort::~PtyPort() {
    if (master_ >= 0) ::close(master_);
}

bool PtyPort::open(std::string& error) {
    int slave = -1;
    if (::openpty(&master_, &slave, nullptr, nullptr, nullptr) != 0) {
        error = errorText("openpty");
        return false;
    }
    // Raw both ways: no echo back into the receiver, no CR/LF translation of
    // the sentences, binary packets pass untouched. The setting stays with the
    // terminal when a reader reopens the slave.
    termios mode{};
    bool ok = ::tcgetattr(slave, &mode) == 0;
    if (ok) {
        ::cfmakeraw(&mode);
        ok = ::tcsetattr(slave, TCSANOW, &mode) == 0;
    }
    char* name = ok ? ::ttyname(slave) : nullptr;
    if (name) devicePath_ = name;
    if (!ok || !name) error = errorText("setting up the terminal");
    ::close(slave);
    if (!ok || !name) return false;
    int flags = ::fcntl(master_, F_GETFL);
    if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        error = errorText("fcntl");
        return false;
    }
    return true;
}

bool PtyPort::readerPresent() const {
    pollfd p{master_, 0, 0};
    return ::poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP);
}

WaitResult PtyPort::waitForReader(double timeoutS) {
    Clock::time_point deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                    std::chrono::duration<double>(timeoutS));
    // While no slave is open the master reports POLLHUP at once, so poll cannot
    // sleep here: check, then nap.
    while (!readerPresent()) {
        if (stopRequested) return WaitResult::Stopped;
        if (timeoutS > 0.0 && Clock::now() >= deadline) return WaitResult::TimedOut;
        ::usleep(POLL_SLICE_MS * 1000 / 2);
    }
    return WaitResult::Ready;
}

WaitResult PtyPort::pause(double seconds) {
    Clock::time_point until = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                 std::chrono::duration<double>(seconds));
    for (;;) {
        if (stopRequested) return WaitResult::Stopped;
        Clock::time_point now = Clock::now();
        // With a reader present, poll on no events sleeps until a hang-up or the time-out.
        auto leftMs = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
        pollfd p{master_, 0, 0};
        int n = ::poll(&p, 1, static_cast<int>(std::clamp<long long>(leftMs, 0, POLL_SLICE_MS)));
        if (n > 0 && (p.revents & POLLHUP)) return WaitResult::ReaderGone;
        if (now >= until) return WaitResult::Ready;
    }
}

WaitResult PtyPort::writeAll(std::string_view bytes) {
    while (!bytes.empty()) {
        if (stopRequested) return WaitResult::Stopped;
        ssize_t n = ::write(master_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EIO) return WaitResult::ReaderGone;
        if (n < 0 && errno != EAGAIN && errno != EINTR) return WaitResult::Failed;
        // The reader is not keeping up: wait for room or its departure.
        pollfd p{master_, POLLOUT, 0};
        if (::poll(&p, 1, POLL_SLICE_MS) > 0 && (p.revents & POLLHUP)) return WaitResult::ReaderGone;
    }
    return WaitResult::Ready;
}

DeviceLink::~DeviceLink() {
    if (linkPath_.empty()) return;
    std::vector<char> buffer(target_.size() + 2);
    ssize_t n = ::readlink(linkPath_.c_str(), buffer.data(), buffer.size());
    if (n >= 0 && std::string(buffer.data(), static_cast<std::size_t>(n)) == target_) ::unlink(linkPath_.c_str());
}

bool DeviceLink::create(const std::string& linkPath, const std::string& target, std::string& error) {
    struct stat existing {};
    if (::lstat(linkPath.c_str(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode)) {
            error = linkPath + " exists and is not a symbolic link; not replacing it";
            return false;
        }
        ::unlink(linkPath.c_str());
    }
    if (::symlink(target.c_str(), linkPath.c_str()) != 0) {
        error = errorText(("cannot create the link " + linkPath).c_str());
        return false;
    }
    linkPath_ = linkPath;
    target_ = target;
    return true;
}

}  // namespace gpssim
