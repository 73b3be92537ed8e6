// The capture program's modal dialogs. Each is owned by `owner` (the frame),
// centred over it, edits the process-wide records (gpsPort, beaconPort,
// captureSettings, the course) only on OK, and gives the keyboard focus back
// to the frame as the frame expects. Cancel changes nothing.
#pragma once

#include <string>

class QWidget;

// "GPSポートの設定": port name, speed, byte size, parity, stop bits, datum and
// the binary receiver box. true on OK.
bool runGpsPortDialog(QWidget* owner);
// "GPSの設定": pass radius, sampling period, maximum recording time. true on OK.
bool runGpsSettingsDialog(QWidget* owner);
// "MoTeCビーコンポートの設定": the beacon port name. true on OK.
bool runBeaconPortDialog(QWidget* owner);
// Course name and type asked at measurement start: 0 to go on, 1 to abandon.
int askCourseName(QWidget* owner);
// Open or save dialog for a course file. `path` holds the current path on
// entry and the chosen full path on return 0; 1 when cancelled (path kept).
int chooseCourseFile(QWidget* owner, std::string& path, bool forSaving, const std::string& titleUtf8);
// About box.
void showAboutBox(QWidget* owner);
// "フラッシュカラーの選択": stores the chosen colour in captureSettings.flashColour. true on OK.
bool chooseFlashColour(QWidget* owner);
