// The viewer's preference files beside its program: "quindle.pref" (the
// ViewState image, 184 bytes) and "quindlew.pref" (the window rectangle).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/atomic_file.h"
#include "viewer/analysis/view_state.h"

// The window's restored (normal) rectangle in screen pixels; 16 bytes on disk.
struct WindowRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;   // right - left
    int32_t height = 0;  // bottom - top
};
static_assert(sizeof(WindowRect) == 16);
static_assert(offsetof(WindowRect, width) == 8);

constexpr const char* VIEW_PREFS_FILE = "quindle.pref";
constexpr const char* WINDOW_PREFS_FILE = "quindlew.pref";

// Full paths beside the program (platform::settingsDirectory()).
std::string viewPrefsPath();
std::string windowPrefsPath();

// Reads the window rectangle. 0 on success; 1 when the file cannot be opened
// for update or holds fewer than 16 bytes (then `rect` is untouched).
int readWindowRect(WindowRect& rect);

// Writes all 16 bytes, replacing the file whole. 0 on success, 1 on failure.
WriteOutcome writeWindowRect(const WindowRect& rect);

// Reads up to 184 bytes over `state`: a short file changes only the leading
// fields. Out-of-range values are then put back to defaults. 0 on success,
// 1 when the file cannot be opened for update (`state` untouched).
int readViewPrefs(ViewState& state);

// Writes the whole 184-byte image, replacing the file whole. 0, or 1 with
// the reason.
WriteOutcome writeViewPrefs(const ViewState& state);

// The weight dialog's rule: `text` (at most 255 characters are taken) is
// stored in `weightKg` only when it is a decimal number greater than 0.
// Returns whether the weight changed hands.
bool applyWeightText(std::string_view text, double& weightKg);

// The text the weight dialog presets: "%.1f".
std::string weightText(double weightKg);
