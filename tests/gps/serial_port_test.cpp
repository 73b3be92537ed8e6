#include "capture/gps/serial_port.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

#include "platform/serial_device.h"
#include "pty_pair.h"

namespace {

SerialPort portOn(const std::string& path, int baud = 38400) {
    SerialPort port;
    setPortName(port, path);
    port.baudRate = baud;
    return port;
}

TEST(SerialDevicePath, PortNamesMapToDevices) {
    EXPECT_EQ(platform::serialDevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(platform::serialDevicePath("COM12"), "/dev/ttyS11");
    EXPECT_EQ(platform::serialDevicePath("com3"), "/dev/ttyS2");
    EXPECT_EQ(platform::serialDevicePath("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(platform::serialDevicePath("ttyACM0"), "/dev/ttyACM0");
    EXPECT_EQ(platform::serialDevicePath("COM0"), "/dev/COM0");
    EXPECT_EQ(platform::serialDevicePath("COM"), "/dev/COM");
    EXPECT_EQ(platform::serialDevicePath("COM1x"), "/dev/COM1x");
}

TEST(SerialPortTest, ReadsAreAllOrNothing) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    SerialPort port = portOn(pty.path());
    ASSERT_EQ(openSerialPort(port), 0);
    EXPECT_GE(port.handle, 3);

    pty.write("0123456789");
    ASSERT_TRUE(waitQueued(port, 10));
    char buffer[64] = {};
    EXPECT_EQ(readSerial(port, buffer, 64), 0);
    EXPECT_EQ(platform::queuedInputBytes(port.handle), 10);  // the 10 stay queued
    EXPECT_EQ(readSerial(port, buffer, 0), 0);
    EXPECT_EQ(readSerial(port, buffer, -5), 0);
    EXPECT_EQ(readSerial(port, buffer, 10), 10);
    EXPECT_EQ(std::string(buffer, 10), "0123456789");
    EXPECT_EQ(readSerial(port, buffer, 1), 0);

    // Raw mode: CR, LF and control bytes arrive as sent.
    pty.write(std::string("\r\n\x03\x10\0\x11", 6));
    ASSERT_TRUE(waitQueued(port, 6));
    EXPECT_EQ(readSerial(port, buffer, 6), 6);
    EXPECT_EQ(std::string(buffer, 6), std::string("\r\n\x03\x10\0\x11", 6));

    EXPECT_EQ(writeSerial(port, "$PX,1\r\n", 7), 7);
    EXPECT_EQ(pty.readBack(7), "$PX,1\r\n");
    closeSerialPort(port);
    EXPECT_EQ(port.handle, 0);
    closeSerialPort(port);  // closing a closed port does nothing
    EXPECT_EQ(readSerial(port, buffer, 1), 0);
    EXPECT_EQ(writeSerial(port, "x", 1), 0);
}

TEST(SerialPortTest, OpenDiscardsWhatWasPending) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    pty.write("stale bytes from before the open\r\n");
    usleep(50 * 1000);
    SerialPort port = portOn(pty.path());
    ASSERT_EQ(openSerialPort(port), 0);
    EXPECT_EQ(platform::queuedInputBytes(port.handle), 0);
    pty.write("new");
    ASSERT_TRUE(waitQueued(port, 3));
    char buffer[3];
    EXPECT_EQ(readSerial(port, buffer, 3), 3);
    EXPECT_EQ(std::string(buffer, 3), "new");
    closeSerialPort(port);
}

TEST(SerialPortTest, SecondOpenOfABusyPortFails) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    SerialPort first = portOn(pty.path());
    SerialPort second = portOn(pty.path());
    ASSERT_EQ(openSerialPort(first), 0);
    EXPECT_EQ(openSerialPort(second), 1);
    EXPECT_EQ(errno, EBUSY);
    EXPECT_EQ(second.handle, 0);
    closeSerialPort(first);
    // Released on close.
    EXPECT_EQ(openSerialPort(second), 0);
    closeSerialPort(second);
}

TEST(SerialPortTest, FailuresLeaveThePortClosed) {
    SerialPort missing = portOn("/dev/no-such-gps-device");
    EXPECT_EQ(openSerialPort(missing), 1);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(missing.handle, 0);

    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    // Rejected line settings: not a speed the driver knows, bad codes.
    for (SerialPort bad : {portOn(pty.path(), 14400), portOn(pty.path(), 0)}) {
        EXPECT_EQ(openSerialPort(bad), 1);
        EXPECT_EQ(bad.handle, 0);
    }
    SerialPort badSize = portOn(pty.path());
    badSize.byteSize = 9;
    EXPECT_EQ(openSerialPort(badSize), 1);
    EXPECT_EQ(badSize.handle, 0);
    SerialPort badParity = portOn(pty.path());
    badParity.parity = 3;
    EXPECT_EQ(openSerialPort(badParity), 1);
    // Not left claimed after the failures.
    SerialPort good = portOn(pty.path(), 9600);
    EXPECT_EQ(openSerialPort(good), 0);
    termios tio{};
    ASSERT_EQ(tcgetattr(good.handle, &tio), 0);
    EXPECT_EQ(cfgetispeed(&tio), speed_t(B9600));
    EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO));
    closeSerialPort(good);
}

// Pseudo-terminals ignore data bits and parity, so the flags are checked here.
TEST(SerialSettings, LineSettingsBecomeTermiosFlags) {
    termios tio{};
    tio.c_cflag = CRTSCTS | PARODD;
    tio.c_iflag = IXON | IXOFF;
    ASSERT_TRUE(platform::applySerialSettings({4800, 7, 2, 1}, tio));  // 1.5 stop bits: two
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS7));
    EXPECT_TRUE(tio.c_cflag & PARENB);
    EXPECT_FALSE(tio.c_cflag & PARODD);
    EXPECT_TRUE(tio.c_cflag & CSTOPB);
    EXPECT_FALSE(tio.c_cflag & CRTSCTS);
    EXPECT_TRUE(tio.c_cflag & CLOCAL);
    EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF));
    EXPECT_EQ(cfgetospeed(&tio), speed_t(B4800));

    ASSERT_TRUE(platform::applySerialSettings({38400, 8, 1, 0}, tio));
    EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_TRUE(tio.c_cflag & PARODD);
    EXPECT_FALSE(tio.c_cflag & CSTOPB);

    for (platform::SerialSettings bad : {platform::SerialSettings{56000, 8, 0, 0},
                                         platform::SerialSettings{9600, 9, 0, 0},
                                         platform::SerialSettings{9600, 8, 4, 0},
                                         platform::SerialSettings{9600, 8, 0, 3}}) {
        EXPECT_FALSE(platform::applySerialSettings(bad, tio));
    }
}

TEST(SerialPortTest, HandleIsNeverZeroEvenWithStandardInputClosed) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const int savedStdin = dup(0);
    ASSERT_GE(savedStdin, 0);
    close(0);
    SerialPort port = portOn(pty.path());
    const int result = openSerialPort(port);
    const int handle = port.handle;
    closeSerialPort(port);
    dup2(savedStdin, 0);
    close(savedStdin);
    EXPECT_EQ(result, 0);
    EXPECT_GE(handle, 3);
}

}  // namespace
