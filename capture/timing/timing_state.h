// One reset for every process-wide record of the timing layer.
#pragma once

// Back to program-start values: the course and courseModified, the lap-timing
// state and the pass log, the flash, the recorder (buffer freed, counters and
// flags zero, log folder and file counter back to their defaults), the beacon
// flags and port, and the settings (defaults). Call while no worker thread
// runs; every test fixture does.
void resetTimingState();

// Installs the reader hooks of the timing layer (lap check, flash poll, point
// registration). startMeasuring does it before the reader starts; tools that
// run the reader themselves call it too.
void installTimingHooks();
