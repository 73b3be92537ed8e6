// The viewer's persistent display state: the image of "quindle.pref".
#pragma once

#include <cstddef>
#include <cstdint>

#include "viewer/analysis/analysis_constants.h"

struct Colour {
    float r = 0.0f;  // 0..1
    float g = 0.0f;
    float b = 0.0f;
};

// Display modes.
constexpr int32_t DISPLAY_3D = 0, DISPLAY_2D = 1, DISPLAY_SPEED_GRAPH = 2, DISPLAY_ALTITUDE_GRAPH = 3,
                  DISPLAY_POWER_GRAPH = 4;
// Colour map modes.
constexpr int32_t COLOUR_MAP_NONE = 0, COLOUR_MAP_ACCELERATION = 1, COLOUR_MAP_CLIMB = 2;

// 184 bytes, little-endian; the memory image is the file image, field by field.
// A default-constructed ViewState holds every start-up default.
struct ViewState {
    int32_t displayMode = DISPLAY_3D;         // DISPLAY_*
    int32_t showTrackAltitude = 1;            // 3D: altitude curtain under the track
    int32_t showStatistics = 1;               // statistics overlay
    int32_t showGrid = 1;                     // 3D: ground grid
    int32_t colourMapMode = COLOUR_MAP_NONE;  // COLOUR_MAP_*
    int32_t showGpsPoints = 0;                // every sample as a point
    int32_t showCornerCount = 0;              // corner labels: number
    int32_t showCornerSpeed = 0;              // corner labels: speed
    double vehicleWeightKg = DEFAULT_VEHICLE_WEIGHT_KG;  // kg, for power
    int32_t showOrigin = 0;                   // 3D: origin axes
    Colour backgroundColour{0.4f, 0.4f, 0.4f};                // clear colour
    Colour accelColour{0.0f, 0.0f, 1.0f};                // colour map: accelerating
    Colour decelColour{1.0f, 0.0f, 0.0f};                // colour map: decelerating
    Colour gpsPointColour{1.0f, 0.0f, 0.0f};                // sample points
    Colour roadColour{1.0f, 1.0f, 1.0f};                // track line
    int32_t absoluteAltitude = 0;             // 3D: 1 = each sample at its own height, 0 = lap mean
    int32_t showSpeedInfo = 0;                // overlay lines
    int32_t showCornerSpeedInfo = 0;
    int32_t showPowerInfo = 0;
    int32_t showAltitudeInfo = 0;
    int32_t altitudeScale = 0;                // 0 x1, 1 x5, 2 x10
    int32_t showLapMarkPosition = 1;          // markers at the lap's start and goal
    int32_t showMaxSpeedPoint = 1;            // marker at the top-speed sample
    int32_t showCornerAltitude = 0;           // corner labels: altitude
    Colour uphillColour{1.0f, 1.0f, 0.0f};                // colour map: climbing
    Colour downhillColour{0.0f, 1.0f, 0.0f};                // colour map: descending
    Colour animationPointColour{1.0f, 1.0f, 0.0f};              // animated point
    int32_t inCarView = 0;                    // in-car camera while animating
    int32_t animationSpeed = 0;               // 0..3: timer 1000, 500, 250, 125 ms
};
static_assert(sizeof(ViewState) == 184);
static_assert(offsetof(ViewState, displayMode) == 0);
static_assert(offsetof(ViewState, showCornerSpeed) == 28);
static_assert(offsetof(ViewState, vehicleWeightKg) == 32);
static_assert(offsetof(ViewState, showOrigin) == 40);
static_assert(offsetof(ViewState, backgroundColour) == 44);
static_assert(offsetof(ViewState, accelColour) == 56);
static_assert(offsetof(ViewState, decelColour) == 68);
static_assert(offsetof(ViewState, gpsPointColour) == 80);
static_assert(offsetof(ViewState, roadColour) == 92);
static_assert(offsetof(ViewState, absoluteAltitude) == 104);
static_assert(offsetof(ViewState, showAltitudeInfo) == 120);
static_assert(offsetof(ViewState, altitudeScale) == 124);
static_assert(offsetof(ViewState, showCornerAltitude) == 136);
static_assert(offsetof(ViewState, uphillColour) == 140);
static_assert(offsetof(ViewState, downhillColour) == 152);
static_assert(offsetof(ViewState, animationPointColour) == 164);
static_assert(offsetof(ViewState, inCarView) == 176);
static_assert(offsetof(ViewState, animationSpeed) == 180);

extern ViewState viewState;

// Every field back to its start-up default, colours included.
void setViewStateDefaults();

// The eight colours back to their defaults; flags and weight stay.
void resetColours();

// Puts back to their defaults the fields of a damaged or foreign preference
// file that would crash a view or turn a figure into NaN: a weight that is not
// a positive number and colour channels that are not finite. Every other
// field is used as read.
void sanitiseViewState(ViewState& state);
