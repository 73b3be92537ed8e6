// Loading and analysing drive logs: 24 000 samples (two hours at 300 ms) and
// 1 000 000 samples, each written to a temporary file first.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "common/records.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/view_state.h"

namespace {

// A car circling a 2.1 km loop at about 90 km/h, a sample every 300 ms, with
// a mark at every pass and some noise so corners and rejections occur.
std::string writeCircuitLog(int sampleCount) {
    std::vector<LogSample> samples(static_cast<size_t>(sampleCount));
    const int samplesPerLap = 280;
    for (int i = 0; i < sampleCount; ++i) {
        const double a = 2.0 * M_PI * (i % samplesPerLap) / samplesPerLap;
        LogSample& s = samples[static_cast<size_t>(i)];
        s.tick = 1000u + 300u * static_cast<uint32_t>(i);
        s.latitude = 43.8 + 0.003 * std::sin(a) + 1e-6 * ((i * 7919) % 13);
        s.longitude = -88.0 + 0.004 * std::cos(a) * (1.0 + 0.2 * std::sin(3 * a));
        s.altitude = 280.0 + 10.0 * std::sin(2 * a);
        s.lapMark = i > 0 && i % samplesPerLap == 0 ? 1 : 0;
    }
    PassLog passLog;
    passLog.passCount = 100;
    Course course;
    course.courseType = COURSE_LOOP;
    char path[] = "/tmp/analysis-bench-XXXXXX";
    const int fd = mkstemp(path);
    std::FILE* file = fdopen(fd, "wb");
    const int32_t n = sampleCount;
    std::fwrite(&n, sizeof n, 1, file);
    std::fwrite(samples.data(), sizeof(LogSample), samples.size(), file);
    std::fwrite(&passLog, sizeof passLog, 1, file);
    std::fwrite(&course, sizeof course, 1, file);
    std::fclose(file);
    return path;
}

size_t modelBytes() {
    const DriveModel& m = driveModel;
    return m.samples.capacity() * sizeof(LogSample) + m.points.capacity() * sizeof(TrackPoint) +
           m.cornerMarks.capacity() * sizeof(int32_t) + m.turnAngles.capacity() * sizeof(double);
}

void loadAndAnalyse(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::string path = writeCircuitLog(n);
    setViewStateDefaults();
    for (auto _ : state) {
        if (loadDriveLog(path) != LOAD_OK) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(driveModel.laps[0].distanceKm);
    }
    // Time per load is the Time column (ms); samples per second shows linearity.
    state.counters["samples_per_s"] = benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["bytes_per_sample"] = static_cast<double>(modelBytes()) / n;
    state.counters["laps"] = driveModel.lapCount;
    std::remove(path.c_str());
}

BENCHMARK(loadAndAnalyse)->Arg(24000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
