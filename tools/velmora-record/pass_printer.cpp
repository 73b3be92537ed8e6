#include "tools/velmora-record/pass_printer.h"

#include "capture/gps/receiver_watch.h"
#include "capture/timing/course.h"
#include "capture/timing/lap_timing.h"
#include "common/duration.h"
#include "platform/tick.h"

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

// The status field is written by the reader thread only.
void PassPrinter::setPanelText(int controlId, std::string_view utf8) {
    if (controlId != PANEL_STATUS) return;
    const bool lost = utf8 == RECEIVER_LOST_TEXT;
    if (lost == lost_) return;
    lost_ = lost;
    std::fprintf(out_, "receiver %s tick %u\n", lost ? "lost" : "back",
                 static_cast<unsigned>(platform::GetTickCount()));
    std::fflush(out_);
}
