// Cost of the per-fix work on the reader thread: the distances to the course
// points and the pass check, for a car circling a two-point course.
#include <benchmark/benchmark.h>

#include <cmath>

#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/course.h"
#include "capture/timing/lap_timing.h"
#include "capture/timing/timing_state.h"

namespace {

void BM_DistancesAndPassCheckPerFix(benchmark::State& state) {
    resetGpsState();
    resetTimingState();
    Course course;
    course.courseType = static_cast<int32_t>(state.range(0));
    course.pointCount = 2;
    course.points[0].latitude = 35.001;
    course.points[0].longitude = 139.0;
    course.points[1].latitude = 34.999;
    course.points[1].longitude = 139.0;
    toGeocentric(course.points[0]);
    toGeocentric(course.points[1]);
    replaceCourse(course);
    // 3600 fixes round a 110 m circle through both points.
    constexpr int FIXES = 3600;
    static GeoPoint track[FIXES];
    for (int i = 0; i < FIXES; ++i) {
        const double angle = 2.0 * M_PI * i / FIXES;
        track[i].latitude = 35.0 + 0.001 * std::cos(angle);
        track[i].longitude = 139.0 + 0.0012 * std::sin(angle);
        toGeocentric(track[i]);
    }
    int i = 0;
    for (auto _ : state) {
        gpsFix.position = track[i];
        updatePointDistances();
        checkPointPasses();
        i = (i + 1) % FIXES;
    }
    benchmark::DoNotOptimize(passLog.passCount);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DistancesAndPassCheckPerFix)->Arg(COURSE_LOOP)->Arg(COURSE_OPEN_RETURN);

void BM_PassCheckOnly(benchmark::State& state) {
    resetGpsState();
    resetTimingState();
    Course course;
    course.pointCount = 2;
    replaceCourse(course);
    pointDistance[0] = 120.0;
    pointDistance[1] = 340.0;
    pointSegmentDistance[0] = pointSegmentDistance[1] = -1.0;
    for (auto _ : state) checkPointPasses();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PassCheckOnly);

}  // namespace

BENCHMARK_MAIN();
