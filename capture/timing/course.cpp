#include "capture/timing/course.h"

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <utility>

#include "capture/gps/capture_sink.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/reader_hooks.h"
#include "common/error_text.h"
#include "common/record_io.h"

namespace {

// The course, changed by the window thread and by the reader's point
// registration. Held only while the record is copied or edited.
std::mutex courseLock;
Course course;

// Count and type packed in one word, so the lap check reads a matching pair
// without taking the lock after every line.
std::atomic<uint64_t> timingWord{0};

uint64_t packTiming(const Course& c) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(c.courseType)) << 32) |
           static_cast<uint32_t>(c.pointCount);
}

CoursePoints pointsOf(const Course& c) {
    CoursePoints p;
    p.count = c.pointCount;
    for (int i = 0; i < COURSE_MAX_POINTS; ++i) p.points[i] = c.points[i];
    return p;
}

// After every change, still under the lock, so the published views follow
// the changes in the order they were made.
void publishLocked() {
    publishCoursePoints(pointsOf(course));
    timingWord.store(packTiming(course), std::memory_order_release);
}

// Edits the course under the lock; when `edit` reports a change the views
// are republished and, with `notify`, the sink is shown a copy (outside the
// lock: a sink may take its own).
template <typename Edit>
bool editCourse(Edit edit, bool notify) {
    Course copy;
    {
        std::lock_guard<std::mutex> guard(courseLock);
        if (!edit(course)) return false;
        publishLocked();
        copy = course;
    }
    if (notify) captureSink().showCoursePoints(copy);
    return true;
}

bool hasCourseExtension(const char* path) {
    const size_t length = std::strlen(path);
    if (length < 4) return false;
    const char* tail = path + length - 4;
    return std::strcmp(tail, ".gps") == 0 || std::strcmp(tail, ".GPS") == 0;
}

// The stored Z, X, Y may come from another datum than the one configured now;
// they are rebuilt from latitude and longitude under the file's datum.
void recomputeGeocentric(Course& loaded) {
    for (int i = 0; i < loaded.pointCount; ++i) toGeocentric(loaded.points[i], loaded.courseDatum);
}

}  // namespace

Course currentCourse() {
    std::lock_guard<std::mutex> guard(courseLock);
    return course;
}

CourseTiming courseTiming() {
    const uint64_t word = timingWord.load(std::memory_order_acquire);
    CourseTiming t;
    t.pointCount = static_cast<int32_t>(static_cast<uint32_t>(word));
    t.courseType = static_cast<int32_t>(static_cast<uint32_t>(word >> 32));
    return t;
}

void replaceCourse(const Course& replacement) {
    Course c = replacement;
    // Nothing downstream may index past the two slots.
    if (c.pointCount < 0) c.pointCount = 0;
    if (c.pointCount > COURSE_MAX_POINTS) c.pointCount = COURSE_MAX_POINTS;
    editCourse([&](Course& target) { target = c; return true; }, true);
}

void setCourseNameAndType(std::string_view sjisName, int32_t courseType) {
    editCourse(
        [&](Course& c) {
            const size_t n = sjisName.size() < COURSE_NAME_BYTES - 1 ? sjisName.size() : COURSE_NAME_BYTES - 1;
            std::memset(c.name, 0, sizeof c.name);
            std::memcpy(c.name, sjisName.data(), n);
            c.courseType = courseType;
            return true;
        },
        false);
}

namespace {

// Why a course read from a file cannot be timed; "" when it can.
std::string courseProblem(const Course& c) {
    // A count beyond the two stored points would walk past them; such a file
    // was never written by this program.
    if (c.pointCount < 0 || c.pointCount > COURSE_MAX_POINTS)
        return "point count " + std::to_string(c.pointCount) + " (0 to 2 expected)";
    if (c.courseType < COURSE_LOOP || c.courseType > COURSE_OPEN_RETURN)
        return "unknown course type " + std::to_string(c.courseType);
    for (int i = 0; i < c.pointCount; ++i) {
        const GeoPoint& p = c.points[i];
        if (!std::isfinite(p.latitude) || !std::isfinite(p.longitude) || std::fabs(p.latitude) > 90.0 ||
            std::fabs(p.longitude) > 180.0) {
            char text[120];
            std::snprintf(text, sizeof text, "point %d has no valid position (latitude %g, longitude %g)", i + 1,
                          p.latitude, p.longitude);
            return text;
        }
    }
    return "";
}

}  // namespace

