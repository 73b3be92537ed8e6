#include "tools/gps-sim/pass_truth.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

namespace gpssim {

namespace {

constexpr double TWO_PI = 2.0 * std::numbers::pi;
// A later minimum must beat the earlier one by more than this to replace it, so
// that standing at the closest place reports the moment of arrival.
constexpr double TIE_M = 1e-6;

// A stretch of the drive over which the distance to the point falls and then
// rises (either part may be empty), so its inside-the-radius part is one interval.
struct Stretch {
    double startDistanceM;
    double endDistanceM;
    double minS;
    double minDistanceM;
};

Stretch lineStretch(const MotionPiece& p, PlanePoint point) {
    double dx = p.to.eastM - p.from.eastM, dy = p.to.northM - p.from.northM;
    double lengthSq = dx * dx + dy * dy;
    double u = 0.0;
    if (lengthSq > 0.0)
        u = std::clamp(((point.eastM - p.from.eastM) * dx + (point.northM - p.from.northM) * dy) / lengthSq, 0.0, 1.0);
    PlanePoint foot{p.from.eastM + u * dx, p.from.northM + u * dy};
    double elapsedS = p.kind == PieceKind::Line ? p.elapsedAtDistanceS(u * std::sqrt(lengthSq)) : 0.0;
    return {distanceM(p.from, point), distanceM(p.to, point), p.startS + elapsedS, distanceM(foot, point)};
}

// Elapsed times in (lo, hi) at which the arc's bearing equals `bearingRad` modulo 2 pi.
std::vector<double> arcTimesAtBearing(const MotionPiece& p, double bearingRad, double lo, double hi) {
    std::vector<double> times;
    double rate = p.bearingRateRadPerS;
    // Solve startBearing + rate * t = bearing + 2 pi k for t.
    double first = (bearingRad - p.startBearingRad) / rate;
    double period = TWO_PI / std::fabs(rate);
    double t = first - std::ceil((first - lo) / period) * period;
    for (; t < hi; t += period)
        if (t > lo) times.push_back(t);
    return times;
}

void appendArcStretches(const MotionPiece& p, PlanePoint point, std::vector<Stretch>& out) {
    auto distanceAt = [&](double t) { return distanceM(p.positionAt(t), point); };
    double offsetM = distanceM(p.centre, point);
    if (offsetM < 1e-9) {  // at the centre every place is equally close
        out.push_back({p.radiusM, p.radiusM, p.startS, p.radiusM});
        return;
    }
    double nearBearing = std::atan2(point.eastM - p.centre.eastM, point.northM - p.centre.northM);
    // Split where the car is farthest from the point: between two such places
    // the distance falls to the nearest place and rises again.
    std::vector<double> cuts{0.0};
    for (double t : arcTimesAtBearing(p, nearBearing + std::numbers::pi, 0.0, p.durationS)) cuts.push_back(t);
    cuts.push_back(p.durationS);
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
        double a = cuts[i], b = cuts[i + 1];
        double minT = distanceAt(b) < distanceAt(a) - TIE_M ? b : a;
        std::vector<double> nearest = arcTimesAtBearing(p, nearBearing, a, b);
        if (!nearest.empty()) minT = nearest.front();
        out.push_back({distanceAt(a), distanceAt(b), p.startS + minT, distanceAt(minT)});
    }
}

std::vector<Stretch> stretchesOf(const Motion& motion, PlanePoint point) {
    std::vector<Stretch> stretches;
    for (const MotionPiece& p : motion.pieces()) {
        if (p.kind == PieceKind::Arc)
            appendArcStretches(p, point, stretches);
        else
            stretches.push_back(lineStretch(p, point));
    }
    return stretches;
}

}  // namespace

std::vector<Pass> findPasses(const Motion& motion, PlanePoint point, double radiusM) {
    std::vector<Pass> passes;
    bool inside = false;
    Pass best;
    for (const Stretch& s : stretchesOf(motion, point)) {
        if (s.minDistanceM >= radiusM) {
            if (inside) passes.push_back(best);
            inside = false;
            continue;
        }
        // A jump (a recorded lap starting again) may leave the disc between stretches.
        bool continues = inside && s.startDistanceM < radiusM;
        if (!continues) {
            if (inside) passes.push_back(best);
            inside = true;
            best = {s.minS, s.minDistanceM};
        } else if (s.minDistanceM < best.distanceM - TIE_M) {
            best = {s.minS, s.minDistanceM};
        }
        if (s.endDistanceM >= radiusM) {
            passes.push_back(best);
            inside = false;
        }
    }
    if (inside) passes.push_back(best);
    return passes;
}

std::string formatTruth(const std::vector<Pass>& passes, double speedup, const std::vector<std::string>& headerLines) {
    std::string text;
    for (const std::string& line : headerLines) text += "# " + line + "\n";
    text += "# pass INDEX SIM_S WALL_S (SIM_S: simulated seconds since the first fix; "
            "WALL_S: wall seconds since the first byte was emitted)\n";
    char line[128];
    for (std::size_t i = 0; i < passes.size(); ++i) {
        std::snprintf(line, sizeof line, "pass %zu %.6f %.6f\n", i + 1, passes[i].simS, passes[i].simS / speedup);
        text += line;
    }
    return text;
}

}  // namespace gpssim
