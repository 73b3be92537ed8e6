#include "capture/timing/measurement.h"

#include <cerrno>

#include "capture/gps/capture_sink.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/gps_reader.h"
#include "capture/gps/gps_state.h"
#include "capture/timing/beacon.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/command_states.h"
#include "capture/timing/course.h"
#include "capture/timing/lap_timing.h"
#include "capture/timing/timing_state.h"
#include "common/error_text.h"
#include "common/sjis.h"

namespace {

constexpr int CUE_START = 0;
constexpr int CUE_STOP = 1;

// Whether this measurement opened the beacon, so that stop closes exactly
// what start opened even if the option changes in between.
bool beaconOpened = false;

DriveLogResult stopWorkers() {
    closeGpsPort();
    if (beaconOpened || captureSettings.motecLapSync != 0) closeBeaconPort();
    beaconOpened = false;
    return stopRecording();
}

// "cannot open the ... port NAME: reason", taken right after the failed open
// so that no later call replaces the reason.
std::string portError(const char* which, const SerialPort& port) {
    const int reason = errno;
    return std::string("cannot open the ") + which + " port " + sjisToUtf8(fixedText(port.portName)) +
           ": " + systemErrorText(reason);
}

StartOutcome startWorkers() {
    clearPassLog();
    // Flags left from the last run would mark a sample or pulse the beacon
    // without a pass of this one.
    lapMarkPending.store(0);
    beaconPulsePending.store(0);
    publishSettings();
    installTimingHooks();
    if (openGpsPort() != 0) return {START_GPS_PORT_FAILED, portError("GPS", gpsPort)};
    if (captureSettings.motecLapSync != 0) {
        if (openBeaconPort() != 0) {
            StartOutcome failed{START_BEACON_PORT_FAILED, portError("MoTeC beacon", beaconPort)};
            closeGpsPort();
            return failed;
        }
        beaconOpened = true;
    }
    const RecorderStart recorder = startRecordingWithReason();
    if (recorder.status != 0) {
        stopWorkers();
        return {START_RECORDER_FAILED, "cannot start the recorder: " + recorder.error};
    }
    captureSink().playCue(CUE_START);
    return {};
}

}  // namespace

StartOutcome startMeasuringWithReason() {
    // Start is for idle only: a second start would clear the running
    // measurement's pass log and tear down its reader.
    if (readerRunning.load() != 0 || recording.load() != 0) return {};
    const StartOutcome outcome = startWorkers();
    showLapDisplay();
    return outcome;
}

StartResult startMeasuring() { return startMeasuringWithReason().result; }

StopResult stopMeasuring() {
    StopResult result;
    result.driveLog = stopWorkers();
    legArmed = 0;
    returnLeg = 0;
    if (!courseIsComplete(currentCourse())) {
        clearCourse();  // shows the cleared points
        result.courseCleared = true;
    }
    resetLapTimingState();
    captureSink().playCue(CUE_STOP);
    return result;
}

StopResult newCourse() {
    StopResult result;
    result.driveLog = stopWorkers();
    forgetPointDistances();
    resetLapTimingState();
    clearCourse();
    courseModified = 0;
    result.courseCleared = true;
    return result;
}

bool requestPointRegistration() {
    if (readerRunning.load() == 0) return false;
    const Course course = currentCourse();
    if (course.pointCount >= courseCapacity(course)) return false;
    registerPointRequest.store(1);
    courseModified = 1;
    return true;
}

bool deleteLastPointCommand() {
    if (readerRunning.load() != 0 || !deleteLastPoint()) return false;
    resetLapTimingState();
    courseModified = 1;
    return true;
}

bool swapPointsCommand() {
    if (readerRunning.load() != 0 || !swapPoints()) return false;
    resetLapTimingState();
    courseModified = 1;
    return true;
}

bool changeCourseType(int32_t courseType) {
    if (readerRunning.load() == 0) return false;
    return setCourseType(courseType);
}
