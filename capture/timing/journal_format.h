// The recording journal's header and record heads (layout in recording_journal.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "common/records.h"

constexpr char JOURNAL_MAGIC[8] = {'V', 'L', 'M', 'J', 'R', 'N', 'L', '\0'};
constexpr uint32_t JOURNAL_VERSION = 1;
constexpr char JOURNAL_PREFIX[] = "recording-";
constexpr char JOURNAL_SUFFIX[] = ".journal";

enum JournalKind : uint32_t { JOURNAL_SAMPLE = 1, JOURNAL_PASS = 2, JOURNAL_COURSE = 3 };

struct JournalHeader {
    char magic[8] = {};
    uint32_t version = JOURNAL_VERSION;
    uint32_t headerBytes = 0;
    char dateText[16] = {};
    int32_t samplingPeriodMs = 0;
    int32_t reserved0 = 0;
    Course course;
    uint32_t check = 0;
    uint32_t reserved1 = 0;
};
static_assert(sizeof(JournalHeader) == 416);
static_assert(offsetof(JournalHeader, course) == 40);
static_assert(offsetof(JournalHeader, check) == 408);

struct JournalRecordHead {
    uint32_t kind = 0;
    uint32_t check = 0;
};
static_assert(sizeof(JournalRecordHead) == 8);

struct JournalPass {
    uint32_t tick = 0;
    int32_t index = 0;
};
static_assert(sizeof(JournalPass) == 8);

// Payload bytes of a kind; 0 for an unknown kind.
constexpr size_t journalPayloadBytes(uint32_t kind) {
    switch (kind) {
        case JOURNAL_SAMPLE: return sizeof(LogSample);
        case JOURNAL_PASS: return sizeof(JournalPass);
        case JOURNAL_COURSE: return sizeof(Course);
        default: return 0;
    }
}

// 32-bit FNV-1a, continued from `hash`.
inline uint32_t fnv1a(const void* bytes, size_t count, uint32_t hash = 2166136261u) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < count; ++i) hash = (hash ^ p[i]) * 16777619u;
    return hash;
}

inline uint32_t recordCheck(uint32_t kind, const void* payload, size_t bytes) {
    return fnv1a(payload, bytes, fnv1a(&kind, sizeof kind));
}

inline uint32_t headerCheck(const JournalHeader& header) {
    return fnv1a(&header, offsetof(JournalHeader, check));
}
