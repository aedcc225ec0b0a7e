// The generated data set in build/data: every file's layout as the program's
// loaders read it, and the properties the game relies on (seamless tile
// transitions, team colour indices, glyphs for every byte drawn, frames
// on their cells, canonical WAV headers, a music loop without a click).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/byte_reader.h"
#include "core/file_access.h"

namespace {

// The generated data set, build/data/ (the build passes its path).
const std::string data_dir = BRASK_DATA_DIR;

std::vector<uint8_t> read_data(const std::string& name)
{
    std::vector<uint8_t> bytes(8 << 20);
    int64_t size = read_whole_file((data_dir + name).c_str(), bytes.data(), bytes.size() - 1);
    bytes.resize(size < 0 ? 0 : size);
    return bytes;
}

// A BMP as the loaders see it: header fields and the decoded pixels as
// 0xRRGGBB, rows top to bottom; 8-bit files keep their indices too.
struct bmp {
    bool ok = false;
    int width = 0, height = 0, bits = 0;
    uint32_t table[256] = {};
    std::vector<uint8_t> indices;
    std::vector<uint32_t> rgb;
    uint32_t at(int x, int y) const { return rgb[y * width + x]; }
};

bmp read_bmp(const std::string& name)
{
    bmp b;
    std::vector<uint8_t> f = read_data(name);
    byte_reader r{f.data(), static_cast<int64_t>(f.size())};
    if (r.u8() != 'B' || r.u8() != 'M') return b;
    uint32_t file_size = r.u32();
    r.skip(4);
    uint32_t offset = r.u32();
    if (r.u32() != 40) return b;
    b.width = r.i32();
    b.height = r.i32();
    r.skip(2);
    b.bits = r.u16();
    if (!r.ok || file_size != f.size() || b.width <= 0 || b.height <= 0) return b;
    if (b.bits == 8) {
        if (offset != 1078) return b;
        for (int i = 0; i < 256; ++i)
            b.table[i] = f[54 + 4 * i + 2] << 16 | f[54 + 4 * i + 1] << 8 | f[54 + 4 * i];
    } else if (b.bits != 24 || offset != 54) {
        return b;
    }
    int pitch = (b.width * b.bits / 8 + 3) & ~3;
    if (static_cast<int64_t>(offset) + static_cast<int64_t>(pitch) * b.height != static_cast<int64_t>(f.size()))
        return b;
    b.rgb.resize(b.width * b.height);
    b.indices.resize(b.bits == 8 ? b.width * b.height : 0);
    for (int y = 0; y < b.height; ++y) {
        const uint8_t* row = f.data() + offset + static_cast<size_t>(b.height - 1 - y) * pitch;
        for (int x = 0; x < b.width; ++x) {
            if (b.bits == 8) {
                b.indices[y * b.width + x] = row[x];
                b.rgb[y * b.width + x] = b.table[row[x]];
            } else {
                b.rgb[y * b.width + x] = row[3 * x + 2] << 16 | row[3 * x + 1] << 8 | row[3 * x];
            }
        }
    }
    b.ok = true;
    return b;
}

constexpr uint32_t magenta = 0xFF00FF;

int channel_difference(uint32_t a, uint32_t b)
{
    return std::abs(int(a >> 16) - int(b >> 16)) + std::abs(int((a >> 8) & 0xFF) - int((b >> 8) & 0xFF)) +
           std::abs(int(a & 0xFF) - int(b & 0xFF));
}

TEST(DataSet, BitmapsHaveTheLayoutTheLoadersRead)
{
    struct expected {
        const char* name;
        int width, height, bits;
    };
    const expected files[] = {
        {"map/tiles/dwater.bmp", 128, 160, 24}, {"map/tiles/water.bmp", 128, 160, 24},
        {"map/tiles/sand.bmp", 128, 160, 24},   {"map/tiles/mud.bmp", 128, 160, 24},
        {"map/tiles/grass.bmp", 128, 160, 24},  {"map/tiles/dgrass.bmp", 128, 160, 24},
        {"map/tiles/stone.bmp", 128, 160, 24},  {"images/grant.bmp", 512, 1024, 8},
        {"images/footman.bmp", 512, 1024, 8},   {"images/vesk.bmp", 60, 50, 24},
        {"palette.bmp", 128, 128, 8},           {"font/smallb.bmp", 160, 192, 24},
        {"font/smallw.bmp", 160, 192, 24},
    };
    for (const expected& e : files) {
        bmp b = read_bmp(e.name);
        EXPECT_TRUE(b.ok) << e.name;
        EXPECT_EQ(b.width, e.width) << e.name;
        EXPECT_EQ(b.height, e.height) << e.name;
        EXPECT_EQ(b.bits, e.bits) << e.name;
    }
    bmp tree = read_bmp("images/tree.bmp");
    EXPECT_TRUE(tree.ok);
    EXPECT_EQ(tree.bits, 24);
}

// Corners of each tile holding the sheet's own kind: bit 1 TL, 2 TR, 4 BL, 8 BR.
const int tile_corners[5][4] = {
    {15, 15, 15, 15}, {8, 4, 12, 10}, {2, 1, 3, 5}, {9, 6, 7, 11}, {6, 9, 13, 14},
};
const char* const sheet_names[7] = {"dwater", "water", "sand", "mud", "grass", "dgrass", "stone"};
const int beneath[7] = {1, 2, 1, 2, 2, 2, 2};

// One side of a tile: 32 pixels along an edge, and the kinds at its corners.
struct tile_edge {
    int sheet, column, row;
    int side;           // 0 left, 1 right, 2 top, 3 bottom
    int first, second;  // the kinds at the edge's two corners
    uint32_t pixels[32];
};

std::vector<tile_edge> all_edges(const bmp* sheets)
{
    static const int corner_bits[4][2] = {{1, 4}, {2, 8}, {1, 2}, {4, 8}};
    std::vector<tile_edge> edges;
    for (int k = 0; k < 7; ++k)
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < 4; ++column)
                for (int side = 0; side < 4; ++side) {
                    tile_edge e{k, column, row, side, 0, 0, {}};
                    int corners = tile_corners[row][column];
                    e.first = corners & corner_bits[side][0] ? k : beneath[k];
                    e.second = corners & corner_bits[side][1] ? k : beneath[k];
                    for (int i = 0; i < 32; ++i) {
                        int x = side == 0 ? 0 : (side == 1 ? 31 : i);
                        int y = side == 2 ? 0 : (side == 3 ? 31 : i);
                        e.pixels[i] = sheets[k].at(column * 32 + x, row * 32 + y);
                    }
                    edges.push_back(e);
                }
    return edges;
}

