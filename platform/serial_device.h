// A serial device over POSIX termios: exclusive open, raw line settings,
// queued-byte count, plain read and write.
#pragma once

#include <termios.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Device path for a port name: "COMn" (any case) -> /dev/ttyS(n-1); an
// absolute path is used as given; any other name is taken under /dev/.
std::string serialDevicePath(std::string_view portName);

// Line settings in the stored codes: parity 0 none, 1 odd, 2 even; stop bits
// 0 one, 1 one and a half, 2 two.
struct SerialSettings {
    int baudRate = 0;  // bits per second, > 0
    int dataBits = 8;  // 5..8
    int parity = 0;
    int stopBits = 0;
};

// Opens `path` for reading and writing, exclusively (TIOCEXCL and an flock, as
// root ignores TIOCEXCL). Returns a descriptor >= 3, never 0, so a handle of 0
// always means "closed"; -1 on failure with errno set (EBUSY when another
// process holds the device, also one that opened it before us without
// exclusive mode).
int openSerialDevice(const std::string& path);
// Raw mode with the given line settings in `tio` (other fields kept); false
// for a rate <= 0 or codes out of range. A rate with no termios constant gets
// B38400 here; configureSerialDevice then sets the exact rate.
bool applySerialSettings(const SerialSettings& settings, termios& tio);
// Raw mode, the given line settings, no flow control, DTR and RTS off.
// Any positive rate: the termios speeds directly, others exactly through
// termios2. false (errno set) when the settings cannot be applied or the
// driver refuses the rate. termios has no 1.5 stop bits: that code gets two.
bool configureSerialDevice(int fd, const SerialSettings& settings);
// Discards pending input and output.
void purgeSerialDevice(int fd);
// Bytes waiting in the input queue; -1 on failure.
int queuedInputBytes(int fd);
// Plain read/write; byte count or -1.
long readSerialDevice(int fd, void* buffer, size_t count);
long writeSerialDevice(int fd, const void* buffer, size_t count);
// Waits until everything written to `fd` has left the line (tcdrain). A
// pseudo-terminal reports its bytes gone at once; false (errno set) when the
// device cannot drain at all.
bool drainSerialDevice(int fd);
// Bits one byte takes on the line: a start bit, the data bits, a parity bit
// when parity is on, and the stop bits (1.5 counts as the two that
// configureSerialDevice applies).
int bitsPerByte(const SerialSettings& settings);
// Milliseconds `bytes` bytes take on the line at the settings' rate, rounded
// up; 0 for a rate <= 0.
uint32_t lineTimeMs(const SerialSettings& settings, size_t bytes);
// Releases the exclusive claim and closes.
void closeSerialDevice(int fd);

}  // namespace platform
