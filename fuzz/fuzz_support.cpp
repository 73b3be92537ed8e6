#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/exe_directory.h"

namespace fuzz {
namespace {

std::string makeScratch() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/vq-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::abort();
    }
    std::string directory = pattern + "/";
    platform::setExeDirectoryForTests(directory);
    // Removed again when the fuzzer exits normally.
    static const struct Cleanup {
        std::string path;
        ~Cleanup() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } cleanup{pattern};
    return directory;
}

}  // namespace

const std::string& scratchDirectory() {
    static const std::string directory = makeScratch();
    return directory;
}

std::string writeInput(const std::string& name, const uint8_t* data, size_t size) {
    const std::string path = scratchDirectory() + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::perror(path.c_str());
        std::abort();
    }
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    return path;
}

}  // namespace fuzz
