// Fuzz target of the glyph table loader: any bytes either load 256 records
// that are exactly the file's and within the largest image, or are refused
// with a reason and leave the table as it was.
#include <cstring>

#include "fuzz_support.h"
#include "render/font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    glyph before[glyph_count];
    std::memcpy(before, glyph_table, sizeof before);
    if (load_glyph_bytes(data, static_cast<int64_t>(size))) {
        FUZZ_CHECK(size == glyph_file_size);
        FUZZ_CHECK(std::memcmp(glyph_table, data, glyph_file_size) == 0);  // little-endian
        for (const glyph& g : glyph_table) {
            FUZZ_CHECK(g.x >= 0 && g.x < max_surface_side && g.y >= 0 && g.y < max_surface_side);
            FUZZ_CHECK(g.width >= 0 && g.width <= max_surface_side);
            FUZZ_CHECK(g.height >= 0 && g.height <= max_surface_side);
        }
        FUZZ_CHECK(glyph_table_refusal()[0] == 0);
    } else {
        FUZZ_CHECK(std::memcmp(before, glyph_table, sizeof before) == 0);
        FUZZ_CHECK(glyph_table_refusal()[0] != 0);
    }
    return 0;
}
