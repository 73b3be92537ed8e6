// Voice and flash cues on the window thread.
#pragma once

class QWidget;

// Plays voice file n (0..5) from the "voice" folder beside the program when
// sound guidance is on; a new cue cuts off one still playing; a missing file
// or no audio device is silent. Window thread.
void playCue(int cue);
// Ends the voice at shutdown: stops it and lets a file still being read
// finish loading (at most a second), since the audio library's own teardown
// at exit deadlocks on a load still in progress. Window thread.
void stopCues();

// The full-screen flash window, created hidden at start-up.
void createFlashWindow();
// Shows it filled with captureSettings.flashColour, or hides it. Window thread.
void setFlashWindowVisible(bool visible);
// Destroys it at shutdown.
void destroyFlashWindow();
