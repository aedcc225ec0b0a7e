// BMP files: conversion of every depth, the slot and count rules of the
// loaders, team colours, refusals of damaged files, the 8-bit writer, the
// size probe and the palette.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/file_access.h"
#include "render/bmp.h"
#include "render_fixture.h"

using namespace render_test;
namespace fs = std::filesystem;

namespace {

struct rgb {
    uint8_t r, g, b;
};

void put16(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
    v[at] = x & 255, v[at + 1] = (x >> 8) & 255;
}

void put32(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v[at + i] = (x >> (8 * i)) & 255;
}

// A BMP file of w x h at the given depth: value(x, y) is a palette index at
// 8 bits, a 5:5:5 word at 16, or r | g << 8 | b << 16 at 24 and 32. Rows are
// stored bottom-up and padded to 4 bytes. The palette is entry i =
// (i, 255 - i, i / 2) unless given.
std::vector<uint8_t> make_bmp(int32_t w, int32_t h, int bits, std::function<uint32_t(int, int)> value,
                              const std::vector<rgb>* palette = nullptr)
{
    size_t start = bits == 8 ? 1078 : 54;
    size_t row = (static_cast<size_t>(w) * bits + 31) / 32 * 4;
    std::vector<uint8_t> v(start + row * h, 0);
    v[0] = 'B', v[1] = 'M';
    put32(v, 2, static_cast<uint32_t>(v.size()));
    put32(v, 10, static_cast<uint32_t>(start));
    put32(v, 14, 40);
    put32(v, 18, w);
    put32(v, 22, h);
    put16(v, 26, 1);
    put16(v, 28, bits);
    if (bits == 8)
        for (int i = 0; i < 256; ++i) {
            rgb c = palette ? (*palette)[i] : rgb {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)};
            v[54 + 4 * i] = c.b, v[55 + 4 * i] = c.g, v[56 + 4 * i] = c.r;
        }
    for (int32_t y = 0; y < h; ++y) {
        size_t at = start + row * (h - 1 - y);
        for (int32_t x = 0; x < w; ++x) {
            uint32_t p = value(x, y);
            switch (bits) {
            case 8: v[at + x] = static_cast<uint8_t>(p); break;
            case 16: put16(v, at + 2 * x, p); break;
            case 24: v[at + 3 * x] = p >> 16, v[at + 3 * x + 1] = p >> 8, v[at + 3 * x + 2] = p; break;
            case 32: put32(v, at + 4 * x, ((p & 255) << 16) | (p & 0xFF00) | ((p >> 16) & 255)); break;
            }
        }
    }
    return v;
}

// The file make_bmp wrote, its headers and rows moved apart: an info header
// of header_bytes (40 or more, the rest zero) and gap bytes between the
// colour table and the rows, with the size, header size and data offset
// fields saying so.
std::vector<uint8_t> relocated(const std::vector<uint8_t>& v, int bits, uint32_t header_bytes,
                               size_t gap)
{
    const size_t table = bits == 8 ? 1024 : 0;
    std::vector<uint8_t> out(14 + header_bytes + table + gap, 0xA5);
    std::fill(out.begin() + 54, out.begin() + 14 + header_bytes, 0);
    std::copy(v.begin(), v.begin() + 54, out.begin());
    std::copy(v.begin() + 54, v.begin() + 54 + table, out.begin() + 14 + header_bytes);
    put32(out, 10, static_cast<uint32_t>(out.size()));
    out.insert(out.end(), v.begin() + 54 + table, v.end());
    put32(out, 2, static_cast<uint32_t>(out.size()));
    put32(out, 14, header_bytes);
    return out;
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::vector<uint8_t> read_file(const std::string& path)
{
    std::vector<uint8_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr)
        return out;
    int c;
    while ((c = std::fgetc(f)) != EOF)
        out.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    return out;
}

