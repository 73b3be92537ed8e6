#include "capture/timing/course_panel.h"

#include <cstdio>

#include "capture/gps/capture_sink.h"

namespace {

std::string formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

std::vector<std::pair<int, std::string>> coursePointPanelTexts(const Course& course) {
    static const int controls[2][3] = {
        {PANEL_POINT1_LATITUDE, PANEL_POINT1_LONGITUDE, PANEL_POINT1_ALTITUDE},
        {PANEL_POINT2_LATITUDE, PANEL_POINT2_LONGITUDE, PANEL_POINT2_ALTITUDE},
    };
    std::vector<std::pair<int, std::string>> texts;
    // Both slots whatever the count: an empty slot is all zero and shows so.
    for (int i = 0; i < COURSE_MAX_POINTS; ++i) {
        const GeoPoint& p = course.points[i];
        texts.emplace_back(controls[i][0], formatted("%0.8f度", p.latitude));
        texts.emplace_back(controls[i][1], formatted("%0.8f度", p.longitude));
        texts.emplace_back(controls[i][2], formatted("%0.3f(m)", p.altitude));
    }
    return texts;
}

std::vector<std::pair<int, std::string>> pointDistancePanelTexts(const double distanceM[2]) {
    return {
        {PANEL_POINT1_DISTANCE, formatted("%0.8f(m)", distanceM[0])},
        {PANEL_POINT2_DISTANCE, formatted("%0.8f(m)", distanceM[1])},
    };
}
