// Sentence decoding throughput, panel texts included (to a no-op sink).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "capture/gps/fix_completion.h"
#include "capture/gps/geodesy.h"
#include "capture/gps/gps_state.h"
#include "capture/gps/line_buffer.h"
#include "capture/gps/nmea_decoder.h"

namespace {

// Every line of every capture, as the reader would cut them.
std::vector<std::string> allCaptureLines() {
    std::vector<std::string> lines;
    for (const auto& entry : std::filesystem::directory_iterator(TEST_DATA_DIR "/nmea")) {
        if (entry.path().extension() != ".nmea") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string data{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        splitNmeaStream(data, [&](const char* line, int length) { lines.emplace_back(line, length); });
    }
    return lines;
}

void resetAll() {
    resetGpsState();
    resetLiveFix();
}

void BM_DecodeAllCaptures(benchmark::State& state) {
    const std::vector<std::string> lines = allCaptureLines();
    resetAll();
    for (auto _ : state) {
        for (const std::string& line : lines) {
            benchmark::DoNotOptimize(decodeSentence(int(line.size()), line.data()));
        }
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(lines.size()));
    state.counters["sentences"] = double(lines.size());
    state.counters["ns_per_sentence"] = benchmark::Counter(
        double(state.iterations()) * double(lines.size()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    resetAll();
}
BENCHMARK(BM_DecodeAllCaptures)->Unit(benchmark::kMillisecond);

// A full fix per sentence: gating, numbers, Japan time, panel texts,
// geocentric conversion, publication and the recording gate.
void BM_DecodeGgaFix(benchmark::State& state) {
    const std::string line =
        "$GPGGA,153012.00,3539.1234,N,13945.6789,E,1,08,0.9,100.0,M,30.0,M,,*69\r\n";
    resetAll();
    decodeSentence(int(line.size()), line.data());
    if (decodeSentence(int(line.size()), line.data()) != SentenceResult::Fix) {
        state.SkipWithError("the sample GGA does not complete a fix");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodeSentence(int(line.size()), line.data()));
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["ns_per_sentence"] = benchmark::Counter(
        double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    resetAll();
}
BENCHMARK(BM_DecodeGgaFix);

}  // namespace
