#include "tools/gps-sim/sim_options.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <set>

namespace gpssim {

namespace {

using Setter = std::function<std::string(SimOptions&, std::string_view)>;

// Which modes accept an option: bit per SimMode.
constexpr unsigned REPLAY = 1, LOOP = 2, OUT_AND_BACK = 4, TRACK = 8;
constexpr unsigned SIMULATED = LOOP | OUT_AND_BACK | TRACK;
constexpr unsigned SYNTHETIC = LOOP | OUT_AND_BACK;
constexpr unsigned ALL = REPLAY | SIMULATED;

struct OptionRule {
    const char* name;
    bool takesValue;
    unsigned modes;
    Setter set;
};

unsigned modeBit(SimMode mode) {
    switch (mode) {
    case SimMode::Replay: return REPLAY;
    case SimMode::Loop: return LOOP;
    case SimMode::OutAndBack: return OUT_AND_BACK;
    case SimMode::Track: return TRACK;
    }
    return 0;
}

std::optional<double> toDouble(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

// Sets `target` from a number within [low, high]; returns an error text or "".
std::string readNumber(std::string_view text, double low, double high, double& target) {
    std::optional<double> value = toDouble(text);
    if (!value || *value < low || *value > high)
        return "expects a number from " + std::to_string(low) + " to " + std::to_string(high) + ", got \"" +
               std::string(text) + "\"";
    target = *value;
    return "";
}

std::string readInteger(std::string_view text, int low, int high, int& target) {
    double value = 0.0;
    std::string error = readNumber(text, low, high, value);
    if (!error.empty()) return error;
    if (value != std::floor(value)) return "expects a whole number, got \"" + std::string(text) + "\"";
    target = static_cast<int>(value);
    return "";
}

std::string readLatLon(std::string_view text, LatLon& target) {
    std::vector<std::string_view> parts = split(text, ',');
    std::optional<double> lat = parts.size() == 2 ? toDouble(parts[0]) : std::nullopt;
    std::optional<double> lon = parts.size() == 2 ? toDouble(parts[1]) : std::nullopt;
    if (!lat || !lon) return "expects LAT,LON in decimal degrees, got \"" + std::string(text) + "\"";
    // The flat frame needs a usable east scale, so the poles themselves are out.
    if (std::fabs(*lat) > 89.0 || std::fabs(*lon) > 180.0)
        return "position out of range (latitude within 89 degrees, longitude within 180): \"" + std::string(text) +
               "\"";
    target = {*lat, *lon};
    return "";
}

std::string readSixDigits(std::string_view text, int& a, int& b, int& c) {
    if (text.size() != 6) return "expects six digits";
    for (char ch : text)
        if (ch < '0' || ch > '9') return "expects six digits";
    a = (text[0] - '0') * 10 + (text[1] - '0');
    b = (text[2] - '0') * 10 + (text[3] - '0');
    c = (text[4] - '0') * 10 + (text[5] - '0');
    return "";
}

std::string setStartUtc(SimOptions& o, std::string_view v) {
    int h = 0, m = 0, s = 0;
    std::string error = readSixDigits(v, h, m, s);
    if (error.empty() && (h > 23 || m > 59 || s > 59)) error = "is not a time of day";
    if (!error.empty()) return error + " (hhmmss), got \"" + std::string(v) + "\"";
    o.startUtc.hour = h;
    o.startUtc.minute = m;
    o.startUtc.second = s;
    return "";
}

std::string setDate(SimOptions& o, std::string_view v) {
    int d = 0, m = 0, y = 0;
    std::string error = readSixDigits(v, d, m, y);
    static constexpr int DAYS_IN_MONTH[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = y % 4 == 0;  // years 2000..2099
    if (error.empty() && (m < 1 || m > 12 || d < 1 || d > DAYS_IN_MONTH[m - 1] || (m == 2 && d == 29 && !leap)))
        error = "is not a date";
    if (!error.empty()) return error + " (ddmmyy), got \"" + std::string(v) + "\"";
    o.startUtc.day = d;
    o.startUtc.month = m;
    o.startUtc.year = 2000 + y;
    return "";
}

std::string setWaypoints(SimOptions& o, std::string_view v) {
    o.waypoints.clear();
    for (std::string_view part : split(v, ';')) {
        if (part.empty()) continue;  // tolerate a trailing ';'
        LatLon p;
        std::string error = readLatLon(part, p);
        if (!error.empty()) return error;
        o.waypoints.push_back(p);
    }
    if (o.waypoints.size() < 2) return "needs at least two waypoints \"lat,lon;lat,lon;...\"";
    return "";
}

std::string setCircle(SimOptions& o, std::string_view v) {
    std::size_t lastComma = v.rfind(',');
    Circle c;
    if (lastComma == std::string_view::npos) return "expects LAT,LON,RADIUS_M";
    std::string error = readLatLon(v.substr(0, lastComma), c.centre);
    if (error.empty()) error = readNumber(v.substr(lastComma + 1), 1.0, 100000.0, c.radiusM);
    if (!error.empty()) return error;
    o.circle = c;
    return "";
}

std::string setSpeedProfile(SimOptions& o, std::string_view v) {
    o.speedProfileKmh.clear();
    for (std::string_view part : split(v, ';')) {
        if (part.empty()) continue;
        double kmh = 0.0;
        std::string error = readNumber(part, 0.1, 1000.0, kmh);
        if (!error.empty()) return error;
        o.speedProfileKmh.push_back(kmh);
    }
    if (o.speedProfileKmh.empty()) return "expects \"KMH;KMH;...\"";
    return "";
}

std::string setBinaryKind(SimOptions& o, std::string_view v) {
    if (v == "alt" || v == "alternate") o.binaryKind = BinaryKind::Alternate;
    else if (v == "75") o.binaryKind = BinaryKind::Only75;
    else if (v == "36") o.binaryKind = BinaryKind::Only36;
    else return "expects 75, 36 or alt, got \"" + std::string(v) + "\"";
    o.binary = true;
    return "";
}

Setter number(double SimOptions::*field, double low, double high) {
    return [=](SimOptions& o, std::string_view v) { return readNumber(v, low, high, o.*field); };
}

Setter integer(int SimOptions::*field, int low, int high) {
    return [=](SimOptions& o, std::string_view v) { return readInteger(v, low, high, o.*field); };
}

Setter flag(bool SimOptions::*field) {
    return [=](SimOptions& o, std::string_view) {
        o.*field = true;
        return std::string();
    };
}

Setter path(std::string SimOptions::*field) {
    return [=](SimOptions& o, std::string_view v) {
        o.*field = v;
        return v.empty() ? std::string("expects a path") : std::string();
    };
}

std::string setPoint(SimOptions& o, std::string_view v) {
    LatLon p;
    std::string error = readLatLon(v, p);
    if (error.empty()) o.point = p;
    return error;
}

const std::vector<OptionRule>& optionTable() {
    static const std::vector<OptionRule> table = {
        {"--waypoints", true, SYNTHETIC, setWaypoints},
        {"--circle", true, LOOP, setCircle},
        {"--speed", true, SYNTHETIC, number(&SimOptions::speedKmh, 0.1, 1000.0)},
        {"--speed-profile", true, SYNTHETIC, setSpeedProfile},
        {"--laps", true, SIMULATED, integer(&SimOptions::laps, 1, 100000)},
        {"--lead-in", true, SIMULATED, number(&SimOptions::leadInS, 0.0, 3600.0)},
        {"--alt", true, SYNTHETIC, number(&SimOptions::altitudeM, -1000.0, 10000.0)},
        {"--rate", true, SIMULATED, number(&SimOptions::rateHz, 1.0, 20.0)},
        {"--speedup", true, ALL, number(&SimOptions::speedup, 0.001, 1000.0)},
        {"--start-utc", true, SIMULATED, setStartUtc},
        {"--date", true, SIMULATED, setDate},
        {"--geoid", true, SIMULATED, number(&SimOptions::geoidSeparationM, -200.0, 200.0)},
        {"--quality", true, SIMULATED, integer(&SimOptions::quality, 0, 9)},
        {"--binary", false, SIMULATED, flag(&SimOptions::binary)},
        {"--binary-kind", true, SIMULATED, setBinaryKind},
        {"--line-interval-ms", true, REPLAY, integer(&SimOptions::lineIntervalMs, 0, 60000)},
        {"--paced", false, REPLAY, flag(&SimOptions::paced)},
        {"--max-gap", true, REPLAY, number(&SimOptions::maxGapS, 0.0, 86400.0)},
        {"--point", true, SIMULATED, setPoint},
        {"--truth", true, SIMULATED, path(&SimOptions::truthPath)},
        {"--pass-radius", true, SIMULATED, number(&SimOptions::passRadiusM, 0.01, 100000.0)},
        {"--link", true, ALL, path(&SimOptions::linkPath)},
        {"--hold", false, ALL, flag(&SimOptions::hold)},
        {"--settle-ms", true, ALL, integer(&SimOptions::settleMs, 0, 10000)},
        {"--open-timeout", true, ALL, number(&SimOptions::openTimeoutS, 0.0, 86400.0)},
    };
    return table;
}

const char* modeName(SimMode mode) {
    switch (mode) {
    case SimMode::Replay: return "replay";
    case SimMode::Loop: return "loop";
    case SimMode::OutAndBack: return "out-and-back";
    case SimMode::Track: return "track";
    }
    return "";
}

std::optional<SimMode> modeFromName(std::string_view name) {
    for (SimMode m : {SimMode::Replay, SimMode::Loop, SimMode::OutAndBack, SimMode::Track})
        if (name == modeName(m)) return m;
    return std::nullopt;
}

// Rules that involve more than one option.
std::string checkCombination(const SimOptions& o, const std::set<std::string>& given) {
    bool needsFile = o.mode == SimMode::Replay || o.mode == SimMode::Track;
    if (needsFile && o.inputPath.empty()) return std::string(modeName(o.mode)) + " needs a FILE";
    if (!needsFile && !o.inputPath.empty()) return std::string(modeName(o.mode)) + " takes no FILE";
    if (o.mode == SimMode::Loop && o.waypoints.empty() == !o.circle)
        return "loop needs either --waypoints or --circle";
    if (o.mode == SimMode::OutAndBack && o.waypoints.empty()) return "out-and-back needs --waypoints";
    if (given.count("--speed") && given.count("--speed-profile")) return "give --speed or --speed-profile, not both";
    if (!o.speedProfileKmh.empty()) {
        if (o.circle) return "--speed-profile needs --waypoints (a circle is driven at --speed)";
        if (o.speedProfileKmh.size() != o.waypoints.size())
            return "--speed-profile has " + std::to_string(o.speedProfileKmh.size()) + " speeds for " +
                   std::to_string(o.waypoints.size()) + " waypoints";
    }
    if (o.point.has_value() != !o.truthPath.empty()) return "--point and --truth go together";
    return "";
}

}  // namespace

namespace {

struct Arguments {
    std::vector<std::string> positional;
    std::vector<std::pair<const OptionRule*, std::string>> settings;  // in command-line order
    std::set<std::string> given;
};

// Sorts the words into positional arguments and known options with their values
// ("--name value" or "--name=value"); returns an error text or "".
std::string collectArguments(const std::vector<std::string>& args, Arguments& out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (arg.rfind("--", 0) != 0 || arg == "--") {
            out.positional.push_back(arg);
            continue;
        }
        std::string value;
        std::size_t eq = arg.find('=');
        bool inlineValue = eq != std::string::npos;
        if (inlineValue) {
            value = arg.substr(eq + 1);
            arg.resize(eq);
        }
        const OptionRule* rule = nullptr;
        for (const OptionRule& r : optionTable())
            if (arg == r.name) rule = &r;
        if (!rule) return "unknown option " + arg;
        if (!rule->takesValue && inlineValue) return arg + " takes no value";
        if (rule->takesValue && !inlineValue) {
            if (i + 1 >= args.size()) return arg + " needs a value";
            value = args[++i];
        }
        out.settings.emplace_back(rule, value);
        out.given.insert(arg);
    }
    return "";
}

}  // namespace

ParsedOptions parseSimOptions(const std::vector<std::string>& args) {
    ParsedOptions parsed;
    SimOptions& o = parsed.options;
    for (const std::string& arg : args)
        if (arg == "--help" || arg == "-h") {
            o.help = true;  // usage wins over everything else on the line
            return parsed;
        }
    Arguments a;
    parsed.error = collectArguments(args, a);
    if (!parsed.error.empty()) return parsed;
    if (a.positional.empty()) return {o, "no mode given (replay, loop, out-and-back or track)"};
    std::optional<SimMode> mode = modeFromName(a.positional[0]);
    if (!mode) return {o, "unknown mode \"" + a.positional[0] + "\""};
    o.mode = *mode;
    if (a.positional.size() > 2) return {o, "unexpected argument \"" + a.positional[2] + "\""};
    if (a.positional.size() == 2) o.inputPath = a.positional[1];
    for (auto& [rule, value] : a.settings) {
        if (!(rule->modes & modeBit(o.mode)))
            return {o, std::string(rule->name) + " does not apply to " + modeName(o.mode)};
        std::string error = rule->set(o, value);
        if (!error.empty()) return {o, std::string(rule->name) + " " + error};
    }
    parsed.error = checkCombination(o, a.given);
    return parsed;
}

std::string usageText() {
    return R"(usage: gps-sim MODE [FILE] [OPTIONS]

A simulated GPS receiver on a pseudo-terminal. Prints the terminal's device path
as the first line of standard output, waits until a reader opens it, then sends.
Ends (status 0) when the reader closes the terminal, or half a second after the
end of the input (bytes the reader has not taken by then are lost: see --hold).

Modes:
  replay FILE.nmea      send a recorded capture line by line, each ending in CR LF
  loop                  laps of a closed polyline (--waypoints) or a circle (--circle)
  out-and-back          along an open polyline (--waypoints) to its end and back
  track FILE.csv        a recorded track (time_s,lat,lon,alt_m with a header line)
                        at its own pace; a lap ends where the recording comes back
                        within 25 m of its first position, each lap starts again there

Drive (loop, out-and-back, track):
  --waypoints "LAT,LON;LAT,LON;..."  decimal degrees, north and east positive
  --circle LAT,LON,RADIUS_M          starts at the north point, drives clockwise
  --speed KMH                        constant speed (default 60)
  --speed-profile "KMH;KMH;..."      speed at each waypoint, changing linearly in time
  --laps K                           laps, round trips or track repetitions (default 1)
  --lead-in S                        seconds standing at the start first (default 1)
  --alt M                            altitude, loop and out-and-back (default 50)

Fixes (loop, out-and-back, track):
  --rate HZ               fixes per simulated second, 1-20 (default 10)
  --start-utc hhmmss      UTC time of the first fix (default 120000)
  --date ddmmyy           UTC date of the first fix (default 150625)
  --quality Q             GGA fix quality, 0 = no fix (RMC status V) (default 1)
  --geoid M               GGA geoid separation (default 36.7)
  --binary                send binary packets 0x75 and 0x36, alternating, instead of
                          "$GPGGA" + "$GPRMC"
  --binary-kind 75|36|alt send only one packet kind (implies --binary)

Ground truth (loop, out-and-back, track):
  --point LAT,LON  --truth FILE
                   writes FILE before the first byte is sent: one line
                   "pass INDEX SIM_S WALL_S" per visit of the point's disc of
                   --pass-radius, at the closest approach of the continuous path,
                   INDEX from 1, SIM_S simulated seconds since the first fix,
                   WALL_S wall seconds since the first byte; '#' lines are comments
  --pass-radius M  (default 15)

Replay:
  --line-interval-ms N    wall milliseconds between lines (default 10)
  --paced                 follow the GGA/RMC times of the capture instead
  --max-gap S             longest wait between two paced times (default 60)

Timing and the port:
  --speedup F             wall time runs F times faster than simulated time
                          (sentences keep simulated UTC times) (default 1)
  --link PATH             symbolic link to the device, removed at exit
  --hold                  at the end of the input keep the terminal open until
                          killed or the reader closes it, so it can drain
  --settle-ms N           pause after the reader opens before the first byte, so
                          the reader's purge on open cannot eat it (default 200)
  --open-timeout S        give up (status 1) if no reader opens within S seconds
                          (default 0: wait for ever)
  --help                  this text

Errors in the command line or the input files end with status 2 or 1 and a
message on standard error.
)";
}

}  // namespace gpssim
