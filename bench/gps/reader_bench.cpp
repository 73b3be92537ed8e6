// CPU used by the reader thread: idle, and with a receiver sending GGA and
// RMC at 10 Hz. The reader polls every millisecond, so idle is not free.
#include <benchmark/benchmark.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "capture/gps/gps_reader.h"
#include "capture/gps/gps_state.h"

namespace {

constexpr double MEASURE_SECONDS = 3.0;

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

const std::string EPOCH =
    "$GPGGA,153012.00,3539.1234,N,13945.6789,E,1,08,0.9,100.0,M,30.0,M,,*69\r\n"
    "$GPRMC,153012.00,A,3539.1234,N,13945.6789,E,0.0,0.0,010124,,*33\r\n";

// sentenceRateHz 0: idle.
void measureReader(benchmark::State& state, int epochRateHz) {
    int master = -1, slave = -1;
    char name[256] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    resetGpsState();
    std::snprintf(gpsPort.portName, sizeof gpsPort.portName, "%s", name);
    if (openGpsPort() != 0) {
        state.SkipWithError("cannot open the pseudo-terminal");
        return;
    }
    for (auto _ : state) {
        std::atomic<bool> stop{false};
        std::thread writer([&] {
            if (epochRateHz == 0) return;
            const auto period = std::chrono::microseconds(1000000 / epochRateHz);
            auto next = std::chrono::steady_clock::now();
            while (!stop.load()) {
                if (write(master, EPOCH.data(), EPOCH.size()) < 0) return;
                next += period;
                std::this_thread::sleep_until(next);
            }
        });
        const double cpuBefore = processCpuSeconds();
        const auto wallBefore = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(MEASURE_SECONDS));
        const double cpu = processCpuSeconds() - cpuBefore;
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        stop = true;
        writer.join();
        state.counters["cpu_percent"] = 100.0 * cpu / wall;
        state.counters["fix_received"] = gpsFix.fixReceived.load();
    }
    closeGpsPort();
    close(master);
    close(slave);
    resetGpsState();
}

void BM_ReaderIdle(benchmark::State& state) { measureReader(state, 0); }
void BM_ReaderAt10Hz(benchmark::State& state) { measureReader(state, 10); }
BENCHMARK(BM_ReaderIdle)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_ReaderAt10Hz)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
