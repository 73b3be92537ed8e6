#include "viewer/analysis/lap_analysis.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <vector>

#include "viewer/analysis/corner_analysis.h"
#include "viewer/analysis/local_frame.h"
#include "viewer/analysis/view_state.h"

namespace {

size_t at(int index) { return static_cast<size_t>(index); }

bool allocatePerSampleArrays(size_t n) {
    try {
        driveModel.points.assign(n, TrackPoint{});
        driveModel.cornerMarks.assign(n, CORNER_NONE);
        driveModel.turnAngles.assign(n, 0.0);
    } catch (const std::bad_alloc&) {
        std::vector<TrackPoint>().swap(driveModel.points);
        std::vector<int32_t>().swap(driveModel.cornerMarks);
        std::vector<double>().swap(driveModel.turnAngles);
        return false;
    }
    return true;
}

// An angle in degrees brought into -180..180.
double wrappedDegrees(double degrees) {
    if (degrees >= -180.0 && degrees <= 180.0) return degrees;
    return degrees - 360.0 * std::floor((degrees + 180.0) / 360.0);
}

// The origin is the mean position of samples 1..N-1 (sample 0 belongs to no
// lap). Dividing by the N-1 samples summed, not by N, keeps the origin on the
// track: an origin off by 1/N of the latitude and longitude lies tens of
// kilometres away on a short log, and the tangent plane there tilts against
// the track, turning level ground into a false climb.
// Longitudes are averaged as offsets from the first one, wrapped to
// -180..180, so a track across the antimeridian is not averaged to the far
// side of the earth.
void placeOrigin() {
    const double reference = driveModel.samples[at(1)].longitude;
    double latitudeSum = 0.0, longitudeOffsetSum = 0.0;
    for (int i = 1; i < driveModel.sampleCount; ++i) {
        latitudeSum += driveModel.samples[at(i)].latitude;
        longitudeOffsetSum += wrappedDegrees(driveModel.samples[at(i)].longitude - reference);
    }
    const double count = driveModel.sampleCount - 1;
    driveModel.originLatitude = latitudeSum / count;
    driveModel.originLongitude = wrappedDegrees(reference + longitudeOffsetSum / count);
}

void convertSamples() {
    for (int i = 1; i < driveModel.sampleCount; ++i) {
        const Vec3 p = sampleInLocalFrame(i);
        TrackPoint& point = driveModel.points[at(i)];
        point.x = p.x;
        point.y = p.y;
        point.z = p.z;
    }
}

void widen(Vec3& low, Vec3& high, const TrackPoint& p) {
    low.x = std::min(low.x, p.x);
    low.y = std::min(low.y, p.y);
    low.z = std::min(low.z, p.z);
    high.x = std::max(high.x, p.x);
    high.y = std::max(high.y, p.y);
    high.z = std::max(high.z, p.z);
}

// Box of the lap's points as converted; its centre becomes the lap's origin.
void measureRawBox(int lapIndex) {
    LapRecord& lap = driveModel.laps[at(lapIndex)];
    const TrackPoint& first = driveModel.points[at(lap.startSample)];
    Vec3 low{first.x, first.y, first.z}, high = low;
    for (int i = lap.startSample + 1; i <= lap.endSample; ++i) widen(low, high, driveModel.points[at(i)]);
    driveModel.lapAltitudeRange[at(lapIndex)] = {low.y, high.y};
    lap.boxCentre = {(low.x + high.x) / 2, (low.y + high.y) / 2, (low.z + high.z) / 2};
}

double distanceKm(const TrackPoint& a, const TrackPoint& b) {
    const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// Running state of the motion pass over one lap.
struct MotionState {
    int reference = 0;            // last accepted sample (the lap start at first)
    bool firstStepPending = true;
    double previousSpeed = 0.0;   // km/h, last accepted
    double previousPower = 0.0;   // PS, last accepted
    double previousDistance = 0.0;  // km, d of the previous sample
    double speedSum = 0.0;
    double powerSum = 0.0;
    double ySum = 0.0;
};

void acceptStep(LapRecord& lap, MotionState& m, int i, double d, uint32_t dtMs, double speed) {
    TrackPoint& point = driveModel.points[at(i)];
    lap.distanceKm += d;
    point.acceleration = speed - m.previousSpeed;
    point.speed = speed;
    m.speedSum += speed;
    m.previousSpeed = speed;
    if (m.firstStepPending) {
        lap.maxSpeed = lap.minSpeed = speed;
        lap.maxSpeedSample = i;
        m.firstStepPending = false;
    } else {
        if (dtMs < MAX_SPEED_STEP_MS && speed > lap.maxSpeed) {
            lap.maxSpeed = speed;
            lap.maxSpeedSample = i;
        }
        if (speed < lap.minSpeed) lap.minSpeed = speed;
    }
    const double power = enginePowerPs(speed, viewState.vehicleWeightKg);
    point.power = power;
    if (lap.minPower == 0.0 || power < lap.minPower) lap.minPower = power;
    if (power > lap.maxPower) lap.maxPower = power;
    m.powerSum += power;
    m.previousPower = power;
    lap.speedStepCount += 1;
    m.reference = i;
}

// One sample after the lap start: measure the step from the last accepted
// sample and accept or reject it.
void stepTo(LapRecord& lap, MotionState& m, int i) {
    TrackPoint& point = driveModel.points[at(i)];
    widen(lap.boxMin, lap.boxMax, point);
    const double d = distanceKm(driveModel.points[at(m.reference)], point);
    point.stepDistance = d;
    const uint32_t dtMs = driveModel.samples[at(i)].tick - driveModel.samples[at(m.reference)].tick;
    const double previousD = m.firstStepPending ? d : m.previousDistance;
    const double speed = stepSpeedKmh(d, dtMs);
    if (isStepAccepted(d, previousD, dtMs, speed, m.previousSpeed, m.firstStepPending)) {
        acceptStep(lap, m, i, d, dtMs, speed);
    } else {
        // A rejected sample repeats the last accepted speed and power, gains
        // nothing, and the next step is measured from the last accepted sample.
        point.speed = m.previousSpeed;
        point.acceleration = 0.0;
        point.power = m.previousPower;
    }
    m.previousDistance = d;
}

// Centres the lap on its box and derives steps, speed, acceleration and power.
void runMotionPass(int lapIndex) {
    LapRecord& lap = driveModel.laps[at(lapIndex)];
    MotionState m;
    m.reference = lap.startSample;
    for (int i = lap.startSample; i <= lap.endSample; ++i) {
        TrackPoint& point = driveModel.points[at(i)];
        point.stepDistance = 0.0;
        point.x -= lap.boxCentre.x;
        point.y -= lap.boxCentre.y;
        point.z -= lap.boxCentre.z;
        m.ySum += point.y;
        if (i == lap.startSample) {
            lap.boxMin = lap.boxMax = {point.x, point.y, point.z};
            point.acceleration = point.speed = point.power = 0.0;
            driveModel.turnAngles[at(i)] = 0.0;
        } else {
            stepTo(lap, m, i);
        }
    }
    lap.meanY = m.ySum / (lap.endSample - lap.startSample + 1);
    if (lap.speedStepCount > 0) {
        lap.avgSpeed = m.speedSum / lap.speedStepCount;
        lap.avgPower = m.powerSum / lap.speedStepCount;
    }
}

void measureCornerSpeeds(LapRecord& lap) {
    int apexes = 0;
    double sum = 0.0;
    for (int i = lap.startSample; i <= lap.endSample; ++i) {
        if (driveModel.cornerMarks[at(i)] != CORNER_APEX) continue;
        const double speed = driveModel.points[at(i)].speed;
        if (apexes == 0) lap.cornerMaxSpeed = lap.cornerMinSpeed = speed;
        lap.cornerMaxSpeed = std::max(lap.cornerMaxSpeed, speed);
        lap.cornerMinSpeed = std::min(lap.cornerMinSpeed, speed);
        sum += speed;
        ++apexes;
    }
    lap.cornerAvgSpeed = apexes > 0 ? sum / apexes : 0.0;
}

double length(const Vec3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// The pass log's tick of every lap mark, when the log's passes and the
// samples' marks pair up one to one: as many marks as logged passes (at most
// 100), each pass no later than its marked sample and no more than
// MAX_PASS_TO_MARK_MS before it, and after the previous mark. The capture
// program timed its laps with these ticks (interpolated to the closest
// approach when it was asked to), so the lap list shows the same times. Any
// other log (merged marks, a full sample buffer, more than 100 passes, a
// foreign writer) keeps the times of the marked samples. Empty = not paired.
std::vector<uint32_t> markPassTicks;

constexpr int32_t MAX_PASS_TO_MARK_MS = 10000;

void pairMarksWithPasses() {
    markPassTicks.clear();
    std::vector<int> marks;
    for (int i = 1; i < driveModel.sampleCount; ++i) {
        if (driveModel.samples[at(i)].lapMark != 0 && (i == 1 || driveModel.samples[at(i - 1)].lapMark == 0)) {
            marks.push_back(i);
        }
    }
    const PassLog& log = driveModel.passLog;
    if (log.passCount < 2 || log.passCount > PASS_LOG_CAPACITY || int(marks.size()) != log.passCount) return;
    for (size_t k = 0; k < marks.size(); ++k) {
        const uint32_t passMs = log.passTicks[k];
        const auto lag = static_cast<int32_t>(driveModel.samples[at(marks[k])].tick - passMs);
        if (lag < 0 || lag > MAX_PASS_TO_MARK_MS) return;
        if (k > 0 && static_cast<int32_t>(passMs - driveModel.samples[at(marks[k - 1])].tick) <= 0) return;
    }
    markPassTicks.assign(log.passTicks, log.passTicks + marks.size());
}

// Lap j runs from mark j to mark j + 1 on a loop, from mark 2j to 2j + 1 on
// the open types.
std::optional<int32_t> lapTimeFromPassLog(int lapIndex) {
    const int first = driveModel.course.courseType == COURSE_LOOP ? lapIndex : 2 * lapIndex;
    if (first + 1 >= int(markPassTicks.size())) return std::nullopt;
    return static_cast<int32_t>(markPassTicks[size_t(first + 1)] - markPassTicks[size_t(first)]);
}

void analyseLap(int lapIndex) {
    LapRecord& lap = driveModel.laps[at(lapIndex)];
    const int s = lap.startSample, e = lap.endSample;
    lap = LapRecord{};  // no figure of an earlier drive or analysis survives
    lap.startSample = s;
    lap.endSample = e;
    lap.maxSpeedSample = s;
    // A loop lap's samples end just before the next mark, but the lap itself
    // runs to that mark: its time and distance include the closing step, so
    // the lap list agrees with the lap the capture program timed. Measured
    // before centring, while this lap's end and the next mark share one frame
    // (laps are analysed in order, so the next lap is not centred yet).
    const bool closedLoop = driveModel.course.courseType == COURSE_LOOP && e + 1 < driveModel.sampleCount;
    const int closing = closedLoop ? e + 1 : e;
    const double closingKm = closedLoop ? distanceKm(driveModel.points[at(e)], driveModel.points[at(closing)]) : 0.0;
    lap.lapTimeMs = static_cast<int32_t>(driveModel.samples[at(closing)].tick - driveModel.samples[at(s)].tick);
    if (const auto passMs = lapTimeFromPassLog(lapIndex)) lap.lapTimeMs = *passMs;
    measureRawBox(lapIndex);
    runMotionPass(lapIndex);
    lap.distanceKm += closingKm;
    analyseCorners(lap);
    measureCornerSpeeds(lap);
    lap.radius = std::max(length(lap.boxMin), length(lap.boxMax));
    lap.viewDistance = viewDistanceFor(lap.radius);
}

}  // namespace

double viewDistanceFor(double radiusKm) { return radiusKm / std::tan(VIEW_ANGLE); }

int cutLaps() {
    const int n = driveModel.sampleCount;
    auto isMark = [](int i) {
        return driveModel.samples[at(i)].lapMark != 0 && (i == 1 || driveModel.samples[at(i - 1)].lapMark == 0);
    };
    int marks = 0;
    for (int i = 1; i < n; ++i) marks += isMark(i) ? 1 : 0;
    driveModel.lapCount = marks < 2 ? 0 : std::min(marks - 1, MAX_LAPS);
    for (LapRecord& lap : driveModel.laps) lap.startSample = lap.endSample = -1;
    if (marks < 2) return marks;
    const int32_t type = driveModel.course.courseType;
    const int lapCount = driveModel.lapCount;
    int m = 0;  // index of the current mark
    for (int i = 1; i < n; ++i) {
        if (!isMark(i)) continue;
        if (type == COURSE_LOOP) {
            // Each mark closes the open lap just before it and opens the next.
            if (m >= 1 && m - 1 < lapCount) driveModel.laps[at(m - 1)].endSample = i - 1;
            if (m < lapCount) driveModel.laps[at(m)].startSample = i;
        } else if (type == COURSE_OPEN || type == COURSE_OPEN_RETURN) {
            // Marks pair up: start, finish; the stretch between pairs is no lap.
            const int lap = m / 2;
            if (lap < lapCount) {
                if (m % 2 == 0) driveModel.laps[at(lap)].startSample = i;
                else driveModel.laps[at(lap)].endSample = i;
            }
        }
        ++m;
    }
    return marks;
}

int analyseDrive() {
    const int n = driveModel.sampleCount;
    if (!allocatePerSampleArrays(static_cast<size_t>(std::max(n, 0)))) {
        driveModel.loaded = 0;
        return ANALYSE_OUT_OF_MEMORY;
    }
    driveModel.loaded = 1;
    driveModel.lapCount = 0;
    driveModel.laps.fill(LapRecord{});
    driveModel.lapAltitudeRange.fill(AltitudeRange{});
    if (n <= 1) return ANALYSE_NO_LAPS;
    placeOrigin();
    convertSamples();
    if (cutLaps() < 2) return ANALYSE_NO_LAPS;
    pairMarksWithPasses();
    for (int j = 0; j < driveModel.lapCount; ++j) {
        if (isLapCut(j)) analyseLap(j);
    }
    return ANALYSE_OK;
}
