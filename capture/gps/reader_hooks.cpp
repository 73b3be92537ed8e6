#include "capture/gps/reader_hooks.h"

#include <mutex>

namespace {

ReaderHooks installed;  // written only while no reader runs (thread start orders it)

std::mutex pointsLock;  // held only while the snapshot is copied in or out
CoursePoints points;

}  // namespace

void setReaderHooks(const ReaderHooks& hooks) { installed = hooks; }

const ReaderHooks& readerHooks() { return installed; }

void publishCoursePoints(const CoursePoints& snapshot) {
    CoursePoints clamped = snapshot;
    // The reader indexes the points by the count: never beyond the two slots.
    if (clamped.count < 0) clamped.count = 0;
    if (clamped.count > COURSE_MAX_POINTS) clamped.count = COURSE_MAX_POINTS;
    std::lock_guard<std::mutex> guard(pointsLock);
    points = clamped;
}

CoursePoints publishedCoursePoints() {
    std::lock_guard<std::mutex> guard(pointsLock);
    return points;
}
