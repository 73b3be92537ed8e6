#include "capture/timing/pass_replay.h"

#include <atomic>
#include <cstdio>

#include "capture/gps/capture_sink.h"
#include "capture/gps/fix_completion.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "capture/gps/reader_hooks.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/course.h"
#include "capture/timing/lap_timing.h"
#include "capture/timing/pass_time_option.h"
#include "common/record_io.h"
#include "platform/tick.h"

namespace {

std::atomic<uint32_t> replayTickMs{0};
uint32_t replayTick() { return replayTickMs.load(std::memory_order_relaxed); }

// Collects the counted passes; everything else a sink would show is dropped.
class PassCollector : public CaptureSink {
public:
    explicit PassCollector(std::vector<ReplayPass>& passes) : passes_(passes) {}
    void passCounted(int point, uint32_t tickMs) override { passes_.push_back({point, tickMs, fixIndex}); }
    size_t fixIndex = 0;

private:
    std::vector<ReplayPass>& passes_;
};

// Every process-wide record the replay uses, taken on construction and put
// back on destruction. The geodesy's driven segment is forgotten rather than
// restored: the next measurement starts its own.
class BorrowedTimingState {
public:
    BorrowedTimingState()
        : settings_(captureSettings), interpolate_(interpolatePassTime), course_(currentCourse()),
          sink_(&captureSink()), tickSource_(platform::installedTickSource()), log_(passLog),
          legArmed_(legArmed), returnLeg_(returnLeg), lapMark_(lapMarkPending.load()),
          beacon_(beaconPulsePending.load()), request_(registerPointRequest.exchange(0)),
          fixReceived_(gpsFix.fixReceived.load()), position_(gpsFix.position), previous_(previousFix),
          noPrevious_(noPreviousFix) {
        for (int i = 0; i < 2; ++i) {
            inside_[i] = insidePoint[i];
            hold_[i] = passHoldUntil[i];
            distance_[i] = pointDistance[i];
            segment_[i] = pointSegmentDistance[i];
        }
    }
    ~BorrowedTimingState() {
        platform::setTickSourceForTests(tickSource_);
        setCaptureSink(sink_);
        captureSettings = settings_;
        interpolatePassTime = interpolate_;
        publishSettings();
        replaceCourse(course_);
        resetLapTimingState();
        passLog = log_;
        legArmed = legArmed_;
        returnLeg = returnLeg_;
        lapMarkPending.store(lapMark_);
        beaconPulsePending.store(beacon_);
        registerPointRequest.store(request_);
        notePositionWithoutFix();
        gpsFix.fixReceived.store(fixReceived_);
        gpsFix.position = position_;
        publishPosition(position_);
        resetGeodesyState();
        previousFix = previous_;
        noPreviousFix = noPrevious_;
        for (int i = 0; i < 2; ++i) {
            insidePoint[i] = inside_[i];
            passHoldUntil[i] = hold_[i];
            pointDistance[i] = distance_[i];
            pointSegmentDistance[i] = segment_[i];
        }
    }
    BorrowedTimingState(const BorrowedTimingState&) = delete;
    BorrowedTimingState& operator=(const BorrowedTimingState&) = delete;

private:
    CaptureSettings settings_;
    int32_t interpolate_;
    Course course_;
    CaptureSink* sink_;
    platform::TickSource tickSource_;
    PassLog log_;
    int32_t legArmed_, returnLeg_, lapMark_, beacon_, request_, fixReceived_;
    GeoPoint position_, previous_;
    int32_t noPrevious_;
    int32_t inside_[2] = {};
    uint32_t hold_[2] = {};
    double distance_[2] = {}, segment_[2] = {};
};

Course placedCourse(const Course& course) {
    Course placed = course;
    if (placed.pointCount < 0) placed.pointCount = 0;
    if (placed.pointCount > COURSE_MAX_POINTS) placed.pointCount = COURSE_MAX_POINTS;
    for (int i = 0; i < placed.pointCount; ++i) toGeocentric(placed.points[i], placed.courseDatum);
    return placed;
}

// A fresh measurement under `options`: no distances, no pass, no hold.
void startReplay(const Course& course, const ReplayOptions& options) {
    captureSettings.pointOffset = options.radiusM;
    captureSettings.flashOnPass = 0;
    captureSettings.motecLapSync = 0;
    captureSettings.datum = options.datum >= 0 ? options.datum : course.courseDatum;
    interpolatePassTime = options.interpolate ? 1 : 0;
    publishSettings();
    replaceCourse(course);
    resetGeodesyState();
    resetLapTimingState();
    clearPassLog();
    lapMarkPending.store(0);
    beaconPulsePending.store(0);
    gpsFix.position = GeoPoint{};
}

// One fix as the reader handles it: position in, fix completion, lap check.
void feedFix(const ReplayFix& fix) {
    replayTickMs.store(fix.tickMs, std::memory_order_relaxed);
    if (fix.latitude != 0.0 && fix.longitude != 0.0) {
        gpsFix.position.latitude = fix.latitude;
        gpsFix.position.longitude = fix.longitude;
        gpsFix.position.altitude = fix.altitude;
        notePositionReceived();
        completeFix(FixVariant::Gga);
    }
    checkPointPasses();
}

LogSample sampleOf(const ReplayFix& fix, int32_t lapMark) {
    LogSample sample;
    sample.tick = fix.tickMs;
    sample.latitude = fix.latitude;
    sample.longitude = fix.longitude;
    sample.altitude = fix.altitude;
    sample.lapMark = lapMark;
    return sample;
}

}  // namespace

