// Runs a fuzz target over saved inputs without libFuzzer, so that any build
// (GCC with AddressSanitizer and UBSan in the test suite) replays the corpora
// and a crash that was fixed stays fixed. Arguments: files or folders (every
// regular file in a folder, in name order). Exits 1 when an argument cannot be
// read; a fault in the target aborts under the sanitizers.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool collect(const std::filesystem::path& path, std::vector<std::filesystem::path>& inputs) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
            if (entry.is_regular_file()) files.push_back(entry.path());
        }
        if (error) return false;
        std::sort(files.begin(), files.end());
        inputs.insert(inputs.end(), files.begin(), files.end());
        return true;
    }
    if (!std::filesystem::is_regular_file(path, error)) return false;
    inputs.push_back(path);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        if (!collect(argv[i], inputs)) {
            std::fprintf(stderr, "replay: cannot read %s\n", argv[i]);
            return 1;
        }
    }
    for (const auto& path : inputs) {
        std::ifstream file(path, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (!file.eof() && file.fail()) {
            std::fprintf(stderr, "replay: cannot read %s\n", path.c_str());
            return 1;
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return 0;
}
