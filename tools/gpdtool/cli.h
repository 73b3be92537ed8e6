// What every gpdtool command shares: exit codes, the failure line, whole-word
// numbers, and loading a drive log with the viewer's defaults.
#pragma once

#include <charconv>
#include <cstdio>
#include <string>

#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/view_state.h"

namespace gpdtool {

constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

// "gpdtool: message" on stderr; EXIT_FAILED.
inline int fail(const std::string& message) {
    std::fprintf(stderr, "gpdtool: %s\n", message.c_str());
    return EXIT_FAILED;
}

// The whole of `text` as a number (no sign or space around it, nothing after it).
template <typename Number>
bool parseWhole(const std::string& text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

// Loads `path` into the drive model with the viewer's default settings; 0, or
// EXIT_FAILED with the reason printed.
inline int loadWithDefaults(const std::string& path) {
    setViewStateDefaults();
    if (loadDriveLog(path) != LOAD_OK) return fail(path + ": " + loadProblemText(lastLoadProblem()));
    return 0;
}

}  // namespace gpdtool