uint32_t rgb24(uint8_t r, uint8_t g, uint8_t b)
{
    return r | (g << 8) | (b << 16);
}

class Bmp : public Display {
protected:
    void SetUp() override
    {
        Display::SetUp();
        fs::remove_all("bmp");
        fs::create_directories("bmp");
    }
    void TearDown() override
    {
        inject_write_failure(0);
        Display::TearDown();
    }
};

// The 3 x 2 test picture: red, green, blue over magenta, white, dark grey.
const rgb picture[2][3] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
                           {{255, 0, 255}, {255, 255, 255}, {40, 40, 40}}};

}  // namespace

TEST_F(Bmp, EveryDepthConvertsToFiveSixFive)
{
    // 8 bits: the palette holds the six colours at indices 10..15.
    std::vector<rgb> palette(256, rgb {0, 0, 0});
    for (int i = 0; i < 6; ++i)
        palette[10 + i] = picture[i / 3][i % 3];
    write_file("bmp/p8.bmp", make_bmp(3, 2, 8, [](int x, int y) { return 10 + 3 * y + x; }, &palette));
    // 16 bits: 5:5:5 of the same colours (each channel's top 5 bits).
    write_file("bmp/p16.bmp", make_bmp(3, 2, 16, [](int x, int y) {
        rgb c = picture[y][x];
        return ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3);
    }));
    auto full = [](int x, int y) { rgb c = picture[y][x]; return rgb24(c.r, c.g, c.b); };
    write_file("bmp/p24.bmp", make_bmp(3, 2, 24, full));
    write_file("bmp/p32.bmp", make_bmp(3, 2, 32, full));
    // 40 = 0b00101000: 5 red/blue bits 00101, 6 green bits 001010; at 16
    // bits the 5-bit green 00101 widens to 00101001 and becomes 001010.
    const uint32_t want[2][3] = {{0xF800, 0x07E0, 0x001F}, {0xF81F, 0xFFFF, 0x2945}};
    for (const char* name : {"bmp/p8.bmp", "bmp/p16.bmp", "bmp/p24.bmp", "bmp/p32.bmp"}) {
        int32_t slot = -1;
        ASSERT_TRUE(load_bmp(slot, name)) << name << ": " << last_bmp_error();
        const surface* s = surface_table[slot];
        ASSERT_EQ(s->width, 3);
        ASSERT_EQ(s->height, 2);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(pixel(s, x, y), want[y][x]) << name << " at " << x << "," << y;
        EXPECT_TRUE(s->keyed);
        EXPECT_EQ(s->key, 0xF81Fu);
        EXPECT_STREQ(last_bmp_error(), "");
    }
}

// The pixel rows start where the data offset says, after a header of any
// Windows size (the colour table follows the header) and any gap: each
// layout of a picture loads as the same picture.
TEST_F(Bmp, PixelsAreReadWhereTheDataOffsetSays)
{
    const auto value = [](int x, int y) { return static_cast<uint32_t>(7 * x + 40 * y + 3); };
    struct layout {
        uint32_t header_bytes;
        size_t gap;
    } layouts[] = {{124, 0}, {108, 0}, {40, 1}, {40, 100}, {124, 3}};
    for (int bits : {8, 16, 24, 32}) {
        const auto plain = make_bmp(5, 3, bits, value);
        write_file("bmp/plain.bmp", plain);
        int32_t slot = 0;
        ASSERT_TRUE(load_bmp(slot, "bmp/plain.bmp")) << last_bmp_error();
        const auto want = snapshot(surface_table[0]);
        for (const layout& l : layouts) {
            SCOPED_TRACE(testing::Message() << bits << " bits, header " << l.header_bytes
                                            << ", gap " << l.gap);
            write_file("bmp/moved.bmp", relocated(plain, bits, l.header_bytes, l.gap));
            int32_t moved = 1;
            ASSERT_TRUE(load_bmp(moved, "bmp/moved.bmp")) << last_bmp_error();
            EXPECT_EQ(snapshot(surface_table[1]), want);
        }
    }
}

