// BMP files: the loaders of the image table, the palette, the 8-bit writer
// and the size probe. A file is read whole and checked completely before
// anything in the table changes.
#include "render/bmp.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/byte_reader.h"
#include "core/cp1251.h"
#include "core/fatal.h"
#include "core/file_access.h"
#include "render/colours.h"
#include "render/display.h"

palette_entry palette_entries[256] = {};

// The file header (14 bytes) and the info header (40 bytes) that every file
// the program writes has.
constexpr int32_t bmp_header_size = 54;
// Where the pixel rows start in an 8-bit file the program writes: after 256
// colours.
constexpr int32_t bmp8_pixel_start = bmp_header_size + 256 * 4;
// The file header; the info header follows it.
constexpr int32_t file_header_size = 14;
// Info header sizes: the OS/2 core header, whose fields are laid out
// otherwise, and the Windows headers (40 bytes and the larger versions that
// begin with the same 40), after which the colour table follows.
constexpr uint32_t core_header_size = 12;
constexpr uint32_t info_header_size = 40;
constexpr uint32_t largest_info_header = 124;
// The colour table of an 8-bit image: 256 entries of 4 bytes.
constexpr int32_t colour_table_size = 256 * 4;
// The largest file that can hold a valid image: 4096 x 4096 at 32 bits,
// with room for the largest headers, a colour table and a gap before the
// pixels.
constexpr int64_t max_bmp_file =
    static_cast<int64_t>(max_surface_side) * max_surface_side * 4 + 65536;

// The file being loaded, one byte more than the largest valid file so that
// a larger one is recognised.
static uint8_t file_buffer[max_bmp_file + 1];
// The reason of the last refusal.
static char bmp_error[160];
// The bit depth of the file that the last successful load read.
static int32_t loaded_bits = 0;

// What the checks found in a file.
struct bmp_layout {
    int32_t width;
    int32_t height;
    int32_t bits;            // 8, 16, 24 or 32
    int64_t row_size;        // bytes per stored row, padding included
    const uint8_t* colours;  // the 256-colour table of an 8-bit file
    uint8_t* rows;           // the bottom row, first in the file
};

// Records the reason for a refusal and returns false.
__attribute__((format(printf, 1, 2))) static bool refuse(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(bmp_error, sizeof bmp_error, format, args);
    va_end(args);
    return false;
}

static void accept()
{
    bmp_error[0] = 0;
}

// Where the colour table starts: right after the info header. A header size
// the loader does not know is taken as 40, the layout it reads.
static int64_t colour_table_start(uint32_t header_size)
{
    if (header_size < info_header_size || header_size > largest_info_header)
        header_size = info_header_size;
    return file_header_size + static_cast<int64_t>(header_size);
}

// The reason a compression type is not read.
static bool refuse_compression(uint32_t compression)
{
    switch (compression) {
    case 1: return refuse("the pixels are run-length compressed (RLE8), which is not read");
    case 2: return refuse("the pixels are run-length compressed (RLE4), which is not read");
    case 3:
    case 6: return refuse("the pixels are laid out by bit fields (compression %u), which are not read",
                          compression);
    case 4: return refuse("the pixels are a JPEG image, which is not read");
    case 5: return refuse("the pixels are a PNG image, which is not read");
    }
    return refuse("compression type %u is not read (only uncompressed pixels are)", compression);
}

// The refusal of a file that read_whole_file could not read.
static bool refuse_unread_file()
{
    file_problem problem = last_file_problem();
    if (problem == file_too_large)
        return refuse("the file is larger than any 4096 x 4096 image (%lld bytes at most)",
                      static_cast<long long>(max_bmp_file));
    return refuse("%s", file_problem_text(problem));
}

