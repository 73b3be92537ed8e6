// The viewer's commands for other loggers' files: opening a recording as a
// drive (open, drop, command line and hand-over all come through
// openRecording) and writing the displayed lap as GPX or KML.
#pragma once

#include <string>

class QWidget;

// "GPX/KMLファイル出力...", after the CSV export in the file menu.
constexpr int CMD_EXPORT_TRACK = 34010;

// The open dialog's filters after the drive log's own.
constexpr const char* RECORDING_OPEN_FILTERS =
    "他のロガーの記録 NMEA / VBO / CSV / GPX (*.nmea *.vbo *.csv *.gpx *.txt *.log);;すべてのファイル (*)";

// Like openDriveLog for a recording (isRecordingPath): the drive is replaced
// only on success; `message` names file and reason otherwise.
int openRecording(const std::string& path, std::string& message);

// Save dialog for the current lap as .gpx or .kml, then the file.
void exportCurrentLapTrack(QWidget* owner);
