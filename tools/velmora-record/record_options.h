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
    std::optional<std::string> logDirectory;
    bool help = false;
};

struct ParsedOptions {
    RecordOptions options;
    std::string error;  // empty when the command line is usable
};

ParsedOptions parseRecordOptions(const std::vector<std::string>& arguments);

extern const char* const RECORD_USAGE;
