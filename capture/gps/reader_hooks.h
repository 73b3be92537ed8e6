// What the GPS reader runs in the timing layer, without linking it.
//
// The lap check, the flash time-out and the point registration are part of
// the reader's loop, not of the display: the timing layer installs them when
// measuring starts, so that no user interface can forget to forward them.
// Every hook runs on the reader thread. An absent hook is skipped.
#pragma once

#include "common/records.h"

struct ReaderHooks {
    void (*checkPointPasses)() = nullptr;           // after every line or packet
    void (*pollFlash)() = nullptr;                  // after every line or packet and every idle poll
    // A fix completed while a point was requested; its earth-centred values
    // were computed under `datumCode`.
    void (*registerPoint)(const GeoPoint& fix, int32_t datumCode) = nullptr;
};

// Installs the hooks (copied). Call while no reader runs.
void setReaderHooks(const ReaderHooks& hooks);
// The installed hooks; all absent after resetGpsState().
const ReaderHooks& readerHooks();

// The course points the reader measures distances to: a snapshot the timing
// layer publishes whenever its course changes. The reader picks a new one up
// at the next fix; it never sees a point without its count.
struct CoursePoints {
    int32_t count = 0;  // 0..2
    GeoPoint points[COURSE_MAX_POINTS] = {};
};
void publishCoursePoints(const CoursePoints& points);  // any thread
CoursePoints publishedCoursePoints();                  // any thread
