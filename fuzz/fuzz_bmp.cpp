// Fuzz targets of the BMP readers, one program per reader (BRASK_FUZZ_BMP):
// 0 load_bmp, 1 load_team_bmp, 2 read_bmp_size, 3 load_palette. Each input
// is written to a file and read by the reader itself. A success must give
// what the header says; a refusal must give a reason and change nothing.
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "render/bmp.h"

namespace {

constexpr int mode = BRASK_FUZZ_BMP;
constexpr int32_t slot_used = 5;

// The image in slot_used after the last success, to compare after a refusal.
std::vector<uint8_t> last_pixels;

int32_t header_i32(const uint8_t* data, size_t at)
{
    uint32_t v = data[at] | (data[at + 1] << 8) | (data[at + 2] << 16) |
                 (static_cast<uint32_t>(data[at + 3]) << 24);
    return static_cast<int32_t>(v);
}

void check_image_load(const uint8_t* data, size_t size)
{
    fuzz::start_display_once();
    surface* old_surface = surface_table[slot_used];
    int32_t old_count = surface_count;
    int32_t slot = slot_used;
    bool ok = mode == 0 ? load_bmp(slot, fuzz::input_path())
                        : load_team_bmp(slot, static_cast<uint8_t>(size * 37), fuzz::input_path());
    if (ok) {
        FUZZ_CHECK(slot == slot_used);
        surface* s = surface_table[slot_used];
        FUZZ_CHECK(s != nullptr && s->keyed);
        FUZZ_CHECK(size >= 26 && s->width == header_i32(data, 18) && s->height == header_i32(data, 22));
        FUZZ_CHECK(surface_count == (old_count < max_surface_slots ? old_count + 1 : old_count));
        FUZZ_CHECK(last_bmp_error()[0] == 0);
        last_pixels.assign(s->pixels, s->pixels + static_cast<size_t>(s->pitch) * s->height);
    } else {
        FUZZ_CHECK(slot == slot_used);
        FUZZ_CHECK(surface_table[slot_used] == old_surface);
        FUZZ_CHECK(surface_count == old_count);
        FUZZ_CHECK(last_bmp_error()[0] != 0);
        if (old_surface != nullptr)
            FUZZ_CHECK(std::memcmp(old_surface->pixels, last_pixels.data(), last_pixels.size()) == 0);
    }
}

void check_size_probe(const uint8_t* data, size_t size)
{
    int32_t width = -77, height = -88;
    if (read_bmp_size(width, height, fuzz::input_path())) {
        FUZZ_CHECK(size >= 26);
        // An OS/2 core header (12 bytes) keeps 16-bit sizes.
        if (header_i32(data, 14) == 12)
            FUZZ_CHECK(width == (data[18] | data[19] << 8) && height == (data[20] | data[21] << 8));
        else
            FUZZ_CHECK(width == header_i32(data, 18) && height == header_i32(data, 22));
    } else {
        FUZZ_CHECK(width == -77 && height == -88);
        FUZZ_CHECK(last_bmp_error()[0] != 0);
    }
}

void check_palette(const uint8_t* data, size_t size)
{
    palette_entry before[256];
    std::memcpy(before, palette_entries, sizeof before);
    if (load_palette(fuzz::input_path())) {
        // The table follows the info header, taken as 40 bytes when its size
        // field is missing or not one of 40..124.
        uint32_t header = size >= 18 ? static_cast<uint32_t>(header_i32(data, 14)) : 40;
        size_t start = 14 + (header >= 40 && header <= 124 ? header : 40);
        FUZZ_CHECK(size >= start + 1024);
        for (int i = 0; i < 256; ++i) {
            const uint8_t* c = data + start + 4 * i;
            const palette_entry& e = palette_entries[i];
            FUZZ_CHECK(e.red == c[2] && e.green == c[1] && e.blue == c[0] && e.flags == 0);
        }
    } else {
        FUZZ_CHECK(std::memcmp(before, palette_entries, sizeof before) == 0);
        FUZZ_CHECK(last_bmp_error()[0] != 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_CHECK(fuzz::write_input(data, size));
    if (mode == 0 || mode == 1)
        check_image_load(data, size);
    else if (mode == 2)
        check_size_probe(data, size);
    else
        check_palette(data, size);
    return 0;
}