// Any two tiles, of any sheets, whose edges have the same corner kinds may
// lie beside the same neighbour, so those edges must look the same: the
// border along a cell edge depends on the edge's two corners only.
TEST(DataSet, TileEdgesDependOnlyOnTheirCorners)
{
    bmp sheets[7];
    for (int k = 0; k < 7; ++k) {
        sheets[k] = read_bmp(std::string("map/tiles/") + sheet_names[k] + ".bmp");
        ASSERT_TRUE(sheets[k].ok) << sheet_names[k];
    }
    std::vector<tile_edge> edges = all_edges(sheets);
    int compared = 0;
    for (size_t a = 0; a < edges.size(); ++a)
        for (size_t b = a + 1; b < edges.size(); ++b) {
            const tile_edge& p = edges[a];
            const tile_edge& q = edges[b];
            if (p.side != q.side || p.first != q.first || p.second != q.second) continue;
            int total = 0, worst = 0;
            for (int i = 0; i < 32; ++i) {
                int d = channel_difference(p.pixels[i], q.pixels[i]);
                total += d;
                worst = d > worst ? d : worst;
            }
            ++compared;
            EXPECT_LE(total / 32, 6) << sheet_names[p.sheet] << " (" << p.column << "," << p.row << ") and "
                                     << sheet_names[q.sheet] << " (" << q.column << "," << q.row << ") side "
                                     << p.side;
            EXPECT_LE(worst, 120) << sheet_names[p.sheet] << " (" << p.column << "," << p.row << ") and "
                                  << sheet_names[q.sheet] << " (" << q.column << "," << q.row << ") side " << p.side;
        }
    EXPECT_GT(compared, 1000);
}

