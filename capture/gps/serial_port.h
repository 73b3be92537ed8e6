// The serial port layer the GPS reader and the beacon link use.
//
// Reads never block: a read is issued only when every requested byte is
// already queued, so callers ask for exactly the free space of their buffer
// and get either all of it or nothing.
#pragma once

#include "common/records.h"

// Opens port.portName exclusively with its line settings, purges both
// directions. 0 on success, 1 on failure (handle stays 0).
int openSerialPort(SerialPort& port);
// Applies baud rate, data bits, parity and stop bits to an open port, with no
// handshake and DTR/RTS off. Non-zero on success, 0 on failure.
int configureSerialPort(SerialPort& port);
// Reads exactly `count` bytes when at least that many are queued; otherwise
// (or for count <= 0, a closed port or a failed read) returns 0 and reads nothing.
int readSerial(SerialPort& port, void* buffer, int count);
// Bytes waiting in the input queue; -1 for a closed port or a device that
// failed (unplugged).
int queuedSerialBytes(const SerialPort& port);
// Writes `count` bytes; returns the number written, 0 on failure.
int writeSerial(SerialPort& port, const void* buffer, int count);
// Closes an open port and sets its handle to 0; a closed port is left alone.
void closeSerialPort(SerialPort& port);
