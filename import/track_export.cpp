#include "import/track_export.h"

#include <algorithm>
#include <cstdio>

#include "import/utc_time.h"

namespace {

std::string xmlEscaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string formatted(const char* format, double a, double b, double c) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

// Slow blue through green and yellow to fast red, as KML's aabbggrr.
std::string bandColour(int band) {
    const double f = KML_SPEED_BANDS > 1 ? static_cast<double>(band) / (KML_SPEED_BANDS - 1) : 0.0;
    const int red = static_cast<int>(255.0 * std::clamp(2.0 * f - 0.5, 0.0, 1.0));
    const int green = static_cast<int>(255.0 * std::clamp(1.5 - std::abs(2.0 * f - 1.0) * 1.5, 0.0, 1.0));
    const int blue = static_cast<int>(255.0 * std::clamp(1.0 - 2.0 * f, 0.0, 1.0));
    char text[16];
    std::snprintf(text, sizeof text, "ff%02x%02x%02x", blue, green, red);
    return text;
}

int speedBand(double speed, double low, double high) {
    if (high <= low) return 0;
    const int band = static_cast<int>((speed - low) / (high - low) * KML_SPEED_BANDS);
    return std::clamp(band, 0, KML_SPEED_BANDS - 1);
}

std::string kmlCoordinate(const ExportPoint& p) {
    return formatted("%.8f,%.8f,%.2f ", p.longitude, p.latitude, p.altitudeM);
}

}  // namespace

std::string gpxTrackText(std::string_view name, const std::vector<ExportPoint>& points) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"gpdtool\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
        "  <trk>\n    <name>" + xmlEscaped(name) + "</name>\n    <trkseg>\n";
    for (const ExportPoint& p : points) {
        out += formatted("      <trkpt lat=\"%.8f\" lon=\"%.8f\"><ele>%.3f</ele>", p.latitude, p.longitude, p.altitudeM);
        out += "<time>" + isoTimeText(p.unixMs) + "</time></trkpt>\n";
    }
    out += "    </trkseg>\n  </trk>\n</gpx>\n";
    return out;
}

std::string kmlTrackText(std::string_view name, const std::vector<ExportPoint>& points) {
    double low = 0.0, high = 0.0;
    if (points.size() > 1) {  // the lap's first sample has no speed of its own
        const auto [slow, fast] = std::minmax_element(points.begin() + 1, points.end(),
            [](const ExportPoint& a, const ExportPoint& b) { return a.speedKmh < b.speedKmh; });
        low = slow->speedKmh;
        high = fast->speedKmh;
    }
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n  <name>" + xmlEscaped(name) + "</name>\n";
    for (int band = 0; band < KML_SPEED_BANDS; ++band) {
        out += "  <Style id=\"speed" + std::to_string(band) + "\"><LineStyle><color>" + bandColour(band) +
               "</color><width>4</width></LineStyle></Style>\n";
    }
    // One placemark per run of points in the same speed band; each run starts
    // at the last point of the one before, so the line has no gaps.
    size_t start = 0;
    while (start + 1 < points.size()) {
        const int band = speedBand(points[start + 1].speedKmh, low, high);
        size_t end = start + 1;
        while (end + 1 < points.size() && speedBand(points[end + 1].speedKmh, low, high) == band) ++end;
        out += formatted("  <Placemark><name>%.0f-%.0f km/h</name>", low + (high - low) * band / KML_SPEED_BANDS,
                         low + (high - low) * (band + 1) / KML_SPEED_BANDS, 0.0);
        out += "<styleUrl>#speed" + std::to_string(band) + "</styleUrl><LineString><coordinates>";
        for (size_t i = start; i <= end; ++i) out += kmlCoordinate(points[i]);
        out += "</coordinates></LineString></Placemark>\n";
        start = end;
    }
    out += "</Document>\n</kml>\n";
    return out;
}

bool exportFormatOf(std::string_view path, ExportFormat& format) {
    if (path.size() < 4) return false;
    std::string extension(path.substr(path.size() - 4));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".gpx") format = ExportFormat::Gpx;
    else if (extension == ".kml") format = ExportFormat::Kml;
    else return false;
    return true;
}

WriteOutcome writeTrackFile(const std::string& path, ExportFormat format, std::string_view name,
                            const std::vector<ExportPoint>& points) {
    const std::string text = format == ExportFormat::Gpx ? gpxTrackText(name, points) : kmlTrackText(name, points);
    const FileWriteResult written = writeFileAtomically(path, text);
    if (written.status == FileWriteStatus::WRITTEN) return {0, {}};
    return {1, written.error.empty() ? "cannot write " + path : written.error};
}
