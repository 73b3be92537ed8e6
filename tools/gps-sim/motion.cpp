#include "tools/gps-sim/motion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace gpssim {

namespace {

constexpr double DEGREES_PER_RADIAN = 180.0 / std::numbers::pi;

double normaliseDeg(double deg) {
    double r = std::fmod(deg, 360.0);
    return r < 0.0 ? r + 360.0 : r;
}

}  // namespace

double MotionPiece::lengthM() const {
    switch (kind) {
    case PieceKind::Stand: return 0.0;
    case PieceKind::Line: return distanceM(from, to);
    case PieceKind::Arc: return radiusM * std::fabs(bearingRateRadPerS) * durationS;
    }
    return 0.0;
}

double MotionPiece::distanceAtM(double elapsedS) const {
    if (kind == PieceKind::Stand || durationS <= 0.0) return 0.0;
    double t = std::clamp(elapsedS, 0.0, durationS);
    if (kind == PieceKind::Arc) return radiusM * std::fabs(bearingRateRadPerS) * t;
    // Constant acceleration: s = v0 t + a t^2 / 2.
    double accelMps2 = (endSpeedMps - startSpeedMps) / durationS;
    return startSpeedMps * t + 0.5 * accelMps2 * t * t;
}

double MotionPiece::elapsedAtDistanceS(double distanceAlongM) const {
    if (kind != PieceKind::Line || durationS <= 0.0 || distanceAlongM <= 0.0) return 0.0;
    double accelMps2 = (endSpeedMps - startSpeedMps) / durationS;
    double speedThereSq = startSpeedMps * startSpeedMps + 2.0 * accelMps2 * distanceAlongM;
    double speedThereMps = std::sqrt(std::max(0.0, speedThereSq));
    // t = 2 s / (v0 + v(s)) avoids the cancellation of the textbook quadratic root
    // when the acceleration is tiny.
    double sum = startSpeedMps + speedThereMps;
    if (sum <= 0.0) return 0.0;
    return std::min(durationS, 2.0 * distanceAlongM / sum);
}

PlanePoint MotionPiece::positionAt(double elapsedS) const {
    switch (kind) {
    case PieceKind::Stand: return from;
    case PieceKind::Line: {
        double length = lengthM();
        if (length <= 0.0) return from;
        double u = std::clamp(distanceAtM(elapsedS) / length, 0.0, 1.0);
        return {from.eastM + u * (to.eastM - from.eastM), from.northM + u * (to.northM - from.northM)};
    }
    case PieceKind::Arc: {
        double bearing = startBearingRad + bearingRateRadPerS * std::clamp(elapsedS, 0.0, durationS);
        return {centre.eastM + radiusM * std::sin(bearing), centre.northM + radiusM * std::cos(bearing)};
    }
    }
    return from;
}

double Motion::nextStartS() const { return pieces_.empty() ? 0.0 : pieces_.back().endS(); }

void Motion::addStand(PlanePoint at, double altitudeM, double durationS) {
    if (durationS <= 0.0) return;
    MotionPiece p;
    p.kind = PieceKind::Stand;
    p.startS = nextStartS();
    p.durationS = durationS;
    p.from = p.to = at;
    p.startAltitudeM = p.endAltitudeM = altitudeM;
    pieces_.push_back(p);
}

void Motion::addLine(PlanePoint from, PlanePoint to, double startSpeedMps, double endSpeedMps,
                     double startAltitudeM, double endAltitudeM) {
    double length = distanceM(from, to);
    if (length <= 0.0 || startSpeedMps + endSpeedMps <= 0.0) return;
    MotionPiece p;
    p.kind = PieceKind::Line;
    p.startS = nextStartS();
    p.durationS = 2.0 * length / (startSpeedMps + endSpeedMps);
    p.from = from;
    p.to = to;
    p.startSpeedMps = startSpeedMps;
    p.endSpeedMps = endSpeedMps;
    p.startAltitudeM = startAltitudeM;
    p.endAltitudeM = endAltitudeM;
    pieces_.push_back(p);
}

void Motion::addTimedLine(PlanePoint from, PlanePoint to, double durationS, double startAltitudeM,
                          double endAltitudeM) {
    if (durationS <= 0.0) return;
    MotionPiece p;
    p.kind = PieceKind::Line;
    p.startS = nextStartS();
    p.durationS = durationS;
    p.from = from;
    p.to = to;
    p.startSpeedMps = p.endSpeedMps = distanceM(from, to) / durationS;
    p.startAltitudeM = startAltitudeM;
    p.endAltitudeM = endAltitudeM;
    pieces_.push_back(p);
}

void Motion::addArc(PlanePoint centre, double radiusM, double startBearingRad, double sweepRad,
                    double speedMps, double altitudeM) {
    if (radiusM <= 0.0 || speedMps <= 0.0 || sweepRad == 0.0) return;
    MotionPiece p;
    p.kind = PieceKind::Arc;
    p.startS = nextStartS();
    p.durationS = radiusM * std::fabs(sweepRad) / speedMps;
    p.centre = centre;
    p.radiusM = radiusM;
    p.startBearingRad = startBearingRad;
    p.bearingRateRadPerS = std::copysign(speedMps / radiusM, sweepRad);
    p.startAltitudeM = p.endAltitudeM = altitudeM;
    p.from = p.positionAt(0.0);
    p.to = p.positionAt(p.durationS);
    pieces_.push_back(p);
}

double Motion::durationS() const { return nextStartS(); }

double Motion::pathLengthM() const {
    double total = 0.0;
    for (const MotionPiece& p : pieces_) total += p.lengthM();
    return total;
}

MotionState Motion::stateAt(double simS) const {
    MotionState state;
    if (pieces_.empty()) return state;
    double t = std::clamp(simS, 0.0, durationS());
    auto after = std::upper_bound(pieces_.begin(), pieces_.end(), t,
                                  [](double time, const MotionPiece& p) { return time < p.startS; });
    const MotionPiece& p = after == pieces_.begin() ? pieces_.front() : *(after - 1);
    double elapsedS = t - p.startS;
    state.position = p.positionAt(elapsedS);
    double fraction = p.durationS > 0.0 ? std::clamp(elapsedS / p.durationS, 0.0, 1.0) : 0.0;
    state.altitudeM = p.startAltitudeM + fraction * (p.endAltitudeM - p.startAltitudeM);
    switch (p.kind) {
    case PieceKind::Stand: break;
    case PieceKind::Line:
        state.speedMps = p.startSpeedMps + fraction * (p.endSpeedMps - p.startSpeedMps);
        state.courseDeg = bearingDeg(p.from, p.to);
        break;
    case PieceKind::Arc: {
        state.speedMps = p.radiusM * std::fabs(p.bearingRateRadPerS);
        double bearingDegNow = (p.startBearingRad + p.bearingRateRadPerS * elapsedS) * DEGREES_PER_RADIAN;
        state.courseDeg = normaliseDeg(bearingDegNow + (p.bearingRateRadPerS > 0.0 ? 90.0 : -90.0));
        break;
    }
    }
    return state;
}

}  // namespace gpssim
