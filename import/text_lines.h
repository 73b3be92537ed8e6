// Line and number helpers shared by the recording readers.
#pragma once

#include <charconv>
#include <string>
#include <string_view>
#include <vector>

namespace import_text {

// Walks a text line by line; lines end in LF, CR LF or the end of the text.
// The line handed out has no line end.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        size_t end = text_.find('\n', pos_);
        const bool last = end == std::string_view::npos;
        if (last) end = text_.size();
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = last ? end : end + 1;
        ++number_;
        return true;
    }
    int number() const { return number_; }  // of the last line handed out, from 1

private:
    std::string_view text_;
    size_t pos_ = 0;
    int number_ = 0;
};

// Hands every line of `text` to `reader.line(line, number)` until one is
// refused; then `reader.finish(lastNumber)` says whether the whole text was good.
template <typename Reader>
bool readAllLines(Reader& reader, std::string_view text) {
    LineReader lines(text);
    std::string_view line;
    while (lines.next(line)) {
        if (!reader.line(line, lines.number())) return false;
    }
    return reader.finish(lines.number());
}

inline std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// A whole text read as a decimal number ("+12.5", "-3", "1.2E+01"); false for
// anything else, empty text included.
inline bool readNumber(std::string_view text, double& value) {
    text = trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

// Splits at every separator; no quoting beyond what callers strip.
inline void split(std::string_view line, char separator, std::vector<std::string_view>& cells) {
    cells.clear();
    size_t start = 0;
    while (true) {
        const size_t end = line.find(separator, start);
        if (end == std::string_view::npos) {
            cells.push_back(line.substr(start));
            return;
        }
        cells.push_back(line.substr(start, end - start));
        start = end + 1;
    }
}

// Splits at runs of blanks (spaces or tabs).
inline void splitBlanks(std::string_view line, std::vector<std::string_view>& cells) {
    cells.clear();
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) cells.push_back(line.substr(start, i - start));
    }
}

inline std::string lineError(int line, const std::string& what) {
    return "line " + std::to_string(line) + ": " + what;
}

// "hhmmss[.sss]" to seconds of the day; false for anything else.
inline bool readTimeOfDay(std::string_view text, double& seconds) {
    text = trim(text);
    if (text.size() < 6) return false;
    for (int i = 0; i < 6; ++i) {
        if (text[static_cast<size_t>(i)] < '0' || text[static_cast<size_t>(i)] > '9') return false;
    }
    const int hour = (text[0] - '0') * 10 + (text[1] - '0');
    const int minute = (text[2] - '0') * 10 + (text[3] - '0');
    const int second = (text[4] - '0') * 10 + (text[5] - '0');
    if (hour > 23 || minute > 59 || second > 60) return false;
    double fraction = 0.0;
    if (text.size() > 6) {
        if (text[6] != '.') return false;
        if (text.size() > 7 && !readNumber(text.substr(6), fraction)) return false;
    }
    seconds = hour * 3600.0 + minute * 60.0 + second + fraction;
    return true;
}

// Times of day that fall back by more than half a day crossed midnight.
class MidnightRollover {
public:
    double apply(double secondsOfDay) {
        if (seen_ && secondsOfDay + dayOffsetS_ < last_ - HALF_DAY_S) dayOffsetS_ += DAY_S;
        last_ = secondsOfDay + dayOffsetS_;
        seen_ = true;
        return last_;
    }

private:
    static constexpr double DAY_S = 86400.0;
    static constexpr double HALF_DAY_S = 43200.0;
    double dayOffsetS_ = 0.0;
    double last_ = 0.0;
    bool seen_ = false;
};

}  // namespace import_text
