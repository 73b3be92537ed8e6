// Inspection of the voice player, for tests.
#pragma once

#include <string>

// The file the player was last asked to play ("" before any cue).
std::string lastCueSourceForTests();
