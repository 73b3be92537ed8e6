#include "viewer/analysis/analysis_state.h"

#include "viewer/analysis/comparison_state.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/view_state.h"

void resetAnalysisState() {
    resetDriveModel();
    setViewStateDefaults();
    clearLoadProblem();
    comparisonState = ComparisonState{};
}
