// What every usable position goes through, whichever decoder produced it.
#pragma once

// The sentence or packet that completed the fix. Only GGA and binary fixes
// open the recording gate (fixReceived); an RMC fix carries no altitude.
enum class FixVariant { Gga, Rmc, Binary };

// Geocentric conversion, distances to the course points, publication of the
// position, the recording gate and a pending point registration. Does nothing
// while no position has been received since the reader started, so the first
// fix of a measurement can never sit at 0,0. Returns true when it ran.
bool completeFix(FixVariant variant);

// Appends gpsFix.position to the course points, unless the fix has a latitude
// or longitude of exactly 0 or the course already holds two points.
void registerPointFromFix();

// A decoder took a latitude and a longitude into gpsFix.position.
void notePositionReceived();
// The reader starts: gpsFix is cleared, no position received yet.
void resetLiveFix();
