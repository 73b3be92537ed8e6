// The receiver fields of the status panel, formatted without allocation.
#pragma once

#include <string_view>

// "%0.8f度": a latitude or longitude in degrees.
void showDegrees(int controlId, double degrees);
// "%0.3f(m)": an altitude in metres.
void showAltitude(int controlId, double metres);
void showText(int controlId, std::string_view utf8);
