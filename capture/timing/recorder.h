// The drive recorder: samples the live fix at a fixed period into a buffer
// allocated once, marks the samples at counted passes, and hands everything
// to the drive log writer when it stops. While the fix is stale (fixLost) it
// takes no sample, so a lost receiver leaves a gap in the ticks; while it
// runs, the recording journal keeps a crash-safe copy (recording_journal.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "common/records.h"

// A period of 0 ms or less cannot be sampled: it falls back to the default
// period. Every positive period is kept as it stands (5 ms x 7200 s gives its
// full 1 440 000 samples). The capacity is held to 1..10 000 000 samples
// (about 400 MB), and a request the machine cannot allocate is halved.
constexpr int32_t DEFAULT_SAMPLING_PERIOD_MS = 1000;
constexpr int32_t MIN_SAMPLE_CAPACITY = 1;
constexpr int32_t MAX_SAMPLE_CAPACITY = 10'000'000;

// samplingPeriodMs, or DEFAULT_SAMPLING_PERIOD_MS where it is 0 or less.
int32_t effectiveSamplingPeriodMs(int32_t samplingPeriodMs);
// truncate(1000.0 / period x seconds) with the effective period, held to
// MIN..MAX_SAMPLE_CAPACITY (7200 with the defaults).
int32_t computeMaxSamples(int32_t samplingPeriodMs, int32_t maxRecordingSeconds);

extern int32_t maxSamples;               // capacity of the buffer; 0 while none is allocated
extern LogSample* samples;               // the buffer, maxSamples records
extern std::atomic<int32_t> sampleCount; // samples of the current or last measurement
extern std::atomic<int32_t> recording;   // 1 from a started recorder to its stop
extern std::atomic<int32_t> recorderStop;
extern int32_t logFileCounter;           // number part of the next drive log name

// Allocates the buffer from the current settings (start-up). When the
// capacity cannot be had the request is halved until it can. 0 allocated,
// 2 out of memory (no buffer; the recorder will not start).
int allocateSampleBuffer();
struct SampleBufferResult {
    int status = 0;       // as allocateSampleBuffer
    std::string message;  // for the user when the settings could not be followed
                          // as they stand (a period replaced, a capacity reduced,
                          // no buffer at all); empty otherwise
};
SampleBufferResult allocateSampleBufferWithMessage();
void freeSampleBuffer();

// Resets sampleCount and starts the recorder thread with the sampling period
// of the settings at this moment (a settings dialog during the run does not
// reach the running recorder). 0 started, 1 not (no buffer, or no thread):
// recording stays 0.
int startRecording();
struct RecorderStart {
    int status = 0;     // as startRecording
    std::string error;  // "no sample buffer", "no recorder thread: reason"
};
RecorderStart startRecordingWithReason();

enum DriveLogStatus : int {
    DRIVE_LOG_WRITTEN = 0,
    DRIVE_LOG_FAILED = 1,
    DRIVE_LOG_NOTHING = -1,  // no sample or no counted pass: no file, by design
};
struct DriveLogResult {
    int status = DRIVE_LOG_NOTHING;  // DriveLogStatus
    std::string path;                // the file written, or the name that failed
    std::string error;               // reason of a failure
};

// Stops the recorder thread and, when it holds samples, writes the drive log
// and advances logFileCounter. Call after the GPS reader has stopped. The
// run's journal is removed unless the drive log failed: then it stays until a
// later writeDriveLog succeeds or discardRecordingJournal drops the run.
DriveLogResult stopRecording();

// One step of the recorder's schedule; the thread calls it every millisecond.
// Exposed so that tests can drive the schedule with a replaced tick source.
struct RecorderSchedule {
    uint32_t nextDueMs = 0;  // tick of the next scheduled sample
    int32_t lastMarked = 0;  // lap mark of the last sample taken
    int32_t periodMs = 0;    // ms between samples; 0 takes the settings' period at each step
};
void recorderStep(RecorderSchedule& schedule);