ReplayResult replayPasses(const std::vector<ReplayFix>& fixes, const Course& course,
                          const ReplayOptions& options) {
    ReplayResult result;
    result.samples.reserve(fixes.size());
    const Course placed = placedCourse(course);
    BorrowedTimingState borrowed;
    PassCollector collector(result.passes);
    setCaptureSink(&collector);
    platform::setTickSourceForTests(replayTick);
    startReplay(placed, options);
    for (size_t k = 0; k < fixes.size(); ++k) {
        collector.fixIndex = k;
        feedFix(fixes[k]);
        // The recorder's rule: a pending mark goes into the next sample taken.
        result.samples.push_back(sampleOf(fixes[k], lapMarkPending.exchange(0) != 0 ? 1 : 0));
    }
    result.passLog = passLog;
    return result;
}

DriveLogContent buildDriveLog(const ReplayResult& result, const Course& course) {
    DriveLogContent image;
    image.samples = result.samples;
    image.passLog = result.passLog;
    image.course = course;
    return image;
}

FileWriteResult writeDriveLogContent(const std::string& path, const DriveLogContent& image) {
    if (image.samples.empty()) return {FileWriteStatus::FAILED, path + ": a drive log needs at least one sample"};
    const int32_t count = static_cast<int32_t>(image.samples.size());
    const uint8_t trailer[4] = {0, 0, 0, 0};
    return writeFileAtomically(path, [&](std::FILE* file) {
        return writeRecord(file, count) && writeRecords(file, image.samples.data(), image.samples.size()) &&
               writeRecord(file, image.passLog) && writeRecord(file, image.course) && writeRecord(file, trailer);
    });
}

namespace {

long fileSize(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long size = std::ftell(file);
    if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
    return size;
}

bool readImage(std::FILE* file, DriveLogContent& image, std::string& error) {
    const long size = fileSize(file);
    int32_t n = 0;
    if (size < 4 || readRecord(file, n) != sizeof n) return error = "damaged: no sample count", false;
    if (n <= 0) return error = "damaged: the sample count is not positive", false;
    if ((size - 4) / long(sizeof(LogSample)) < long(n)) {
        return error = "damaged: the file is shorter than its sample count", false;
    }
    image.samples.resize(static_cast<size_t>(n));
    if (readRecords(file, image.samples.data(), image.samples.size()) != sizeof(LogSample) * image.samples.size()) {
        return error = "damaged: cannot read the samples", false;
    }
    image.passLog = PassLog{};
    readRecord(file, image.passLog);
    image.course = Course{};
    readRecord(file, image.course);
    return true;
}

}  // namespace

bool readDriveLogContent(const std::string& path, DriveLogContent& image, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot open";
        return false;
    }
    const bool ok = readImage(file, image, error);
    std::fclose(file);
    return ok;
}

std::vector<ReplayFix> fixesFromSamples(const std::vector<LogSample>& samples) {
    std::vector<ReplayFix> fixes;
    fixes.reserve(samples.size());
    for (const LogSample& s : samples) fixes.push_back({s.tick, s.latitude, s.longitude, s.altitude});
    return fixes;
}
