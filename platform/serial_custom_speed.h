// Exact serial speeds that have no termios constant (14400, 56000, 256000 and
// the like), through the Linux termios2 interface. Kept apart from
// serial_device.cpp because the kernel's termbits header clashes with
// <termios.h>.
#pragma once

namespace platform {

// Sets the input and output speed of the tty `fd` to `baudRate` bits per
// second, keeping every other line setting. false (errno set) when the driver
// refuses, including a driver that silently substitutes a rate more than 3%
// away from the one asked for.
bool setCustomSerialSpeed(int fd, int baudRate);
struct SerialSpeeds {
    int inputBaud = -1;  // bits per second; -1 when the driver cannot be asked
    int outputBaud = -1;
};
// The speeds the driver runs `fd` at.
SerialSpeeds currentSerialSpeeds(int fd);

}  // namespace platform
