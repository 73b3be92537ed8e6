#include "tools/gps-sim/nmea_replay.h"

#include <algorithm>
#include <cctype>

namespace gpssim {

namespace {

constexpr double SECONDS_PER_DAY = 86400.0;

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

int twoDigits(std::string_view text, std::size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); }

std::optional<double> parseTimeField(std::string_view field) {
    if (field.size() < 6) return std::nullopt;
    for (std::size_t i = 0; i < 6; ++i)
        if (!isDigit(field[i])) return std::nullopt;
    int hour = twoDigits(field, 0), minute = twoDigits(field, 2), second = twoDigits(field, 4);
    if (hour > 23 || minute > 59 || second > 60) return std::nullopt;
    double fraction = 0.0;
    if (field.size() > 6) {
        if (field[6] != '.') return std::nullopt;
        std::string_view digits = field.substr(7);
        for (char c : digits)
            if (!isDigit(c)) return std::nullopt;
        double scale = 0.1;
        for (char c : digits) {
            fraction += (c - '0') * scale;
            scale /= 10.0;
        }
    }
    return hour * 3600.0 + minute * 60.0 + second + fraction;
}

}  // namespace

std::vector<std::string> splitCaptureLines(std::string_view content) {
    std::vector<std::string> lines;
    while (!content.empty()) {
        std::size_t newline = content.find('\n');
        std::string_view line = content.substr(0, newline);
        content.remove_prefix(newline == std::string_view::npos ? content.size() : newline + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(std::string(line) + "\r\n");
    }
    return lines;
}

std::optional<double> sentenceUtcSeconds(std::string_view line) {
    // "$ttGGA," or "$ttRMC,": the sentence may start anywhere after noise.
    for (std::size_t dollar = line.find('$'); dollar != std::string_view::npos; dollar = line.find('$', dollar + 1)) {
        std::string_view rest = line.substr(dollar);
        if (rest.size() < 7 || rest[6] != ',') continue;
        std::string_view kind = rest.substr(3, 3);
        if (kind != "GGA" && kind != "RMC") continue;
        std::string_view field = rest.substr(7);
        field = field.substr(0, field.find_first_of(",*\r\n"));
        return parseTimeField(field);
    }
    return std::nullopt;
}

std::vector<double> pacedSendTimesS(const std::vector<std::string>& lines, double maxStepS) {
    std::vector<double> times;
    times.reserve(lines.size());
    double nowS = 0.0;
    std::optional<double> lastUtcS;
    for (const std::string& line : lines) {
        if (std::optional<double> utc = sentenceUtcSeconds(line)) {
            if (lastUtcS) {
                double stepS = *utc - *lastUtcS;
                if (stepS < -SECONDS_PER_DAY / 2) stepS += SECONDS_PER_DAY;
                if (stepS > SECONDS_PER_DAY / 2) stepS -= SECONDS_PER_DAY;
                if (stepS > 0.0) nowS += std::min(stepS, maxStepS);
            }
            lastUtcS = utc;
        }
        times.push_back(nowS);
    }
    return times;
}

}  // namespace gpssim
