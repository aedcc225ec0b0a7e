// The generated data set read through the program's own loaders, as the
// game and the editors read it at start: every image into the image table
// with its colour key, the team sheets in every team colour, the sprite and
// frame files into the animation and tree tables, the palette, the font, the
// scenario map and every WAV file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "game/world_drawing.h"
#include "render/bmp.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/font.h"
#include "render_fixture.h"
#include "sound/wave.h"
#include "sprites/sprite_data.h"
#include "world/map.h"
#include "world/map_file.h"
#include "world/units.h"

using namespace render_test;

namespace {

namespace fs = std::filesystem;

class DataSetLoaders : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The program reads data\... from its working folder.
        if (!fs::exists(fs::symlink_status("data")))
            fs::create_directory_symlink(fs::path(BRASK_DATA_DIR), "data");
        ASSERT_TRUE(start());
    }
    void TearDown() override { release_display(); }
};

// Key pixels and other pixels inside a rectangle of an image.
struct ink_count {
    int key = 0;
    int ink = 0;
};

ink_count count_ink(const surface* s, int32_t x, int32_t y, int32_t w, int32_t h)
{
    ink_count c;
    for (int32_t j = y; j < y + h; ++j)
        for (int32_t i = x; i < x + w; ++i)
            (pixel(s, i, j) == static_cast<uint32_t>(colour_key) ? c.key : c.ink) += 1;
    return c;
}

TEST_F(DataSetLoaders, ImagesLoadWithTheirSizesAndTheColourKey)
{
    struct expected {
        const char* name;
        int32_t width, height;
        bool keyed_background;  // the top-left pixel is magenta
    };
    const expected images[] = {
        {"data\\map\\tiles\\dwater.bmp", 128, 160, false}, {"data\\map\\tiles\\water.bmp", 128, 160, false},
        {"data\\map\\tiles\\sand.bmp", 128, 160, false},   {"data\\map\\tiles\\mud.bmp", 128, 160, false},
        {"data\\map\\tiles\\grass.bmp", 128, 160, false},  {"data\\map\\tiles\\dgrass.bmp", 128, 160, false},
        {"data\\map\\tiles\\stone.bmp", 128, 160, false},  {"data\\images\\tree.bmp", 0, 0, true},
        {"data\\images\\vesk.bmp", 60, 50, false},         {"data\\font\\smallb.bmp", 160, 192, true},
        {"data\\font\\smallw.bmp", 160, 192, true},
    };
    for (const expected& e : images) {
        int32_t w = 0, h = 0;
        ASSERT_TRUE(read_bmp_size(w, h, e.name)) << e.name;
        int32_t slot = -1;
        ASSERT_TRUE(load_bmp(slot, e.name)) << e.name << ": " << last_bmp_error();
        const surface* s = surface_table[slot];
        ASSERT_NE(s, nullptr) << e.name;
        EXPECT_EQ(s->width, w) << e.name;
        EXPECT_EQ(s->height, h) << e.name;
        if (e.width != 0) {
            EXPECT_EQ(w, e.width) << e.name;
            EXPECT_EQ(h, e.height) << e.name;
        }
        EXPECT_TRUE(s->keyed) << e.name;
        EXPECT_EQ(s->key, static_cast<uint32_t>(colour_key)) << e.name;
        ink_count c = count_ink(s, 0, 0, s->width, s->height);
        if (e.keyed_background) {
            EXPECT_EQ(pixel(s, 0, 0), static_cast<uint32_t>(colour_key)) << e.name;
            EXPECT_GT(c.ink, 0) << e.name;
        } else {
            // Ground and the portrait are opaque: no key pixel to drop.
            EXPECT_EQ(c.key, 0) << e.name;
        }
    }
}

TEST_F(DataSetLoaders, TheTreeFramesCutTreesAndRocksOutOfTheirImage)
{
    int32_t slot = -1;
    ASSERT_TRUE(load_bmp(slot, "data\\images\\tree.bmp"));
    ASSERT_TRUE(load_tree_frames(slot)) << sprite_data_refusal();
    EXPECT_EQ(frame_count, max_tree_frames);
    const surface* s = surface_table[slot];
    // Frames 1..5 are the trees the tree tool places, 11..15 the rocks.
    for (int n = 1; n <= max_tree_frames; ++n) {
        const tree_entry& e = tree_table[n];
        EXPECT_EQ(e.image, slot);
        ASSERT_GT(e.width, 0) << "frame " << n;
        ASSERT_GT(e.height, 0) << "frame " << n;
        ASSERT_LE(e.x + e.width, s->width) << "frame " << n;
        ASSERT_LE(e.y + e.height, s->height) << "frame " << n;
        ink_count c = count_ink(s, e.x, e.y, e.width, e.height);
        EXPECT_GT(c.key, 0) << "frame " << n << " has no keyed background";
        EXPECT_GT(c.ink, e.width * e.height / 8) << "frame " << n << " is nearly empty";
    }
}