// Reads name into file_buffer and checks it as a BMP; false with bmp_error.
// The pixel rows are read where the file's data offset says they start.
static bool read_bmp(const char* name, bmp_layout& out)
{
    int64_t size = read_whole_file(name, file_buffer, sizeof file_buffer);
    if (size < 0)
        return refuse_unread_file();
    byte_reader r {file_buffer, size};
    if (!r.has(file_header_size + 4))
        return refuse("the file is too short to hold a BMP header");
    if (file_buffer[0] != 'B' || file_buffer[1] != 'M')
        return refuse("the file does not start with BM: not a BMP file");
    r.skip(10);
    uint32_t pixel_start = r.u32();
    uint32_t header_size = r.u32();
    if (header_size == core_header_size)
        return refuse("the info header is 12 bytes, an OS/2 core header, which is not read "
                      "(only Windows headers of 40 bytes or more are)");
    if (!r.has(bmp_header_size - file_header_size - 4))
        return refuse("the file is too short to hold a BMP header");
    int32_t width = r.i32();
    int32_t height = r.i32();
    r.u16();  // planes
    uint32_t bits = r.u16();
    uint32_t compression = r.u32();
    if (width < 1 || width > max_surface_side)
        return refuse("the image width %d is not between 1 and 4096", width);
    if (height < 0)
        return refuse("the rows are stored top-down (height %d), which is not read", height);
    if (height < 1 || height > max_surface_side)
        return refuse("the image height %d is not between 1 and 4096", height);
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return refuse("the bit depth %u is not 8, 16, 24 or 32", bits);
    if (compression != 0)
        return refuse_compression(compression);
    int64_t colours = colour_table_start(header_size);
    int64_t headers_end = colours + (bits == 8 ? colour_table_size : 0);
    if (bits == 8 && size < headers_end)
        return refuse("the file ends inside the 256-colour table of an 8-bit image");
    if (pixel_start < headers_end)
        return refuse("the pixel data offset %u lies inside the %lld bytes of header%s", pixel_start,
                      static_cast<long long>(headers_end),
                      bits == 8 ? " and 256-colour table" : "");
    if (pixel_start > size)
        return refuse("the pixel data offset %u lies past the end of the %lld-byte file",
                      pixel_start, static_cast<long long>(size));
    // 64-bit: width and height are limited above, so nothing here can overflow.
    int64_t row_size = (static_cast<int64_t>(width) * bits + 31) / 32 * 4;
    if (row_size * height > size - pixel_start)
        return refuse("the pixel rows reach past the end of the file (%lld bytes from offset %u, "
                      "%lld there)",
                      static_cast<long long>(row_size * height), pixel_start,
                      static_cast<long long>(size - pixel_start));
    out = bmp_layout {width, height, static_cast<int32_t>(bits), row_size, file_buffer + colours,
                      file_buffer + pixel_start};
    return true;
}

// --- Conversion into the display's format -----------------------------------

// The 8-bit channels of a 5:5:5 pixel, each field widened to fill 0..255.
static void from_555(uint32_t v, uint32_t& r, uint32_t& g, uint32_t& b)
{
    r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
    r = (r << 3) | (r >> 2), g = (g << 3) | (g >> 2), b = (b << 3) | (b >> 2);
}

// Nearest palette entries of 5:5:5 colours, for images shown at depth 8;
// -1 not yet looked up. Cleared at each load (the palette may change).
static int16_t nearest_cache[32768];

static uint32_t nearest_index(uint32_t r, uint32_t g, uint32_t b)
{
    uint32_t c = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    if (nearest_cache[c] >= 0)
        return static_cast<uint32_t>(nearest_cache[c]);
    int32_t best = 0;
    int64_t best_distance = INT64_MAX;
    for (int32_t i = 0; i < 256; ++i) {
        int64_t dr = static_cast<int64_t>(palette_entries[i].red) - r;
        int64_t dg = static_cast<int64_t>(palette_entries[i].green) - g;
        int64_t db = static_cast<int64_t>(palette_entries[i].blue) - b;
        int64_t distance = dr * dr + dg * dg + db * db;
        if (distance < best_distance)
            best_distance = distance, best = i;
    }
    nearest_cache[c] = static_cast<int16_t>(best);
    return static_cast<uint32_t>(best);
}

// The display pixel of an 8-bit colour; magenta becomes colour_key.
static uint32_t display_pixel(uint32_t r, uint32_t g, uint32_t b, int32_t bytes)
{
    if (bytes == 1)
        return nearest_index(r, g, b);
    if (r == 255 && g == 0 && b == 255 && (bytes == 4 || static_cast<uint32_t>(colour_key) <= 0xFFFF))
        return static_cast<uint32_t>(colour_key);
    if (bytes == 2)
        return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    return (r << 16) | (g << 8) | b;
}

