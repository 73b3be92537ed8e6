#include "viewer/analysis/corner_analysis.h"

#include <cmath>

#include "viewer/analysis/local_frame.h"

namespace {

size_t at(int index) { return static_cast<size_t>(index); }

struct Planar {
    double north = 0.0;  // km
    double east = 0.0;   // km
    bool isZero() const { return north == 0.0 && east == 0.0; }
};

// Position of sample i in the lap's centred frame. Neighbours beyond the lap
// belong to another lap's frame (or to none yet), so they are converted
// afresh and shifted by this lap's centre.
Planar lapPosition(int i, const LapRecord& lap) {
    if (i >= lap.startSample && i <= lap.endSample) {
        const TrackPoint& p = driveModel.points[at(i)];
        return {p.x, p.z};
    }
    const Vec3 p = sampleInLocalFrame(i);
    return {p.x - lap.boxCentre.x, p.z - lap.boxCentre.z};
}

Planar difference(const Planar& to, const Planar& from) { return {to.north - from.north, to.east - from.east}; }

bool isRecordedSample(int i) { return i >= 1 && i < driveModel.sampleCount; }

double headingDeg(const Planar& d) {
    double h = std::atan2(d.east, d.north) * RAD_TO_DEG;
    if (h < 0.0) h += 360.0;
    return h;
}

bool opposite(double a, double b, double c) {
    return (a <= 0.0 && b > 0.0 && c <= 0.0) || (a >= 0.0 && b < 0.0 && c >= 0.0);
}

// The side of the corner starting at q: that of its first non-zero turn.
// Zero turns (a straight step at the corner's entry, a removed spike) fit
// either side; deciding on them would split every right-hand corner entered
// from a straight into a one-sample "left" corner on the straight plus the
// real one, while its mirror image, a left-hand corner, stayed whole.
bool runTurnsRight(int q, int end) {
    const std::vector<double>& t = driveModel.turnAngles;
    const std::vector<int32_t>& mark = driveModel.cornerMarks;
    for (int k = q; k <= end && mark[at(k)] != CORNER_NONE; ++k) {
        if (t[at(k)] != 0.0) return t[at(k)] > 0.0;
    }
    return false;
}

}  // namespace

double turnAngleDeg(double d1North, double d1East, double d2North, double d2East) {
    const Planar d1{d1North, d1East}, d2{d2North, d2East};
    if (d1.isZero() || d2.isZero()) return 0.0;
    double t = headingDeg(d2) - headingDeg(d1);
    if (std::fabs(t) < TURN_ZERO) t = 0.0;
    if (t > 180.0) t -= 360.0;
    if (t < -180.0) t += 360.0;
    return t;
}

void headingChange(int k, const LapRecord& lap) {
    const Planar here = lapPosition(k, lap);
    Planar d1 = difference(here, lapPosition(k - 1, lap));
    if (d1.isZero() && isRecordedSample(k - 2)) d1 = difference(here, lapPosition(k - 2, lap));
    Planar d2 = difference(lapPosition(k + 1, lap), here);
    if (d2.isZero() && isRecordedSample(k + 2)) d2 = difference(lapPosition(k + 2, lap), here);
    driveModel.turnAngles[at(k)] = turnAngleDeg(d1.north, d1.east, d2.north, d2.east);
}

void removeTurnSpikes(int start, int end) {
    std::vector<double>& t = driveModel.turnAngles;
    for (int c = start + 1; c <= end - 2; ++c) {
        if (opposite(t[at(c - 1)], t[at(c)], t[at(c + 1)])) t[at(c)] = 0.0;
    }
}

void markCorners(int start, int end) {
    const std::vector<double>& t = driveModel.turnAngles;
    std::vector<int32_t>& mark = driveModel.cornerMarks;
    for (int k = start; k <= end; ++k) {
        mark[at(k)] = std::fabs(t[at(k)]) > TURN_THRESHOLD ? CORNER_TURNING : CORNER_NONE;
    }
    // A gentle bend spread over three samples is a corner too.
    for (int k = start + 1; k <= end - 1; ++k) {
        if (std::fabs(t[at(k - 1)] + t[at(k)] + t[at(k + 1)]) > TURN_THRESHOLD) mark[at(k)] = CORNER_TURNING;
    }
    // Bridge one-sample gaps inside a corner.
    for (int a = start; a <= end - 2; ++a) {
        if (mark[at(a)] != CORNER_NONE && mark[at(a + 2)] != CORNER_NONE) mark[at(a + 1)] = CORNER_TURNING;
    }
}

void markApexes(int start, int end) {
    const std::vector<double>& t = driveModel.turnAngles;
    std::vector<int32_t>& mark = driveModel.cornerMarks;
    int q = start;
    while (q <= end) {
        if (mark[at(q)] == CORNER_NONE) {
            ++q;
            continue;
        }
        const bool right = runTurnsRight(q, end);
        int r = q;
        while (r <= end && mark[at(r)] != CORNER_NONE && (right ? t[at(r)] >= 0.0 : t[at(r)] <= 0.0)) ++r;
        // A corner still going at the lap's end has no known middle. Every
        // later sample lies in that same one-sided run, so none can end a
        // corner inside the lap either: the scan stops (and stays linear).
        if (r > end) return;
        mark[at(q + (r - q - 1) / 2)] = CORNER_APEX;
        q = r + 1;
    }
}

void analyseCorners(const LapRecord& lap) {
    const int s = lap.startSample, e = lap.endSample;
    for (int k = s + 1; k <= e - 1; ++k) headingChange(k, lap);
    driveModel.turnAngles[at(s)] = 0.0;
    driveModel.turnAngles[at(e)] = 0.0;
    removeTurnSpikes(s, e);
    markCorners(s, e);
    markApexes(s, e);
}
