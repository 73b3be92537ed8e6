#include "viewer/analysis/preference_files.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "common/record_io.h"
#include "platform/app_paths.h"
#include "common/atomic_file.h"

namespace {

// Opened for update, as the viewer always did: a read-only file counts as missing.
std::FILE* openForUpdate(const std::string& path) { return std::fopen(path.c_str(), "r+b"); }

template <typename T>
WriteOutcome writeImage(const std::string& path, const T& record) {
    const auto* bytes = reinterpret_cast<const char*>(&record);
    const FileWriteResult written = writeFileAtomically(path, std::string_view(bytes, sizeof(T)));
    if (written.status != FileWriteStatus::WRITTEN) return {1, written.error};
    return {0, ""};
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::string viewPrefsPath() { return platform::settingsDirectory() + VIEW_PREFS_FILE; }
std::string windowPrefsPath() { return platform::settingsDirectory() + WINDOW_PREFS_FILE; }

int readWindowRect(WindowRect& rect) {
    std::FILE* file = openForUpdate(windowPrefsPath());
    if (file == nullptr) return 1;
    WindowRect read;
    const size_t got = readRecord(file, read);
    std::fclose(file);
    // Only whole rectangles move the window; a torn one would place it anywhere.
    if (got != sizeof read) return 1;
    rect = read;
    return 0;
}

WriteOutcome writeWindowRect(const WindowRect& rect) { return writeImage(windowPrefsPath(), rect); }

int readViewPrefs(ViewState& state) {
    std::FILE* file = openForUpdate(viewPrefsPath());
    if (file == nullptr) return 1;
    readRecord(file, state);
    std::fclose(file);
    sanitiseViewState(state);
    return 0;
}

WriteOutcome writeViewPrefs(const ViewState& state) { return writeImage(viewPrefsPath(), state); }

bool applyWeightText(std::string_view text, double& weightKg) {
    text = text.substr(0, 255);
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return false;
    if (!std::isfinite(value) || !(value > 0.0)) return false;
    weightKg = value;
    return true;
}

std::string weightText(double weightKg) {
    // Room for the largest double written out in full: any positive weight
    // can be stored, and a short buffer would leave the text undefined.
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, weightKg, std::chars_format::fixed, 1);
    return std::string(text, result.ptr);
}