// Where two tiles meet, the step across the seam is no larger than the
// steps between neighbouring columns inside a tile.
TEST(DataSet, NeighbouringTilesJoinWithoutASeam)
{
    for (int k = 0; k < 7; ++k) {
        bmp s = read_bmp(std::string("map/tiles/") + sheet_names[k] + ".bmp");
        ASSERT_TRUE(s.ok);
        long seam = 0, inside = 0, seams = 0, insides = 0;
        for (int ra = 0; ra < 5; ++ra)
            for (int ca = 0; ca < 4; ++ca)
                for (int rb = 0; rb < 5; ++rb)
                    for (int cb = 0; cb < 4; ++cb) {
                        int a = tile_corners[ra][ca], b = tile_corners[rb][cb];
                        // b to the right of a: a's right corners are b's left ones.
                        if (((a >> 1) & 1) != (b & 1) || ((a >> 3) & 1) != ((b >> 2) & 1)) continue;
                        for (int y = 0; y < 32; ++y) {
                            seam += channel_difference(s.at(ca * 32 + 31, ra * 32 + y), s.at(cb * 32, rb * 32 + y));
                            inside += channel_difference(s.at(ca * 32 + 15, ra * 32 + y), s.at(ca * 32 + 16, ra * 32 + y));
                        }
                        seams += 32;
                        insides += 32;
                    }
        ASSERT_GT(seams, 0);
        double seam_step = double(seam) / seams, inside_step = double(inside) / insides;
        EXPECT_LE(seam_step, inside_step * 1.5 + 4) << sheet_names[k];
    }
}

// The unit sheets: team parts in 212..215, the seven other team ramps in the
// colour table and never drawn, magenta behind.
TEST(DataSet, UnitSheetsCarryEightTeamRamps)
{
    const int bases[8] = {212, 208, 216, 220, 224, 228, 232, 12};
    for (const char* name : {"images/grant.bmp", "images/footman.bmp"}) {
        bmp b = read_bmp(name);
        ASSERT_TRUE(b.ok) << name;
        ASSERT_EQ(b.width % 4, 0);
        long counts[256] = {};
        for (uint8_t v : b.indices) ++counts[v];
        EXPECT_GT(counts[255], 0) << name;
        EXPECT_EQ(b.table[255], magenta) << name;
        long team = 0;
        for (int i = 212; i <= 215; ++i) team += counts[i];
        EXPECT_GT(team, 2000) << name << " draws too little in the team colour";
        for (int t = 1; t < 8; ++t)
            for (int i = 0; i < 4; ++i) EXPECT_EQ(counts[bases[t] + i], 0) << name << " uses index " << bases[t] + i;
        for (int t = 0; t < 8; ++t) {
            // Four shades, darkest first, each a different colour.
            for (int i = 0; i < 3; ++i) {
                uint32_t a = b.table[bases[t] + i], c = b.table[bases[t] + i + 1];
                int la = (a >> 16) + ((a >> 8) & 0xFF) + (a & 0xFF), lc = (c >> 16) + ((c >> 8) & 0xFF) + (c & 0xFF);
                EXPECT_LT(la, lc) << name << " team ramp at " << bases[t];
            }
            for (int u = t + 1; u < 8; ++u)
                EXPECT_GT(channel_difference(b.table[bases[t] + 2], b.table[bases[u] + 2]), 90)
                    << "teams with bases " << bases[t] << " and " << bases[u] << " look alike";
        }
    }
}

