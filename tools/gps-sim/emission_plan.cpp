#include "tools/gps-sim/emission_plan.h"

#include "tools/gps-sim/binary_packets.h"
#include "tools/gps-sim/nmea_replay.h"
#include "tools/gps-sim/nmea_sentences.h"

namespace gpssim {

namespace {

class FixSource : public EmissionSource {
public:
    FixSource(SimulatedDrive drive, const SimOptions& options)
        : drive_(std::move(drive)), options_(options), count_(fixCount(drive_, options.rateHz)) {}

    std::optional<Emission> next() override {
        if (index_ >= count_) return std::nullopt;
        // Times from the index, not by adding intervals, so they never drift.
        double simS = static_cast<double>(index_) / options_.rateHz;
        Emission e{simS / options_.speedup, encodeFix(fixAt(drive_, options_, simS), options_, index_)};
        ++index_;
        return e;
    }

private:
    SimulatedDrive drive_;
    SimOptions options_;
    long count_;
    long index_ = 0;
};

class ReplaySource : public EmissionSource {
public:
    ReplaySource(std::vector<std::string> lines, const SimOptions& options) : lines_(std::move(lines)) {
        if (options.paced) {
            times_ = pacedSendTimesS(lines_, options.maxGapS);
            for (double& t : times_) t /= options.speedup;
        } else {
            for (std::size_t i = 0; i < lines_.size(); ++i) times_.push_back(i * options.lineIntervalMs / 1000.0);
        }
    }

    std::optional<Emission> next() override {
        if (index_ >= lines_.size()) return std::nullopt;
        Emission e{times_[index_], std::move(lines_[index_])};
        ++index_;
        return e;
    }

private:
    std::vector<std::string> lines_;
    std::vector<double> times_;
    std::size_t index_ = 0;
};

}  // namespace

std::string encodeFix(const FixReport& fix, const SimOptions& options, long index) {
    if (!options.binary) return formatGga(fix) + formatRmc(fix);
    bool use75 = options.binaryKind == BinaryKind::Only75 ||
                 (options.binaryKind == BinaryKind::Alternate && index % 2 == 0);
    std::vector<uint8_t> packet = use75 ? packet75(fix) : packet36(fix);
    return std::string(packet.begin(), packet.end());
}

std::unique_ptr<EmissionSource> makeFixSource(SimulatedDrive drive, const SimOptions& options) {
    return std::make_unique<FixSource>(std::move(drive), options);
}

std::unique_ptr<EmissionSource> makeReplaySource(std::vector<std::string> lines, const SimOptions& options) {
    return std::make_unique<ReplaySource>(std::move(lines), options);
}

}  // namespace gpssim
