// VBO text files: "[column names]" and "[data]" sections, positions in
// decimal minutes with longitude positive to the west, time as UTC hhmmss.sss.
#include <string>
#include <vector>

#include "import/recording.h"
#include "import/text_lines.h"

namespace {

using import_text::lineError;
using import_text::readNumber;

constexpr double MINUTES_PER_DEGREE = 60.0;

struct Columns {
    int time = -1, latitude = -1, longitude = -1, height = -1;
    size_t count = 0;
};

Columns findColumns(const std::vector<std::string_view>& names) {
    Columns c;
    c.count = names.size();
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string_view n = names[i];
        const int index = static_cast<int>(i);
        if (n == "time") c.time = index;
        if (n == "lat") c.latitude = index;
        if (n == "long") c.longitude = index;
        if (n == "height" && c.height < 0) c.height = index;
    }
    return c;
}

// "[laptiming]" line "Start +long1 +lat1 +long2 +lat2 ...": the midpoint of the
// start line, from decimal minutes with longitude positive west.
bool readStartLine(const std::vector<std::string_view>& cells, LatLon& point) {
    if (cells.size() < 5 || cells[0] != "Start") return false;
    double value[4] = {};
    for (int i = 0; i < 4; ++i) {
        if (!readNumber(cells[static_cast<size_t>(i) + 1], value[i])) return false;
    }
    point.longitude = -(value[0] + value[2]) / 2.0 / MINUTES_PER_DEGREE;
    point.latitude = (value[1] + value[3]) / 2.0 / MINUTES_PER_DEGREE;
    return true;
}

class VboReader {
public:
    explicit VboReader(RecordingResult& result) : result_(result), fixes_(result.recording.fixes) {}

    bool line(std::string_view text, int number) {
        const std::string_view trimmed = import_text::trim(text);
        if (!trimmed.empty() && trimmed.front() == '[') {
            section_ = std::string(trimmed);
            if (section_ == "[data]" && columns_.count == 0) return fail(number, "[data] before [column names]");
            return true;
        }
        if (trimmed.empty()) return true;
        import_text::splitBlanks(trimmed, cells_);
        if (section_ == "[column names]" && columns_.count == 0) return takeColumns(number);
        if (section_ == "[laptiming]" && !result_.recording.startFinish) {
            LatLon point;
            if (readStartLine(cells_, point)) result_.recording.startFinish = point;
        }
        if (section_ == "[data]") return takeRow(number);
        return true;
    }

    bool finish(int lines) {
        if (columns_.count == 0) return fail(lines, "no [column names] section");
        if (fixes_.size() < MIN_RECORDING_FIXES) return fail(lines, "fewer than two fixes in [data]");
        return true;
    }

private:
    bool fail(int number, const std::string& what) {
        result_.error = lineError(number, what);
        fixes_.clear();
        return false;
    }

    bool takeColumns(int number) {
        columns_ = findColumns(cells_);
        if (columns_.time < 0 || columns_.latitude < 0 || columns_.longitude < 0) {
            return fail(number, "the column names lack time, lat or long");
        }
        return true;
    }

    bool takeRow(int number) {
        if (cells_.size() != columns_.count) {
            return fail(number, std::to_string(cells_.size()) + " values, " + std::to_string(columns_.count) +
                                    " column names");
        }
        double secondsOfDay = 0.0, latMinutes = 0.0, longMinutes = 0.0, height = 0.0;
        if (!import_text::readTimeOfDay(cells_[static_cast<size_t>(columns_.time)], secondsOfDay)) {
            return fail(number, "time is not hhmmss.sss");
        }
        if (!readNumber(cells_[static_cast<size_t>(columns_.latitude)], latMinutes) ||
            !readNumber(cells_[static_cast<size_t>(columns_.longitude)], longMinutes) ||
            (columns_.height >= 0 && !readNumber(cells_[static_cast<size_t>(columns_.height)], height))) {
            return fail(number, "lat, long or height is not a number");
        }
        if (latMinutes == 0.0 && longMinutes == 0.0) return true;  // no satellite fix yet
        RecordedFix fix;
        fix.timeS = rollover_.apply(secondsOfDay);
        fix.latitude = latMinutes / MINUTES_PER_DEGREE;
        fix.longitude = -longMinutes / MINUTES_PER_DEGREE;
        fix.altitudeM = height;
        if (fix.latitude < -90.0 || fix.latitude > 90.0 || fix.longitude < -180.0 || fix.longitude > 180.0) {
            return fail(number, "position out of range");
        }
        if (!fixes_.empty() && fix.timeS <= fixes_.back().timeS) return true;  // repeated sample
        fixes_.push_back(fix);
        return true;
    }

    RecordingResult& result_;
    std::vector<RecordedFix>& fixes_;
    std::string section_;
    Columns columns_;
    std::vector<std::string_view> cells_;
    import_text::MidnightRollover rollover_;
};

}  // namespace

RecordingResult readVboFile(std::string_view text) {
    RecordingResult result;
    result.recording.format = RecordingFormat::Vbo;
    result.recording.clock = RecordingClock::SecondsOfDay;
    result.recording.fixes.reserve(text.size() / 100);
    VboReader reader(result);
    result.ok = import_text::readAllLines(reader, text);
    return result;
}
