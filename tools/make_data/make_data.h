// The data generator: builds every file of data/ from assets/ and code.
// Shared pieces of its steps: images, the local generator, noise, colour
// helpers, the file writers and the asset text reader.
#pragma once

#include <cstdint>
#include <vector>

// The generator's own random numbers: a fixed seed per asset, so every run
// makes the same bytes. It is not the program's generator, which belongs to
// the game.
struct tool_random {
    uint32_t state;
    uint32_t next();                 // 32 random bits
    int range(int lo, int hi);       // lo..hi-1
    float unit();                    // 0 <= value < 1
    float signed_unit();             // -1 <= value < 1
};

// A hash of three integers into 32 bits: the lattice values of the noise.
uint32_t hash3(uint32_t a, uint32_t b, uint32_t c);

// Value noise on a lattice of cells x cells over a square of period pixels,
// wrapping at the period, so a tile of that size repeats without a seam.
// Result -1..1.
float periodic_noise(float x, float y, int period, int cells, uint32_t seed);

// The same with different lattice counts along x and y (streaks, ripples).
float periodic_noise_xy(float x, float y, int period, int cells_x, int cells_y, uint32_t seed);

// Three octaves of periodic_noise (cells 4, 8, 16), weighted 0.55, 0.3, 0.15.
float periodic_fbm(float x, float y, int period, uint32_t seed);

float clamp01(float v);
float smoothstep(float edge0, float edge1, float v);
float lerp(float a, float b, float t);

// An RGB colour with components 0..255 as floats while being mixed.
struct colour {
    float r, g, b;
};
colour mix(colour a, colour b, float t);
colour scale(colour c, float k);
uint32_t pack_rgb(colour c);  // 0x00RRGGBB, components rounded and clamped

constexpr uint32_t magenta = 0xFF00FF;

// A 24-bit picture: pixels 0x00RRGGBB, rows top to bottom.
struct image24 {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};
void make_image(image24& image, int width, int height, uint32_t fill);
inline uint32_t& pixel(image24& image, int x, int y) { return image.pixels[y * image.width + x]; }

// An 8-bit picture with its 256-entry colour table (0x00RRGGBB each).
struct image8 {
    int width = 0;  // a multiple of 4, so rows need no padding
    int height = 0;
    std::vector<uint8_t> pixels;
    uint32_t palette[256] = {};
};
void make_image(image8& image, int width, int height, uint8_t fill);

// One frame of a frame or sprite file: a rectangle of an image and where it
// is drawn from an anchor point.
struct frame_rect {
    int32_t delay;
    int32_t offset_x, offset_y;
    int32_t x, y, width, height;
};

// A sprite set being built: frames 1..frame_count, 64 rolls of 16 slots, and
// the roll of each action and direction (-1 none).
constexpr int max_frames = 1024;
struct sprite_set {
    int frame_count = 0;
    frame_rect frames[max_frames] = {};
    int32_t rolls[64][16] = {};
    int32_t table[8][8];
};
void clear_sprite_set(sprite_set& set);

// Writers. Each makes the folders of path, writes through the atomic save
// and reports a failure on stderr; false when the file could not be written.
bool write_bmp24(const char* path, const image24& image);
bool write_bmp8(const char* path, const image8& image);
bool write_frame_file(const char* path, const frame_rect* frames, int count);
bool write_sprite_file(const char* path, const sprite_set& set);
// A canonical 44-byte-header PCM WAV of 16-bit samples.
bool write_wav16(const char* path, const int16_t* samples, int frames, int channels, int rate);
bool write_bytes_file(const char* path, const void* data, int size);

// Asset text parsing, within one line: the next number, the next colour
// (three numbers 0..255) and the next word; false at the line's end or at a
// '#' comment. next_line steps past the end of the current line.
bool read_number(const char*& p, int& value);
bool read_colour(const char*& p, colour& c);
bool read_word(const char*& p, char* out, int size);
const char* next_line(const char* p);

// Reads a whole asset text file into text (terminated); false if missing.
bool read_asset_text(const char* path, std::vector<char>& text);

// The folders the steps read from and write to, without a trailing '/'.
extern const char* assets_dir;
extern const char* output_dir;

// Builds "<dir>/<name>" into a static rotating buffer (valid for a few calls).
const char* join_path(const char* dir, const char* name);

// The display palette of the unit sheets (palette.cpp): fills table from
// assets/palette.txt; false when the file is missing or malformed.
bool load_unit_palette(uint32_t table[256]);

// Palette indices every 8-bit sheet relies on.
constexpr uint8_t index_magenta = 255;
constexpr uint8_t index_team_own = 212;  // the four team shades 212..215

// Figures (figures.cpp): a tiny renderer of shaded spheres, tapered
// capsules and disks, seen from the south and above like the game's world,
// for units, trees, rocks and the portrait. World axes: x east, y north,
// z up, in pixels; the ground point of the figure is at (0, 0, 0).
struct vec3 {
    float x, y, z;
};
vec3 operator+(vec3 a, vec3 b);
vec3 operator-(vec3 a, vec3 b);
vec3 operator*(vec3 a, float k);
float dot(vec3 a, vec3 b);
vec3 cross(vec3 a, vec3 b);
vec3 normalise(vec3 a);

constexpr int max_materials = 32;
struct figure_canvas {
    int width = 0, height = 0;
    float ground_x = 0, ground_y = 0;    // where the ground point lands
    float pitch_sin = 0, pitch_cos = 0;  // the view's elevation
    std::vector<float> depth;            // towards the viewer; -1e9 empty
    std::vector<int16_t> material;       // -1 empty
    std::vector<float> shade;            // 0 dark .. 1 light, after shading
    std::vector<vec3> normal;            // view space, x right, y down, z out
    float shine[max_materials] = {};     // specular strength per material
    float glow[max_materials] = {};      // added to the shade (colours that must read)
    float scale = 1;                     // world pixels to screen pixels
    int clipped = 0;                     // pixels that fell outside
};
// Empties the canvas; pitch_degrees is the view's elevation above the horizon.
void begin_figure(figure_canvas& c, int width, int height, float ground_x, float ground_y,
                  float pitch_degrees);
void add_sphere(figure_canvas& c, vec3 centre, float radius, int material);
// A capsule whose radius runs from ra at a to rb at b.
void add_capsule(figure_canvas& c, vec3 a, vec3 b, float ra, float rb, int material);
// A flat round plate of the given thickness, facing along its normal.
void add_disk(figure_canvas& c, vec3 centre, vec3 normal, float radius, float thickness,
              int material);
// Screen position of a world point.
void project(const figure_canvas& c, vec3 p, float& sx, float& sy);
// Lights every filled pixel (from the upper left, in front) into shade, and
// darkens pixels lying just behind a nearer neighbour, so limbs read apart.
void shade_figure(figure_canvas& c);
inline bool filled(const figure_canvas& c, int x, int y)
{
    return x >= 0 && y >= 0 && x < c.width && y < c.height && c.material[y * c.width + x] >= 0;
}

// The steps, in the order make_data runs them; each returns false on failure.
bool make_palette();    // palette.cpp: data/palette.bmp
bool make_terrain();    // terrain.cpp: the seven tile sheets
bool make_objects();    // objects.cpp: tree.bmp, tree.frm
bool make_units();      // units.cpp: grant and footman sheets and sprite files
bool make_portrait();   // portrait.cpp: vesk.bmp
bool make_font();       // font.cpp: smf.fn, smallb.bmp, smallw.bmp
bool make_sounds();     // sounds.cpp: music and effects
bool make_scenario();   // scenario.cpp: data/map/single.map
