// voice-tone CUE FILE: writes a short 16-bit mono WAV tone for a voice cue,
// used when no speech synthesiser is installed. Each cue has its own pitch
// and number of beeps (cue + 1), so the driver can still tell them apart.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/atomic_file.h"

namespace {

constexpr int SAMPLE_RATE_HZ = 22050;
constexpr double BEEP_SECONDS = 0.15;
constexpr double GAP_SECONDS = 0.08;
constexpr double PI = 3.14159265358979323846;

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}
void putTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

std::vector<int16_t> toneSamples(int cue) {
    const double pitchHz = 660.0 + 110.0 * cue;
    std::vector<int16_t> samples;
    for (int beep = 0; beep <= cue; ++beep) {
        const int n = static_cast<int>(BEEP_SECONDS * SAMPLE_RATE_HZ);
        for (int i = 0; i < n; ++i) {
            // A short fade at both ends keeps the beep free of clicks.
            const double envelope = std::min(1.0, std::min(i, n - i) / 200.0);
            samples.push_back(static_cast<int16_t>(12000.0 * envelope *
                                                   std::sin(2.0 * PI * pitchHz * i / SAMPLE_RATE_HZ)));
        }
        samples.insert(samples.end(), static_cast<size_t>(GAP_SECONDS * SAMPLE_RATE_HZ), 0);
    }
    return samples;
}

std::vector<uint8_t> wavImage(const std::vector<int16_t>& samples) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    putTag(out, "RIFF");
    put32(out, 36 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, SAMPLE_RATE_HZ);
    put32(out, SAMPLE_RATE_HZ * 2);
    put16(out, 2);
    put16(out, 16);
    putTag(out, "data");
    put32(out, dataBytes);
    for (int16_t s : samples) put16(out, static_cast<uint16_t>(s));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: voice-tone CUE FILE\n");
        return 2;
    }
    const int cue = std::atoi(argv[1]);
    if (cue < 0 || cue > 5) {
        std::fprintf(stderr, "voice-tone: cue must be 0..5\n");
        return 2;
    }
    const std::vector<uint8_t> image = wavImage(toneSamples(cue));
    const FileWriteResult result = writeFileAtomically(argv[2], [&](std::FILE* file) {
        return std::fwrite(image.data(), 1, image.size(), file) == image.size();
    });
    if (result.status != FileWriteStatus::WRITTEN) {
        std::fprintf(stderr, "voice-tone: %s\n", result.error.c_str());
        return 1;
    }
    return 0;
}
