#include "viewer/analysis/drive_model.h"

DriveModel driveModel;

void resetDriveModel() {
    // Assigning a fresh model releases the arrays of the previous drive.
    driveModel = DriveModel{};
}

bool isLapCut(int lap) {
    if (lap < 0 || lap >= driveModel.lapCount || lap >= MAX_LAPS) return false;
    const LapRecord& record = driveModel.laps[static_cast<size_t>(lap)];
    return record.startSample >= 0 && record.endSample >= record.startSample &&
           record.endSample < driveModel.sampleCount;
}

bool hasCurrentLap() { return driveModel.loaded != 0 && isLapCut(driveModel.currentLap); }
