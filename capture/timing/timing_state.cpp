#include "capture/timing/timing_state.h"

#include "capture/gps/reader_hooks.h"
#include "capture/timing/beacon.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/command_states.h"
#include "capture/timing/course.h"
#include "capture/timing/drive_log_writer.h"
#include "capture/timing/flash_cue.h"
#include "capture/timing/lap_timing.h"
#include "capture/timing/measurement.h"
#include "capture/timing/recorder.h"

namespace {

// A registration the course refuses (a third point) is dropped: the command
// states keep Add point disabled once the course is full.
void registerPointHook(const GeoPoint& fix, int32_t datumCode) { registerPoint(fix, datumCode); }

}  // namespace

void installTimingHooks() {
    ReaderHooks hooks;
    hooks.checkPointPasses = checkPointPasses;
    hooks.pollFlash = pollFlash;
    hooks.registerPoint = registerPointHook;
    setReaderHooks(hooks);
}

void resetTimingState() {
    resetCourse();
    courseModified = 0;
    resetLapTimingState();
    clearPassLog();
    lapMarkPending = 0;
    beaconPulsePending = 0;
    flashVisible = 0;
    flashStartTick = 0;
    freeSampleBuffer();
    sampleCount = 0;
    recording = 0;
    recorderStop = 0;
    logFileCounter = 0;
    dropHeldRun();
    setDriveLogDirectory("");
    beaconPort = closedSerialPort("COM2", 9600);
    beaconStop = 0;
    motecRunning = 0;
    beaconPulseCount = 0;
    applyDefaultSettings();
}
