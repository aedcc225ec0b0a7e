// The replay program of a fuzz target in the normal build: feeds every file
// named on the command line, or found in a folder named there, to the
// target's LLVMFuzzerTestOneInput, in name order. A broken promise aborts
// the program; otherwise it prints how many inputs ran.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "fuzz_support.h"

namespace fs = std::filesystem;

// Reads a whole file; false when it cannot be read.
static bool read_file(const fs::path& path, std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return false;
    bytes.clear();
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    bool ok = std::ferror(f) == 0;
    std::fclose(f);
    return ok;
}

int main(int argc, char** argv)
{
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        fs::path arg = argv[i];
        if (fs::is_directory(arg, error)) {
            for (const fs::directory_entry& entry : fs::directory_iterator(arg, error))
                if (entry.is_regular_file(error))
                    inputs.push_back(entry.path());
        } else if (fs::is_regular_file(arg, error)) {
            inputs.push_back(arg);
        } else {
            std::fprintf(stderr, "%s: no such file or folder\n", argv[i]);
            return 1;
        }
    }
    std::sort(inputs.begin(), inputs.end());
    std::vector<uint8_t> bytes;
    for (const fs::path& path : inputs) {
        if (!read_file(path, bytes)) {
            std::fprintf(stderr, "%s: cannot be read\n", path.c_str());
            return 1;
        }
        // Named first, so that an input that aborts the run is known.
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);
        // A vector's data may be null when empty; the target gets a valid pointer.
        uint8_t none = 0;
        LLVMFuzzerTestOneInput(bytes.empty() ? &none : bytes.data(), bytes.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}