TEST_F(Bmp, AtDepth32MagentaBecomesTheKey)
{
    ASSERT_TRUE(start(64, 48, 32));
    write_file("bmp/p24.bmp", make_bmp(3, 2, 24, [](int x, int y) {
        rgb c = picture[y][x];
        return rgb24(c.r, c.g, c.b);
    }));
    int32_t slot = -1;
    ASSERT_TRUE(load_bmp(slot, "bmp/p24.bmp"));
    EXPECT_EQ(pixel(surface_table[slot], 0, 0), 0xFF0000u);
    EXPECT_EQ(pixel(surface_table[slot], 2, 1), 0x282828u);
    EXPECT_EQ(pixel(surface_table[slot], 0, 1), static_cast<uint32_t>(colour_key));
}

TEST_F(Bmp, AtDepth8IndicesStayAndColoursTakeTheNearestEntry)
{
    ASSERT_TRUE(start(64, 48, 8));
    write_file("bmp/p8.bmp", make_bmp(3, 1, 8, [](int x, int) { return 200 + x; }));
    // Entry i of the display palette is (i, 255 - i, i / 2).
    write_file("bmp/p24.bmp", make_bmp(2, 1, 24, [](int x, int) { return x ? rgb24(100, 155, 50) : rgb24(9, 246, 4); }));
    int32_t a = -1, b = -1;
    ASSERT_TRUE(load_bmp(a, "bmp/p8.bmp"));
    ASSERT_TRUE(load_bmp(b, "bmp/p24.bmp"));
    EXPECT_EQ(pixel(surface_table[a], 1, 0), 201u);
    EXPECT_EQ(pixel(surface_table[b], 0, 0), 9u);
    EXPECT_EQ(pixel(surface_table[b], 1, 0), 100u);
}

TEST_F(Bmp, SlotsAndTheCount)
{
    write_file("bmp/a.bmp", make_bmp(2, 2, 24, [](int, int) { return rgb24(1, 2, 3); }));
    write_file("bmp/b.bmp", make_bmp(5, 1, 24, [](int, int) { return rgb24(4, 5, 6); }));
    int32_t first = -1, second = -1, seven = 7;
    ASSERT_TRUE(load_bmp(first, "bmp/a.bmp"));
    EXPECT_EQ(first, 0);
    ASSERT_TRUE(load_bmp(second, "bmp/a.bmp"));
    EXPECT_EQ(second, 1);
    ASSERT_TRUE(load_bmp(seven, "bmp/a.bmp"));
    EXPECT_EQ(seven, 7);
    EXPECT_EQ(surface_count, 3);
    // Reloading a slot replaces its image; the count still grows.
    ASSERT_TRUE(load_bmp(seven, "bmp/b.bmp"));
    EXPECT_EQ(surface_table[7]->width, 5);
    EXPECT_EQ(surface_count, 4);
    // Any value outside 0..399 asks for the next automatic slot.
    int32_t far = 400;
    ASSERT_TRUE(load_bmp(far, "bmp/a.bmp"));
    EXPECT_EQ(far, 4);
}

TEST_F(Bmp, ExplicitSlotOnAFreshStartCountsOne)
{
    write_file("bmp/a.bmp", make_bmp(2, 2, 24, [](int, int) { return 0; }));
    int32_t seven = 7, next = -1;
    ASSERT_TRUE(load_bmp(seven, "bmp/a.bmp"));
    EXPECT_EQ(surface_count, 1);
    ASSERT_TRUE(load_bmp(next, "bmp/a.bmp"));
    EXPECT_EQ(next, 1);
}

