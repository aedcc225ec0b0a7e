// The generator's toolkit: its random numbers, noise, colours, images, the
// file writers and the asset reader.
#include "make_data.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "core/file_access.h"
#include <cstdlib>

const char* assets_dir = "assets";
const char* output_dir = "data";

uint32_t tool_random::next()
{
    // xorshift32; a zero state would stick, so it is nudged once.
    if (state == 0) state = 0x9E3779B9u;
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

int tool_random::range(int lo, int hi)
{
    if (hi <= lo) return lo;
    return lo + static_cast<int>(next() % static_cast<uint32_t>(hi - lo));
}

float tool_random::unit() { return static_cast<float>(next() >> 8) / 16777216.0f; }
float tool_random::signed_unit() { return unit() * 2.0f - 1.0f; }

uint32_t hash3(uint32_t a, uint32_t b, uint32_t c)
{
    uint32_t h = a * 0x8DA6B343u ^ b * 0xD8163841u ^ c * 0xCB1AB31Fu;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

static float lattice(int ix, int iy, int cells_x, int cells_y, uint32_t seed)
{
    ix = ((ix % cells_x) + cells_x) % cells_x;
    iy = ((iy % cells_y) + cells_y) % cells_y;
    return static_cast<float>(hash3(ix, iy, seed) >> 8) / 8388608.0f - 1.0f;
}

float periodic_noise_xy(float x, float y, int period, int cells_x, int cells_y, uint32_t seed)
{
    float fx = x * cells_x / period;
    float fy = y * cells_y / period;
    int ix = static_cast<int>(std::floor(fx));
    int iy = static_cast<int>(std::floor(fy));
    float tx = fx - ix;
    float ty = fy - iy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    float a = lattice(ix, iy, cells_x, cells_y, seed);
    float b = lattice(ix + 1, iy, cells_x, cells_y, seed);
    float c = lattice(ix, iy + 1, cells_x, cells_y, seed);
    float d = lattice(ix + 1, iy + 1, cells_x, cells_y, seed);
    return lerp(lerp(a, b, tx), lerp(c, d, tx), ty);
}

float periodic_noise(float x, float y, int period, int cells, uint32_t seed)
{
    return periodic_noise_xy(x, y, period, cells, cells, seed);
}

float periodic_fbm(float x, float y, int period, uint32_t seed)
{
    return 0.55f * periodic_noise(x, y, period, 4, seed) +
           0.30f * periodic_noise(x, y, period, 8, seed + 101) +
           0.15f * periodic_noise(x, y, period, 16, seed + 202);
}

float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

float smoothstep(float edge0, float edge1, float v)
{
    float t = clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

float lerp(float a, float b, float t) { return a + (b - a) * t; }

colour mix(colour a, colour b, float t)
{
    return {lerp(a.r, b.r, t), lerp(a.g, b.g, t), lerp(a.b, b.b, t)};
}

colour scale(colour c, float k) { return {c.r * k, c.g * k, c.b * k}; }

static uint32_t component(float v)
{
    int i = static_cast<int>(std::lround(v));
    return static_cast<uint32_t>(i < 0 ? 0 : (i > 255 ? 255 : i));
}

uint32_t pack_rgb(colour c)
{
    uint32_t packed = component(c.r) << 16 | component(c.g) << 8 | component(c.b);
    // Nothing drawn may come out as the colour key by accident.
    return packed == magenta ? 0xFE00FE : packed;
}

void make_image(image24& image, int width, int height, uint32_t fill)
{
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width) * height, fill);
}

void make_image(image8& image, int width, int height, uint8_t fill)
{
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width) * height, fill);
}

void clear_sprite_set(sprite_set& set)
{
    set.frame_count = 0;
    std::memset(set.frames, 0, sizeof set.frames);
    std::memset(set.rolls, 0, sizeof set.rolls);
    for (auto& row : set.table)
        for (int32_t& roll : row) roll = -1;
}

