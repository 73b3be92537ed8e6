#include "tools/velmora-record/record_options.h"

#include <charconv>
#include <cmath>

const char* const RECORD_USAGE =
    "usage: velmora-record [options] COURSE.gps\n"
    "Measures laps against the course, prints one line per counted pass and,\n"
    "on Ctrl-C (SIGINT) or SIGTERM, writes the drive log and prints \"log: PATH\".\n"
    "Settings come from velmora.pref beside the program (defaults when missing).\n"
    "  --port DEVICE   GPS port (/dev/ttyUSB0, ttyACM0, COM1)\n"
    "  --baud N        GPS port speed, bits per second\n"
    "  --period MS     sampling period in milliseconds\n"
    "  --radius M      pass radius around a course point, metres\n"
    "  --binary        the receiver speaks the GPS-4711qx binary protocol\n"
    "  --log-dir DIR   folder for drive logs (default: log/ beside the program)\n"
    "Output lines: \"start port DEVICE\", \"pass N tick MS point P"
    " [laps L lap_ms MS time HH:MM:SS:TT]\", \"log: PATH\" (or \"log: -\").\n";

namespace {

bool parseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

bool parseDouble(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

}  // namespace

ParsedOptions parseRecordOptions(const std::vector<std::string>& arguments) {
    ParsedOptions parsed;
    RecordOptions& o = parsed.options;
    auto fail = [&](const std::string& message) {
        parsed.error = message;
        return parsed;
    };
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        const bool takesValue =
            a == "--port" || a == "--baud" || a == "--period" || a == "--radius" || a == "--log-dir";
        if (takesValue && i + 1 >= arguments.size()) return fail(a + " needs a value");
        const std::string value = takesValue ? arguments[++i] : std::string();
        int number = 0;
        double real = 0.0;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--port") {
            if (value.empty()) return fail("--port needs a device name");
            o.port = value;
        } else if (a == "--baud") {
            if (!parseInt(value, number) || number <= 0) return fail("bad --baud: " + value);
            o.baudRate = number;
        } else if (a == "--period") {
            if (!parseInt(value, number) || number <= 0) return fail("bad --period: " + value);
            o.samplingPeriodMs = number;
        } else if (a == "--radius") {
            if (!parseDouble(value, real) || real <= 0.0) return fail("bad --radius: " + value);
            o.radiusM = real;
        } else if (a == "--binary") {
            o.binary = true;
        } else if (a == "--log-dir") {
            if (value.empty()) return fail("--log-dir needs a folder");
            o.logDirectory = value;
        } else if (a.size() > 1 && a[0] == '-') {
            return fail("unknown option " + a);
        } else if (o.coursePath.empty()) {
            o.coursePath = a;
        } else {
            return fail("more than one course file given");
        }
    }
    if (!o.help && o.coursePath.empty()) return fail("no course file given");
    return parsed;
}