TEST_F(Bmp, MissingFileChangesNothing)
{
    int32_t slot = -1;
    EXPECT_FALSE(load_bmp(slot, "bmp/missing.bmp"));
    EXPECT_EQ(slot, -1);
    EXPECT_EQ(surface_count, 0);
    EXPECT_EQ(surface_table[0], nullptr);
    EXPECT_STRNE(last_bmp_error(), "");
}

TEST_F(Bmp, AutomaticLoadWithEverySlotUsedIsRefused)
{
    write_file("bmp/a.bmp", make_bmp(1, 1, 24, [](int, int) { return 0; }));
    for (int i = 0; i < max_surface_slots; ++i) {
        int32_t slot = -1;
        ASSERT_TRUE(load_bmp(slot, "bmp/a.bmp"));
        ASSERT_EQ(slot, i);
    }
    EXPECT_EQ(surface_count, 400);
    int32_t slot = -1;
    EXPECT_FALSE(load_bmp(slot, "bmp/a.bmp"));
    EXPECT_EQ(slot, -1);
    EXPECT_EQ(surface_count, 400);
    // A chosen slot can still be reloaded.
    int32_t five = 5;
    EXPECT_TRUE(load_bmp(five, "bmp/a.bmp"));
    EXPECT_EQ(surface_count, 400);
}

// Each damaged file is refused by both loaders, with the slot, the table and
// the count as they were and a reason given.
TEST_F(Bmp, DamagedFilesAreRefusedAndChangeNothing)
{
    auto good8 = make_bmp(3, 2, 8, [](int x, int) { return x; });
    auto good24 = make_bmp(3, 2, 24, [](int, int) { return 0; });
    auto with = [](std::vector<uint8_t> v, size_t at, uint32_t value, int size) {
        if (size == 2) put16(v, at, value); else put32(v, at, value);
        return v;
    };
    auto cut = [](std::vector<uint8_t> v, size_t n) { v.resize(n); return v; };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"header cut short", cut(good24, 40)},
        {"not BM", with(good24, 0, 0x4D42 + 1, 2)},
        {"width 0", with(good24, 18, 0, 4)},
        {"width -3", with(good24, 18, static_cast<uint32_t>(-3), 4)},
        {"width 4097", with(good24, 18, 4097, 4)},
        {"height 0", with(good24, 22, 0, 4)},
        {"top-down", with(good24, 22, static_cast<uint32_t>(-2), 4)},
        {"height -2^31", with(good24, 22, 0x80000000u, 4)},
        {"height 4097", with(good24, 22, 4097, 4)},
        {"4 bits", with(good24, 28, 4, 2)},
        {"1 bit", with(good24, 28, 1, 2)},
        {"15 bits", with(good24, 28, 15, 2)},
        {"run-length", with(good8, 30, 1, 4)},
        {"bit fields", with(good24, 30, 3, 4)},
        {"colour table cut", cut(good8, 1000)},
        {"last row short", cut(good24, good24.size() - 1)},
        {"8-bit rows short", cut(good8, good8.size() - 2)},
        {"4096 x 4096 in a small file", with(with(good24, 18, 4096, 4), 22, 4096, 4)},
        {"OS/2 core header", with(good24, 14, 12, 4)},
        {"data offset 0", with(good24, 10, 0, 4)},
        {"data offset inside the colour table", with(good8, 10, 1077, 4)},
        {"data offset past the end", with(good24, 10, static_cast<uint32_t>(good24.size()) + 1, 4)},
        {"data offset leaves a row short", with(good24, 10, 55, 4)},
        {"124-byte header over 54-byte pixels", with(good24, 14, 124, 4)},
    };
    write_file("bmp/ok.bmp", make_bmp(2, 2, 24, [](int, int) { return 0; }));
    int32_t held = 3;
    ASSERT_TRUE(load_bmp(held, "bmp/ok.bmp"));
    surface* before = surface_table[3];
    auto pixels_before = snapshot(before);
    for (const Case& c : cases) {
        write_file("bmp/bad.bmp", c.bytes);
        for (int32_t start_slot : {-1, 3}) {
            int32_t slot = start_slot;
            EXPECT_FALSE(load_bmp(slot, "bmp/bad.bmp")) << c.what;
            EXPECT_STRNE(last_bmp_error(), "") << c.what;
            slot = start_slot;
            EXPECT_FALSE(load_team_bmp(slot, 100, "bmp/bad.bmp")) << c.what;
            EXPECT_EQ(slot, start_slot) << c.what;
        }
        EXPECT_EQ(surface_count, 1) << c.what;
        EXPECT_EQ(surface_table[3], before) << c.what;
        EXPECT_EQ(surface_table[1], nullptr) << c.what;
        EXPECT_EQ(snapshot(before), pixels_before) << c.what;
    }
}

