#include "capture/gps/serial_port.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cerrno>

#include "platform/serial_custom_speed.h"
#include "platform/serial_device.h"
#include "tests/support/pty.h"

namespace {

SerialPort portOn(const std::string& path, int baud = 38400) {
    SerialPort port;
    setPortName(port, path);
    port.baudRate = baud;
    return port;
}

// The pty moves bytes to the slave asynchronously.
bool waitQueued(const SerialPort& port, int count) {
    return eventually([&] { return platform::queuedInputBytes(port.handle) >= count; }, 5000);
}

TEST(SerialDevicePath, PortNamesMapToDevices) {
    EXPECT_EQ(platform::serialDevicePath("com12"), "/dev/ttyS11");
    EXPECT_EQ(platform::serialDevicePath("ttyACM0"), "/dev/ttyACM0");
    EXPECT_EQ(platform::serialDevicePath("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(platform::serialDevicePath("COM0"), "/dev/COM0");
}

// The beacon waits out this time where a device cannot drain, so a wrong
// count of bits changes the burst length the logger sees.
TEST(SerialDevicePath, LineTimeCountsStartParityAndStopBits) {
    const struct {
        platform::SerialSettings settings;
        size_t bytes;
        int bits;
        uint32_t ms;
    } cases[] = {
        {{9600, 8, 0, 0}, 2400, 10, 2500},  // the beacon's burst at its default 8-N-1
        {{9600, 7, 2, 0}, 2400, 10, 2500},  // 7-E-1
        {{9600, 8, 1, 2}, 2400, 12, 3000},  // 8-O-2
        {{9600, 8, 0, 1}, 2400, 11, 2750},  // 1.5 stop bits go out as two
        {{38400, 8, 0, 0}, 1, 10, 1},       // a fraction of a millisecond rounds up
        {{110, 8, 2, 2}, 2400, 12, 261819},
        {{0, 8, 0, 0}, 2400, 10, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.settings.baudRate);
        EXPECT_EQ(platform::bitsPerByte(c.settings), c.bits);
        EXPECT_EQ(platform::lineTimeMs(c.settings, c.bytes), c.ms);
    }
    EXPECT_EQ(platform::lineTimeMs({1, 8, 1, 2}, size_t(1) << 40), UINT32_MAX) << "no wrap";
}

TEST(SerialPortTest, OpenPurgesAndReadsAreAllOrNothing) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    pty.write("stale bytes from before the open\r\n");
    usleep(50 * 1000);
    SerialPort port = portOn(pty.path());
    ASSERT_EQ(openSerialPort(port), 0);
    EXPECT_EQ(platform::queuedInputBytes(port.handle), 0) << "the open discards what was pending";
    pty.write("0123456789");
    ASSERT_TRUE(waitQueued(port, 10));
    char buffer[64] = {};
    EXPECT_EQ(readSerial(port, buffer, 64), 0);
    EXPECT_EQ(platform::queuedInputBytes(port.handle), 10) << "the 10 stay queued";
    EXPECT_EQ(readSerial(port, buffer, -5), 0);
    EXPECT_EQ(readSerial(port, buffer, 10), 10);
    EXPECT_EQ(std::string(buffer, 10), "0123456789");

    // Raw mode: CR, LF and control bytes arrive as sent.
    const std::string control("\r\n\x03\x10\0\x11", 6);
    pty.write(control);
    ASSERT_TRUE(waitQueued(port, 6));
    EXPECT_EQ(readSerial(port, buffer, 6), 6);
    EXPECT_EQ(std::string(buffer, 6), control);

    EXPECT_EQ(writeSerial(port, "$PX,1\r\n", 7), 7);
    EXPECT_EQ(pty.readBack(7), "$PX,1\r\n");
    closeSerialPort(port);
    closeSerialPort(port);  // closing a closed port does nothing
    EXPECT_EQ(port.handle, 0);
}

TEST(SerialPortTest, SecondOpenOfABusyPortFailsUntilTheFirstCloses) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    SerialPort first = portOn(pty.path()), second = portOn(pty.path());
    ASSERT_EQ(openSerialPort(first), 0);
    EXPECT_EQ(openSerialPort(second), 1);
    EXPECT_EQ(errno, EBUSY);
    EXPECT_EQ(second.handle, 0);
    closeSerialPort(first);
    EXPECT_EQ(openSerialPort(second), 0);
    closeSerialPort(second);

    // A program that opened the device before us, without exclusive mode,
    // would go on taking bytes: it makes the port busy too. (The test's own
    // hold on the pty master is the device's other end and does not count.)
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        ::close(pty.master());
        const int fd = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY);
        [[maybe_unused]] const ssize_t n = ::write(ready[1], fd >= 0 ? "y" : "n", 1);
        ::pause();
        ::_exit(0);
    }
    char opened = 0;
    ASSERT_EQ(::read(ready[0], &opened, 1), 1);
    ASSERT_EQ(opened, 'y');
    EXPECT_EQ(openSerialPort(second), 1);
    EXPECT_EQ(errno, EBUSY);
    EXPECT_EQ(second.handle, 0);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(openSerialPort(second), 0) << "free again once the other program is gone";
    closeSerialPort(second);
}

TEST(SerialPortTest, FailuresLeaveThePortClosed) {
    SerialPort missing = portOn("/dev/no-such-gps-device");
    EXPECT_EQ(openSerialPort(missing), 1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(missing.handle, 0);

    Pty pty;
    ASSERT_TRUE(pty.ok());
    SerialPort badSize = portOn(pty.path()), badParity = portOn(pty.path());
    badSize.byteSize = 9;
    badParity.parity = 3;
    for (SerialPort bad : {portOn(pty.path(), -9600), portOn(pty.path(), 0), badSize, badParity}) {
        EXPECT_EQ(openSerialPort(bad), 1);
        EXPECT_EQ(bad.handle, 0);
    }
    SerialPort good = portOn(pty.path(), 9600);
    EXPECT_EQ(openSerialPort(good), 0) << "not left claimed after the failures";
    termios tio{};
    ASSERT_EQ(tcgetattr(good.handle, &tio), 0);
    EXPECT_EQ(cfgetispeed(&tio), speed_t(B9600));
    closeSerialPort(good);
}

// Rates with no termios constant (the dialog's 14400 and 256000) are set
// exactly, both ways; the pty keeps the rates it is given. Back at a standard
// rate, no custom input rate lingers.
TEST(SerialPortTest, AnyPositiveRateIsSetExactly) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    for (int baud : {14400, 256000, 9600}) {
        SerialPort port = portOn(pty.path(), baud);
        ASSERT_EQ(openSerialPort(port), 0) << baud;
        const platform::SerialSpeeds speeds = platform::currentSerialSpeeds(port.handle);
        EXPECT_EQ(speeds.outputBaud, baud);
        EXPECT_EQ(speeds.inputBaud, baud);
        closeSerialPort(port);
    }
}

TEST(SerialPortTest, HandleIsNeverZeroEvenWithStandardInputClosed) {
    Pty pty;
    ASSERT_TRUE(pty.ok());
    const int savedStdin = dup(0);
    close(0);  // the next descriptor would be 0, which means "closed"
    SerialPort port = portOn(pty.path());
    EXPECT_EQ(openSerialPort(port), 0);
    EXPECT_GE(port.handle, 3);
    closeSerialPort(port);
    dup2(savedStdin, 0);
    close(savedStdin);
}

}  // namespace
