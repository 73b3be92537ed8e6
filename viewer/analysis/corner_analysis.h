// Heading changes, corner marks and corner apexes of one lap.
//
// Works on driveModel.turnAngles and driveModel.cornerMarks over the lap's
// samples; the lap's points must already be centred on its box.
#pragma once

#include "viewer/analysis/drive_model.h"

// Change of heading (degrees, -180..180, positive = right turn) from the
// direction (d1North, d1East) to (d2North, d2East). Headings run from north
// towards east; changes below TURN_ZERO count as 0; a zero vector gives 0.
double turnAngleDeg(double d1North, double d1East, double d2North, double d2East);

// turnAngles[k] from the neighbours of sample k (start < k < end of `lap`).
// Over a repeated position the step reaches one sample further; such a
// neighbour outside the lap is taken in this lap's frame.
void headingChange(int k, const LapRecord& lap);

// Clears single-sample turns against the trend (a lone right between lefts
// and the reverse), in place, in increasing order.
void removeTurnSpikes(int start, int end);

// Marks turning samples (CORNER_TURNING) from the turn angles.
void markCorners(int start, int end);

// Sets CORNER_APEX at the middle of each run of turning samples on one side.
// A run still going at the lap's end gets no apex.
void markApexes(int start, int end);

// All of the above for one lap, start and end turns set to 0.
void analyseCorners(const LapRecord& lap);
