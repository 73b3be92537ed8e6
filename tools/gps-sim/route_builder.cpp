#include "tools/gps-sim/route_builder.h"

#include <numbers>

namespace gpssim {

namespace {

double speedAt(const std::vector<double>& speedsMps, std::size_t i) {
    return speedsMps.size() == 1 ? speedsMps.front() : speedsMps.at(i);
}

void addLeg(Motion& motion, const std::vector<PlanePoint>& points, const std::vector<double>& speedsMps,
            std::size_t from, std::size_t to, double altitudeM) {
    motion.addLine(points[from], points[to], speedAt(speedsMps, from), speedAt(speedsMps, to), altitudeM,
                   altitudeM);
}

}  // namespace

Motion buildLoop(const std::vector<PlanePoint>& waypoints, const std::vector<double>& speedsMps,
                 const DriveShape& shape) {
    Motion motion;
    if (waypoints.empty()) return motion;
    motion.addStand(waypoints.front(), shape.altitudeM, shape.leadInS);
    std::size_t n = waypoints.size();
    for (int lap = 0; lap < shape.laps; ++lap)
        for (std::size_t i = 0; i < n; ++i) addLeg(motion, waypoints, speedsMps, i, (i + 1) % n, shape.altitudeM);
    return motion;
}

Motion buildOutAndBack(const std::vector<PlanePoint>& waypoints, const std::vector<double>& speedsMps,
                       const DriveShape& shape) {
    Motion motion;
    if (waypoints.empty()) return motion;
    motion.addStand(waypoints.front(), shape.altitudeM, shape.leadInS);
    std::size_t n = waypoints.size();
    for (int trip = 0; trip < shape.laps; ++trip) {
        for (std::size_t i = 0; i + 1 < n; ++i) addLeg(motion, waypoints, speedsMps, i, i + 1, shape.altitudeM);
        for (std::size_t i = n - 1; i > 0; --i) addLeg(motion, waypoints, speedsMps, i, i - 1, shape.altitudeM);
    }
    return motion;
}

Motion buildCircle(PlanePoint centre, double radiusM, double speedMps, const DriveShape& shape) {
    Motion motion;
    motion.addStand({centre.eastM, centre.northM + radiusM}, shape.altitudeM, shape.leadInS);
    for (int lap = 0; lap < shape.laps; ++lap)
        motion.addArc(centre, radiusM, 0.0, 2.0 * std::numbers::pi, speedMps, shape.altitudeM);
    return motion;
}

Motion buildTrackLaps(const std::vector<TrackSample>& samples, std::size_t lapEnd, const LocalFrame& frame,
                      const DriveShape& shape) {
    Motion motion;
    if (samples.empty()) return motion;
    std::vector<PlanePoint> points;
    for (std::size_t i = 0; i <= lapEnd && i < samples.size(); ++i)
        points.push_back(frame.toPlane(samples[i].position));
    motion.addStand(points.front(), samples.front().altitudeM, shape.leadInS);
    for (int lap = 0; lap < shape.laps; ++lap)
        for (std::size_t i = 0; i + 1 < points.size(); ++i)
            motion.addTimedLine(points[i], points[i + 1], samples[i + 1].timeS - samples[i].timeS,
                                samples[i].altitudeM, samples[i + 1].altitudeM);
    return motion;
}

}  // namespace gpssim