struct frame {
    int delay, offset_x, offset_y, x, y, width, height;
};

// Reads a frame block of 18-byte (frame files) or 17-byte (sprite files) records.
std::vector<frame> read_frames(byte_reader& r, bool sprite)
{
    int n = r.u16();
    std::vector<frame> frames(n + 1);
    for (int i = 1; i <= n; ++i) {
        frame& f = frames[i];
        f.delay = sprite ? r.u8() : r.u16();
        f.offset_x = r.i32();
        f.offset_y = r.i32();
        f.x = r.u16();
        f.y = r.u16();
        f.width = r.u16();
        f.height = r.u16();
    }
    return frames;
}

bool has_ink(const bmp& b, const frame& f)
{
    for (int y = f.y; y < f.y + f.height; ++y)
        for (int x = f.x; x < f.x + f.width; ++x)
            if (b.at(x, y) != magenta) return true;
    return false;
}

// Whether a picture drawn from offset with length (along one axis) has its
// middle within -16 .. 15 pixels of the anchor: the game picks the cell
// whose top-left corner lies nearest the cursor, (cursor + 16) / 32.
bool picks_its_cell(int32_t offset, int32_t length)
{
    int32_t twice_middle = 2 * offset + length;
    return twice_middle >= -32 && twice_middle < 32;
}

TEST(DataSet, TreesAndRocksStandOnTheirCells)
{
    std::vector<uint8_t> f = read_data("images/tree.frm");
    bmp sheet = read_bmp("images/tree.bmp");
    ASSERT_TRUE(sheet.ok);
    byte_reader r{f.data(), static_cast<int64_t>(f.size())};
    std::vector<frame> frames = read_frames(r, false);
    ASSERT_EQ(frames.size(), 16u);
    EXPECT_EQ(f.size(), 2u + 18 * 15);
    for (int i : {1, 2, 3, 4, 5, 11, 12, 13, 14, 15}) {
        const frame& fr = frames[i];
        ASSERT_LE(fr.x + fr.width, sheet.width) << i;
        ASSERT_LE(fr.y + fr.height, sheet.height) << i;
        EXPECT_TRUE(has_ink(sheet, fr)) << i;
        // Drawn from the anchor, the cell's top-left corner 6 pixels down,
        // where the cell's blocking vertex and a unit on the cell stand: the
        // picture's base (the middle of its bottom edge, shadow included)
        // lies within 16 pixels of it.
        EXPECT_TRUE(picks_its_cell(fr.offset_x, fr.width)) << i;
        EXPECT_GE(fr.offset_y + fr.height, -16) << i;
        EXPECT_LT(fr.offset_y + fr.height, 16) << i;
        if (i <= 5) {
            EXPECT_LT(fr.offset_y, -30) << "tree " << i << " should rise high above its foot";
        } else {
            EXPECT_GT(fr.offset_y, -20) << "rock " << i << " should lie low";
        }
    }
}

