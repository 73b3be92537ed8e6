// The reader's accumulation buffers. Reads are all-or-nothing, so a buffer
// is always topped up to full before it is scanned; a full buffer that holds
// no complete line or packet would accept no further read and wedge the
// reader: unwedge() then keeps only what could still start one.
#pragma once

#include <cstdint>
#include <string_view>

constexpr int NMEA_BUFFER_BYTES = 128;
constexpr int PACKET_BUFFER_BYTES = 64;

class NmeaLineBuffer {
public:
    char* freeSpace() { return bytes_ + filled_; }
    int freeBytes() const { return NMEA_BUFFER_BYTES - filled_; }
    int filled() const { return filled_; }
    void added(int count) { filled_ += count; }
    // Moves the first line (up to and including its LF) into `line`
    // (NMEA_BUFFER_BYTES); returns its length, 0 when no line is complete.
    int takeLine(char* line);
    // When full without a line feed: keep from the last "$" past the start, else drop all.
    void unwedge();

private:
    void drop(int count);
    char bytes_[NMEA_BUFFER_BYTES] = {};
    int filled_ = 0;
};

class PacketBuffer {
public:
    uint8_t* freeSpace() { return bytes_ + filled_; }
    int freeBytes() const { return PACKET_BUFFER_BYTES - filled_; }
    const uint8_t* data() const { return bytes_; }
    int filled() const { return filled_; }
    void added(int count) { filled_ += count; }
    void drop(int count);
    // When full without a complete packet: keep from the last DLE past the
    // start that could open a packet, else drop all.
    void unwedge();

private:
    uint8_t bytes_[PACKET_BUFFER_BYTES] = {};
    int filled_ = 0;
};

// Runs a recorded byte stream through the reader's line splitting: the buffer
// is topped up to full before each scan, exactly as from the port, and at the
// end of the stream the lines still complete in it are handed over too.
// onLine(const char* line, int length) is called per line.
template <typename OnLine>
void splitNmeaStream(std::string_view stream, OnLine onLine) {
    NmeaLineBuffer buffer;
    char line[NMEA_BUFFER_BYTES];
    size_t next = 0;
    for (;;) {
        const size_t want = static_cast<size_t>(buffer.freeBytes());
        const bool full = stream.size() - next >= want;
        if (full) {
            for (size_t i = 0; i < want; ++i) buffer.freeSpace()[i] = stream[next + i];
            buffer.added(static_cast<int>(want));
            next += want;
        } else {
            const size_t rest = stream.size() - next;
            for (size_t i = 0; i < rest; ++i) buffer.freeSpace()[i] = stream[next + i];
            buffer.added(static_cast<int>(rest));
            next = stream.size();
        }
        for (int length; (length = buffer.takeLine(line)) > 0;) onLine(line, length);
        if (!full) return;
        buffer.unwedge();
    }
}
