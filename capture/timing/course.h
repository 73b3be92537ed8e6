// The one course: its points, name and type, and the course file (.gps).
//
// A course file is the 368-byte Course image with no header; the same image
// is the course block of every drive log.
//
// The course belongs to the timing layer. The window thread changes it
// through the operations below, the GPS reader registers points into it; both
// sides read it only as a copy (currentCourse), taken under a small lock, so
// no thread ever sees a half-copied course. Every change publishes the points
// to the reader (used from its next fix) and the lap check picks up a new type
// or new points at its next run.
#pragma once

#include <string>

#include <cstdint>
#include <string_view>

#include "common/atomic_file.h"
#include "common/records.h"

// A consistent copy of the course. Any thread.
Course currentCourse();

// Replaces the whole course (tools, tests and the course-name dialog's
// result). Window thread.
void replaceCourse(const Course& course);
// Sets the name (Shift-JIS, truncated to 255 bytes) and the type, as the
// course-name dialog does before the first start. Window thread.
void setCourseNameAndType(std::string_view sjisName, int32_t courseType);

// Loads a ".gps" or ".GPS" file into the course (mixed-case extensions are
// refused). A read-only file loads too. A short file leaves the missing fields zero; a point count
// outside 0..2 is refused. The earth-centred coordinates of the stored points
// are recomputed under the file's own datum. 0 loaded (the sink is shown the
// new points), 1 refused (the course is unchanged). Allowed while measuring:
// the lap check uses the loaded course from its next run.
int loadCourse(const char* path);
// The same, saying why a file was refused: not a course file name, not
// readable, a point count outside 0..2, an unknown course type, or a point
// whose latitude or longitude is not a number or out of range (nothing
// would ever be timed on it). "" after a load.
int loadCourseWithReason(const char* path, std::string& reason);

// Writes the 368-byte image of the course to `path` (no extension check)
// through a temporary file. WRITTEN, or FAILED with "cannot write PATH:
// reason" (the old file intact).
FileWriteResult saveCourse(const char* path);

// The course written under a new name in `directory` (ending in '/'),
// "unsaved-course-YYYYMMDD-HHMMSS[-N].gps": an existing file is never
// replaced, so no course of the driver's can be overwritten.
struct UnsavedCourseResult {
    FileWriteStatus status = FileWriteStatus::FAILED;
    std::string path;   // the file written
    std::string error;  // reason of a failure
};
UnsavedCourseResult saveUnsavedCourse(const std::string& directory);

// How many points a course of this type takes: 1 for a loop, 2 otherwise.
int courseCapacity(const Course& c);
// Exactly as many points as its type takes (any other type value counts as complete).
bool courseIsComplete(const Course& c);

// Removes the last point, zeroing it. Returns false when there is none.
bool deleteLastPoint();
// Exchanges points 1 and 2 when both exist. Returns false otherwise.
bool swapPoints();
// Zeroes the whole course: points, name, type and datum.
void clearCourse();
// Sets the type only (the course-type commands); a loop is refused (false)
// while two points are registered. Window thread.
bool setCourseType(int32_t courseType);

// Appends `fix` (all six values) as the next point and records the datum its
// earth-centred coordinates were computed under, so that the course file
// reloads it at the same place. Refused (false) when the fix has a latitude
// or longitude of exactly 0 or the course already holds two points. Reader
// thread; the sink is shown the new points.
bool registerPoint(const GeoPoint& fix, int32_t datumCode);

// What the lap check needs, read lock-free on the reader thread: the point
// count and type of the latest course, always from the same change.
struct CourseTiming {
    int32_t pointCount = 0;
    int32_t courseType = COURSE_LOOP;
};
CourseTiming courseTiming();

// Back to an empty course without showing the sink (part of resetTimingState).
void resetCourse();