const char* join_path(const char* dir, const char* name)
{
    static char buffers[4][max_path_length];
    static int next = 0;
    char* out = buffers[next];
    next = (next + 1) % 4;
    std::snprintf(out, max_path_length, "%s/%s", dir, name);
    return out;
}

// Makes every folder on the way to the file path (mkdir -p of its dirname).
static bool make_folders(const char* path)
{
    char buffer[max_path_length];
    std::snprintf(buffer, sizeof buffer, "%s", path);
    for (char* p = buffer + 1; *p; ++p) {
        if (*p != '/') continue;
        *p = 0;
        if (mkdir(buffer, 0777) != 0) {
            struct stat info;
            if (stat(buffer, &info) != 0 || !S_ISDIR(info.st_mode)) {
                std::fprintf(stderr, "make_data: cannot create folder %s\n", buffer);
                return false;
            }
        }
        *p = '/';
    }
    return true;
}

static bool open_output(save_file& file, const char* path)
{
    if (!make_folders(path) || !begin_save(file, path)) {
        std::fprintf(stderr, "make_data: cannot create %s\n", path);
        return false;
    }
    return true;
}

static bool close_output(save_file& file, const char* path)
{
    if (!end_save(file)) {
        std::fprintf(stderr, "make_data: writing %s failed\n", path);
        return false;
    }
    return true;
}

// The 54 bytes of file header and 40-byte info header of an uncompressed,
// bottom-up BMP.
static void save_bmp_headers(save_file& file, int width, int height, int bits, int pixel_offset,
                             int pixel_bytes)
{
    save_bytes(file, "BM", 2);
    save_i32(file, pixel_offset + pixel_bytes);
    save_u16(file, 0);
    save_u16(file, 0);
    save_i32(file, pixel_offset);
    save_i32(file, 40);
    save_i32(file, width);
    save_i32(file, height);
    save_u16(file, 1);
    save_u16(file, bits);
    save_i32(file, 0);
    save_i32(file, pixel_bytes);
    for (int i = 0; i < 4; ++i) save_i32(file, 0);
}

bool write_bmp24(const char* path, const image24& image)
{
    save_file file;
    if (!open_output(file, path)) return false;
    int pitch = (image.width * 3 + 3) & ~3;
    save_bmp_headers(file, image.width, image.height, 24, 54, pitch * image.height);
    std::vector<uint8_t> row(pitch, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            uint32_t p = image.pixels[y * image.width + x];
            row[x * 3 + 0] = p & 0xFF;
            row[x * 3 + 1] = (p >> 8) & 0xFF;
            row[x * 3 + 2] = (p >> 16) & 0xFF;
        }
        save_bytes(file, row.data(), pitch);
    }
    return close_output(file, path);
}

bool write_bmp8(const char* path, const image8& image)
{
    if (image.width % 4 != 0) {
        std::fprintf(stderr, "make_data: %s: 8-bit width %d is not a multiple of 4\n", path,
                     image.width);
        return false;
    }
    save_file file;
    if (!open_output(file, path)) return false;
    save_bmp_headers(file, image.width, image.height, 8, 1078, image.width * image.height);
    for (uint32_t entry : image.palette) {
        uint8_t quad[4] = {static_cast<uint8_t>(entry & 0xFF), static_cast<uint8_t>(entry >> 8),
                           static_cast<uint8_t>(entry >> 16), 0};
        save_bytes(file, quad, 4);
    }
    for (int y = image.height - 1; y >= 0; --y)
        save_bytes(file, &image.pixels[y * image.width], image.width);
    return close_output(file, path);
}

// The fields of a frame after its delay, shared by both record sizes.
static void save_frame_fields(save_file& file, const frame_rect& f)
{
    save_i32(file, f.offset_x);
    save_i32(file, f.offset_y);
    save_u16(file, f.x);
    save_u16(file, f.y);
    save_u16(file, f.width);
    save_u16(file, f.height);
}