TEST(DataSet, UnitSpritesHaveEveryActionInEveryDirection)
{
    for (const char* name : {"grant", "footman"}) {
        std::vector<uint8_t> f = read_data(std::string("images/") + name + ".spr");
        bmp sheet = read_bmp(std::string("images/") + name + ".bmp");
        ASSERT_TRUE(sheet.ok) << name;
        byte_reader r{f.data(), static_cast<int64_t>(f.size())};
        std::vector<frame> frames = read_frames(r, true);
        int n = static_cast<int>(frames.size()) - 1;
        EXPECT_EQ(f.size(), 2306u + 17 * n) << name;
        int rolls[64][16];
        for (auto& roll : rolls)
            for (int& slot : roll) slot = r.u16();
        int table[8][8];
        for (auto& row : table)
            for (int& roll : row) roll = r.i32();
        ASSERT_TRUE(r.ok && r.pos == r.size) << name;

        const int least[4] = {1, 4, 3, 3};  // stand, walk, attack, die
        for (int direction = 0; direction < 8; ++direction) {
            for (int action = 4; action < 8; ++action) EXPECT_EQ(table[action][direction], -1) << name;
            int heights[4] = {};
            for (int action = 0; action < 4; ++action) {
                int roll = table[action][direction];
                ASSERT_GE(roll, 0) << name;
                ASSERT_LT(roll, 64) << name;
                int length = 0;
                while (length < 16 && rolls[roll][length] != 0) ++length;
                EXPECT_GE(length, least[action]) << name << " action " << action << " direction " << direction;
                if (action == 0) {
                    EXPECT_EQ(length, 1) << name;
                }
                for (int s = 0; s < length; ++s) {
                    int index = rolls[roll][s];
                    ASSERT_GE(index, 1);
                    ASSERT_LE(index, n);
                    const frame& fr = frames[index];
                    ASSERT_LE(fr.x + fr.width, sheet.width);
                    ASSERT_LE(fr.y + fr.height, sheet.height);
                    EXPECT_TRUE(has_ink(sheet, fr));
                    heights[action] = fr.height;  // the last frame's
                    // Every picture's middle lies within 16 pixels of the
                    // anchor (the cell's top-left corner), so that the game's
                    // pick, the cell whose corner is nearest the cursor,
                    // names the unit clicked on its middle.
                    EXPECT_TRUE(picks_its_cell(fr.offset_x, fr.width))
                        << name << " action " << action << " direction " << direction << " slot " << s;
                    EXPECT_TRUE(picks_its_cell(fr.offset_y, fr.height))
                        << name << " action " << action << " direction " << direction << " slot " << s;
                }
                if (action == 0) {
                    // Standing units are centred on the anchor.
                    const frame& fr = frames[rolls[roll][0]];
                    EXPECT_NEAR(fr.offset_x + fr.width / 2.0, 0, 4) << name << " direction " << direction;
                    EXPECT_NEAR(fr.offset_y + fr.height / 2.0, 0, 4) << name << " direction " << direction;
                }
            }
            // The dying roll ends on the ground. Seen from the side (east and
            // west) a lying body is much flatter than a standing one; from the
            // other directions it lies along the line of sight.
            if (direction == 2 || direction == 6) {
                EXPECT_LT(heights[3], heights[0] * 3 / 4) << name << " direction " << direction;
            }
        }
    }
}

TEST(DataSet, FontHasAGlyphForEveryByteDrawn)
{
    std::vector<uint8_t> f = read_data("font/smf.fn");
    ASSERT_EQ(f.size(), 4096u);
    bmp dark = read_bmp("font/smallb.bmp"), white = read_bmp("font/smallw.bmp");
    ASSERT_TRUE(dark.ok && white.ok);
    byte_reader r{f.data(), 4096};
    for (int c = 0; c < 256; ++c) {
        int x = r.i32(), y = r.i32(), w = r.i32(), h = r.i32();
        bool needed = (c >= 32 && c <= 126) || c >= 192;
        if (!needed) continue;
        EXPECT_GT(w, 0) << "byte " << c;
        EXPECT_GT(h, 0) << "byte " << c;
        EXPECT_LE(h, 13) << "byte " << c << " does not fit a 15-pixel button";
        ASSERT_LE(x + w, dark.width) << "byte " << c;
        ASSERT_LE(y + h, dark.height) << "byte " << c;
        if (c == 32) continue;
        frame g{0, 0, 0, x, y, w, h};
        EXPECT_TRUE(has_ink(dark, g)) << "byte " << c;
        EXPECT_TRUE(has_ink(white, g)) << "byte " << c;
    }
}

// A canonical 44-byte WAV header; returns the samples and format.
struct wav {
    bool ok = false;
    int channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples;
};

