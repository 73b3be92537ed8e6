// A drive log file, loaded and analysed from a reset drive model.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "viewer/analysis/analysis_state.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/drive_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Real logs grow by one record per fix; a few hundred KB keeps runs fast.
    if (size > 256 * 1024) return -1;
    resetDriveModel();
    resetAnalysisState();
    clearLoadProblem();
    loadDriveLog(fuzz::writeInput("input.gpd", data, size));
    return 0;
}