int loadCourse(const char* path) {
    std::string reason;
    return loadCourseWithReason(path, reason);
}

int loadCourseWithReason(const char* path, std::string& reason) {
    reason.clear();
    if (path == nullptr || !hasCourseExtension(path)) {
        reason = "not a course file name (.gps or .GPS)";
        return 1;
    }
    // Read-only, so a course the user may not write (the installed sample) still loads.
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        reason = systemErrorText(errno);
        return 1;
    }
    Course loaded{};  // every byte zero: the record has no implicit padding
    readRecord(file, loaded);
    std::fclose(file);
    reason = courseProblem(loaded);
    if (!reason.empty()) return 1;
    recomputeGeocentric(loaded);
    editCourse([&](Course& c) { c = loaded; return true; }, true);
    return 0;
}

FileWriteResult saveCourse(const char* path) {
    if (path == nullptr) return {FileWriteStatus::FAILED, "cannot write the course file: no name"};
    const Course image = currentCourse();
    return writeFileAtomically(path, [&](std::FILE* file) { return writeRecord(file, image); });
}

UnsavedCourseResult saveUnsavedCourse(const std::string& directory) {
    const Course image = currentCourse();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    UnsavedCourseResult result;
    for (int n = 1; n <= 100; ++n) {
        result.path = directory + "unsaved-course-" + stamp + (n > 1 ? "-" + std::to_string(n) : "") + ".gps";
        const FileWriteResult written = writeFileAtomically(
            result.path, [&](std::FILE* file) { return writeRecord(file, image); }, /*keepExisting=*/true);
        result.status = written.status;
        result.error = written.error;
        if (written.status != FileWriteStatus::TARGET_EXISTS) return result;
    }
    result.status = FileWriteStatus::FAILED;
    result.error = "no free name in " + directory;
    return result;
}

int courseCapacity(const Course& c) { return c.courseType == COURSE_LOOP ? 1 : 2; }

bool courseIsComplete(const Course& c) {
    switch (c.courseType) {
        case COURSE_LOOP: return c.pointCount == 1;
        case COURSE_OPEN:
        case COURSE_OPEN_RETURN: return c.pointCount == 2;
        default: return true;
    }
}

bool deleteLastPoint() {
    return editCourse(
        [](Course& c) {
            if (c.pointCount <= 0) return false;
            if (c.pointCount > COURSE_MAX_POINTS) c.pointCount = COURSE_MAX_POINTS;
            --c.pointCount;
            c.points[c.pointCount] = GeoPoint{};
            return true;
        },
        true);
}

bool swapPoints() {
    return editCourse(
        [](Course& c) {
            if (c.pointCount != 2) return false;
            std::swap(c.points[0], c.points[1]);
            return true;
        },
        true);
}

void clearCourse() {
    editCourse([](Course& c) { c = Course{}; return true; }, true);
}

bool setCourseType(int32_t courseType) {
    // Checked under the lock: a point the reader registers meanwhile cannot
    // slip in between the check and the change.
    return editCourse(
        [&](Course& c) {
            if (courseType == COURSE_LOOP && c.pointCount == 2) return false;
            c.courseType = courseType;
            return true;
        },
        false);
}

bool registerPoint(const GeoPoint& fix, int32_t datumCode) {
    if (fix.latitude == 0.0 || fix.longitude == 0.0) return false;
    return editCourse(
        [&](Course& c) {
            // The course has room for two points; a third request must not write past them.
            if (c.pointCount < 0 || c.pointCount >= COURSE_MAX_POINTS) return false;
            // Points already held were measured under the course's datum; a
            // point taken under another one brings them over to it, so the
            // course stays one frame for the live fixes and for its file.
            if (c.courseDatum != datumCode) {
                for (int i = 0; i < c.pointCount; ++i) toGeocentric(c.points[i], datumCode);
            }
            c.points[c.pointCount] = fix;
            ++c.pointCount;
            // The points' earth-centred values are only right under the datum
            // they were computed with; the file must say which, or a course
            // taken under the Tokyo datum reloads hundreds of metres away.
            c.courseDatum = datumCode;
            return true;
        },
        true);
}

void resetCourse() {
    editCourse([](Course& c) { c = Course{}; return true; }, false);
}
