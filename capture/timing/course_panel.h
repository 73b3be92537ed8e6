// The status panel's texts for the course points, as values the window applies.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "common/records.h"

// Latitude and longitude ("%0.8f度") and altitude ("%0.3f(m)") of both point
// slots, registered or not (an empty slot shows zeros), for controls 1005 to
// 1008, 1019 and 1020, in that order of points: point 1 latitude, longitude,
// altitude, then point 2.
std::vector<std::pair<int, std::string>> coursePointPanelTexts(const Course& course);

// Distances to both points ("%0.8f(m)", -1 for unknown shows as such) for
// controls 1013 (point 1) and 1012 (point 2). The window passes
// publishedPointDistances().distanceM, safe while the reader runs.
std::vector<std::pair<int, std::string>> pointDistancePanelTexts(const double distanceM[2]);