TEST_F(Bmp, TeamColoursRemapIndices212To215)
{
    // Width 3: stored rows carry a padding byte, which must not shift the
    // remapping of later rows.
    auto index = [](int x, int y) { return 210 + x + 3 * y; };  // 210..215
    write_file("bmp/team.bmp", make_bmp(3, 2, 8, index));
    write_file("bmp/mapped.bmp", make_bmp(3, 2, 8, [&](int x, int y) {
        int i = index(x, y);
        return i >= 212 ? 100 + (i - 212) : i;
    }));
    int32_t team = -1, mapped = -1, same = -1, plain = -1;
    ASSERT_TRUE(load_team_bmp(team, 100, "bmp/team.bmp"));
    ASSERT_TRUE(load_bmp(mapped, "bmp/mapped.bmp"));
    ASSERT_TRUE(load_team_bmp(same, 212, "bmp/team.bmp"));
    ASSERT_TRUE(load_bmp(plain, "bmp/team.bmp"));
    EXPECT_EQ(snapshot(surface_table[team]), snapshot(surface_table[mapped]));
    EXPECT_EQ(snapshot(surface_table[same]), snapshot(surface_table[plain]));
    EXPECT_NE(snapshot(surface_table[team]), snapshot(surface_table[plain]));
    EXPECT_EQ(surface_count, 4);
}

TEST_F(Bmp, TeamLoadOfANonEightBitFileChangesNothing)
{
    write_file("bmp/p24.bmp", make_bmp(2, 2, 24, [](int, int) { return 0; }));
    int32_t slot = -1;
    EXPECT_FALSE(load_team_bmp(slot, 100, "bmp/p24.bmp"));
    EXPECT_EQ(slot, -1);
    EXPECT_EQ(surface_count, 0);
    EXPECT_EQ(surface_table[0], nullptr);
}

TEST(RemapTeamColours, RowsAreWidthBytesApartFromTheOffset)
{
    uint8_t bytes[14] = {212, 213, 214, 215, 212, 213, 214, 215, 211, 216, 212, 0, 213, 212};
    remap_team_colours(1, 1, 4, 2, bytes, 250);  // bytes 5..12
    const uint8_t want[14] = {212, 213, 214, 215, 212, 251, 252, 253, 211, 216, 250, 0, 251, 212};
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(bytes[i], want[i]) << i;
    // Eight-bit arithmetic: base 254 wraps.
    uint8_t wrap[4] = {212, 213, 214, 215};
    remap_team_colours(0, 0, 4, 1, wrap, 254);
    EXPECT_EQ(wrap[2], 0);
    EXPECT_EQ(wrap[3], 1);
}

