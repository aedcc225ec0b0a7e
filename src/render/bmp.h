// BMP files: loading images into the image table (with team colours), the
// 8-bit palette, the 8-bit writer and the size probe.
#pragma once

#include <cstdint>

struct surface;

// One palette colour as the 8-bit display mode uses it.
struct palette_entry {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
    uint8_t flags;  // always 0
};

// The colours read by load_palette; save_bmp8 writes them out.
extern palette_entry palette_entries[256];

// Loads a BMP file (8, 16, 24 or 32 bits, uncompressed, bottom-up) into an
// image slot, converting it to the display's format; magenta becomes
// colour_key. slot in 0..399 is used as given, any other value takes the next
// automatic slot; the slot used is written back. A refused file changes
// nothing (slot, table and count); last_bmp_error says why. Every screen that
// shows images calls it.
bool load_bmp(int32_t& slot, const char* name);
// As load_bmp, for an image a start-up cannot do without: a file that does
// not load is also reported through fatal_error as "загрузке растра", the
// one report for every such image. The game's and the map editor's
// start-ups call it.
bool load_bmp_or_report(int32_t& slot, const char* name);
// As load_bmp for an 8-bit unit sheet whose team indices 212..215 become
// base..base+3 before the conversion. The game's sprite loading calls it.
bool load_team_bmp(int32_t& slot, uint8_t base, const char* name);

// In place: from pixels + x + y * width, height rows exactly width bytes
// apart, bytes 212..215 become base..base+3.
void remap_team_colours(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t* pixels,
                        uint8_t base);

// Writes width x height pixels of an 8-bit surface as an 8-bit BMP with
// palette_entries, through an atomic save; false when the surface is not
// 8-bit or smaller than asked, or the file cannot be written.
bool save_bmp8(int32_t width, int32_t height, surface* s, const char* name);

// Reads the width and height fields of a BMP file's header; false (outputs
// unchanged) when the file cannot be opened or is too short. The sprite
// editor calls it.
bool read_bmp_size(int32_t& width, int32_t& height, const char* name);

// Reads the 256-colour table of an 8-bit BMP into palette_entries; false
// (entries unchanged) when the file cannot be opened or ends before the
// table does.
// create_main_surfaces calls it at depth 8 with data\palette.bmp.
bool load_palette(const char* name);

// Why the last BMP load, palette load or size probe was refused, in plain
// words ("" after a success). The data checker prints it.
const char* last_bmp_error();
// The bits per pixel (8, 16, 24 or 32) of the file that the last successful
// load_bmp or load_team_bmp read. The data checker prints it.
int32_t last_bmp_bits();
