#include "tools/velmora-record/record_options.h"

#include <charconv>
#include <cmath>

const char* const RECORD_USAGE =
    "usage: velmora-record [options] COURSE.gps\n"
    "Measures laps against the course, prints one line per counted pass and,\n"
    "on Ctrl-C (SIGINT) or SIGTERM, writes the drive log and prints \"log: PATH\".\n"
    "Settings come from velmora.pref and velmora-timing.pref beside the program\n"
    "(defaults when missing).\n"
    "  --port DEVICE   GPS port (/dev/ttyUSB0, ttyACM0, COM1)\n"
    "  --baud N        GPS port speed, bits per second\n"
    "  --period MS     sampling period in milliseconds\n"
    "  --radius M      pass radius around a course point, metres\n"
    "  --binary        the receiver speaks the GPS-4711qx binary protocol (9600 baud\n"
    "                  unless --baud says otherwise)\n"
    "  --log-dir DIR   folder for drive logs (default: log/ beside the program)\n"
    "  --interpolate   stamp each pass at the closest approach between two fixes\n"
    "Output lines: \"start port DEVICE\", \"pass N tick MS point P"
    " [laps L lap_ms MS time HH:MM:SS:TT]\", \"log: PATH\" (or \"log: -\").\n"
    "\n"
    "usage: velmora-record --make-course COURSE.gps --point LAT,LON [--point LAT,LON]\n"
    "                      [--type loop|open|open-return] [--name NAME]\n"
    "Writes a course file from known coordinates (WGS-84 degrees, north and east\n"
    "positive): one point for a loop course, start and finish for the open types.\n";

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

bool parseLatLon(const std::string& text, RecordOptions::LatLon& point) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) return false;
    return parseDouble(text.substr(0, comma), point.latitude) &&
           parseDouble(text.substr(comma + 1), point.longitude) && std::fabs(point.latitude) <= 90.0 &&
           std::fabs(point.longitude) <= 180.0;
}

bool parseCourseType(const std::string& text, int& type) {
    const char* const names[] = {"loop", "open", "open-return"};
    for (int i = 0; i < 3; ++i) {
        if (text == names[i]) {
            type = i;
            return true;
        }
    }
    return false;
}

// Checks the course options against each other once all are read.
std::string checkCourseOptions(const RecordOptions& o) {
    if (!o.makeCourse) {
        return o.points.empty() && o.courseName.empty() ? "" : "--point and --name go with --make-course";
    }
    const size_t needed = o.courseType == 0 ? 1 : 2;
    if (o.points.size() != needed) {
        return needed == 1 ? "a loop course takes one --point" : "an open course takes two --point";
    }
    return "";
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
            a == "--port" || a == "--baud" || a == "--period" || a == "--radius" || a == "--log-dir" ||
            a == "--point" || a == "--type" || a == "--name";
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
        } else if (a == "--interpolate") {
            o.interpolate = true;
        } else if (a == "--log-dir") {
            if (value.empty()) return fail("--log-dir needs a folder");
            o.logDirectory = value;
        } else if (a == "--make-course") {
            o.makeCourse = true;
        } else if (a == "--point") {
            RecordOptions::LatLon point;
            if (!parseLatLon(value, point) || o.points.size() == 2) return fail("bad --point: " + value);
            o.points.push_back(point);
        } else if (a == "--type") {
            if (!parseCourseType(value, o.courseType)) return fail("bad --type: " + value);
        } else if (a == "--name") {
            o.courseName = value;
        } else if (a.size() > 1 && a[0] == '-') {
            return fail("unknown option " + a);
        } else if (o.coursePath.empty()) {
            o.coursePath = a;
        } else {
            return fail("more than one course file given");
        }
    }
    if (!o.help && o.coursePath.empty()) return fail("no course file given");
    if (!o.help) {
        if (std::string problem = checkCourseOptions(o); !problem.empty()) return fail(problem);
    }
    return parsed;
}
