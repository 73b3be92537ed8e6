#include "capture/timing/measurement.h"

#include <cerrno>
#include <cstdlib>

#include "capture/gps/capture_sink.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/gps_reader.h"
#include "capture/gps/gps_state.h"
#include "capture/timing/beacon.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/command_states.h"
#include "capture/timing/course.h"
#include "capture/timing/drive_log_writer.h"
#include "capture/timing/flash_cue.h"
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

// The run kept after its drive log failed, with the course it was measured on.
bool runHeld = false;
Course heldCourse;

DriveLogResult stopWorkers() {
    closeGpsPort();
    hideFlash();  // the reader is gone: nothing else would ever hide it
    if (beaconOpened || captureSettings.motecLapSync != 0) closeBeaconPort();
    beaconOpened = false;
    const Course measured = currentCourse();
    DriveLogResult log = stopRecording();
    if (log.status == DRIVE_LOG_FAILED) {
        runHeld = true;
        heldCourse = measured;
    }
    return log;
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
    if (openGpsPort() != 0) {
        const int reason = errno;
        return {START_GPS_PORT_FAILED, portError("GPS", gpsPort), reason, ""};
    }
    if (captureSettings.motecLapSync != 0) {
        if (openBeaconPort() != 0) {
            const int reason = errno;
            StartOutcome failed{START_BEACON_PORT_FAILED, portError("MoTeC beacon", beaconPort), reason, ""};
            closeGpsPort();
            return failed;
        }
        beaconOpened = true;
    }
    const RecorderStart recorder = startRecordingWithReason();
    if (recorder.status != 0) {
        stopWorkers();
        return {START_RECORDER_FAILED, "cannot start the recorder: " + recorder.error, 0, ""};
    }
    captureSink().playCue(CUE_START);
    StartOutcome started;
    started.logFolderProblem = driveLogFolderProblem();
    return started;
}

}  // namespace

StartOutcome startMeasuringWithReason() {
    // Start is for idle only: a second start would clear the running
    // measurement's pass log and tear down its reader.
    if (readerRunning.load() != 0 || recording.load() != 0) return {};
    // A start clears the samples and the pass log the held run still needs.
    if (runHeld) return {START_UNWRITTEN_RUN, "the drive log of the last run is not written yet", 0, ""};
    const StartOutcome outcome = startWorkers();
    showLapDisplay();
    return outcome;
}

StartResult startMeasuring() { return startMeasuringWithReason().result; }

std::string portFailureReason(int portErrno) {
    switch (portErrno) {
    case EBUSY:
    case EAGAIN:
        return "ポートは他のプログラムが使用中です。";
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "ポートの装置が見つかりません（受信機の接続とポート名を確かめてください）。";
    case EACCES:
    case EPERM:
        return "ポートを開く権限がありません（sudo adduser $USER dialout のあと、ログインし直してください）。";
    case EINVAL:
        return "ポートが通信設定（速度・データビット・パリティ・ストップビット）を受け付けません。";
    case ENOTTY:
        return "シリアルポートではありません。";
    default:
        return portErrno != 0 ? systemErrorText(portErrno) : std::string();
    }
}

bool unwrittenRunHeld() { return runHeld; }

DriveLogResult writeHeldRun() {
    if (!runHeld) return {};
    DriveLogResult log = writeDriveLog(heldCourse);
    if (log.status != DRIVE_LOG_FAILED) {
        runHeld = false;
        logFileCounter += 1;  // as after a stop that wrote at once
    }
    return log;
}

void dropHeldRun() { runHeld = false; }

DriveLogResult writeHeldRunToFallback() {
    DriveLogResult log;
    for (const char* variable : {"HOME", "TMPDIR", ""}) {
        const char* value = *variable != '\0' ? std::getenv(variable) : "/tmp";
        if (value == nullptr || *value == '\0') continue;
        setDriveLogDirectory(value);
        log = writeHeldRun();
        if (log.status != DRIVE_LOG_FAILED) return log;
    }
    return log;
}

std::string noDriveLogReason() {
    return sampleCount.load() == 0 ? "no sample was recorded" : "no pass was counted";
}

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
