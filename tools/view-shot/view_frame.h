// The viewer's frame without its window: the projection of the display mode,
// the view, then the overlay, as the program draws every frame. Screenshots,
// the views' GL tests and the frame benchmark draw through it.
#pragma once

struct ScreenPoint {
    double x = 0.0;  // GL window pixels, origin bottom left
    double y = 0.0;
    bool ok = false;
};

// One frame of the loaded drive's current lap into the current GL context,
// `width` by `height` pixels (the viewport is set to that size first).
void drawViewFrame(int width, int height);

// The altitude factor of the frame: 1, 5 or 10 in 3D by the altitude scale, else 1.
float frameAltitudeFactor();

// Where the current mode's projection and camera put scene point (x, y, z)
// (3D: km with heights as drawn; 2D: (x, z, 0); graphs: (ms, value, 0)).
ScreenPoint projectScenePoint(int width, int height, double x, double y, double z);
