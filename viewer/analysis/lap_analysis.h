// Lap cutting and the motion analysis of the loaded drive.
#pragma once

#include <cstdint>

#include "viewer/analysis/drive_model.h"

// Status of analyseDrive.
constexpr int ANALYSE_OK = 0;
constexpr int ANALYSE_OUT_OF_MEMORY = 3;  // no drive loaded
constexpr int ANALYSE_NO_LAPS = -1;       // fewer than 2 samples or lap marks: loaded, no lap

// Derives the local track, the lap table, speeds, power and corners from
// driveModel.samples, using viewState.vehicleWeightKg for power.
int analyseDrive();

// Cuts the lap table from the lap marks of samples 1..N-1 by course type.
// Sets lapCount (at most MAX_LAPS) and the start and end of every lap cut;
// returns the number of lap marks (rising edges) found.
int cutLaps();

// km/h over a step of `distanceKm` lasting `dtMs`.
inline double stepSpeedKmh(double distanceKm, uint32_t dtMs) {
    return distanceKm * 3600.0 / (static_cast<double>(dtMs) * 0.001);
}

// Whether a step counts: it moved (now and at the previous sample), lasted
// longer than MIN_STEP_MS and, unless it is the lap's first, gained less than
// MAX_SPEED_GAIN km/h per second.
inline bool isStepAccepted(double distanceKm, double previousDistanceKm, uint32_t dtMs,
                           double speedKmh, double previousSpeedKmh, bool firstStep) {
    if (!(distanceKm > 0.0 && previousDistanceKm > 0.0 && dtMs > MIN_STEP_MS)) return false;
    return firstStep ||
           speedKmh - previousSpeedKmh < MAX_SPEED_GAIN * static_cast<double>(dtMs) / 1000.0;
}

// PS for a speed and a vehicle weight: speed x weight / 2700, evaluated with
// the two reciprocals as constants so the figures match the viewer's to the bit.
inline double enginePowerPs(double speedKmh, double weightKg) {
    constexpr double speedFactor = 1.0 / POWER_SPEED_DIVISOR;
    constexpr double weightFactor = 1.0 / POWER_WEIGHT_DIVISOR;
    return speedKmh * speedFactor * weightKg * weightFactor;
}

// radius / tan(VIEW_ANGLE), the angle in radians.
double viewDistanceFor(double radiusKm);
