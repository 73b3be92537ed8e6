#include "tools/velmora-record/pass_printer.h"

#include "capture/timing/course.h"
#include "capture/timing/lap_timing.h"
#include "common/duration.h"

// Runs on the reader thread, the only writer of the pass log.
void PassPrinter::passCounted(int point, uint32_t tickMs) {
    ++passes_;
    char line[160];
    const int head = std::snprintf(line, sizeof line, "pass %d tick %u point %d", passes_,
                                   static_cast<unsigned>(tickMs), point + 1);
    const LapDisplay lap = lapDisplayFor(passLog, courseTiming().courseType);
    if (passLog.passCount != logged_ && lap.hasLap) {
        std::snprintf(line + head, sizeof line - static_cast<size_t>(head), " laps %d lap_ms %u time %s",
                      static_cast<int>(lap.laps), static_cast<unsigned>(lap.lapMs),
                      formatDuration(lap.lapMs, ":").c_str());
    }
    logged_ = passLog.passCount;
    // One call per line: the main thread prints on the same stream, and a
    // line split over several calls could be interleaved with its output.
    std::fprintf(out_, "%s\n", line);
    std::fflush(out_);
}