TEST_F(DataSetLoaders, UnitSheetsLoadInEveryTeamColourWithEveryAnimation)
{
    ASSERT_TRUE(load_unit_sprites());
    // The loaded teams: orcs 0..4, humans 3, 5, 6, 7.
    const bool loaded[race_count][team_count] = {{true, true, true, true, true, false, false, false},
                                                 {false, false, false, true, false, true, true, true}};
    for (int race = 0; race < race_count; ++race) {
        const surface* first = nullptr;
        for (int team = 0; team < team_count; ++team) {
            int32_t slot = unit_images[race][team];
            if (!loaded[race][team]) {
                EXPECT_EQ(slot, -1);
                continue;
            }
            ASSERT_GE(slot, 0) << "race " << race << " team " << team;
            const surface* s = surface_table[slot];
            ASSERT_NE(s, nullptr);
            EXPECT_EQ(s->width, 512);
            EXPECT_EQ(s->height, 1024);
            EXPECT_EQ(s->key, static_cast<uint32_t>(colour_key));
            EXPECT_EQ(pixel(s, 0, 0), static_cast<uint32_t>(colour_key)) << "magenta background";
            if (first == nullptr) {
                first = s;
                continue;
            }
            // The same picture in another colour: the team parts differ,
            // the rest (background included) is the same.
            int same = 0, different = 0;
            for (int32_t y = 0; y < s->height; ++y)
                for (int32_t x = 0; x < s->width; ++x)
                    (pixel(s, x, y) == pixel(first, x, y) ? same : different) += 1;
            EXPECT_GT(different, 1000) << "race " << race << " team " << team << " looks like the first team";
            EXPECT_GT(same, different) << "race " << race << " team " << team;
        }
        // Stand 1 frame, walk 4 or more, attack and die 3 or more, in all
        // eight directions; every slot a rectangle of the sheet.
        const int least[4] = {1, 4, 3, 3};
        for (int action = 0; action < 4; ++action)
            for (int dir = 0; dir < direction_count; ++dir) {
                int length = 0;
                while (unit_anims[race][action][dir][length].height != 0)
                    ++length;
                EXPECT_GE(length, least[action]) << "race " << race << " action " << action << " direction " << dir;
                for (int s = 0; s < length; ++s) {
                    const anim_entry& e = unit_anims[race][action][dir][s];
                    EXPECT_GT(e.width, 0);
                    EXPECT_LE(e.x + e.width, 512);
                    EXPECT_LE(e.y + e.height, 1024);
                }
            }
        for (int action = 4; action < anim_actions; ++action)
            for (int dir = 0; dir < direction_count; ++dir)
                EXPECT_EQ(unit_anims[race][action][dir][0].height, 0) << "race " << race << " action " << action;
    }
}

TEST_F(DataSetLoaders, PaletteFontAndMapLoad)
{
    ASSERT_TRUE(load_palette("data\\palette.bmp"));
    const palette_entry& key = palette_entries[255];
    EXPECT_EQ(key.red, 255);
    EXPECT_EQ(key.green, 0);
    EXPECT_EQ(key.blue, 255);

    ASSERT_TRUE(load_font());
    ASSERT_TRUE(load_glyph_table());
    const surface* glyphs = surface_table[font_slot_w];
    ASSERT_NE(glyphs, nullptr);
    // Every byte the program draws: ASCII and the Cyrillic letters of
    // code page 1251, each about 10 pixels high so that it fits a 15-pixel
    // button.
    for (int c = 32; c < 256; ++c) {
        if (c >= 127 && c < 192)
            continue;
        const glyph& g = glyph_table[c];
        EXPECT_GT(g.width, 0) << "byte " << c;
        EXPECT_GE(g.height, 9) << "byte " << c;
        EXPECT_LE(g.height, 12) << "byte " << c;
        EXPECT_LE(g.x + g.width, glyphs->width) << "byte " << c;
        EXPECT_LE(g.y + g.height, glyphs->height) << "byte " << c;
        if (c != ' ') {
            EXPECT_GT(count_ink(glyphs, g.x, g.y, g.width, g.height).ink, 0) << "byte " << c;
        }
    }

    clear_layers();
    clear_units();
    ASSERT_TRUE(load_map("single")) << map_refusal();
    EXPECT_EQ(map_width, 128);
    EXPECT_EQ(map_height, 128);
    EXPECT_GT(unit_count, 20);
}

TEST_F(DataSetLoaders, EveryWaveOpensAsCanonicalPcm)
{
    struct expected {
        const char* name;
        double least_seconds, most_seconds;
    };
    const expected waves[] = {
        {"data\\music\\music.wav", 30, 600},  {"data\\sounds\\sword1.wav", 0.1, 2},
        {"data\\sounds\\sword2.wav", 0.1, 2}, {"data\\sounds\\sword3.wav", 0.1, 2},
        {"data\\sounds\\Odead.wav", 0.3, 3},  {"data\\sounds\\Hdead.wav", 0.3, 3},
    };
    for (const expected& e : waves) {
        wave_reader reader;
        ASSERT_TRUE(wave_open(reader, e.name)) << e.name << ": " << wave_error();
        const wave_format_record* f = wave_format(reader);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->format_tag, 1) << e.name;
        EXPECT_EQ(f->bits_per_sample, 16) << e.name;
        EXPECT_EQ(reader.data_offset, 44u) << e.name << " has a canonical header";
        EXPECT_EQ(static_cast<int64_t>(reader.data_offset + reader.data_size), reader.file_bytes) << e.name;
        double seconds = static_cast<double>(wave_data_size(reader)) / (f->samples_per_second * f->block_align);
        EXPECT_GE(seconds, e.least_seconds) << e.name;
        EXPECT_LE(seconds, e.most_seconds) << e.name;
    }
}

}  // namespace