bool write_frame_file(const char* path, const frame_rect* frames, int count)
{
    save_file file;
    if (!open_output(file, path)) return false;
    save_u16(file, count);
    for (int i = 0; i < count; ++i) {
        save_u16(file, frames[i].delay);
        save_frame_fields(file, frames[i]);
    }
    return close_output(file, path);
}

bool write_sprite_file(const char* path, const sprite_set& set)
{
    save_file file;
    if (!open_output(file, path)) return false;
    save_u16(file, set.frame_count);
    for (int i = 1; i <= set.frame_count; ++i) {
        save_u8(file, set.frames[i].delay);
        save_frame_fields(file, set.frames[i]);
    }
    for (const auto& roll : set.rolls)
        for (int32_t slot : roll) save_u16(file, slot);
    for (const auto& row : set.table)
        for (int32_t roll : row) save_i32(file, roll);
    return close_output(file, path);
}

bool write_wav16(const char* path, const int16_t* samples, int frames, int channels, int rate)
{
    save_file file;
    if (!open_output(file, path)) return false;
    int data_size = frames * channels * 2;
    save_bytes(file, "RIFF", 4);
    save_i32(file, 36 + data_size);
    save_bytes(file, "WAVE", 4);
    save_bytes(file, "fmt ", 4);
    save_i32(file, 16);
    save_u16(file, 1);  // PCM
    save_u16(file, channels);
    save_i32(file, rate);
    save_i32(file, rate * channels * 2);
    save_u16(file, channels * 2);
    save_u16(file, 16);
    save_bytes(file, "data", 4);
    save_i32(file, data_size);
    // Samples go out little-endian in one write: the save is unbuffered.
    std::vector<uint8_t> bytes(data_size);
    for (int i = 0; i < frames * channels; ++i) {
        uint16_t v = static_cast<uint16_t>(samples[i]);
        bytes[2 * i] = v & 0xFF;
        bytes[2 * i + 1] = v >> 8;
    }
    save_bytes(file, bytes.data(), data_size);
    return close_output(file, path);
}

bool write_bytes_file(const char* path, const void* data, int size)
{
    save_file file;
    if (!open_output(file, path)) return false;
    save_bytes(file, data, size);
    return close_output(file, path);
}

bool read_asset_text(const char* path, std::vector<char>& text)
{
    constexpr int64_t largest = 1 << 20;
    text.assign(largest + 1, 0);
    int64_t size = read_whole_file(path, text.data(), largest);
    if (size < 0) {
        std::fprintf(stderr, "make_data: cannot read %s\n", path);
        return false;
    }
    text.resize(size + 1);
    text[size] = 0;
    return true;
}

// Reads the next number of the line at *p; false at the end of the line.
bool read_number(const char*& p, int& value)
{
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '#' || *p == '\n' || *p == '\r' || *p == 0) return false;
    char* end = nullptr;
    long v = std::strtol(p, &end, 10);
    if (end == p) return false;
    p = end;
    value = static_cast<int>(v);
    return true;
}

bool read_colour(const char*& p, colour& c)
{
    int r, g, b;
    if (!read_number(p, r) || !read_number(p, g) || !read_number(p, b)) return false;
    if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) return false;
    c = {static_cast<float>(r), static_cast<float>(g), static_cast<float>(b)};
    return true;
}

bool read_word(const char*& p, char* out, int size)
{
    while (*p == ' ' || *p == '\t') ++p;
    int n = 0;
    while (*p && *p != ' ' && *p != '\t' && *p != '\n' && *p != '\r' && *p != '#') {
        if (n + 1 < size) out[n++] = *p;
        ++p;
    }
    out[n] = 0;
    return n > 0;
}

const char* next_line(const char* p)
{
    while (*p && *p != '\n') ++p;
    return *p == '\n' ? p + 1 : p;
}
