// A received byte stream of the binary receiver: topped up into the packet
// buffer as from the port, every complete packet found and decoded, the
// buffer unwedged when full, exactly as the binary reader loop does.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "capture/gps/binary_receiver.h"
#include "capture/gps/fix_completion.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "capture/gps/line_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    resetGpsState();
    resetLiveFix();
    resetGeodesyState();
    PacketBuffer buffer;
    uint8_t record[PACKET_RECORD_BYTES];
    size_t next = 0;
    while (next < size) {
        const size_t take = std::min<size_t>(static_cast<size_t>(buffer.freeBytes()), size - next);
        std::memcpy(buffer.freeSpace(), data + next, take);
        buffer.added(static_cast<int>(take));
        next += take;
        for (;;) {
            std::memset(record, 0, sizeof record);
            const int end = findPacket(buffer.data(), buffer.filled(), record);
            if (end < 0) break;
            decodeBinaryPacket(record);
            buffer.drop(end + 1);
        }
        buffer.unwedge();
    }
    return 0;
}
