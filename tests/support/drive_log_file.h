// A drive log file read back as its records, for tests that check what a
// program left on disk.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "common/records.h"
#include "tests/support/temp_dir.h"

struct DriveLogFile {
    bool whole = false;  // the size is exactly that of its sample count
    std::vector<LogSample> samples;
    PassLog passes{};
    Course course{};
};

inline DriveLogFile readDriveLogFile(const std::string& path) {
    DriveLogFile log;
    const std::string image = readFile(path);
    int32_t n = 0;
    if (image.size() < sizeof n) return log;
    std::memcpy(&n, image.data(), sizeof n);
    if (n <= 0 || static_cast<long>(image.size()) != driveLogSize(n)) return log;
    log.samples.resize(static_cast<size_t>(n));
    std::memcpy(log.samples.data(), image.data() + sizeof n, log.samples.size() * sizeof(LogSample));
    std::memcpy(&log.passes, image.data() + driveLogPassLogOffset(n), sizeof log.passes);
    std::memcpy(&log.course, image.data() + driveLogCourseOffset(n), sizeof log.course);
    log.whole = true;
    return log;
}
