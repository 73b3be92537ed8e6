// Reference ellipsoids, with the values both programs use.
#pragma once

// WGS-84. The flattening is 1/298.257223563 rounded as the suite has always used it.
constexpr double WGS84_A = 6378137.0;            // metres, semi-major axis
constexpr double WGS84_F = 0.0033528106647478;   // flattening
constexpr double WGS84_E2 = WGS84_F * (2.0 - WGS84_F);  // first eccentricity squared

// Bessel 1841 (the Tokyo datum's ellipsoid), 1/299.1528128 rounded.
constexpr double BESSEL_A = 6377397.155;         // metres
constexpr double BESSEL_F = 0.00334277318;

constexpr double DEGREES_TO_RADIANS = 0.017453292519943295;
