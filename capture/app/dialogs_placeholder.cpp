// Stand-ins until the real dialogs and cues arrive: every dialog answers
// Cancel, cues are silent and the flash never shows.
#include "capture/app/capture_cues.h"
#include "capture/app/capture_dialogs.h"

bool runGpsPortDialog(QWidget*) { return false; }
bool runGpsSettingsDialog(QWidget*) { return false; }
bool runBeaconPortDialog(QWidget*) { return false; }
int askCourseName(QWidget*) { return 1; }
int chooseCourseFile(QWidget*, std::string&, bool, const std::string&) { return 1; }
void showAboutBox(QWidget*) {}
bool chooseFlashColour(QWidget*) { return false; }

void playCue(int) {}
void createFlashWindow() {}
void setFlashWindowVisible(bool) {}
void destroyFlashWindow() {}
