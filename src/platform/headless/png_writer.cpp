// PNG writing: signature, IHDR, one IDAT holding a zlib stream of stored
// deflate blocks, IEND. Rows are streamed to the file; nothing is held whole.
#include "platform/headless/png_writer.h"

#include <cstdio>
#include <cstring>

// Largest payload of one stored deflate block.
static constexpr uint32_t stored_block_limit = 65535;

// The CRC-32 table, made on first use.
static uint32_t crc_table[256];
static bool crc_table_ready = false;

static void make_crc_table()
{
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        crc_table[n] = c;
    }
    crc_table_ready = true;
}

uint32_t png_crc32(uint32_t crc, const uint8_t* bytes, size_t count)
{
    if (!crc_table_ready) make_crc_table();
    uint32_t c = crc ^ 0xFFFFFFFFu;
    for (size_t i = 0; i < count; ++i)
        c = crc_table[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t png_adler32(uint32_t adler, const uint8_t* bytes, size_t count)
{
    uint32_t a = adler & 0xFFFF;
    uint32_t b = adler >> 16;
    while (count > 0) {
        // 5552 bytes is the longest run whose sums cannot overflow 32 bits.
        size_t run = count < 5552 ? count : 5552;
        count -= run;
        while (run-- > 0) {
            a += *bytes++;
            b += a;
        }
        a %= 65521;
        b %= 65521;
    }
    return (b << 16) | a;
}

// The file being written and the CRC of the chunk being written.
struct png_stream {
    FILE* file;
    uint32_t crc;
    bool ok;
};

static void put_bytes(png_stream& s, const uint8_t* bytes, size_t count, bool in_crc = true)
{
    if (!s.ok) return;
    if (std::fwrite(bytes, 1, count, s.file) != count) s.ok = false;
    if (in_crc) s.crc = png_crc32(s.crc, bytes, count);
}

static void put_u32_be(png_stream& s, uint32_t value, bool in_crc = true)
{
    uint8_t b[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                    static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    put_bytes(s, b, 4, in_crc);
}

// Starts a chunk: its length (outside the CRC) and type (inside it).
static void begin_chunk(png_stream& s, const char* type, uint32_t length)
{
    put_u32_be(s, length, false);
    s.crc = 0;
    put_bytes(s, reinterpret_cast<const uint8_t*>(type), 4);
}

static void end_chunk(png_stream& s)
{
    put_u32_be(s, s.crc, false);
}

// Widens one 5:6:5 row to RGB bytes after the filter byte 0.
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
    if (pixels == nullptr || width < 1 || height < 1 || width > 4096 || height > 4096) return false;
    if (pitch_bytes < width * 2) return false;
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return false;
    png_stream s {file, 0, true};

    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    put_bytes(s, signature, 8, false);

    begin_chunk(s, "IHDR", 13);
    put_u32_be(s, static_cast<uint32_t>(width));
    put_u32_be(s, static_cast<uint32_t>(height));
    const uint8_t header_tail[5] = {8, 2, 0, 0, 0};  // 8 bits, RGB, deflate, no filter, no interlace
    put_bytes(s, header_tail, 5);
    end_chunk(s);

    const uint32_t row_bytes = 1 + 3 * static_cast<uint32_t>(width);
    const uint32_t raw_bytes = row_bytes * static_cast<uint32_t>(height);
    const uint32_t blocks = (raw_bytes + stored_block_limit - 1) / stored_block_limit;
    begin_chunk(s, "IDAT", 2 + raw_bytes + 5 * blocks + 4);
    const uint8_t zlib_header[2] = {0x78, 0x01};
    put_bytes(s, zlib_header, 2);

    // The raw rows are cut into stored blocks wherever 65535 bytes are full,
    // which may fall inside a row.
    static uint8_t row[1 + 3 * 4096];
    uint32_t adler = 1;
    uint32_t left_in_block = 0;
    uint32_t written = 0;
    for (int y = 0; y < height && s.ok; ++y) {
        const auto* source = reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(pixels) +
                                                              static_cast<size_t>(y) * pitch_bytes);
        expand_row(source, width, row);
        adler = png_adler32(adler, row, row_bytes);
        uint32_t done = 0;
        while (done < row_bytes) {
            if (left_in_block == 0) {
                uint32_t size = raw_bytes - written < stored_block_limit ? raw_bytes - written : stored_block_limit;
                uint8_t block_header[5] = {
                    static_cast<uint8_t>(written + size == raw_bytes ? 1 : 0),
                    static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                    static_cast<uint8_t>(~size), static_cast<uint8_t>(~size >> 8)};
                put_bytes(s, block_header, 5);
                left_in_block = size;
            }
            uint32_t part = row_bytes - done < left_in_block ? row_bytes - done : left_in_block;
            put_bytes(s, row + done, part);
            done += part;
            left_in_block -= part;
            written += part;
        }
    }
    put_u32_be(s, adler);
    end_chunk(s);

    begin_chunk(s, "IEND", 0);
    end_chunk(s);

    bool closed = std::fclose(file) == 0;
    return s.ok && closed;
}