static void store(uint8_t* p, uint32_t value, int32_t bytes)
{
    if (bytes == 1) {
        *p = static_cast<uint8_t>(value);
    } else if (bytes == 2) {
        uint16_t v = static_cast<uint16_t>(value);
        std::memcpy(p, &v, 2);
    } else {
        std::memcpy(p, &value, 4);
    }
}

// Converts the checked rows (bottom-up in the file) into s (top-down).
static void convert_rows(const bmp_layout& f, surface* s)
{
    int32_t bytes = s->bytes_per_pixel;
    std::memset(nearest_cache, 0xFF, sizeof nearest_cache);
    // 8-bit files: each of the 256 colours converted once.
    uint32_t lookup[256];
    if (f.bits == 8) {
        for (int32_t i = 0; i < 256; ++i) {
            const uint8_t* c = f.colours + 4 * i;
            // At depth 8 the indices are kept: the images share the palette.
            lookup[i] = bytes == 1 ? static_cast<uint32_t>(i) : display_pixel(c[2], c[1], c[0], bytes);
        }
    }
    for (int32_t k = 0; k < f.height; ++k) {
        const uint8_t* in = f.rows + k * f.row_size;
        uint8_t* out = s->pixels + static_cast<size_t>(f.height - 1 - k) * s->pitch;
        for (int32_t x = 0; x < f.width; ++x, out += bytes) {
            uint32_t r, g, b;
            switch (f.bits) {
            case 8:
                store(out, lookup[in[x]], bytes);
                continue;
            case 16:
                from_555(in[2 * x] | (in[2 * x + 1] << 8), r, g, b);
                break;
            case 24:
                b = in[3 * x], g = in[3 * x + 1], r = in[3 * x + 2];
                break;
            default:
                b = in[4 * x], g = in[4 * x + 1], r = in[4 * x + 2];
                break;
            }
            store(out, display_pixel(r, g, b, bytes), bytes);
        }
    }
}

// --- Loaders ---------------------------------------------------------------

// Steps shared by both loaders once the file has passed its checks: a new
// surface for the slot, the rows converted into it, then the old image
// released and the new one keyed in its place.
static bool load_checked(int32_t& slot, const bmp_layout& f)
{
    int32_t target = slot >= 0 && slot < max_surface_slots ? slot : surface_count;
    if (target >= max_surface_slots)
        return refuse("all 400 image slots are in use");
    surface* s = create_image_surface(f.width, f.height);
    if (s == nullptr)
        return refuse("no surface could be made for the image (display not started or out of memory)");
    convert_rows(f, s);
    release_surface(surface_table[target]);
    surface_table[target] = s;
    set_colour_key(target);
    slot = target;
    if (surface_count < max_surface_slots)
        ++surface_count;
    loaded_bits = f.bits;
    accept();
    return true;
}

bool load_bmp(int32_t& slot, const char* name)
{
    bmp_layout f;
    if (!read_bmp(name, f))
        return false;
    return load_checked(slot, f);
}

bool load_bmp_or_report(int32_t& slot, const char* name)
{
    if (load_bmp(slot, name))
        return true;
    fatal_error(main_window, "загрузке растра"_cp);
    return false;
}

bool load_team_bmp(int32_t& slot, uint8_t base, const char* name)
{
    bmp_layout f;
    if (!read_bmp(name, f))
        return false;
    if (f.bits != 8)
        return refuse("a team-coloured image must have 8 bits per pixel");
    // Row by row: stored rows are padded to 4 bytes, so a width that is not a
    // multiple of 4 would drift if the rows were taken width bytes apart.
    for (int32_t k = 0; k < f.height; ++k)
        remap_team_colours(0, 0, f.width, 1, f.rows + k * f.row_size, base);
    return load_checked(slot, f);
}

