#include "import/drive_log_import.h"

#include <algorithm>
#include <cstring>

#include "capture/gps/geodesy.h"
#include "common/sjis.h"

namespace {

void setName(Course& course, const std::string& utf8) {
    const std::string sjis = utf8ToSjis(utf8);
    std::memset(course.name, 0, sizeof course.name);
    std::memcpy(course.name, sjis.data(), std::min(sjis.size(), sizeof course.name - 1));
}

GeoPoint pointAt(const LatLon& at) {
    GeoPoint point;
    point.latitude = at.latitude;
    point.longitude = at.longitude;
    toGeocentric(point, 0);
    return point;
}

Course courseOfPoints(const std::vector<LatLon>& points, int32_t type) {
    Course course;
    course.pointCount = static_cast<int32_t>(std::min<size_t>(points.size(), COURSE_MAX_POINTS));
    for (int i = 0; i < course.pointCount; ++i) course.points[i] = pointAt(points[static_cast<size_t>(i)]);
    course.courseType = type;
    return course;
}

std::string chosenName(const Course& course, const Recording& recording, const ImportOptions& options) {
    if (!options.nameUtf8.empty()) return options.nameUtf8;
    if (course.name[0] != '\0') return sjisToUtf8(fixedText(course.name));
    if (!recording.name.empty()) return recording.name;
    return options.fallbackName;
}

}  // namespace

std::optional<Course> importCourse(const Recording& recording, const ImportOptions& options, std::string& error,
                                   std::string& courseFrom) {
    Course course;
    if (options.course) {
        course = *options.course;
        courseFrom = "the course file";
    } else if (!options.points.empty()) {
        if (options.points.size() > COURSE_MAX_POINTS) {
            error = "at most two course points";
            return std::nullopt;
        }
        const int32_t type = options.courseType.value_or(options.points.size() == 1 ? COURSE_LOOP : COURSE_OPEN);
        if ((type == COURSE_LOOP) != (options.points.size() == 1) || type < COURSE_LOOP || type > COURSE_OPEN_RETURN) {
            error = "course type " + std::to_string(type) + " does not take " + std::to_string(options.points.size()) +
                    " point(s) (0 loop: one point; 1 open, 2 open return: two)";
            return std::nullopt;
        }
        course = courseOfPoints(options.points, type);
        courseFrom = "the given point(s)";
    } else if (recording.startFinish) {
        course = courseOfPoints({*recording.startFinish}, COURSE_LOOP);
        courseFrom = "the recording's own start/finish";
    } else {
        error = "the recording names no start/finish: give --course C.gps or --point LAT,LON";
        return std::nullopt;
    }
    setName(course, chosenName(course, recording, options));
    return course;
}

ImportedDrive importDrive(const Recording& recording, const ImportOptions& options) {
    ImportedDrive drive;
    const std::optional<Course> course = importCourse(recording, options, drive.error, drive.courseFrom);
    if (!course) return drive;
    std::vector<ReplayFix> fixes;
    fixes.reserve(recording.fixes.size());
    for (const RecordedFix& f : recording.fixes) {
        fixes.push_back({recordingTickMs(recording, f.timeS), f.latitude, f.longitude, f.altitudeM});
    }
    ReplayOptions replay;
    replay.radiusM = options.radiusM;
    replay.interpolate = options.interpolate;
    replay.datum = 0;  // every reader yields WGS-84 degrees
    drive.replay = replayPasses(fixes, *course, replay);
    drive.image = buildDriveLog(drive.replay, *course);
    // The recorder never marks its first sample (a pass then marks the next
    // one), and the viewer cuts no lap at sample 0: a recording that starts on
    // the line would lose its first lap.
    std::vector<LogSample>& samples = drive.image.samples;
    if (samples.size() > 1 && samples[0].lapMark != 0) {
        samples[0].lapMark = 0;
        samples[1].lapMark = 1;
    }
    drive.ok = true;
    return drive;
}
