#include "capture/timing/recorder.h"

#include <new>
#include <system_error>
#include <thread>

#include "capture/gps/gps_state.h"
#include "capture/timing/capture_settings.h"
#include "capture/timing/drive_log_writer.h"
#include "capture/timing/lap_timing.h"
#include "capture/timing/recording_journal.h"
#include "platform/tick.h"

int32_t maxSamples = 0;
LogSample* samples = nullptr;
std::atomic<int32_t> sampleCount{0};
std::atomic<int32_t> recording{0};
std::atomic<int32_t> recorderStop{0};
int32_t logFileCounter = 0;

namespace {

std::thread recorderThread;

// Samples one record. The lap mark is taken with an exchange: a pass the
// reader counts between reading and clearing the flag is not lost.
void takeSample(RecorderSchedule& schedule, uint32_t tickMs, int32_t periodMs) {
    const int32_t n = sampleCount.load();
    if (n >= maxSamples) return;  // full: the rest of the run is dropped silently
    const PositionTriple position = readPublishedPosition();
    LogSample& sample = samples[n];
    sample = LogSample{};
    sample.tick = tickMs;
    sample.latitude = position.latitude;
    sample.longitude = position.longitude;
    sample.altitude = position.altitude;
    sample.lapMark = lapMarkPending.exchange(0) != 0 ? 1 : 0;
    sampleCount.store(n + 1);
    // The schedule advances from the due time, not from now, so an early lap
    // sample takes the place of the next scheduled one.
    schedule.nextDueMs += static_cast<uint32_t>(periodMs);
    schedule.lastMarked = sample.lapMark;
}

void recorderLoop(int32_t periodMs) {
    RecorderSchedule schedule;
    schedule.periodMs = periodMs;
    while (recorderStop.load() == 0) {
        recorderStep(schedule);
        platform::sleepMs(1);
    }
}

}  // namespace

int32_t effectiveSamplingPeriodMs(int32_t samplingPeriodMs) {
    return samplingPeriodMs > 0 ? samplingPeriodMs : DEFAULT_SAMPLING_PERIOD_MS;
}

namespace {

// The capacity the settings ask for, before the ceiling; negative seconds ask for none.
double requestedCapacity(int32_t samplingPeriodMs, int32_t maxRecordingSeconds) {
    const double period = effectiveSamplingPeriodMs(samplingPeriodMs);
    return (1000.0 / period) * maxRecordingSeconds;
}

}  // namespace

int32_t computeMaxSamples(int32_t samplingPeriodMs, int32_t maxRecordingSeconds) {
    const double capacity = requestedCapacity(samplingPeriodMs, maxRecordingSeconds);
    if (!(capacity >= MIN_SAMPLE_CAPACITY)) return MIN_SAMPLE_CAPACITY;
    if (capacity >= MAX_SAMPLE_CAPACITY) return MAX_SAMPLE_CAPACITY;
    return static_cast<int32_t>(capacity);
}

int allocateSampleBuffer() { return allocateSampleBufferWithMessage().status; }

SampleBufferResult allocateSampleBufferWithMessage() {
    freeSampleBuffer();
    const int32_t period = captureSettings.samplingPeriodMs;
    const int32_t seconds = captureSettings.maxRecordingSeconds;
    const int32_t wanted = computeMaxSamples(period, seconds);
    int32_t capacity = wanted;
    while (capacity >= MIN_SAMPLE_CAPACITY) {
        samples = new (std::nothrow) LogSample[static_cast<size_t>(capacity)];
        if (samples != nullptr) break;
        capacity /= 2;
    }
    if (samples == nullptr) {
        return {2, "There is not enough memory for the drive log: measuring cannot be recorded."};
    }
    maxSamples = capacity;
    std::string message;
    if (period <= 0) {
        message = "The sampling period must be more than 0 ms: " +
                  std::to_string(DEFAULT_SAMPLING_PERIOD_MS) + " ms is used instead.";
    }
    const double asked = requestedCapacity(period, seconds);
    if (capacity < wanted || asked > MAX_SAMPLE_CAPACITY) {
        const int32_t periodMs = effectiveSamplingPeriodMs(period);
        const int64_t fitSeconds = static_cast<int64_t>(capacity) * periodMs / 1000;
        if (!message.empty()) message += ' ';
        message += "The drive log can hold only " + std::to_string(capacity) +
                   " samples (about " + std::to_string(fitSeconds) +
                   " s at this sampling period); recording stops there.";
    }
    return {0, message};
}

void freeSampleBuffer() {
    delete[] samples;
    samples = nullptr;
    maxSamples = 0;
}

void recorderStep(RecorderSchedule& schedule) {
    if (gpsFix.fixReceived.load() == 0) return;
    const int32_t periodMs = schedule.periodMs > 0
                                 ? schedule.periodMs
                                 : effectiveSamplingPeriodMs(captureSettings.samplingPeriodMs);
    const uint32_t now = platform::GetTickCount();
    if (fixLost.load() != 0) {
        // No fix for a while (receiver lost or no satellites): a gap in the
        // ticks, not the frozen position again and again. The schedule starts
        // afresh with the first fix back.
        schedule.nextDueMs = now;
        return;
    }
    if (sampleCount.load() == 0) {
        // The first sample never carries a mark: a pending pass goes into the next one.
        if (maxSamples < 1) return;
        const PositionTriple position = readPublishedPosition();
        samples[0] = LogSample{};
        samples[0].tick = now;
        samples[0].latitude = position.latitude;
        samples[0].longitude = position.longitude;
        samples[0].altitude = position.altitude;
        sampleCount.store(1);
        schedule.nextDueMs = now + static_cast<uint32_t>(periodMs);
        schedule.lastMarked = 0;
        return;
    }
    // Modulo 2^32, so the schedule carries on across the tick wrapping.
    const bool due = static_cast<int32_t>(now - schedule.nextDueMs) >= 0;
    if (!due && !(lapMarkPending.load() != 0 && schedule.lastMarked == 0)) return;
    takeSample(schedule, now, periodMs);
}

int startRecording() { return startRecordingWithReason().status; }

RecorderStart startRecordingWithReason() {
    if (recording.load() != 0) return {1, "the recorder is already running"};
    sampleCount.store(0);
    if (samples == nullptr || maxSamples < 1) return {1, "no sample buffer"};
    recorderStop.store(0);
    const int32_t periodMs = effectiveSamplingPeriodMs(captureSettings.samplingPeriodMs);
    try {
        recorderThread = std::thread(recorderLoop, periodMs);
    } catch (const std::system_error& e) {
        return {1, std::string("no recorder thread: ") + e.what()};
    }
    recording.store(1);
    startRecordingJournal(periodMs);  // without one the run goes on as before (recordingJournalError)
    return {};
}

DriveLogResult stopRecording() {
    recorderStop.store(1);
    if (recording.load() == 0) return {};
    recording.store(0);
    if (recorderThread.joinable()) recorderThread.join();
    stopRecordingJournal();
    if (sampleCount.load() == 0) {
        discardRecordingJournal();
        return {};
    }
    DriveLogResult result = writeDriveLog();  // a written log removes the journal
    if (result.status == DRIVE_LOG_NOTHING) discardRecordingJournal();
    logFileCounter += 1;
    return result;
}
