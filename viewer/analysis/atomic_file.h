// Whole-file replacement that never leaves a half-written file behind.
#pragma once

#include <string>
#include <string_view>

// Writes `bytes` to a temporary file in the folder of `path`, flushes it to
// disk and renames it over `path`. On any failure the temporary file is
// removed, `path` is untouched and the result is false.
bool writeFileAtomically(const std::string& path, std::string_view bytes);
