// Shared helpers for the fuzz targets: a per-process scratch folder, so that
// loaders which take a path read the input from a file there and nothing is
// ever written beside the program or into the source tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// A folder made once per process with mkdtemp under $TMPDIR (or /tmp), with a
// trailing '/'. Also made the program folder, so files kept "beside the
// program" (settings, preferences) live there.
const std::string& scratchDirectory();

// Replaces scratchDirectory() + name with the input bytes; returns the path.
std::string writeInput(const std::string& name, const uint8_t* data, size_t size);

}  // namespace fuzz
