// Constants of the lap and motion analysis.
#pragma once

#include <cstdint>

#include "common/ellipsoid.h"  // DEGREES_TO_RADIANS

constexpr double RAD_TO_DEG = 57.29577951308232;

constexpr int MAX_LAPS = 100;                // lap table size
constexpr uint32_t MIN_STEP_MS = 100;        // a step must last longer than this
constexpr uint32_t MAX_SPEED_STEP_MS = 2000; // only shorter steps can set the lap's top speed
constexpr double MAX_SPEED_GAIN = 30.0;      // km/h per second; a larger gain rejects the step
constexpr double POWER_SPEED_DIVISOR = 36.0;
constexpr double POWER_WEIGHT_DIVISOR = 75.0;
constexpr double TURN_ZERO = 0.00001;        // degrees; smaller heading changes count as 0
constexpr double TURN_THRESHOLD = 10.0;      // degrees, corner marking
// The camera distance divides by tan(VIEW_ANGLE) with the angle taken in
// radians (tan 22.5 = 0.5578, not tan 22.5 degrees = 0.4142): every view
// frames a lap at the distance users know, so the radian reading stays.
constexpr double VIEW_ANGLE = 22.5;

constexpr double DEFAULT_VEHICLE_WEIGHT_KG = 1567.0;
