#include "viewer/analysis/drive_log_loader.h"

#include <cmath>
#include <cstdio>
#include <new>

#include "common/record_io.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_analysis.h"

namespace {

LoadProblem lastProblem = LoadProblem::None;

// Size of an open file in bytes, -1 when it cannot be told.
long fileSize(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    long size = std::ftell(file);
    if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
    return size;
}

// Forgets the previous drive before anything of the new file is read, so a
// failed load never leaves half of the old drive behind. The arrays keep
// their memory for the next drive (see fitArrays).
void discardDrive() {
    driveModel.loaded = 0;
    driveModel.sampleCount = 0;
    driveModel.lapCount = 0;
    driveModel.currentLap = 0;
    driveModel.logPath.clear();
    driveModel.leftOutSamples = 0;
    driveModel.lapsBeyondTable = 0;
    driveModel.samples.clear();
    driveModel.points.clear();
    driveModel.cornerMarks.clear();
    driveModel.turnAngles.clear();
}

void releaseArrays() {
    std::vector<LogSample>().swap(driveModel.samples);
    std::vector<TrackPoint>().swap(driveModel.points);
    std::vector<int32_t>().swap(driveModel.cornerMarks);
    std::vector<double>().swap(driveModel.turnAngles);
}

// Reloading a drive of about the same size (a weight change reloads the same
// log) reuses the previous arrays: handing them back and faulting fresh pages
// in again costs more than the whole analysis. Arrays far larger than the new
// drive needs are released.
void fitArrays(size_t sampleCount) {
    if (driveModel.samples.capacity() > 2 * sampleCount + 65536) releaseArrays();
}

// A failed load keeps no memory of the drive it replaced.
void dropDrive() {
    discardDrive();
    releaseArrays();
}

bool finitePosition(const LogSample& s) {
    return std::isfinite(s.latitude) && std::isfinite(s.longitude) && std::isfinite(s.altitude);
}

// A sample whose position is not a number (a damaged file) would turn the
// origin, and with it every lap, into NaN: it is left out, its lap mark moving
// to the next sample kept (the last one kept at the end). Sample 0 is never
// used and stays.
void leaveOutNonFiniteSamples() {
    std::vector<LogSample>& samples = driveModel.samples;
    size_t kept = samples.empty() ? 0 : 1;
    int32_t carriedMark = 0;
    for (size_t i = kept; i < samples.size(); ++i) {
        if (!finitePosition(samples[i])) {
            carriedMark |= samples[i].lapMark;
            continue;
        }
        samples[kept] = samples[i];
        if (carriedMark != 0 && samples[kept].lapMark == 0) samples[kept].lapMark = carriedMark;
        carriedMark = 0;
        ++kept;
    }
    // A mark on the last samples goes back to the last one kept.
    if (carriedMark != 0 && kept > 1 && samples[kept - 1].lapMark == 0) samples[kept - 1].lapMark = carriedMark;
    driveModel.leftOutSamples = static_cast<int32_t>(samples.size() - kept);
    samples.resize(kept);
    driveModel.sampleCount = static_cast<int32_t>(kept);
}

int fail(LoadProblem problem, int status) {
    lastProblem = problem;
    return status;
}

// Reads count, samples, pass log and course block. The count is checked
// against the bytes that follow before anything is allocated: a damaged count
// must neither read past the end nor ask for an absurd allocation.
int readLog(std::FILE* file) {
    const long size = fileSize(file);
    int32_t n = 0;
    if (size < 4 || readRecord(file, n) != sizeof n) return fail(LoadProblem::Truncated, LOAD_CANNOT_OPEN);
    if (n <= 0) return fail(LoadProblem::BadSampleCount, LOAD_CANNOT_OPEN);
    if ((size - 4) / long(sizeof(LogSample)) < long(n)) return fail(LoadProblem::Truncated, LOAD_CANNOT_OPEN);
    // Anything but the exact size means the count does not describe the file
    // (a pass count read from inside a sample, a cut pass log or course
    // block). The four closing zero bytes are optional.
    if (size != driveLogSize(n) && size != driveLogSize(n) - 4) return fail(LoadProblem::WrongSize, LOAD_CANNOT_OPEN);
    fitArrays(static_cast<size_t>(n));
    try {
        driveModel.samples.resize(static_cast<size_t>(n));
    } catch (const std::bad_alloc&) {
        return fail(LoadProblem::OutOfMemory, LOAD_OUT_OF_MEMORY);
    }
    if (readRecords(file, driveModel.samples.data(), driveModel.samples.size()) !=
        sizeof(LogSample) * driveModel.samples.size()) {
        return fail(LoadProblem::Truncated, LOAD_CANNOT_OPEN);
    }
    leaveOutNonFiniteSamples();
    driveModel.passLog = PassLog{};
    readRecord(file, driveModel.passLog);
    driveModel.course = Course{};
    readRecord(file, driveModel.course);
    return LOAD_OK;
}

}  // namespace

int loadDriveLog(const std::string& requestedPath) {
    // A copy: the caller may pass driveModel.logPath itself, which the
    // discarding below clears.
    const std::string path = requestedPath;
    discardDrive();
    lastProblem = LoadProblem::None;
    // Read-only: the viewer never writes a log, and a log it may not write
    // (the installed samples, read-only media, another user's folder) still opens.
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return fail(LoadProblem::CannotOpen, LOAD_CANNOT_OPEN);
    const int status = readLog(file);
    std::fclose(file);
    if (status != LOAD_OK) {
        dropDrive();
        return status;
    }
    driveModel.currentLap = 0;
    if (driveModel.passLog.passCount < 2) {
        dropDrive();
        return fail(LoadProblem::TooFewPasses, LOAD_TOO_FEW_PASSES);
    }
    // An analysis that cannot allocate leaves no drive; say so rather than
    // reporting a load that shows nothing.
    if (analyseDrive() == ANALYSE_OUT_OF_MEMORY) {
        dropDrive();
        return fail(LoadProblem::OutOfMemory, LOAD_OUT_OF_MEMORY);
    }
    driveModel.logPath = path;
    return LOAD_OK;
}

int reloadDriveLog() {
    if (driveModel.loaded == 0 || driveModel.logPath.empty()) return LOAD_CANNOT_OPEN;
    return loadDriveLog(driveModel.logPath);
}

LoadProblem lastLoadProblem() { return lastProblem; }

void clearLoadProblem() { lastProblem = LoadProblem::None; }

std::string loadProblemText(LoadProblem problem) {
    switch (problem) {
        case LoadProblem::None: return "";
        case LoadProblem::CannotOpen: return "cannot open the file";
        case LoadProblem::BadSampleCount: return "damaged drive log: the sample count is not positive";
        case LoadProblem::Truncated: return "damaged drive log: the file is shorter than its sample count";
        case LoadProblem::WrongSize:
            return "damaged drive log: its size is not that of a log of its sample count (780 + 40 bytes per sample)";
        case LoadProblem::OutOfMemory: return "not enough memory for this drive log";
        case LoadProblem::TooFewPasses: return "the drive log holds fewer than two passes";
    }
    return "";
}

std::string loadNotesText() {
    std::string notes;
    if (driveModel.leftOutSamples > 0)
        notes += std::to_string(driveModel.leftOutSamples) + " samples without a finite position left out\n";
    if (driveModel.lapsBeyondTable > 0)
        notes += std::to_string(driveModel.lapsBeyondTable) + " laps beyond the first " + std::to_string(MAX_LAPS) +
                 " not shown\n";
    return notes;
}
