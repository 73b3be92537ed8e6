// The one course: its points, name and type, and the course file (.gps).
//
// A course file is the 368-byte Course image with no header; the same image
// is the course block of every drive log.
#pragma once

#include "common/records.h"

// Loads a ".gps" or ".GPS" file into the global course (mixed-case
// extensions are refused). The file is opened for update, so a read-only
// file counts as unreadable. A short file leaves the missing fields zero;
// a point count outside 0..2 is refused. The earth-centred coordinates of
// the stored points are recomputed under the file's own datum. 0 loaded,
// 1 refused (the course is unchanged).
int loadCourse(const char* path);

// Writes the 368-byte image of the global course to `path` (no extension
// check) through a temporary file. 0 written, 1 failure (old file intact).
int saveCourse(const char* path);

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
