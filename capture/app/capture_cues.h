// Voice and flash cues on the window thread.
#pragma once

class QWidget;

// Plays voice file n (0..5) from the "voice" folder beside the program when
// sound guidance is on; a new cue cuts off one still playing; a missing file
// or no audio device is silent. Window thread.
void playCue(int cue);

// The full-screen flash window, created hidden at start-up.
void createFlashWindow();
// Shows it filled with captureSettings.flashColour, or hides it. Window thread.
void setFlashWindowVisible(bool visible);
// Destroys it at shutdown.
void destroyFlashWindow();
