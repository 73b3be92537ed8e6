#include "capture/gps/panel_text.h"

#include <charconv>
#include <cstring>

#include "capture/gps/capture_sink.h"

namespace {

// std::to_chars with a precision rounds exactly as printf's "%.*f" does and
// is several times faster, which matters at one call per field per sentence.
void showFixed(int controlId, double value, int decimals, std::string_view unit) {
    char text[400];  // room for any double in fixed notation plus the unit
    char* end = text + sizeof text - unit.size();
    auto result = std::to_chars(text, end, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) return;
    std::memcpy(result.ptr, unit.data(), unit.size());
    captureSink().setPanelText(controlId, std::string_view(text, result.ptr - text + unit.size()));
}

}  // namespace

void showDegrees(int controlId, double degrees) { showFixed(controlId, degrees, 8, "度"); }

void showAltitude(int controlId, double metres) { showFixed(controlId, metres, 3, "(m)"); }

void showText(int controlId, std::string_view utf8) { captureSink().setPanelText(controlId, utf8); }
