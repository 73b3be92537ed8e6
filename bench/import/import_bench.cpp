// An hour of a 25 Hz receiver (90 000 fixes, GGA and RMC each, about 13 MB of
// NMEA) read and timed into a drive log: target under 1 s, memory in
// proportion to the fixes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <string>

#include "import/drive_log_import.h"
#include "tests/support/nmea_track.h"

namespace {

constexpr int FIXES = 90000;      // one hour at 25 Hz
constexpr double PERIOD_S = 0.04;
constexpr double LAP_S = 72.0;    // a 2 km loop at 100 km/h
constexpr double CENTRE_LAT = 43.8, CENTRE_LON = -88.0;
constexpr double RADIUS_DEG = 0.0029;

// The point where every lap starts: the circle's southern end.
LatLon lapStart() { return {CENTRE_LAT - RADIUS_DEG, CENTRE_LON}; }

const std::string& hourOfNmea() {
    static const std::string text = [] {
        std::string out;
        out.reserve(static_cast<size_t>(FIXES) * 150);
        const double eastScale = 1.0 / std::cos(CENTRE_LAT * M_PI / 180.0);
        for (int i = 0; i < FIXES; ++i) {
            const double t = i * PERIOD_S;
            const double a = 2.0 * M_PI * t / LAP_S;
            nmeatrack::appendFix(out, 36000.0 + t, CENTRE_LAT - RADIUS_DEG * std::cos(a),
                                 CENTRE_LON + RADIUS_DEG * eastScale * std::sin(a), 280.0 + 5.0 * std::sin(a));
        }
        return out;
    }();
    return text;
}

void BM_ImportHourOfNmea(benchmark::State& state) {
    const std::string& nmea = hourOfNmea();
    const std::string out = "/tmp/import-bench-" + std::to_string(::getpid()) + ".gpd";
    ImportOptions options;
    options.points = {lapStart()};
    options.interpolate = true;
    for (auto _ : state) {
        const RecordingResult read = readNmeaLog(nmea);
        const ImportedDrive drive = importDrive(read.recording, options);
        const FileWriteResult written = writeDriveLogContent(out, drive.image);
        if (!read.ok || read.recording.fixes.size() != FIXES || drive.replay.passLog.passCount < 49 ||
            written.status != FileWriteStatus::WRITTEN) {
            state.SkipWithError("the hour did not import whole");
            break;
        }
        benchmark::DoNotOptimize(drive.image.samples.data());
    }
    ::unlink(out.c_str());
    state.counters["MB"] = static_cast<double>(nmea.size()) / 1e6;
    state.counters["fixes"] = FIXES;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * nmea.size()));
}
BENCHMARK(BM_ImportHourOfNmea)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
