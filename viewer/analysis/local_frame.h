// Positions of the drive in a local frame around the drive's origin.
#pragma once

#include "viewer/analysis/drive_model.h"

// Kilometres from the origin (driveModel.originLatitude/Longitude at height 0)
// to the WGS-84 position (degrees, degrees, metres): x north, y up, z east.
Vec3 toLocalFrame(double latitude, double longitude, double altitude);

// The same for one sample of the loaded drive.
Vec3 sampleInLocalFrame(int sample);
