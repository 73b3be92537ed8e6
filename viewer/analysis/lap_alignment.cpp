#include "viewer/analysis/lap_alignment.h"

#include <algorithm>

#include "common/duration.h"
#include "viewer/analysis/lap_analysis.h"

namespace {

// The smallest advance between points, km (a micrometre): a car that stands
// or a sample the analysis moved back keeps its distance a hair ahead of the
// one before, so every distance has exactly one time.
constexpr double MIN_ADVANCE_KM = 1e-9;

size_t at(int i) { return static_cast<size_t>(i); }

struct Builder {
    const DriveModel& drive;
    LapTrace& trace;
    void add(int sample, double positionKm) {
        const double previous = trace.distanceKm.empty() ? -MIN_ADVANCE_KM : trace.distanceKm.back();
        trace.distanceKm.push_back(std::max(positionKm, previous + MIN_ADVANCE_KM));
        trace.timeMs.push_back(double(tickDifference(drive.samples[at(sample)].tick,
                                                     drive.samples[at(trace.firstSample)].tick)));
    }
};

// Index of the last point whose value is at most `x` (0 when none is).
size_t segmentOf(const std::vector<double>& values, double x) {
    const auto upper = std::upper_bound(values.begin(), values.end(), x);
    return upper == values.begin() ? 0 : size_t(upper - values.begin()) - 1;
}

double interpolate(const std::vector<double>& xs, const std::vector<double>& ys, size_t j, double x) {
    if (j + 1 >= xs.size()) return ys.back();
    const double span = xs[j + 1] - xs[j];
    const double t = span > 0.0 ? (x - xs[j]) / span : 0.0;
    return ys[j] + t * (ys[j + 1] - ys[j]);
}

}  // namespace

LapTrace traceLap(const DriveModel& drive, int lap) {
    LapTrace trace;
    if (lap < 0 || lap >= drive.lapCount) return trace;
    const LapRecord& r = drive.laps[at(lap)];
    if (r.startSample < 1 || r.endSample < r.startSample || r.endSample >= drive.sampleCount) return trace;
    if (drive.points.size() < size_t(drive.sampleCount)) return trace;
    trace.lap = lap;
    trace.firstSample = r.startSample;
    trace.distanceKm.reserve(size_t(r.endSample - r.startSample + 2));
    trace.timeMs.reserve(size_t(r.endSample - r.startSample + 2));
    Builder b{drive, trace};
    b.add(r.startSample, 0.0);
    // The motion pass again over the stored step distances: a sample lies
    // its own step beyond the last accepted sample, so samples the analysis
    // rejected (at 25 Hz two of every three steps are too short) still move on.
    int reference = r.startSample;
    bool firstStep = true;
    double previousSpeed = 0.0, acceptedKm = 0.0;
    for (int i = r.startSample + 1; i <= r.endSample; ++i) {
        const double d = drive.points[at(i)].stepDistance;
        const double previousD = firstStep ? d : drive.points[at(i - 1)].stepDistance;
        const uint32_t dtMs = tickDifference(drive.samples[at(i)].tick, drive.samples[at(reference)].tick);
        const double speed = stepSpeedKmh(d, dtMs);
        b.add(i, acceptedKm + d);
        if (isStepAccepted(d, previousD, dtMs, speed, previousSpeed, firstStep)) {
            acceptedKm += d;
            reference = i;
            previousSpeed = speed;
            firstStep = false;
        }
    }
    // A loop lap closes at the next mark: the analysis adds that last step
    // to the lap's distance and its time to the lap time.
    const bool closed = drive.course.courseType == COURSE_LOOP && r.endSample + 1 < drive.sampleCount;
    if (closed) b.add(r.endSample + 1, std::max(r.distanceKm, acceptedKm));
    // The lap list times a lap between its passes when the pass log has them;
    // the marked samples lag their passes by up to a sampling period. The
    // trace is stretched to that time, so its end is the lap list's time.
    const double sampledMs = trace.timeMs.back();
    if (r.lapTimeMs > 0 && sampledMs > 0.0 && sampledMs != double(r.lapTimeMs)) {
        const double scale = double(r.lapTimeMs) / sampledMs;
        for (double& t : trace.timeMs) t *= scale;
        trace.timeMs.back() = double(r.lapTimeMs);
    }
    return trace;
}

double timeAtDistance(const LapTrace& trace, double distanceKm) {
    if (trace.empty() || distanceKm <= 0.0) return 0.0;
    if (distanceKm >= trace.lengthKm()) return trace.lapTimeMs();
    return interpolate(trace.distanceKm, trace.timeMs, segmentOf(trace.distanceKm, distanceKm), distanceKm);
}

double timeAtFraction(const LapTrace& trace, double fraction) {
    // The end exactly at the lap time, whatever the rounding of the product.
    if (fraction >= 1.0) return trace.lapTimeMs();
    return timeAtDistance(trace, fraction * trace.lengthKm());
}

double fractionAtTime(const LapTrace& trace, double timeMs) {
    if (trace.empty() || trace.lengthKm() <= 0.0 || timeMs <= 0.0) return 0.0;
    if (timeMs >= trace.lapTimeMs()) return 1.0;
    // Times never decrease (ticks of one log), so the same search applies.
    const size_t j = segmentOf(trace.timeMs, timeMs);
    return interpolate(trace.timeMs, trace.distanceKm, j, timeMs) / trace.lengthKm();
}

std::vector<double> deltaSeconds(const LapTrace& lap, const LapTrace& reference) {
    std::vector<double> delta;
    if (lap.empty() || reference.empty()) return delta;
    delta.resize(lap.timeMs.size());
    const double length = lap.lengthKm(), referenceLength = reference.lengthKm();
    const std::vector<double>& rd = reference.distanceKm;
    // The queries only grow along the lap, so one walk over the reference
    // replaces a search per point.
    size_t j = 0;
    for (size_t k = 0; k < lap.timeMs.size(); ++k) {
        const double fraction = length > 0.0 ? lap.distanceKm[k] / length : 1.0;
        double referenceMs;
        if (k + 1 == lap.timeMs.size() || fraction >= 1.0) {
            referenceMs = reference.lapTimeMs();  // the ends meet exactly
        } else {
            const double x = fraction * referenceLength;
            while (j + 1 < rd.size() && rd[j + 1] <= x) ++j;
            referenceMs = x <= 0.0 ? 0.0 : interpolate(rd, reference.timeMs, j, x);
        }
        delta[k] = (lap.timeMs[k] - referenceMs) / 1000.0;
    }
    return delta;
}

bool isValidLap(const DriveModel& drive, int lap) {
    if (lap < 0 || lap >= drive.lapCount || lap >= MAX_LAPS) return false;
    const LapRecord& r = drive.laps[at(lap)];
    const bool cut = r.startSample >= 0 && r.endSample >= r.startSample && r.endSample < drive.sampleCount;
    return cut && r.lapTimeMs > 0 && r.distanceKm > 0.0;
}

int bestValidLap(const DriveModel& drive) {
    int best = -1;
    for (int lap = 0; lap < drive.lapCount; ++lap) {
        if (!isValidLap(drive, lap)) continue;
        if (best < 0 || drive.laps[at(lap)].lapTimeMs < drive.laps[at(best)].lapTimeMs) best = lap;
    }
    return best;
}
