// One lap written for map tools: a GPX 1.1 track with times and elevations, or
// a KML line coloured by speed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/atomic_file.h"

struct ExportPoint {
    int64_t unixMs = 0;      // UTC time of the sample
    double latitude = 0.0;   // degrees, north positive
    double longitude = 0.0;  // degrees, east positive
    double altitudeM = 0.0;
    double speedKmh = 0.0;
};

enum class ExportFormat { Gpx, Kml };

// Speed bands of the KML line, slowest first; each is one colour.
constexpr int KML_SPEED_BANDS = 8;

// `name` is UTF-8 and becomes the track's (GPX) or document's (KML) name.
std::string gpxTrackText(std::string_view name, const std::vector<ExportPoint>& points);
std::string kmlTrackText(std::string_view name, const std::vector<ExportPoint>& points);

// The format an output name asks for by its extension (.gpx / .kml, any case).
bool exportFormatOf(std::string_view path, ExportFormat& format);

// Writes the file whole or not at all. Status 0 written, 1 failed (`error` says why).
WriteOutcome writeTrackFile(const std::string& path, ExportFormat format, std::string_view name,
                            const std::vector<ExportPoint>& points);
