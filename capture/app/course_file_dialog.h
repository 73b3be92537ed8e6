// The course file dialogs remember where the last one left off; tests start afresh.
#pragma once

// Back to the first dialog of a run (opens in the current folder).
void resetFileDialogMemoryForTests();
