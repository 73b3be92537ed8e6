#include "tools/velmora-record/pass_printer.h"

#include "capture/gps/gps_state.h"
#include "capture/timing/lap_timing.h"
#include "common/duration.h"

void PassPrinter::checkPointPasses() {
    const int32_t passesBefore = countedPasses.load();
    const int32_t loggedBefore = passLog.passCount;
    ::checkPointPasses();
    if (countedPasses.load() == passesBefore) return;
    // The reader thread is the only writer of the pass log, and this runs on it.
    char line[160];
    const int head = std::snprintf(line, sizeof line, "pass %d tick %u point %d",
                                   static_cast<int>(countedPasses.load()),
                                   static_cast<unsigned>(lastPassTick.load()),
                                   static_cast<int>(lastPassPoint.load()) + 1);
    const LapDisplay lap = lapDisplayFor(passLog, course.courseType);
    if (passLog.passCount != loggedBefore && lap.hasLap) {
        std::snprintf(line + head, sizeof line - static_cast<size_t>(head), " laps %d lap_ms %u time %s",
                      static_cast<int>(lap.laps), static_cast<unsigned>(lap.lapMs),
                      formatDuration(lap.lapMs, ":").c_str());
    }
    // One call per line: the main thread prints on the same stream, and a
    // line split over several calls could be interleaved with its output.
    std::fprintf(out_, "%s\n", line);
    std::fflush(out_);
}
