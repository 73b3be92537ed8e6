// Whole-record binary file input/output.
//
// Records are read and written as their raw memory image. A short read keeps
// the bytes that did arrive and leaves the rest of the record as it was, so a
// file shorter than its record changes only the leading fields.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <type_traits>

// Reads up to sizeof(T) bytes into `record`; returns the byte count read.
template <typename T>
size_t readRecord(std::FILE* file, T& record) {
    static_assert(std::is_trivially_copyable_v<T>);
    unsigned char buffer[sizeof(T)];
    size_t got = std::fread(buffer, 1, sizeof(T), file);
    std::memcpy(&record, buffer, got);
    return got;
}

// Reads `count` records; a short read keeps the part that arrived. Returns bytes read.
template <typename T>
size_t readRecords(std::FILE* file, T* records, size_t count) {
    static_assert(std::is_trivially_copyable_v<T>);
    return std::fread(static_cast<void*>(records), 1, sizeof(T) * count, file);
}

// Writes the whole record; true when every byte was written.
template <typename T>
bool writeRecord(std::FILE* file, const T& record) {
    static_assert(std::is_trivially_copyable_v<T>);
    return std::fwrite(&record, 1, sizeof(T), file) == sizeof(T);
}

template <typename T>
bool writeRecords(std::FILE* file, const T* records, size_t count) {
    static_assert(std::is_trivially_copyable_v<T>);
    return std::fwrite(static_cast<const void*>(records), 1, sizeof(T) * count, file) ==
           sizeof(T) * count;
}
