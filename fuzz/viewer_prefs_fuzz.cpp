// The viewer's two preference files beside the program (in the scratch folder):
// the same bytes are read as the view preferences and as the window rectangle.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "viewer/analysis/preference_files.h"
#include "viewer/analysis/view_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return -1;
    fuzz::writeInput(VIEW_PREFS_FILE, data, size);
    fuzz::writeInput(WINDOW_PREFS_FILE, data, size);
    resetColours();
    ViewState state{};
    readViewPrefs(state);
    WindowRect rect{};
    readWindowRect(rect);
    return 0;
}
