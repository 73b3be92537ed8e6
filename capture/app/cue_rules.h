// Which voice file a cue plays, without any sound code.
#pragma once

#include <optional>
#include <string>

constexpr int CUE_COUNT = 6;  // cues 0..5: start, stop, two spare, point 1 pass, point 2 pass

// exeDir + "voice/000N.wav" for cue 0..5 with sound guidance on; nothing when
// guidance is off or the cue number is outside 0..5 (the number is taken as
// unsigned, so a negative one plays nothing either).
std::optional<std::string> cueFilePath(int cue, bool soundGuidance, const std::string& exeDir);
