// PNG writing through libpng. Rows are widened one at a time into a row
// buffer and handed to the library, which filters and compresses them;
// nothing is held whole.
#include "platform/png_writer.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>

// One widened row: three bytes a pixel.
static uint8_t row_buffer[3 * png_max_side];

// Widens one 5:6:5 row to RGB bytes.
static void expand_row(const uint16_t* row, int width, uint8_t* out)
{
    for (int x = 0; x < width; ++x) {
        uint32_t p = row[x];
        uint32_t r = (p >> 11) & 0x1F, g = (p >> 5) & 0x3F, b = p & 0x1F;
        out[3 * x] = static_cast<uint8_t>((r << 3) | (r >> 2));
        out[3 * x + 1] = static_cast<uint8_t>((g << 2) | (g >> 4));
        out[3 * x + 2] = static_cast<uint8_t>((b << 3) | (b >> 2));
    }
}

// libpng reports its errors by a jump back into write_rows; its warnings
// (none expected for a plain RGB file) are dropped.
static void on_png_warning(png_structp, png_const_charp) {}

// Writes the image through an open file; false when libpng failed. Kept
// apart from write_png_565 so that the jump back crosses no object with a
// destructor.
static bool write_rows(FILE* file, const uint16_t* pixels, int width, int height, int pitch_bytes)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, on_png_warning);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        const auto* source = reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(pixels) +
                                                              static_cast<size_t>(y) * pitch_bytes);
        expand_row(source, width, row_buffer);
        png_write_row(png, row_buffer);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool write_png_565(const char* path, const uint16_t* pixels, int width, int height, int pitch_bytes)
{
    if (pixels == nullptr || width < 1 || height < 1 || width > png_max_side || height > png_max_side) return false;
    if (pitch_bytes < width * 2) return false;
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    bool written = write_rows(file, pixels, width, height, pitch_bytes);
    bool closed = std::fclose(file) == 0;
    if (written && closed) return true;
    std::remove(path);
    return false;
}