TEST_F(Bmp, SavedEightBitImagesLoadBackTheSame)
{
    ASSERT_TRUE(start(64, 48, 8));
    for (int i = 0; i < 256; ++i)
        palette_entries[i] = palette_entry {uint8_t(i), uint8_t(i ^ 0x55), uint8_t(255 - i), 0};
    surface* s = create_image_surface(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            set_pixel(s, x, y, 10 * y + x);
    ASSERT_TRUE(save_bmp8(5, 3, s, "bmp\\saved.bmp"));
    auto bytes = read_file("bmp/saved.bmp");
    ASSERT_EQ(bytes.size(), 1078u + 3 * 8);  // rows padded to 8 bytes
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[10], 0x36);  // 1078 = 0x436
    EXPECT_EQ(bytes[11], 0x04);
    EXPECT_EQ(bytes[28], 8);
    EXPECT_EQ(bytes[54 + 4 * 7], 248);  // blue, green, red of entry 7
    EXPECT_EQ(bytes[54 + 4 * 7 + 1], 7 ^ 0x55);
    EXPECT_EQ(bytes[54 + 4 * 7 + 2], 7);
    EXPECT_EQ(bytes[1078], 20);             // bottom row first
    int32_t slot = -1;
    ASSERT_TRUE(load_bmp(slot, "bmp/saved.bmp")) << last_bmp_error();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(pixel(surface_table[slot], x, y), 10u * y + x);
    int32_t w = 0, h = 0;
    ASSERT_TRUE(read_bmp_size(w, h, "bmp/saved.bmp"));
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 3);
    release_surface(s);
}

TEST_F(Bmp, SaveRefusesWhatItCannotWriteAndKeepsTheOldFile)
{
    surface* s16 = create_image_surface(4, 4);  // the display is at 16 bits
    EXPECT_FALSE(save_bmp8(4, 4, s16, "bmp/x.bmp"));
    EXPECT_FALSE(fs::exists("bmp/x.bmp"));
    release_surface(s16);

    ASSERT_TRUE(start(64, 48, 8));
    surface* s = create_image_surface(4, 4);
    EXPECT_FALSE(save_bmp8(5, 4, s, "bmp/x.bmp"));  // wider than the surface
    EXPECT_FALSE(save_bmp8(4, 4, nullptr, "bmp/x.bmp"));
    write_file("bmp/x.bmp", {1, 2, 3});
    inject_write_failure(3);
    EXPECT_FALSE(save_bmp8(4, 4, s, "bmp/x.bmp"));
    EXPECT_EQ(read_file("bmp/x.bmp"), (std::vector<uint8_t> {1, 2, 3}));
    release_surface(s);
}

TEST_F(Bmp, SizeProbeNeedsTheWholeHeaderField)
{
    write_file("bmp/a.bmp", make_bmp(7, 9, 24, [](int, int) { return 0; }));
    write_file("bmp/short.bmp", std::vector<uint8_t>(25, 1));
    int32_t w = -5, h = -6;
    EXPECT_FALSE(read_bmp_size(w, h, "bmp/missing.bmp"));
    EXPECT_FALSE(read_bmp_size(w, h, "bmp/short.bmp"));
    EXPECT_EQ(w, -5);
    EXPECT_EQ(h, -6);
    EXPECT_TRUE(read_bmp_size(w, h, "bmp/a.bmp"));
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 9);
}

TEST_F(Bmp, PaletteComesFromTheColourTable)
{
    std::vector<rgb> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[i] = rgb {uint8_t(i), uint8_t(2 * i), uint8_t(3 * i)};
    write_file("bmp/pal.bmp", make_bmp(1, 1, 8, [](int, int) { return 0; }, &colours));
    ASSERT_TRUE(load_palette("bmp/pal.bmp"));
    EXPECT_EQ(palette_entries[10].red, 10);
    EXPECT_EQ(palette_entries[10].green, 20);
    EXPECT_EQ(palette_entries[10].blue, 30);
    EXPECT_EQ(palette_entries[10].flags, 0);
    write_file("bmp/short.bmp", std::vector<uint8_t>(1000, 9));
    EXPECT_FALSE(load_palette("bmp/short.bmp"));
    EXPECT_FALSE(load_palette("bmp/missing.bmp"));
    EXPECT_EQ(palette_entries[10].green, 20);
}
