#include "import/viewer_import.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>

#include "common/atomic_file.h"
#include "import/drive_log_import.h"
#include "import/lap_export.h"
#include "platform/app_paths.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_analysis.h"

namespace {

constexpr const char* LAST_COURSE_FILE = "quindle-last.gps";
constexpr size_t DETECTION_BYTES = 64 * 1024;

std::string importedPath;
RecordingFormat importedFormat = RecordingFormat::Nmea;
int64_t importedDateUnixS = 0;

bool endsWithGpd(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name.size() >= 4 && name.compare(name.size() - 4, 4, ".gpd") == 0;
}

// The date a recording's times belong to: its own for Unix times, else the file's.
int64_t recordingDate(const Recording& recording, const std::string& path) {
    if (recording.clock == RecordingClock::UnixSeconds && !recording.fixes.empty()) {
        return static_cast<int64_t>(std::floor(recording.fixes.front().timeS));
    }
    return fileDateUnixS(path);
}

bool fail(std::string& reason, const std::string& text) {
    reason = text;
    resetDriveModel();
    return false;
}

}  // namespace

bool isRecordingPath(const std::string& path) {
    if (endsWithGpd(path)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string head(DETECTION_BYTES, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in.gcount()));
    return detectRecordingFormat(head).has_value();
}

bool loadRecordingAsDrive(const std::string& path, const std::optional<Course>& lastCourse, std::string& reason) {
    resetDriveModel();
    const RecordingResult read = readRecording(path);
    if (!read.ok) return fail(reason, "記録を読み込めません。\n" + read.error);
    ImportOptions options;
    if (!read.recording.startFinish && lastCourse && lastCourse->pointCount > 0) options.course = *lastCourse;
    options.fallbackName = path.substr(path.find_last_of('/') + 1);
    const ImportedDrive drive = importDrive(read.recording, options);
    if (!drive.ok) return fail(reason, "計測地点がありません。記録にスタート／フィニッシュがなく、前に使ったコースもありません。");
    if (drive.replay.passLog.passCount < 2) {
        return fail(reason, "ラップを計測できません（計測地点の通過 " + std::to_string(drive.replay.passLog.passCount) +
                                "回、2回以上必要です）。");
    }
    driveModel.samples = drive.image.samples;
    driveModel.sampleCount = static_cast<int32_t>(driveModel.samples.size());
    driveModel.passLog = drive.image.passLog;
    driveModel.course = drive.image.course;
    driveModel.currentLap = 0;
    if (analyseDrive() == ANALYSE_OUT_OF_MEMORY) return fail(reason, "メモリが足りません。");
    importedPath = path;
    importedFormat = read.recording.format;
    importedDateUnixS = recordingDate(read.recording, path);
    return true;
}

std::string importedTitleSuffix() {
    if (importedPath.empty() || driveModel.loaded == 0 || !driveModel.logPath.empty()) return "";
    return std::string(" ［") + recordingFormatName(importedFormat) + "を取り込み］";
}

const std::string& importedRecordingPath() {
    static const std::string none;
    return driveModel.logPath.empty() ? importedPath : none;
}

int64_t importedRecordingDateUnixS() { return importedDateUnixS; }

std::optional<Course> readLastCourse() {
    std::ifstream in(platform::settingsDirectory() + LAST_COURSE_FILE, std::ios::binary);
    Course course;
    if (!in.read(reinterpret_cast<char*>(&course), sizeof course)) return std::nullopt;
    if (course.pointCount < 1 || course.pointCount > COURSE_MAX_POINTS) return std::nullopt;
    return course;
}

void rememberLastCourse(const Course& course) {
    if (course.pointCount < 1 || course.pointCount > COURSE_MAX_POINTS) return;
    writeFileAtomically(platform::settingsDirectory() + LAST_COURSE_FILE,
                        std::string_view(reinterpret_cast<const char*>(&course), sizeof course));
}
