#include "capture/gps/line_buffer.h"

#include <cstring>

#include "capture/gps/binary_receiver.h"

void NmeaLineBuffer::drop(int count) {
    if (count >= filled_) {
        filled_ = 0;
        return;
    }
    std::memmove(bytes_, bytes_ + count, filled_ - count);
    filled_ -= count;
}

int NmeaLineBuffer::takeLine(char* line) {
    const void* lf = std::memchr(bytes_, '\n', filled_);
    if (lf == nullptr) return 0;
    const int length = static_cast<const char*>(lf) - bytes_ + 1;
    std::memcpy(line, bytes_, length);
    drop(length);
    return length;
}

void NmeaLineBuffer::unwedge() {
    if (filled_ < NMEA_BUFFER_BYTES || std::memchr(bytes_, '\n', filled_) != nullptr) return;
    // A "$" at the start would keep the buffer full: that sentence is over-long.
    for (int i = filled_ - 1; i > 0; --i) {
        if (bytes_[i] == '$') {
            drop(i);
            return;
        }
    }
    filled_ = 0;
}

void PacketBuffer::drop(int count) {
    if (count >= filled_) {
        filled_ = 0;
        return;
    }
    std::memmove(bytes_, bytes_ + count, filled_ - count);
    filled_ -= count;
}

void PacketBuffer::unwedge() {
    if (filled_ < PACKET_BUFFER_BYTES) return;
    for (int i = filled_ - 1; i > 0; --i) {
        const bool opens = i + 1 == filled_ || (bytes_[i + 1] != DLE && bytes_[i + 1] != ETX);
        if (bytes_[i] == DLE && opens) {
            drop(i);
            return;
        }
    }
    filled_ = 0;
}
