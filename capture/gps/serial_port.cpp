#include "capture/gps/serial_port.h"

#include <cerrno>

#include "common/sjis.h"
#include "platform/serial_device.h"

int openSerialPort(SerialPort& port) {
    port.handle = 0;
    const int fd = platform::openSerialDevice(platform::serialDevicePath(fixedText(port.portName)));
    if (fd <= 0) return 1;
    port.handle = fd;
    if (configureSerialPort(port) == 0) {
        // Keep the reason for the caller's message; the close must not replace it.
        const int reason = errno;
        closeSerialPort(port);
        errno = reason;
        return 1;
    }
    platform::purgeSerialDevice(port.handle);
    return 0;
}

int configureSerialPort(SerialPort& port) {
    if (port.handle <= 0) return 0;
    // Only the low byte of the size, parity and stop-bit codes reaches the driver.
    platform::SerialSettings settings;
    settings.baudRate = port.baudRate;
    settings.dataBits = port.byteSize & 0xFF;
    settings.parity = port.parity & 0xFF;
    settings.stopBits = port.stopBits & 0xFF;
    return platform::configureSerialDevice(port.handle, settings) ? 1 : 0;
}

int readSerial(SerialPort& port, void* buffer, int count) {
    if (port.handle <= 0 || count <= 0) return 0;
    const int queued = platform::queuedInputBytes(port.handle);
    // All or nothing: the caller asks for its free space and scans only a full buffer.
    if (queued < count) return 0;
    const long got = platform::readSerialDevice(port.handle, buffer, static_cast<size_t>(count));
    return got > 0 ? static_cast<int>(got) : 0;
}

int queuedSerialBytes(const SerialPort& port) {
    if (port.handle <= 0) return -1;
    return platform::queuedInputBytes(port.handle);
}

int writeSerial(SerialPort& port, const void* buffer, int count) {
    if (port.handle <= 0 || count <= 0) return 0;
    const long put = platform::writeSerialDevice(port.handle, buffer, static_cast<size_t>(count));
    return put > 0 ? static_cast<int>(put) : 0;
}

void closeSerialPort(SerialPort& port) {
    if (port.handle == 0) return;
    if (port.handle > 0) platform::closeSerialDevice(port.handle);
    port.handle = 0;
}
