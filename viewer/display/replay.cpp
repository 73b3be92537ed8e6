#include "viewer/display/replay.h"

#include "pl/pl.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/view_state.h"
#include "viewer/display/commands.h"
#include "viewer/display/display_state.h"
#include "viewer/display/frame.h"

namespace {

int frameCountOfDisplayedLap() {
    if (!hasCurrentLap()) return 0;
    const LapRecord& lap = driveModel.laps[static_cast<size_t>(driveModel.currentLap)];
    return lap.endSample - lap.startSample + 1;
}

void startTimer() {
    plSetTimer(mainWindowId, ANIMATION_TIMER_ID, animationPeriodMs(viewState.animationSpeed), onAnimationTick);
}

}  // namespace

int animationPeriodMs(int speedIndex) {
    static constexpr int periods[] = {1000, 500, 250, 125};
    return speedIndex >= 0 && speedIndex <= 3 ? periods[speedIndex] : 1000;
}

void toggleAnimation() {
    animation.animationFrame = 0;
    animation.animationPaused = false;
    animation.animating = !animation.animating;
    // Only a lap that was cut can play: a drive without one stays stopped.
    if (animation.animating && frameCountOfDisplayedLap() <= 0) animation.animating = false;
    if (animation.animating) {
        startTimer();
        animation.animationFrameCount = frameCountOfDisplayedLap();
    } else {
        plKillTimer(mainWindowId, ANIMATION_TIMER_ID);
        frameHost.update();
    }
    refreshMenuStates();
}

void toggleAnimationPause() {
    animation.animationPaused = !animation.animationPaused;
    refreshMenuStates();
}

void setAnimationSpeed(int speedIndex) {
    viewState.animationSpeed = speedIndex;
    refreshMenuStates();
    if (!animation.animating) return;
    startTimer();
    animation.animationFrameCount = frameCountOfDisplayedLap();
    // The position stays; keep it inside the lap should the count have shrunk.
    if (animation.animationFrame >= animation.animationFrameCount) animation.animationFrame = 0;
}

void toggleInCarView() {
    viewState.inCarView = viewState.inCarView != 0 ? 0 : 1;
    refreshMenuStates();
}

void restartAnimationForLap() {
    if (!animation.animating) return;
    animation.animationFrame = 0;
    animation.animationFrameCount = frameCountOfDisplayedLap();
    if (animation.animationFrameCount <= 0) stopAnimation();
}

void stopAnimation() {
    if (!animation.animating) return;
    plKillTimer(mainWindowId, ANIMATION_TIMER_ID);
    animation.animating = false;
    animation.animationFrame = 0;
}

void onAnimationTick() {
    // Without a GL context (no window yet, or a test) the frame is skipped; the replay still moves.
    if (plDrawstrat(mainWindowId) == 0) {
        drawFrame();
        plDrawend(mainWindowId);
    }
    if (animation.animationPaused || animation.animationFrameCount <= 0) return;
    if (++animation.animationFrame >= animation.animationFrameCount) animation.animationFrame = 0;
}