wav read_wav(const std::string& name)
{
    wav w;
    std::vector<uint8_t> f = read_data(name);
    byte_reader r{f.data(), static_cast<int64_t>(f.size())};
    auto tag = [&](const char* t) {
        bool same = true;
        for (int i = 0; i < 4; ++i) same = (r.u8() == static_cast<uint8_t>(t[i])) && same;
        return same;
    };
    if (!tag("RIFF") || r.u32() != f.size() - 8 || !tag("WAVE") || !tag("fmt ") || r.u32() != 16) return w;
    if (r.u16() != 1) return w;
    w.channels = r.u16();
    w.rate = r.u32();
    uint32_t bytes_per_second = r.u32();
    int align = r.u16();
    w.bits = r.u16();
    if (!tag("data") || r.u32() != f.size() - 44 || !r.ok) return w;
    if (bytes_per_second != static_cast<uint32_t>(w.rate * align) || align != w.channels * w.bits / 8) return w;
    if (w.bits != 16) return w;
    w.samples.resize((f.size() - 44) / 2);
    for (int16_t& s : w.samples) s = static_cast<int16_t>(r.u16());
    w.ok = r.ok;
    return w;
}

TEST(DataSet, SoundsAreCanonicalWaves)
{
    struct expected {
        const char* name;
        double least_seconds, most_seconds;
    };
    const expected files[] = {
        {"music/music.wav", 30, 120}, {"sounds/sword1.wav", 0.2, 2}, {"sounds/sword2.wav", 0.2, 2},
        {"sounds/sword3.wav", 0.2, 2}, {"sounds/Odead.wav", 0.4, 3}, {"sounds/Hdead.wav", 0.4, 3},
    };
    for (const expected& e : files) {
        wav w = read_wav(e.name);
        ASSERT_TRUE(w.ok) << e.name;
        double seconds = double(w.samples.size()) / w.channels / w.rate;
        EXPECT_GE(seconds, e.least_seconds) << e.name;
        EXPECT_LE(seconds, e.most_seconds) << e.name;
        int peak = 0;
        for (int16_t s : w.samples) peak = std::max(peak, std::abs(int(s)));
        EXPECT_GT(peak, 8000) << e.name << " is nearly silent";
        // Effects end quietly, so stopping them never clicks.
        if (e.least_seconds < 30) {
            EXPECT_LT(std::abs(int(w.samples.back())), 500) << e.name;
        }
    }
}

TEST(DataSet, MusicLoopsWithoutAClick)
{
    wav w = read_wav("music/music.wav");
    ASSERT_TRUE(w.ok);
    int c = w.channels;
    size_t frames = w.samples.size() / c;
    for (int ch = 0; ch < c; ++ch) {
        double typical = 0;
        for (size_t i = 1; i < frames; ++i) typical += std::abs(w.samples[i * c + ch] - w.samples[(i - 1) * c + ch]);
        typical /= frames - 1;
        int seam = std::abs(w.samples[ch] - w.samples[(frames - 1) * c + ch]);
        EXPECT_LT(seam, typical * 4 + 50) << "channel " << ch;
    }
}

// The orc's cry is lower than the human's, and the three strikes differ.
TEST(DataSet, EffectsAreDistinct)
{
    auto crossings = [](const wav& w) {
        long n = 0;
        for (size_t i = 1; i < w.samples.size(); ++i) n += (w.samples[i - 1] < 0) != (w.samples[i] < 0);
        return double(n) / w.samples.size();
    };
    wav orc = read_wav("sounds/Odead.wav"), human = read_wav("sounds/Hdead.wav");
    ASSERT_TRUE(orc.ok && human.ok);
    EXPECT_LT(crossings(orc), crossings(human));
    wav s[3] = {read_wav("sounds/sword1.wav"), read_wav("sounds/sword2.wav"), read_wav("sounds/sword3.wav")};
    for (int a = 0; a < 3; ++a)
        for (int b = a + 1; b < 3; ++b) EXPECT_NE(s[a].samples, s[b].samples);
}

}  // namespace
