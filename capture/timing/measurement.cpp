#include "capture/timing/measurement.h"

#include "capture/gps/capture_sink.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/gps_reader.h"
#include "capture/gps/gps_state.h"
#include "capture/timing/beacon.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/course.h"
#include "capture/timing/lap_timing.h"

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

void forgetDistances() {
    pointDistance[0] = pointDistance[1] = -1.0;
    pointSegmentDistance[0] = pointSegmentDistance[1] = -1.0;
}

StartResult startWorkers() {
    clearPassLog();
    // Flags left from the last run would mark a sample or pulse the beacon
    // without a pass of this one.
    lapMarkPending.store(0);
    beaconPulsePending.store(0);
    if (openGpsPort() != 0) return START_GPS_PORT_FAILED;
    if (captureSettings.motecLapSync != 0) {
        if (openBeaconPort() != 0) {
            closeGpsPort();
            return START_BEACON_PORT_FAILED;
        }
        beaconOpened = true;
    }
    if (startRecording() != 0) {
        stopWorkers();
        return START_RECORDER_FAILED;
    }
    captureSink().playCue(CUE_START);
    return START_OK;
}

}  // namespace

StartResult startMeasuring() {
    // Start is for idle only: a second start would clear the running
    // measurement's pass log and tear down its reader.
    if (readerRunning.load() != 0 || recording.load() != 0) return START_OK;
    const StartResult result = startWorkers();
    showLapDisplay();
    captureSink().refreshCommandStates();
    return result;
}

StopResult stopMeasuring() {
    StopResult result;
    result.driveLog = stopWorkers();
    legArmed = 0;
    returnLeg = 0;
    if (!courseIsComplete(course)) {
        clearCourse();
        result.courseCleared = true;
        captureSink().showCoursePoints();
    }
    resetLapTimingState();
    captureSink().refreshCommandStates();
    captureSink().playCue(CUE_STOP);
    return result;
}

StopResult newCourse() {
    StopResult result;
    result.driveLog = stopWorkers();
    forgetDistances();
    resetLapTimingState();
    clearCourse();
    result.courseCleared = true;
    captureSink().showCoursePoints();
    captureSink().refreshCommandStates();
    return result;
}

bool requestPointRegistration() {
    if (readerRunning.load() == 0) return false;
    if (course.pointCount >= courseCapacity(course)) return false;
    registerPointRequest.store(1);
    captureSink().refreshCommandStates();
    return true;
}

bool deleteLastPointCommand() {
    if (readerRunning.load() != 0 || !deleteLastPoint()) return false;
    resetLapTimingState();
    captureSink().showCoursePoints();
    captureSink().refreshCommandStates();
    return true;
}

bool swapPointsCommand() {
    if (readerRunning.load() != 0 || !swapPoints()) return false;
    resetLapTimingState();
    captureSink().showCoursePoints();
    captureSink().refreshCommandStates();
    return true;
}

bool changeCourseType(int32_t courseType) {
    if (readerRunning.load() == 0) return false;
    if (courseType == COURSE_LOOP && course.pointCount == 2) return false;
    course.courseType = courseType;
    captureSink().refreshCommandStates();
    return true;
}
