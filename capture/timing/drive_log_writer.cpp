#include "capture/timing/drive_log_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "capture/gps/gps_state.h"
#include "capture/timing/course.h"
#include "common/atomic_file.h"
#include "common/error_text.h"
#include "capture/timing/lap_timing.h"
#include "capture/timing/recording_journal.h"
#include "common/record_io.h"
#include "platform/app_paths.h"

namespace {

std::mutex directoryLock;
std::string directoryOverride;

// Creates the log folder (and a missing parent) when needed.
bool ensureDirectory(const std::string& directory, std::string& error) {
    std::string path;
    for (size_t i = 0; i < directory.size(); ++i) {
        path += directory[i];
        if (directory[i] != '/' || path.size() == 1) continue;
        if (const int failed = makeFolderDurably(path); failed != 0) {
            error = "cannot create folder " + path + ": " + systemErrorText(failed);
            return false;
        }
    }
    return true;
}

std::string candidateName(const std::string& base, int32_t counter) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "_%03d.gpd", static_cast<int>(counter));
    return base + suffix;
}

bool writeBlocks(std::FILE* file, const DriveLogParts& content) {
    const uint8_t trailer[4] = {0, 0, 0, 0};
    return writeRecord(file, content.sampleCount) &&
           writeRecords(file, content.samples, static_cast<size_t>(content.sampleCount)) &&
           writeRecord(file, content.passes) && writeRecord(file, content.course) &&
           writeRecord(file, trailer);
}

}  // namespace

std::string driveLogDirectory() {
    std::lock_guard<std::mutex> guard(directoryLock);
    return directoryOverride.empty() ? platform::recordsDirectory() + "log/" : directoryOverride;
}

void setDriveLogDirectory(const std::string& directory) {
    std::lock_guard<std::mutex> guard(directoryLock);
    directoryOverride = directory;
    if (!directoryOverride.empty() && directoryOverride.back() != '/') directoryOverride += '/';
}

std::string driveLogDateText(const std::tm& localDate) {
    char text[40];
    std::snprintf(text, sizeof text, "20%02d%02d%02d", (localDate.tm_year + 1900) % 100,
                  localDate.tm_mon + 1, localDate.tm_mday);
    return text;
}

DriveLogResult writeDriveLog() { return writeDriveLog(currentCourse()); }

std::string driveLogFolderProblem() {
    const std::string directory = driveLogDirectory();
    std::string error;
    if (!ensureDirectory(directory, error)) return error;
    if (::access(directory.c_str(), W_OK | X_OK) != 0)
        return "cannot write in folder " + directory + ": " + systemErrorText(errno);
    return "";
}

DriveLogResult writeDriveLog(const Course& image) {
    const int32_t count = sampleCount.load();
    if (passLog.passCount <= 0 || count <= 0 || samples == nullptr) return {};
    const DriveLogResult result =
        writeDriveLogContent({samples, count, passLog, image}, todayDateText(), logFileCounter);
    if (result.status == DRIVE_LOG_WRITTEN) discardRecordingJournal();  // the run is safe in its log
    return result;
}

DriveLogResult writeDriveLogContent(const DriveLogParts& content, const std::string& dateText,
                                    int32_t& counter) {
    DriveLogResult result;
    if (content.passes.passCount <= 0 || content.sampleCount <= 0 || content.samples == nullptr)
        return result;
    const std::string directory = driveLogDirectory();
    result.status = DRIVE_LOG_FAILED;
    if (!ensureDirectory(directory, result.error)) {
        result.path = directory;
        return result;
    }
    const std::string base = directory + dateText;
    for (;;) {
        result.path = candidateName(base, counter);
        // An existing name is never replaced: a log from an earlier run of
        // the program (or a file that cannot be read) stays as it is.
        const FileWriteResult written = writeFileAtomically(
            result.path, [&](std::FILE* file) { return writeBlocks(file, content); },
            /*keepExisting=*/true);
        if (written.status == FileWriteStatus::TARGET_EXISTS) {
            counter += 1;
            continue;
        }
        if (written.status == FileWriteStatus::FAILED) {
            result.error = written.error;
            return result;
        }
        result.status = DRIVE_LOG_WRITTEN;
        return result;
    }
}

std::string todayDateText() {
    ::tzset();  // the local date needs the time zone settings
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return driveLogDateText(local);
}
