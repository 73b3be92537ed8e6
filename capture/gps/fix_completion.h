// What every usable position goes through, whichever decoder produced it.
#pragma once

#include <cstdint>

// The sentence or packet that completed the fix. Only GGA and binary fixes
// open the recording gate (fixReceived); an RMC fix carries no altitude.
enum class FixVariant { Gga, Rmc, Binary };

// Geocentric conversion, distances to the course points, publication of the
// position, the recording gate and a pending point registration. Does nothing
// while the live position is not one received with a fix since the reader
// started, so no fix sits at the 0,0 of a reader start or of a receiver that
// lost its fix. Returns true when it ran.
bool completeFix(FixVariant variant);

// Hands gpsFix.position to the timing layer's point registration (the
// registerPoint reader hook), unless the fix has a latitude or longitude of
// exactly 0. The timing layer refuses a third point.
void registerPointFromFix();
void registerPointFromFix(int32_t datumCode);

// A decoder took a latitude and a longitude into gpsFix.position.
void notePositionReceived();
// A decoder took a position from a sentence that reports no fix: until the
// next notePositionReceived, no fix completion uses the live position.
void notePositionWithoutFix();
// The reader starts: gpsFix is cleared, no position received yet.
void resetLiveFix();
