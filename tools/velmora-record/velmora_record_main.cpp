// velmora-record: the capture core without a window. Loads a course, measures
// until SIGINT or SIGTERM, then writes the drive log like the capture program.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "capture/timing/beacon.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/course.h"
#include "capture/timing/drive_log_writer.h"
#include "capture/timing/measurement.h"
#include "common/sjis.h"
#include "tools/velmora-record/pass_printer.h"
#include "capture/timing/pass_time_option.h"
#include "tools/velmora-record/record_options.h"

namespace {

int stopPipe[2] = {-1, -1};

// Only async-signal-safe work here: one byte into the pipe the main thread waits on.
void onStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t ignored = ::write(stopPipe[1], &byte, 1);
    errno = saved;
}

bool installStopSignals() {
    if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    std::signal(SIGPIPE, SIG_IGN);
    return ::sigaction(SIGINT, &action, nullptr) == 0 && ::sigaction(SIGTERM, &action, nullptr) == 0;
}

void waitForStopSignal() {
    pollfd p{stopPipe[0], POLLIN, 0};
    while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
}

void applyOverrides(const RecordOptions& o) {
    if (o.port) std::snprintf(gpsPort.portName, sizeof gpsPort.portName, "%s", o.port->c_str());
    if (o.baudRate) gpsPort.baudRate = *o.baudRate;
    if (o.samplingPeriodMs) captureSettings.samplingPeriodMs = *o.samplingPeriodMs;
    if (o.radiusM) captureSettings.pointOffset = *o.radiusM;
    if (o.interpolate) interpolatePassTime = 1;
    if (o.binary) {
        binaryReceiver = captureSettings.binaryReceiver = 1;
        // The binary receiver talks at 9600, as ticking it in the port dialog sets.
        if (!o.baudRate) gpsPort.baudRate = 9600;
    }
    if (o.logDirectory) setDriveLogDirectory(*o.logDirectory);
}

void warnIfIncomplete() {
    const Course course = currentCourse();
    if (courseIsComplete(course)) return;
    std::fprintf(stderr,
                 "velmora-record: warning: the course holds %d point(s) but its type %d needs %d;"
                 " it is timed as it is\n",
                 static_cast<int>(course.pointCount), static_cast<int>(course.courseType),
                 courseCapacity(course));
}

int reportDriveLog(const DriveLogResult& log) {
    switch (log.status) {
        case DRIVE_LOG_WRITTEN:
            std::printf("log: %s\n", log.path.c_str());
            return 0;
        case DRIVE_LOG_FAILED:
            std::printf("log: -\n");
            std::fprintf(stderr, "velmora-record: drive log not written: %s\n", log.error.c_str());
            return 1;
        default:
            std::printf("log: -\n");
            std::fprintf(stderr, "velmora-record: no drive log (no sample or no counted pass)\n");
            return 0;
    }
}

// Builds the course from the command line's points and saves it.
int makeCourse(const RecordOptions& o) {
    const std::string& path = o.coursePath;
    const std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : "";
    if (tail != ".gps" && tail != ".GPS") {
        // The capture program would refuse to load it.
        std::fprintf(stderr, "velmora-record: a course file name ends in .gps or .GPS: %s\n", path.c_str());
        return 2;
    }
    const bool ascii = std::all_of(o.courseName.begin(), o.courseName.end(),
                                   [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
    if (!ascii && !sjisConversionAvailable()) {
        std::fprintf(stderr, "velmora-record: cannot write course file %s: %s\n", path.c_str(), SJIS_UNAVAILABLE);
        return 1;
    }
    Course course;
    for (const RecordOptions::LatLon& p : o.points) {
        GeoPoint& point = course.points[course.pointCount++];
        point.latitude = p.latitude;
        point.longitude = p.longitude;
        toGeocentric(point, 0);
    }
    course.courseType = o.courseType;
    const std::string name = utf8ToSjis(o.courseName);
    std::snprintf(course.name, sizeof course.name, "%s", name.c_str());
    replaceCourse(course);
    const FileWriteResult saved = saveCourse(o.coursePath.c_str());
    if (saved.status != FileWriteStatus::WRITTEN) {
        std::fprintf(stderr, "velmora-record: %s\n", saved.error.c_str());
        return 1;
    }
    std::printf("course: %s\n", o.coursePath.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = parseRecordOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "velmora-record: %s\n%s", parsed.error.c_str(), RECORD_USAGE);
        return 2;
    }
    if (parsed.options.help) {
        std::fputs(RECORD_USAGE, stdout);
        return 0;
    }
    if (parsed.options.makeCourse) return makeCourse(parsed.options);
    applyDefaultSettings();
    loadSettings();  // a missing file keeps the defaults
    loadPassTimeOption();
    applyOverrides(parsed.options);
    if (loadCourse(parsed.options.coursePath.c_str()) != 0) {
        std::fprintf(stderr, "velmora-record: cannot read course file %s (a .gps or .GPS file)\n",
                     parsed.options.coursePath.c_str());
        return 1;
    }
    warnIfIncomplete();
    // A period or capacity the settings could not have as they stand is said,
    // not silently replaced.
    const SampleBufferResult buffer = allocateSampleBufferWithMessage();
    if (!buffer.message.empty()) std::fprintf(stderr, "velmora-record: %s\n", buffer.message.c_str());
    if (buffer.status != 0) {
        std::fprintf(stderr, "velmora-record: out of memory for the sample buffer\n");
        return 1;
    }
    if (!installStopSignals()) {
        std::fprintf(stderr, "velmora-record: no signal handling\n");
        return 1;
    }
    PassPrinter printer(stdout);
    setCaptureSink(&printer);
    const StartOutcome started = startMeasuringWithReason();
    if (started.result != START_OK) {
        setCaptureSink(nullptr);
        std::fprintf(stderr, "velmora-record: %s\n", started.error.c_str());
        return 1;
    }
    std::printf("start port %s course %s\n", gpsPort.portName,
                sjisToUtf8(fixedText(currentCourse().name)).c_str());
    std::fflush(stdout);
    waitForStopSignal();
    const StopResult stopped = stopMeasuring();
    setCaptureSink(nullptr);
    const int status = reportDriveLog(stopped.driveLog);
    std::fflush(stdout);
    freeSampleBuffer();
    return status;
}
