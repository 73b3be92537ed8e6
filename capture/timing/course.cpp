#include "capture/timing/course.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "common/atomic_file.h"
#include "common/record_io.h"

namespace {

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

int loadCourse(const char* path) {
    if (path == nullptr || !hasCourseExtension(path)) return 1;
    std::FILE* file = std::fopen(path, "r+b");
    if (file == nullptr) return 1;
    Course loaded{};  // every byte zero: the record has no implicit padding
    readRecord(file, loaded);
    std::fclose(file);
    // A count beyond the two stored points would walk past them; such a file
    // was never written by this program.
    if (loaded.pointCount < 0 || loaded.pointCount > COURSE_MAX_POINTS) return 1;
    recomputeGeocentric(loaded);
    course = loaded;
    return 0;
}

int saveCourse(const char* path) {
    if (path == nullptr) return 1;
    const Course image = course;
    const FileWriteResult result =
        writeFileAtomically(path, [&](std::FILE* file) { return writeRecord(file, image); });
    return result.status == FileWriteStatus::WRITTEN ? 0 : 1;
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
    if (course.pointCount <= 0) return false;
    if (course.pointCount > COURSE_MAX_POINTS) course.pointCount = COURSE_MAX_POINTS;
    --course.pointCount;
    course.points[course.pointCount] = GeoPoint{};
    return true;
}

bool swapPoints() {
    if (course.pointCount != 2) return false;
    std::swap(course.points[0], course.points[1]);
    return true;
}

void clearCourse() { course = Course{}; }
