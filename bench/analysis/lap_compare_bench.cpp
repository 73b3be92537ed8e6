// Comparing two laps of 24 000 samples each (a long lap logged at 25 Hz):
// the traces of both laps, the delta of every sample, and the sector table.
// Target: under 2 ms for the comparison.
#include <benchmark/benchmark.h>

#include <cmath>

#include "viewer/analysis/lap_alignment.h"
#include "viewer/analysis/lap_sectors.h"

namespace {

constexpr int SAMPLES_PER_LAP = 24000;

// Two analysed laps of a 16 km loop, a sample every 40 ms, the second lap a
// little slower and on a slightly wider line; every step is accepted.
const DriveModel& twoLongLaps() {
    static DriveModel drive = [] {
        DriveModel d;
        d.sampleCount = 2 * SAMPLES_PER_LAP + 2;
        d.lapCount = 2;
        d.course.courseType = COURSE_LOOP;
        d.samples.resize(size_t(d.sampleCount));
        d.points.resize(size_t(d.sampleCount));
        d.cornerMarks.assign(size_t(d.sampleCount), CORNER_NONE);
        uint32_t tick = 1000;
        for (int i = 1; i < d.sampleCount; ++i) {
            const bool second = i > SAMPLES_PER_LAP;
            const double phase = 2.0 * M_PI * ((i - 1) % SAMPLES_PER_LAP) / SAMPLES_PER_LAP;
            tick += second ? 41u : 40u;
            d.samples[size_t(i)].tick = tick;
            d.points[size_t(i)].stepDistance = (second ? 0.00068 : 0.00067) * (1.0 + 0.3 * std::sin(7 * phase));
            if (i % 300 == 0) d.cornerMarks[size_t(i)] = CORNER_APEX;
        }
        for (int lap = 0; lap < 2; ++lap) {
            LapRecord& r = d.laps[size_t(lap)];
            r.startSample = 1 + lap * SAMPLES_PER_LAP;
            r.endSample = r.startSample + SAMPLES_PER_LAP - 1;
            r.lapTimeMs = int32_t(d.samples[size_t(r.endSample + 1)].tick - d.samples[size_t(r.startSample)].tick);
            r.distanceKm = 16.0;
        }
        return d;
    }();
    return drive;
}

void compareTwoLaps(benchmark::State& state) {
    const DriveModel& drive = twoLongLaps();
    for (auto _ : state) {
        const LapTrace lap = traceLap(drive, 1), reference = traceLap(drive, 0);
        benchmark::DoNotOptimize(deltaSeconds(lap, reference).back());
    }
    state.counters["samples_per_lap"] = SAMPLES_PER_LAP;
}

void sectorTable(benchmark::State& state) {
    const DriveModel& drive = twoLongLaps();
    const bool corners = state.range(0) != 0;
    for (auto _ : state) {
        const std::vector<double> splits =
            corners ? cornerSectorSplits(drive, traceLap(drive, 0)) : equalSectorSplits(DEFAULT_SECTOR_COUNT);
        benchmark::DoNotOptimize(buildSectorTable(drive, splits).theoreticalBestMs);
    }
    state.SetLabel(corners ? "split at corners" : "three equal sectors");
}

BENCHMARK(compareTwoLaps)->Unit(benchmark::kMillisecond);
BENCHMARK(sectorTable)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
