// Share of a core the recording journal takes while a run is sampled at
// 10 Hz: the journal thread appends and syncs once a second. Reported as the
// counter core_percent (the process's CPU time over the wall time; the
// stand-in recorder only stores a sample every 100 ms). It must stay under 1.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "capture/timing/capture_settings.h"
#include "capture/timing/drive_log_writer.h"
#include "capture/timing/recorder.h"
#include "capture/timing/recording_journal.h"

namespace {

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

void BM_JournalCoreShareAt10Hz(benchmark::State& state) {
    char folder[] = "/tmp/velmora-journal-bench-XXXXXX";
    if (::mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    setDriveLogDirectory(folder);
    captureSettings.samplingPeriodMs = 100;
    allocateSampleBuffer();
    const int seconds = static_cast<int>(state.range(0));
    for (auto _ : state) {
        sampleCount.store(0);
        startRecordingJournal(100);
        const double cpuBefore = cpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < seconds * 10; ++i) {
            samples[i] = LogSample{};
            samples[i].tick = static_cast<uint32_t>(i * 100);
            samples[i].latitude = 35.0 + i * 1e-6;
            sampleCount.store(i + 1);
            std::this_thread::sleep_until(start + std::chrono::milliseconds(100 * (i + 1)));
        }
        const double cpu = cpuSeconds() - cpuBefore;
        discardRecordingJournal();
        state.counters["core_percent"] = 100.0 * cpu / seconds;
    }
    freeSampleBuffer();
    setDriveLogDirectory("");
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_JournalCoreShareAt10Hz)->Arg(10)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
