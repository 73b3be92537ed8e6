#include "tools/gps-sim/simulated_drive.h"

#include <cmath>
#include <cstdio>

#include "tools/gps-sim/route_builder.h"
#include "tools/gps-sim/track_csv.h"

namespace gpssim {

namespace {

constexpr double MPS_PER_KMH = 1.0 / 3.6;

std::vector<double> speedsMps(const SimOptions& o) {
    if (o.speedProfileKmh.empty()) return {o.speedKmh * MPS_PER_KMH};
    std::vector<double> speeds;
    for (double kmh : o.speedProfileKmh) speeds.push_back(kmh * MPS_PER_KMH);
    return speeds;
}

DriveShape shapeOf(const SimOptions& o) { return {o.leadInS, o.altitudeM, o.laps}; }

std::string describe(const char* label, LatLon p) {
    char text[96];
    std::snprintf(text, sizeof text, "%s %.8f,%.8f", label, p.latitudeDeg, p.longitudeDeg);
    return text;
}

}  // namespace

DriveResult buildDrive(const SimOptions& o) {
    DriveResult result;
    if (o.mode == SimMode::Track) {
        TrackReadResult track = readTrackCsv(o.inputPath);
        if (!track.error.empty()) {
            result.error = track.error;
            return result;
        }
        SimulatedDrive drive{LocalFrame(track.samples.front().position), {}};
        drive.motion = buildTrackLaps(track.samples, lapEndIndex(track.samples), drive.frame, shapeOf(o));
        result.drive = drive;
        return result;
    }
    if (o.mode == SimMode::Loop && o.circle) {
        SimulatedDrive drive{LocalFrame(o.circle->centre), {}};
        drive.motion = buildCircle({0.0, 0.0}, o.circle->radiusM, o.speedKmh * MPS_PER_KMH, shapeOf(o));
        result.drive = drive;
        return result;
    }
    if (o.waypoints.size() < 2) {
        result.error = "needs at least two waypoints";
        return result;
    }
    SimulatedDrive drive{LocalFrame(o.waypoints.front()), {}};
    std::vector<PlanePoint> points;
    for (LatLon w : o.waypoints) points.push_back(drive.frame.toPlane(w));
    drive.motion = o.mode == SimMode::OutAndBack ? buildOutAndBack(points, speedsMps(o), shapeOf(o))
                                                 : buildLoop(points, speedsMps(o), shapeOf(o));
    if (drive.motion.pathLengthM() <= 0.0) {
        result.error = "the waypoints are all at the same place";
        return result;
    }
    result.drive = drive;
    return result;
}

FixReport fixAt(const SimulatedDrive& drive, const SimOptions& o, double simS) {
    MotionState state = drive.motion.stateAt(simS);
    FixReport fix;
    fix.utc = utcAfter(o.startUtc, simS);
    fix.position = drive.frame.toLatLon(state.position);
    fix.altitudeM = state.altitudeM;
    fix.geoidSeparationM = o.geoidSeparationM;
    fix.speedMps = state.speedMps;
    fix.courseDeg = state.courseDeg;
    fix.quality = o.quality;
    return fix;
}

long fixCount(const SimulatedDrive& drive, double rateHz) {
    // The small allowance keeps the fix that falls exactly on the end.
    return static_cast<long>(std::floor(drive.motion.durationS() * rateHz + 1e-6)) + 1;
}

std::vector<Pass> passesOfPoint(const SimulatedDrive& drive, LatLon point, double radiusM) {
    return findPasses(drive.motion, drive.frame.toPlane(point), radiusM);
}

std::vector<std::string> truthHeader(const SimOptions& o, const SimulatedDrive& drive) {
    char line[256];
    std::vector<std::string> header{"gps-sim ground truth"};
    if (o.point) header.push_back(describe("point", *o.point));
    std::snprintf(line, sizeof line, "pass radius %.3f m, speedup %g, lead-in %.3f s, rate %g Hz, laps %d",
                  o.passRadiusM, o.speedup, o.leadInS, o.rateHz, o.laps);
    header.push_back(line);
    std::snprintf(line, sizeof line, "drive %.3f s, %.3f m", drive.motion.durationS(), drive.motion.pathLengthM());
    header.push_back(line);
    header.push_back("one pass per visit of the disc around the point, at the closest approach of the path");
    return header;
}

}  // namespace gpssim
