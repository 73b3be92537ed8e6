#include "tools/gps-sim/track_csv.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

namespace gpssim {

namespace {

constexpr double LAP_LEAVE_DISTANCE_M = 100.0;
constexpr double LAP_CLOSE_DISTANCE_M = 25.0;

bool parseDouble(std::string_view text, double& value) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

bool looksNumeric(std::string_view line) {
    return !line.empty() && (std::isdigit(static_cast<unsigned char>(line.front())) ||
                             line.front() == '-' || line.front() == '+' || line.front() == '.');
}

// Fills `sample` from one data row; returns an error text or "".
std::string parseRow(std::string_view line, TrackSample& sample) {
    std::vector<std::string_view> f = splitFields(line);
    if (f.size() < 3) return "expected time_s,lat,lon[,alt_m]";
    if (!parseDouble(f[0], sample.timeS)) return "bad time";
    if (!parseDouble(f[1], sample.position.latitudeDeg) || std::fabs(sample.position.latitudeDeg) > 90.0)
        return "bad latitude";
    if (!parseDouble(f[2], sample.position.longitudeDeg) || std::fabs(sample.position.longitudeDeg) > 180.0)
        return "bad longitude";
    sample.altitudeM = 0.0;
    if (f.size() > 3 && !f[3].empty() && !parseDouble(f[3], sample.altitudeM)) return "bad altitude";
    return "";
}

}  // namespace

TrackReadResult parseTrackCsv(std::string_view text) {
    TrackReadResult result;
    int lineNumber = 0;
    while (!text.empty()) {
        std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || (lineNumber == 1 && !looksNumeric(line))) continue;
        TrackSample sample;
        std::string problem = parseRow(line, sample);
        if (problem.empty() && !result.samples.empty() && sample.timeS < result.samples.back().timeS)
            problem = "time goes backwards";
        if (!problem.empty()) {
            result.error = "line " + std::to_string(lineNumber) + ": " + problem;
            result.samples.clear();
            return result;
        }
        if (!result.samples.empty() && sample.timeS == result.samples.back().timeS) continue;
        result.samples.push_back(sample);
    }
    if (result.samples.size() < 2) result.error = "fewer than two track rows";
    return result;
}

TrackReadResult readTrackCsv(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {{}, "cannot open " + path};
    std::ostringstream content;
    content << in.rdbuf();
    TrackReadResult result = parseTrackCsv(content.str());
    if (!result.error.empty()) result.error = path + ": " + result.error;
    return result;
}

std::size_t lapEndIndex(const std::vector<TrackSample>& samples) {
    if (samples.size() < 2) return samples.empty() ? 0 : samples.size() - 1;
    LocalFrame frame(samples.front().position);
    PlanePoint start{};
    bool leftStart = false;
    std::size_t best = samples.size() - 1;
    double bestDistanceM = LAP_CLOSE_DISTANCE_M;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        double d = distanceM(start, frame.toPlane(samples[i].position));
        if (d > LAP_LEAVE_DISTANCE_M) leftStart = true;
        if (leftStart && d < bestDistanceM) {
            bestDistanceM = d;
            best = i;
        }
    }
    return best;
}

}  // namespace gpssim
