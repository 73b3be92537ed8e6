// One reset for every process-wide record of the viewer's analysis.
#pragma once

// Back to program-start values: no drive (its arrays freed), the default view
// state and colours, no load problem. Every test fixture uses it.
void resetAnalysisState();
