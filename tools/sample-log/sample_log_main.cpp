// sample-log TRACK.csv OUT.gpd [LAPS] [NAME]: writes a drive log of LAPS
// (default 3) laps of a recorded track on a loop course named NAME.
#include <charconv>
#include <cstdio>
#include <string>

#include "common/atomic_file.h"
#include "common/sjis.h"
#include "tools/sample-log/drive_log_builder.h"

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5) {
        std::fputs("usage: sample-log TRACK.csv OUT.gpd [LAPS] [NAME]\n"
                   "Writes the drive log of a car that drove the recorded track LAPS times (default 3)\n"
                   "on a loop course (point where the recording starts) named NAME, sampled every 100 ms.\n",
                   stderr);
        return 2;
    }
    samplelog::DriveLogPlan plan;
    if (argc >= 4) {
        const std::string text = argv[3];
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), plan.laps);
        if (ec != std::errc() || end != text.data() + text.size()) {
            std::fprintf(stderr, "sample-log: laps must be a number: %s\n", argv[3]);
            return 2;
        }
    }
    if (argc == 5) plan.courseNameUtf8 = argv[4];
    if (!sjisConversionAvailable()) {
        std::fprintf(stderr, "sample-log: %s\n", SJIS_UNAVAILABLE);
        return 1;
    }
    const gpssim::TrackReadResult track = gpssim::readTrackCsv(argv[1]);
    if (!track.error.empty()) {
        std::fprintf(stderr, "sample-log: %s\n", track.error.c_str());
        return 1;
    }
    const samplelog::BuiltDriveLog log = samplelog::buildDriveLog(track.samples, plan);
    if (!log.error.empty()) {
        std::fprintf(stderr, "sample-log: %s\n", log.error.c_str());
        return 1;
    }
    const FileWriteResult written = writeFileAtomically(argv[2], samplelog::driveLogBytes(log));
    if (written.status != FileWriteStatus::WRITTEN) {
        std::fprintf(stderr, "sample-log: %s\n", written.error.c_str());
        return 1;
    }
    std::printf("log: %s (%zu samples, %d laps of %d ms)\n", argv[2], log.samples.size(), plan.laps, log.lapMs);
    return 0;
}
