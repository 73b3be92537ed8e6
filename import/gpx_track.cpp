// GPX 1.1 tracks: every <trkpt lat lon> with its <time> (and <ele>) in file order.
#include <algorithm>
#include <string>

#include "import/recording.h"
#include "import/text_lines.h"
#include "import/utc_time.h"

namespace {

using import_text::lineError;
using import_text::readNumber;

class GpxScanner {
public:
    explicit GpxScanner(std::string_view text) : text_(text) {}

    int lineAt(size_t pos) {
        // Line numbers are counted forward only, so scanning stays linear.
        pos = std::min(pos, text_.size());
        if (pos < countedTo_) return line_;
        line_ += static_cast<int>(std::count(text_.begin() + static_cast<long>(countedTo_),
                                             text_.begin() + static_cast<long>(pos), '\n'));
        countedTo_ = pos;
        return line_;
    }

    // The value of attribute `name` in the tag text, without its quotes.
    static bool attribute(std::string_view tag, std::string_view name, std::string_view& value) {
        for (size_t at = tag.find(name); at != std::string_view::npos; at = tag.find(name, at + 1)) {
            const bool wordStart = at > 0 && (tag[at - 1] == ' ' || tag[at - 1] == '\t' || tag[at - 1] == '\n' ||
                                              tag[at - 1] == '\r');
            size_t p = at + name.size();
            while (p < tag.size() && tag[p] == ' ') ++p;
            if (!wordStart || p >= tag.size() || tag[p] != '=') continue;
            ++p;
            while (p < tag.size() && tag[p] == ' ') ++p;
            if (p >= tag.size() || (tag[p] != '"' && tag[p] != '\'')) return false;
            const size_t end = tag.find(tag[p], p + 1);
            if (end == std::string_view::npos) return false;
            value = tag.substr(p + 1, end - p - 1);
            return true;
        }
        return false;
    }

    // Text of the first <name>...</name> inside `body`.
    static bool element(std::string_view body, std::string_view name, std::string_view& value) {
        const std::string open = "<" + std::string(name) + ">";
        const std::string close = "</" + std::string(name) + ">";
        const size_t start = body.find(open);
        if (start == std::string_view::npos) return false;
        const size_t end = body.find(close, start);
        if (end == std::string_view::npos) return false;
        value = import_text::trim(body.substr(start + open.size(), end - start - open.size()));
        return true;
    }

private:
    std::string_view text_;
    size_t countedTo_ = 0;
    int line_ = 1;
};

std::string unescaped(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        static constexpr std::pair<std::string_view, char> ENTITIES[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
        bool known = false;
        for (const auto& [entity, c] : ENTITIES) {
            if (text.substr(i, entity.size()) == entity) {
                out += c;
                i += entity.size() - 1;
                known = true;
                break;
            }
        }
        if (!known) out += '&';
    }
    return out;
}

bool fail(RecordingResult& result, int line, const std::string& what) {
    result.error = lineError(line, what);
    result.recording.fixes.clear();
    return false;
}

// One <trkpt ...>...</trkpt> (or <trkpt .../>) starting at `start`; `next` is set past it.
bool readPoint(std::string_view text, size_t start, GpxScanner& scanner, RecordingResult& result, size_t& next) {
    const int line = scanner.lineAt(start);
    const size_t tagEnd = text.find('>', start);
    if (tagEnd == std::string_view::npos) return fail(result, line, "track point cut off");
    const std::string_view tag = text.substr(start, tagEnd - start);
    std::string_view body;
    if (tag.back() == '/') {
        next = tagEnd + 1;
    } else {
        const size_t close = text.find("</trkpt>", tagEnd);
        const size_t nextPoint = text.find("<trkpt", tagEnd);
        if (close == std::string_view::npos || nextPoint < close) return fail(result, line, "track point without </trkpt>");
        body = text.substr(tagEnd + 1, close - tagEnd - 1);
        next = close + 8;
    }
    RecordedFix fix;
    std::string_view lat, lon, time, ele;
    if (!GpxScanner::attribute(tag, "lat", lat) || !GpxScanner::attribute(tag, "lon", lon) ||
        !readNumber(lat, fix.latitude) || !readNumber(lon, fix.longitude) || fix.latitude < -90.0 ||
        fix.latitude > 90.0 || fix.longitude < -180.0 || fix.longitude > 180.0) {
        return fail(result, line, "track point without a valid lat and lon");
    }
    if (!GpxScanner::element(body, "time", time) || !readIsoTime(time, fix.timeS)) {
        return fail(result, line, "track point without a valid <time>");
    }
    if (GpxScanner::element(body, "ele", ele) && !readNumber(ele, fix.altitudeM)) {
        return fail(result, line, "<ele> is not a number");
    }
    std::vector<RecordedFix>& fixes = result.recording.fixes;
    if (fixes.empty() || fix.timeS > fixes.back().timeS) fixes.push_back(fix);
    return true;
}

}  // namespace

RecordingResult readGpxTrack(std::string_view text) {
    RecordingResult result;
    Recording& recording = result.recording;
    recording.format = RecordingFormat::Gpx;
    recording.clock = RecordingClock::UnixSeconds;
    GpxScanner scanner(text);
    const size_t track = text.find("<trk>");
    if (track == std::string_view::npos) {
        fail(result, scanner.lineAt(text.size()), "no <trk> track in the file");
        return result;
    }
    std::string_view name;
    const size_t firstPoint = text.find("<trkpt", track);
    if (GpxScanner::element(text.substr(track, firstPoint - track), "name", name)) recording.name = unescaped(name);
    for (size_t at = firstPoint; at != std::string_view::npos; at = text.find("<trkpt", at)) {
        size_t next = 0;
        if (!readPoint(text, at, scanner, result, next)) return result;
        at = next;
    }
    if (text.find("</gpx>") == std::string_view::npos) {
        fail(result, scanner.lineAt(text.size()), "the file ends before </gpx>");
        return result;
    }
    if (recording.fixes.size() < MIN_RECORDING_FIXES) {
        fail(result, scanner.lineAt(text.size()), "fewer than two track points with a time");
        return result;
    }
    result.ok = true;
    return result;
}