void remap_team_colours(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t* pixels,
                        uint8_t base)
{
    if (pixels == nullptr || width <= 0 || height <= 0)
        return;
    uint8_t* p = pixels + x + static_cast<int64_t>(y) * width;
    int64_t count = static_cast<int64_t>(width) * height;
    for (int64_t i = 0; i < count; ++i) {
        uint8_t v = p[i];
        if (v >= 212 && v <= 215)
            p[i] = static_cast<uint8_t>(base + (v - 212));
    }
}

bool load_palette(const char* name)
{
    int64_t size = read_whole_file(name, file_buffer, sizeof file_buffer);
    if (size < 0)
        return refuse_unread_file();
    // The table follows the info header; a file too short to say how long
    // that is has its table where the program's own files have it.
    uint32_t header_size = info_header_size;
    if (size >= file_header_size + 4) {
        byte_reader r {file_buffer, size};
        r.skip(file_header_size);
        header_size = r.u32();
    }
    if (header_size == core_header_size)
        return refuse("the info header is 12 bytes, an OS/2 core header, whose colour table is "
                      "not read");
    int64_t start = colour_table_start(header_size);
    if (size < start + colour_table_size)
        return refuse("the file ends before its 256-colour table does");
    for (int32_t i = 0; i < 256; ++i) {
        const uint8_t* c = file_buffer + start + 4 * i;
        palette_entries[i] = palette_entry {c[2], c[1], c[0], 0};
    }
    accept();
    return true;
}

// --- Writer and size probe -----------------------------------------------------

// Little-endian fields of a header being built.
static void put_u16(uint8_t* at, uint32_t v)
{
    at[0] = static_cast<uint8_t>(v), at[1] = static_cast<uint8_t>(v >> 8);
}

static void put_u32(uint8_t* at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(v >> (8 * i));
}

bool save_bmp8(int32_t width, int32_t height, surface* s, const char* name)
{
    if (s == nullptr || s->bytes_per_pixel != 1 || width < 1 || height < 1 || width > s->width ||
        height > s->height)
        return false;
    // Stored rows are padded to 4 bytes, as every BMP reader expects.
    uint32_t row_size = (static_cast<uint32_t>(width) + 3) & ~3u;
    uint8_t head[bmp8_pixel_start] = {};
    head[0] = 'B', head[1] = 'M';
    put_u32(head + 2, bmp8_pixel_start + height * row_size);
    put_u32(head + 10, bmp8_pixel_start);
    put_u32(head + 14, 40);
    put_u32(head + 18, static_cast<uint32_t>(width));
    put_u32(head + 22, static_cast<uint32_t>(height));
    put_u16(head + 26, 1);
    put_u16(head + 28, 8);
    put_u32(head + 34, height * row_size);
    for (int i = 0; i < 256; ++i) {
        uint8_t* c = head + bmp_header_size + 4 * i;
        c[0] = palette_entries[i].blue, c[1] = palette_entries[i].green;
        c[2] = palette_entries[i].red, c[3] = palette_entries[i].flags;
    }
    save_file file;
    if (!begin_save(file, name))
        return false;
    save_bytes(file, head, sizeof head);
    static uint8_t row[max_surface_side];
    for (int32_t k = height - 1; k >= 0; --k) {
        std::memset(row, 0, row_size);
        std::memcpy(row, s->pixels + static_cast<size_t>(k) * s->pitch, width);
        save_bytes(file, row, static_cast<int>(row_size));
    }
    return end_save(file);
}

bool read_bmp_size(int32_t& width, int32_t& height, const char* name)
{
    uint8_t head[26];
    file_id file = open_read(name);
    if (file == invalid_file)
        return refuse("%s", file_problem_text(last_file_problem()));
    int got = read_bytes(file, head, sizeof head);
    close_file(file);
    if (got < static_cast<int>(sizeof head))
        return refuse("the file is too short to hold a width and height");
    byte_reader r {head, sizeof head};
    r.skip(file_header_size);
    if (r.u32() == core_header_size) {
        // The OS/2 core header keeps both as 16-bit numbers.
        width = static_cast<int32_t>(r.u16());
        height = static_cast<int32_t>(r.u16());
    } else {
        width = r.i32();
        height = r.i32();
    }
    accept();
    return true;
}

const char* last_bmp_error()
{
    return bmp_error;
}

int32_t last_bmp_bits()
{
    return loaded_bits;
}
