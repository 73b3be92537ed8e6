#include "platform/serial_device.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

#include "platform/device_holders.h"
#include "platform/serial_custom_speed.h"

namespace platform {

namespace {

bool isComName(std::string_view name, int& number) {
    if (name.size() < 4) return false;
    for (int i = 0; i < 3; ++i) {
        if ((name[i] | 0x20) != "com"[i]) return false;
    }
    const char* first = name.data() + 3;
    const char* last = name.data() + name.size();
    auto [end, ec] = std::from_chars(first, last, number);
    return ec == std::errc() && end == last && number >= 1 && *first != '+';
}

bool speedFor(int baudRate, speed_t& speed) {
    struct Entry {
        int baud;
        speed_t speed;
    };
    static constexpr Entry table[] = {
        {50, B50},         {75, B75},         {110, B110},       {134, B134},
        {150, B150},       {200, B200},       {300, B300},       {600, B600},
        {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
        {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
        {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
        {576000, B576000}, {921600, B921600}, {1000000, B1000000},
    };
    for (const Entry& entry : table) {
        if (entry.baud == baudRate) {
            speed = entry.speed;
            return true;
        }
    }
    return false;
}

bool dataBitsFlag(int dataBits, tcflag_t& flag) {
    switch (dataBits) {
        case 5: flag = CS5; return true;
        case 6: flag = CS6; return true;
        case 7: flag = CS7; return true;
        case 8: flag = CS8; return true;
        default: return false;
    }
}

// Keeps the descriptor away from 0..2, so it can never read as "closed" and
// never collides with the standard streams of a daemonised program.
int moveAboveStandardStreams(int fd) {
    if (fd >= 3) return fd;
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    int savedErrno = errno;
    close(fd);
    errno = savedErrno;
    return moved;
}

void closeKeepingErrno(int fd) {
    int savedErrno = errno;
    close(fd);
    errno = savedErrno;
}

}  // namespace

std::string serialDevicePath(std::string_view portName) {
    int number = 0;
    if (isComName(portName, number)) return "/dev/ttyS" + std::to_string(number - 1);
    if (!portName.empty() && portName.front() == '/') return std::string(portName);
    return "/dev/" + std::string(portName);
}

int openSerialDevice(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    fd = moveAboveStandardStreams(fd);
    if (fd < 0) return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) errno = EBUSY;
        closeKeepingErrno(fd);
        return -1;
    }
    if (ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY) {
        closeKeepingErrno(fd);
        return -1;
    }
    // Exclusive mode stops later opens only: a reader from before would go on
    // taking bytes (and half sentences) from us.
    if (deviceHeldElsewhere(fd)) {
        closeSerialDevice(fd);
        errno = EBUSY;
        return -1;
    }
    // Reads are only issued for bytes already queued, so blocking mode is safe
    // and keeps writes whole.
    int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        closeKeepingErrno(fd);
        return -1;
    }
    return fd;
}

bool applySerialSettings(const SerialSettings& settings, termios& tio) {
    speed_t speed;
    tcflag_t sizeFlag;
    // A rate with no termios constant gets a standard placeholder here; the
    // exact rate is set right after the attributes are applied.
    if (!speedFor(settings.baudRate, speed)) speed = B38400;
    if (settings.baudRate <= 0 || !dataBitsFlag(settings.dataBits, sizeFlag) ||
        settings.parity < 0 || settings.parity > 2 || settings.stopBits < 0 ||
        settings.stopBits > 2) {
        errno = EINVAL;
        return false;
    }
    cfmakeraw(&tio);
    // CIBAUD cleared: the input speed follows the output speed, rather than a
    // custom input speed left behind by an earlier configuration.
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CIBAUD);
    tio.c_cflag |= sizeFlag | CLOCAL | CREAD;
    if (settings.parity != 0) tio.c_cflag |= PARENB;
    if (settings.parity == 1) tio.c_cflag |= PARODD;
    if (settings.stopBits != 0) tio.c_cflag |= CSTOPB;  // 1.5 is not available: two
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    return cfsetispeed(&tio, speed) == 0 && cfsetospeed(&tio, speed) == 0;
}

bool configureSerialDevice(int fd, const SerialSettings& settings) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return false;
    if (!applySerialSettings(settings, tio)) return false;
    if (tcsetattr(fd, TCSANOW, &tio) != 0) return false;
    speed_t standard;
    if (!speedFor(settings.baudRate, standard) && !setCustomSerialSpeed(fd, settings.baudRate)) {
        return false;
    }
    int lines = TIOCM_DTR | TIOCM_RTS;
    // Pseudo-terminals have no modem lines; that is not a failure.
    if (ioctl(fd, TIOCMBIC, &lines) != 0 && errno != ENOTTY && errno != EINVAL) return false;
    return true;
}

void purgeSerialDevice(int fd) { tcflush(fd, TCIOFLUSH); }

int queuedInputBytes(int fd) {
    int queued = 0;
    if (ioctl(fd, FIONREAD, &queued) != 0) return -1;
    return queued;
}

long readSerialDevice(int fd, void* buffer, size_t count) {
    ssize_t got;
    do {
        got = read(fd, buffer, count);
    } while (got < 0 && errno == EINTR);
    return got;
}

long writeSerialDevice(int fd, const void* buffer, size_t count) {
    ssize_t put;
    do {
        put = write(fd, buffer, count);
    } while (put < 0 && errno == EINTR);
    return put;
}

bool drainSerialDevice(int fd) {
    int result;
    do {
        result = tcdrain(fd);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

int bitsPerByte(const SerialSettings& settings) {
    const int parityBits = settings.parity != 0 ? 1 : 0;
    const int stopBits = settings.stopBits != 0 ? 2 : 1;
    return 1 + settings.dataBits + parityBits + stopBits;
}

uint32_t lineTimeMs(const SerialSettings& settings, size_t bytes) {
    if (settings.baudRate <= 0) return 0;
    // 64-bit: 2400 bytes x 11 bits x 1000 already passes 2^24, and a long
    // write at a low rate must not wrap.
    const uint64_t bitsMs = uint64_t(bytes) * uint64_t(bitsPerByte(settings)) * 1000u;
    const uint64_t rate = uint64_t(settings.baudRate);
    const uint64_t ms = (bitsMs + rate - 1) / rate;
    return ms > UINT32_MAX ? UINT32_MAX : uint32_t(ms);
}

void closeSerialDevice(int fd) {
    ioctl(fd, TIOCNXCL);
    flock(fd, LOCK_UN);
    close(fd);
}

}  // namespace platform
