#include "platform/serial_custom_speed.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace platform {

namespace {

// Serial drivers round a rate to what their clock divisor can make and write
// back the rate they achieved; one with no divisor near the request falls
// back to another rate (9600 for the common UARTs) and still returns success.
// A receiver samples mid-bit, so a clock error of a few per cent over a 10-bit
// frame still reads cleanly (56000 made as 57600 is 2.9% off); beyond that the
// port would open "successfully" and deliver garbage.
constexpr long long MAX_RATE_ERROR_PERCENT = 3;

bool closeEnough(long long achievedBaud, long long wantedBaud) {
    const long long difference =
        achievedBaud > wantedBaud ? achievedBaud - wantedBaud : wantedBaud - achievedBaud;
    return difference * 100 <= wantedBaud * MAX_RATE_ERROR_PERCENT;
}

}  // namespace

bool setCustomSerialSpeed(int fd, int baudRate) {
    if (baudRate <= 0) {
        errno = EINVAL;
        return false;
    }
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0) return false;
    // BOTHER in both speed fields: the rates come from c_ispeed and c_ospeed.
    tio.c_cflag &= ~(CBAUD | CIBAUD);
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = static_cast<speed_t>(baudRate);
    tio.c_ospeed = static_cast<speed_t>(baudRate);
    if (ioctl(fd, TCSETS2, &tio) != 0) return false;
    const int achievedBaud = currentSerialSpeeds(fd).outputBaud;
    if (achievedBaud < 0) return false;
    if (!closeEnough(achievedBaud, baudRate)) {
        errno = EINVAL;
        return false;
    }
    return true;
}

SerialSpeeds currentSerialSpeeds(int fd) {
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0) return {};
    return {static_cast<int>(tio.c_ispeed), static_cast<int>(tio.c_ospeed)};
}

}  // namespace platform
