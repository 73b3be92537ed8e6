// Command line of velmora-record.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct RecordOptions {
    std::string coursePath;
    std::optional<std::string> port;     // overrides the settings' GPS port name
    std::optional<int> baudRate;         // bits per second
    std::optional<int> samplingPeriodMs; // ms between samples
    std::optional<double> radiusM;       // pass radius, metres
    bool binary = false;                 // the receiver speaks the binary protocol
    bool interpolate = false;            // pass times at the closest approach
    std::optional<std::string> logDirectory;
    bool help = false;

    // --make-course: write a course file from known coordinates and exit.
    bool makeCourse = false;
    struct LatLon {
        double latitude = 0.0;   // degrees, north positive
        double longitude = 0.0;  // degrees, east positive
    };
    std::vector<LatLon> points;  // one or two
    int courseType = 0;          // CourseType
    std::string courseName;      // UTF-8
};

struct ParsedOptions {
    RecordOptions options;
    std::string error;  // empty when the command line is usable
};

ParsedOptions parseRecordOptions(const std::vector<std::string>& arguments);

extern const char* const RECORD_USAGE;
