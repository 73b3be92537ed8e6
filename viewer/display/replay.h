// Replay of the displayed lap: a point travelling one sample per timer tick.
#pragma once

// Timer period of an animation speed index; a damaged preference's index plays at 1000 ms.
int animationPeriodMs(int speedIndex);

void toggleAnimation();
void toggleAnimationPause();
void setAnimationSpeed(int speedIndex);
void toggleInCarView();
void restartAnimationForLap();
void stopAnimation();
void onAnimationTick();
