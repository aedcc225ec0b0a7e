// PNG writing without libpng, for builds that have none (the web pages):
// the same 8-bit RGB file as png_writer.cpp, its rows kept in stored
// (uncompressed) deflate blocks with their CRC and Adler checksums. Larger
// files, the same pixels.
#include <cstdio>

#include "platform/png_writer.h"

// One row with its filter byte (0: none): three bytes a pixel.
static uint8_t row_buffer[1 + 3 * png_max_side];

// The CRC-32 table of PNG chunks.
static uint32_t crc_table[256];
static bool crc_table_made = false;

static void make_crc_table()
{
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        crc_table[n] = c;
    }
    crc_table_made = true;
}

static uint32_t crc_update(uint32_t crc, const uint8_t* bytes, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        crc = crc_table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

// The file being written with the running checksums of its IDAT chunk.
struct png_out {
    FILE* file;
    bool failed;
    uint32_t crc;       // of the current chunk, type included
    uint32_t adler_a;   // Adler-32 of the deflated data
    uint32_t adler_b;
};

static void put(png_out& out, const void* bytes, size_t n)
{
    if (std::fwrite(bytes, 1, n, out.file) != n) out.failed = true;
}

static void put_u32(png_out& out, uint32_t value)
{
    const uint8_t b[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                          static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    put(out, b, 4);
}

// Chunk data, counted into the chunk's CRC.
static void put_data(png_out& out, const uint8_t* bytes, size_t n)
{
    out.crc = crc_update(out.crc, bytes, n);
    put(out, bytes, n);
}

static void begin_chunk(png_out& out, const char* type, uint32_t length)
{
    put_u32(out, length);
    out.crc = 0xFFFFFFFFu;
    put_data(out, reinterpret_cast<const uint8_t*>(type), 4);
}

static void end_chunk(png_out& out)
{
    put_u32(out, out.crc ^ 0xFFFFFFFFu);
}

// Widens one 5:6:5 row to RGB bytes after its filter byte.
static void expand_row(const uint16_t* row, int width, uint8_t* out)
{
    out[0] = 0;
    for (int x = 0; x < width; ++x) {
        uint32_t p = row[x];
        uint32_t r = (p >> 11) & 0x1F, g = (p >> 5) & 0x3F, b = p & 0x1F;
        out[1 + 3 * x] = static_cast<uint8_t>((r << 3) | (r >> 2));
        out[2 + 3 * x] = static_cast<uint8_t>((g << 2) | (g >> 4));
        out[3 + 3 * x] = static_cast<uint8_t>((b << 3) | (b >> 2));
    }
}

bool write_png_565(const char* path, const uint16_t* pixels, int width, int height, int pitch_bytes)
{
    if (pixels == nullptr || width < 1 || height < 1 || width > png_max_side || height > png_max_side) return false;
    if (pitch_bytes < width * 2) return false;
    if (!crc_table_made) make_crc_table();
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    png_out out {file, false, 0, 1, 0};
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    put(out, signature, 8);
    const uint8_t header[13] = {static_cast<uint8_t>(width >> 24), static_cast<uint8_t>(width >> 16),
                                static_cast<uint8_t>(width >> 8), static_cast<uint8_t>(width),
                                static_cast<uint8_t>(height >> 24), static_cast<uint8_t>(height >> 16),
                                static_cast<uint8_t>(height >> 8), static_cast<uint8_t>(height),
                                8, 2, 0, 0, 0};  // 8 bits, RGB, deflate, no filter, not interlaced
    begin_chunk(out, "IHDR", 13);
    put_data(out, header, 13);
    end_chunk(out);

    // The image data: a zlib header, one stored block per row (a row of at
    // most 1 + 3 * 4096 bytes fits a block's 65,535), the Adler-32.
    const uint32_t row_bytes = 1 + 3 * static_cast<uint32_t>(width);
    const uint32_t idat_length = 2 + static_cast<uint32_t>(height) * (5 + row_bytes) + 4;
    begin_chunk(out, "IDAT", idat_length);
    static const uint8_t zlib_header[2] = {0x78, 0x01};
    put_data(out, zlib_header, 2);
    for (int y = 0; y < height; ++y) {
        const auto* source = reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(pixels) +
                                                              static_cast<size_t>(y) * pitch_bytes);
        expand_row(source, width, row_buffer);
        const uint8_t block[5] = {static_cast<uint8_t>(y + 1 == height ? 1 : 0), static_cast<uint8_t>(row_bytes),
                                  static_cast<uint8_t>(row_bytes >> 8), static_cast<uint8_t>(~row_bytes),
                                  static_cast<uint8_t>(~row_bytes >> 8)};
        put_data(out, block, 5);
        put_data(out, row_buffer, row_bytes);
        for (uint32_t i = 0; i < row_bytes; ++i) {
            out.adler_a = (out.adler_a + row_buffer[i]) % 65521;
            out.adler_b = (out.adler_b + out.adler_a) % 65521;
        }
    }
    const uint32_t adler = (out.adler_b << 16) | out.adler_a;
    const uint8_t adler_bytes[4] = {static_cast<uint8_t>(adler >> 24), static_cast<uint8_t>(adler >> 16),
                                    static_cast<uint8_t>(adler >> 8), static_cast<uint8_t>(adler)};
    put_data(out, adler_bytes, 4);
    end_chunk(out);
    begin_chunk(out, "IEND", 0);
    end_chunk(out);

    bool closed = std::fclose(file) == 0;
    if (!out.failed && closed) return true;
    std::remove(path);
    return false;
}
