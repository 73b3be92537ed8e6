// CSV exports of lap-timer apps and loggers: metadata lines, then a header row
// naming the time, latitude and longitude columns, units rows, then data.
#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <vector>

#include "import/csv_header.h"
#include "import/recording.h"
#include "import/text_lines.h"

namespace {

using import_text::lineError;
using import_text::readNumber;
using import_text::trim;

constexpr double UNIX_SECONDS_FROM = 1.0e8;        // 1973: smaller times are relative
constexpr double UNIX_MILLISECONDS_FROM = 1.0e11;  // such a time counts milliseconds

// A header name in one spelling: lower case, quotes, units in brackets and
// separators between words dropped ("GPS Latitude (deg)" -> "gpslatitude").
std::string normalisedName(std::string_view cell) {
    std::string name;
    for (char c : trim(cell)) {
        if (c == '(' || c == '[') break;
        if (std::isalnum(static_cast<unsigned char>(c))) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name;
}

template <size_t N>
int findColumn(const std::vector<std::string>& names, const std::array<std::string_view, N>& spellings) {
    for (std::string_view spelling : spellings) {  // earlier spellings are preferred
        const auto it = std::find(names.begin(), names.end(), spelling);
        if (it != names.end()) return static_cast<int>(it - names.begin());
    }
    return -1;
}

constexpr std::array<std::string_view, 11> TIME_NAMES = {
    "timestamp", "unixtime", "utctime", "time", "times", "timesec", "gpstime", "elapsedtime", "elapsed",
    "seconds", "sessiontime"};
constexpr std::array<std::string_view, 5> LATITUDE_NAMES = {"latitude", "lat", "gpslatitude", "latdeg",
                                                            "latitudedeg"};
constexpr std::array<std::string_view, 7> LONGITUDE_NAMES = {"longitude", "lon",          "long",  "lng",
                                                             "gpslongitude", "londeg", "longdeg"};
constexpr std::array<std::string_view, 7> ALTITUDE_NAMES = {"altitude", "alt",  "altm",     "altitudem",
                                                            "elevation", "ele", "gpsaltitude"};
constexpr std::array<std::string_view, 6> UPDATE_NAMES = {"gpsupdate", "update", "newfix", "fixupdate",
                                                          "updated",  "gpsnew"};
constexpr std::array<std::string_view, 6> START_FINISH_NAMES = {"startfinish", "startfinishline", "startline",
                                                                "finishline", "start", "sf"};

struct Columns {
    int time = -1, latitude = -1, longitude = -1, altitude = -1, update = -1;
    size_t count = 0;
};

bool findHeader(const std::vector<std::string_view>& cells, Columns& c) {
    std::vector<std::string> names;
    names.reserve(cells.size());
    for (std::string_view cell : cells) names.push_back(normalisedName(cell));
    c.time = findColumn(names, TIME_NAMES);
    c.latitude = findColumn(names, LATITUDE_NAMES);
    c.longitude = findColumn(names, LONGITUDE_NAMES);
    c.altitude = findColumn(names, ALTITUDE_NAMES);
    c.update = findColumn(names, UPDATE_NAMES);
    c.count = cells.size();
    return c.time >= 0 && c.latitude >= 0 && c.longitude >= 0;
}

std::string_view unquoted(std::string_view cell) {
    cell = trim(cell);
    if (cell.size() >= 2 && cell.front() == '"' && cell.back() == '"') cell = cell.substr(1, cell.size() - 2);
    return cell;
}

// Metadata line "Start/Finish,LAT,LON" (a point) or "...,LAT1,LON1,LAT2,LON2"
// (a line, whose midpoint is taken).
bool readStartFinish(const std::vector<std::string_view>& cells, LatLon& point) {
    if (cells.size() < 3) return false;
    const std::string name = normalisedName(cells[0]);
    if (std::find(START_FINISH_NAMES.begin(), START_FINISH_NAMES.end(), name) == START_FINISH_NAMES.end()) {
        return false;
    }
    std::vector<double> values;
    for (size_t i = 1; i < cells.size() && values.size() < 4; ++i) {
        double v = 0.0;
        if (readNumber(unquoted(cells[i]), v)) values.push_back(v);
    }
    if (values.size() == 4) {
        point = {(values[0] + values[2]) / 2.0, (values[1] + values[3]) / 2.0};
    } else if (values.size() >= 2) {
        point = {values[0], values[1]};
    } else {
        return false;
    }
    return point.latitude >= -90.0 && point.latitude <= 90.0 && point.longitude >= -180.0 &&
           point.longitude <= 180.0;
}

class CsvReader {
public:
    explicit CsvReader(RecordingResult& result) : result_(result), fixes_(result.recording.fixes) {}

    bool line(std::string_view text, int number) {
        const std::string_view trimmed = trim(text);
        if (trimmed.empty() || trimmed.front() == '#') return true;
        import_text::split(trimmed, separator(trimmed), cells_);
        if (columns_.count == 0) return metadataOrHeader();
        return row(number);
    }

    bool finish(int lines) {
        if (columns_.count == 0) return fail(lines, "no header row naming time, latitude and longitude columns");
        if (fixes_.size() < MIN_RECORDING_FIXES) return fail(lines, "fewer than two fixes");
        Recording& r = result_.recording;
        const double first = fixes_.front().timeS;
        r.clock = first >= UNIX_SECONDS_FROM ? RecordingClock::UnixSeconds : RecordingClock::Relative;
        if (first >= UNIX_MILLISECONDS_FROM) {
            for (RecordedFix& fix : fixes_) fix.timeS /= 1000.0;
        }
        return true;
    }

private:
    char separator(std::string_view line) {
        if (columns_.count == 0) {
            const auto commas = std::count(line.begin(), line.end(), ',');
            const auto semicolons = std::count(line.begin(), line.end(), ';');
            const auto tabs = std::count(line.begin(), line.end(), '\t');
            separator_ = semicolons > commas && semicolons >= tabs ? ';' : tabs > commas ? '\t' : ',';
        }
        return separator_;
    }

    bool fail(int number, const std::string& what) {
        result_.error = lineError(number, what);
        fixes_.clear();
        return false;
    }

    bool metadataOrHeader() {
        if (findHeader(cells_, columns_)) return true;
        columns_.count = 0;
        LatLon point;
        if (!result_.recording.startFinish && readStartFinish(cells_, point)) result_.recording.startFinish = point;
        const std::string key = normalisedName(cells_[0]);
        if ((key == "sessiontitle" || key == "trackname" || key == "track" || key == "session") &&
            cells_.size() > 1 && result_.recording.name.empty()) {
            result_.recording.name = std::string(unquoted(cells_[1]));
        }
        return true;
    }

    std::string_view cell(int column) const { return unquoted(cells_[static_cast<size_t>(column)]); }

    bool row(int number) {
        if (cells_.size() < columns_.count) {
            return fail(number, std::to_string(cells_.size()) + " fields, the header has " +
                                    std::to_string(columns_.count));
        }
        RecordedFix fix;
        const bool numeric = readNumber(cell(columns_.latitude), fix.latitude) &&
                             readNumber(cell(columns_.longitude), fix.longitude) &&
                             readNumber(cell(columns_.time), fix.timeS);
        if (!numeric) {
            if (!dataStarted_) return true;  // units or source rows under the header
            if (cell(columns_.latitude).empty() || cell(columns_.longitude).empty()) return true;  // no fix
            return fail(number, "time, latitude or longitude is not a number");
        }
        dataStarted_ = true;
        if (columns_.update >= 0) {
            double flag = 0.0;
            if (readNumber(cell(columns_.update), flag) && flag == 0.0) return true;  // repeats the last fix
        }
        if (columns_.altitude >= 0 && !readNumber(cell(columns_.altitude), fix.altitudeM)) fix.altitudeM = 0.0;
        if (fix.latitude < -90.0 || fix.latitude > 90.0 || fix.longitude < -180.0 || fix.longitude > 180.0) {
            return fail(number, "position out of range");
        }
        if (fix.latitude == 0.0 && fix.longitude == 0.0) return true;  // no fix yet
        if (!fixes_.empty() && fix.timeS <= fixes_.back().timeS) return true;  // a repeated fix
        fixes_.push_back(fix);
        return true;
    }

    RecordingResult& result_;
    std::vector<RecordedFix>& fixes_;
    Columns columns_;
    char separator_ = ',';
    bool dataStarted_ = false;
    std::vector<std::string_view> cells_;
};

}  // namespace

RecordingResult readCsvLog(std::string_view text) {
    RecordingResult result;
    result.recording.format = RecordingFormat::Csv;
    CsvReader reader(result);
    result.ok = import_text::readAllLines(reader, text);
    return result;
}

bool hasCsvLogHeader(std::string_view head) {
    import_text::LineReader lines(head);
    std::string_view line;
    std::vector<std::string_view> cells;
    Columns columns;
    while (lines.next(line)) {
        for (char separator : {',', ';', '\t'}) {
            import_text::split(trim(line), separator, cells);
            if (cells.size() >= 3 && findHeader(cells, columns)) return true;
        }
    }
    return false;
}
