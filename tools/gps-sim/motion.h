// A simulated drive as a function of simulated time: standing, straight pieces
// with a steady change of speed, and circular arcs.
#pragma once

#include <vector>

#include "tools/gps-sim/local_frame.h"

namespace gpssim {

enum class PieceKind { Stand, Line, Arc };

// One stretch of the drive. Times are simulated seconds since the first fix.
struct MotionPiece {
    PieceKind kind = PieceKind::Stand;
    double startS = 0.0;
    double durationS = 0.0;
    // Stand and Line: the car goes from `from` to `to` (Stand: stays at `from`).
    PlanePoint from;
    PlanePoint to;
    // Line: the speed changes linearly in time from the first to the second value.
    double startSpeedMps = 0.0;
    double endSpeedMps = 0.0;
    double startAltitudeM = 0.0;
    double endAltitudeM = 0.0;
    // Arc: bearing of the car seen from the centre, radians clockwise from north,
    // changing at a constant rate (positive: clockwise).
    PlanePoint centre;
    double radiusM = 0.0;
    double startBearingRad = 0.0;
    double bearingRateRadPerS = 0.0;

    double endS() const { return startS + durationS; }
    double lengthM() const;
    // Distance covered since the start of the piece after `elapsedS` seconds.
    double distanceAtM(double elapsedS) const;
    // Inverse of distanceAtM for Line pieces: seconds needed to cover `distanceM`.
    double elapsedAtDistanceS(double distanceM) const;
    PlanePoint positionAt(double elapsedS) const;
};

struct MotionState {
    PlanePoint position;
    double altitudeM = 0.0;
    double speedMps = 0.0;
    double courseDeg = 0.0;  // direction of travel, clockwise from north, 0..360
};

class Motion {
public:
    void addStand(PlanePoint at, double altitudeM, double durationS);
    // Speeds must not both be zero; the duration follows from length and speeds.
    // A zero-length line adds nothing.
    void addLine(PlanePoint from, PlanePoint to, double startSpeedMps, double endSpeedMps,
                 double startAltitudeM, double endAltitudeM);
    // A line driven at a constant speed in the given time (recorded tracks).
    void addTimedLine(PlanePoint from, PlanePoint to, double durationS, double startAltitudeM,
                      double endAltitudeM);
    // sweepRad > 0 drives clockwise.
    void addArc(PlanePoint centre, double radiusM, double startBearingRad, double sweepRad,
                double speedMps, double altitudeM);

    // Times outside 0..durationS are clamped. At a piece boundary the later piece
    // wins, so a jump back to the start of a recorded lap happens at the boundary.
    MotionState stateAt(double simS) const;
    double durationS() const;
    double pathLengthM() const;
    const std::vector<MotionPiece>& pieces() const { return pieces_; }

private:
    double nextStartS() const;
    std::vector<MotionPiece> pieces_;
};

}  // namespace gpssim
