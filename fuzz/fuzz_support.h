// Shared helpers of the fuzz targets: the check that stops a run when a
// loader breaks its promise, the file that path-taking loaders read, and the
// headless display the image loaders need.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "platform/platform.h"
#include "render/colours.h"
#include "render/display.h"
#include "shell/shell.h"

// Every target provides this; libFuzzer calls it, and so does the replay
// program of the normal build.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// Stops the run with a message when a loader's promise does not hold: a
// refusal that changed a table, a success that left a table out of range.
// libFuzzer keeps the input as a crash; the replay program fails.
#define FUZZ_CHECK(condition)                                                             \
    do {                                                                                  \
        if (!(condition)) {                                                               \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                 \
        }                                                                                 \
    } while (0)

namespace fuzz {

// The file that the loaders taking a path read: one per process, in memory
// when /dev/shm exists, so that two fuzzers can run side by side.
inline const char* input_path()
{
    static char path[64];
    if (path[0] == 0) {
        const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::snprintf(path, sizeof path, "%s/brask_fuzz_%d", folder, static_cast<int>(getpid()));
        // Removed when the run ends normally (a crash leaves it for a look).
        std::atexit([] { unlink(path); });
    }
    return path;
}

// Writes the input to input_path(); false when the file cannot be written.
inline bool write_input(const uint8_t* data, size_t size)
{
    FILE* f = std::fopen(input_path(), "wb");
    if (f == nullptr)
        return false;
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// Starts the headless display at depth 16 once, as the entry does.
inline void start_display_once()
{
    if (display_started())
        return;
    platform_create_window("fuzz", 1024, 768);
    main_window = 1;
    screen_width = 800;
    screen_height = 600;
    bits_per_pixel = 16;
    colour_key = pack_colour(255, 0, 255);
    FUZZ_CHECK(start_display(main_window, 16));
    init_colours();
    screen_pitch = screen_width;
}

}  // namespace fuzz
