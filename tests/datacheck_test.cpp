// The data checker as a user runs it: folders and files on its command
// line, one line per file with the loader's own verdict, and the exit
// status.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using bytes = std::vector<uint8_t>;

void put16(bytes& b, uint32_t v)
{
    b.push_back(v & 255);
    b.push_back((v >> 8) & 255);
}

void put32(bytes& b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

void write(const fs::path& path, const bytes& b)
{
    fs::create_directories(path.parent_path());
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!b.empty())
        std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
}

// A w x h map of grass; units are (cell x, cell y) of live orcs, the first
// the hero of team 1, the others of team 2, each on an object cell naming
// it; the trees take the first cells no unit stands on.
bytes map_file(int w, int h, const std::vector<std::pair<int, int>>& units, int trees = 0)
{
    bytes b;
    put16(b, w);
    put16(b, h);
    for (int i = 0; i < w * h; ++i) {
        put16(b, 4), put16(b, 4), put16(b, 0), put16(b, 0);
    }
    for (int i = 0; i < w * h; ++i) {
        int slot = 0;
        for (size_t u = 0; u < units.size(); ++u)
            if (units[u].first + w * units[u].second == i)
                slot = static_cast<int>(u) + 1;
        bool tree = slot == 0 && trees > 0;
        trees -= tree;
        put16(b, tree ? 3 : slot != 0), put16(b, tree ? 1 : slot), put16(b, tree ? 150 : 0);
    }
    put16(b, static_cast<uint32_t>(units.size()));
    for (auto [x, y] : units) {
        const uint32_t team = b.size() == 6 + 14u * w * h ? 1 : 2;
        const uint32_t f[16] = {1, 0, team, 1, 4, 80, 80, 7, 9, 4, 10, 0, uint32_t(x), uint32_t(y),
                                uint32_t(x * 32), uint32_t(y * 32)};
        for (uint32_t v : f)
            put16(b, v);
    }
    return b;
}

// A frame file of n frames.
bytes frame_file(int n)
{
    bytes b;
    put16(b, n);
    for (int i = 0; i < n; ++i) {
        put16(b, 0), put32(b, -16), put32(b, -24), put16(b, 32 * i), put16(b, 0), put16(b, 32),
            put16(b, 48);
    }
    return b;
}

// A 24-bit BMP of w x h, all magenta.
bytes bmp24(int32_t w, int32_t h)
{
    uint32_t row = (w * 3 + 3) & ~3;
    bytes b = {'B', 'M'};
    put32(b, 54 + row * h), put32(b, 0), put32(b, 54), put32(b, 40);
    put32(b, w), put32(b, h), put16(b, 1), put16(b, 24);
    b.resize(54, 0);
    for (int32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < row; ++x)
            b.push_back(x < uint32_t(w) * 3 && x % 3 != 1 ? 255 : 0);
    return b;
}

// A canonical PCM file of frames frames, 16-bit.
bytes wav(int channels, uint32_t rate, uint32_t frames)
{
    uint32_t data = frames * channels * 2;
    bytes b = {'R', 'I', 'F', 'F'};
    put32(b, 36 + data);
    for (char c : std::string("WAVEfmt "))
        b.push_back(c);
    put32(b, 16), put16(b, 1), put16(b, channels), put32(b, rate), put32(b, rate * channels * 2);
    put16(b, channels * 2), put16(b, 16);
    for (char c : std::string("data"))
        b.push_back(c);
    put32(b, data);
    b.resize(b.size() + data, 0);
    return b;
}

// A glyph table with glyphs for 'a' and 'b'.
bytes glyph_file()
{
    bytes b(4096, 0);
    b[16 * 'a' + 8] = 5, b[16 * 'a' + 12] = 7;
    b[16 * 'b' + 8] = 6, b[16 * 'b' + 12] = 7;
    return b;
}

struct run_result {
    int status;
    std::vector<std::string> lines;
};

// Runs the checker with the arguments; its standard output, line by line.
// A checker still running after a minute is stopped (a loader waiting on a
// pipe fails the test rather than hanging it).
run_result run(const std::string& arguments)
{
    std::string command = std::string("timeout 60 ") + BRASK_DATACHECK + " " + arguments + " 2>/dev/null";
    FILE* out = popen(command.c_str(), "r");
    run_result r {-1, {}};
    if (out == nullptr)
        return r;
    char line[1024];
    while (std::fgets(line, sizeof line, out) != nullptr) {
        std::string s = line;
        if (!s.empty() && s.back() == '\n')
            s.pop_back();
        r.lines.push_back(s);
    }
    int status = pclose(out);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// A data folder with one good file of every kind, in subfolders as the
// program keeps them, and a file of no kind the checker looks at.
void make_good_folder(const fs::path& root)
{
    fs::remove_all(root);
    write(root / "map/single.map", map_file(4, 3, {{0, 0}, {3, 2}}, 2));
    write(root / "images/tree.frm", frame_file(3));
    bytes roll = frame_file(2);
    roll.resize(roll.size() + 2048, 0);
    roll[roll.size() - 2048] = 1;  // roll 0 slot 0 is frame 1
    write(root / "images/tree2.roll", roll);
    bytes sprite = frame_file(0);
    sprite.resize(sprite.size() + 2048, 0);
    for (int i = 0; i < 64; ++i)
        put32(sprite, i == 0 ? 0 : 0xFFFFFFFF);
    write(root / "images/grant.spr", sprite);
    write(root / "images/vesk.bmp", bmp24(3, 2));
    write(root / "font/smf.fn", glyph_file());
    write(root / "sounds/sword1.wav", wav(1, 22050, 11025));
    write(root / "readme.txt", bytes {'h', 'i'});
}

}  // namespace

TEST(Datacheck, GoodFolderIsAllOkWithSummariesInNameOrder)
{
    make_good_folder("good");
    run_result r = run("good");
    EXPECT_EQ(r.status, 0);
    const std::vector<std::string> want = {
        "good/font/smf.fn: ok: glyph table, 2 glyphs, 4096 bytes",
        "good/images/grant.spr: ok: sprite file, 0 frames, 0 rolls in use, 1 of 64 actions and "
        "directions set, 2306 bytes",
        "good/images/tree.frm: ok: frame file, 3 frames, 56 bytes",
        "good/images/tree2.roll: ok: roll file, 2 frames, 1 roll in use, 2086 bytes",
        "good/images/vesk.bmp: ok: 3x2 image, 24 bits per pixel, 78 bytes",
        "good/map/single.map: ok: 4x3 map, 2 unit slots (2 live), 2 trees, 0 rocks, 238 bytes",
        "good/sounds/sword1.wav: ok: PCM 16-bit mono 22050 Hz, 0.50 s, 22094 bytes",
        "7 files checked: 7 ok, 0 refused",
    };
    EXPECT_EQ(r.lines, want);
}

TEST(Datacheck, EachDamagedFileIsRefusedWithTheLoadersReason)
{
    struct row {
        const char* file;
        bytes contents;
        const char* line;  // what the checker prints after the file's name
    };
    bytes bad_glyph = glyph_file();
    for (int i = 8; i < 12; ++i)
        bad_glyph[16 * 'a' + i] = 0xFF;  // width -1
    bytes bad_wav = wav(1, 22050, 10);
    bad_wav[22] = 3;  // three channels
    bytes top_down = bmp24(3, 2);
    top_down[25] = 0xFF, top_down[24] = 0xFF, top_down[23] = 0xFF, top_down[22] = 0xFE;
    const row rows[] = {
        {"m.map", map_file(64, 64, {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {130, 4}}),
         "refused: unit 7 stands at cell (130, 4), outside the 64x64 map"},
        {"short.map", bytes {1, 0}, "refused: size is 2 bytes, too short for a map file"},
        {"f.frm", [] { bytes b = frame_file(2); b.pop_back(); return b; }(),
         "refused: the file is shorter than its frame count needs"},
        {"r.roll", frame_file(1), "refused: the roll block is missing: the file ends after its 1 frame"},
        {"s.spr", [] { bytes b = frame_file(0); b.resize(2 + 2048 + 256, 0x7F); return b; }(),
         "refused: roll slot 0 of roll 0 names frame 32639, above 1023"},
        {"b.bmp", top_down,
         "refused: the rows are stored top-down (height -2), which is not read"},
        {"smf.fn", bad_glyph, "refused: glyph 97 has width -1, outside 0..4096"},
        {"w.wav", bad_wav, "refused: the file is neither mono nor stereo"},
        {"empty.wav", bytes {}, "refused: not a RIFF/WAVE file"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.file);
        make_good_folder("mixed");
        write(fs::path("mixed") / r.file, r.contents);
        run_result result = run("mixed");
        EXPECT_EQ(result.status, 1);
        std::string want = std::string("mixed/") + r.file + ": " + r.line;
        int refused = 0;
        for (const std::string& line : result.lines)
            if (line.find(": refused: ") != std::string::npos) {
                ++refused;
                EXPECT_EQ(line, want);
            }
        EXPECT_EQ(refused, 1);
        ASSERT_FALSE(result.lines.empty());
        EXPECT_EQ(result.lines.back(), "8 files checked: 7 ok, 1 refused");
    }
}

// Each file named on its own: the line names the true cause of a refusal
// (and which slot or entry), or says ok with a warning when the program
// loads the file but not as it claims to be. A named pipe is refused at
// once (the run is bounded, so a checker that waited would fail the test).
TEST(Datacheck, NamesTheTrueCauseAndWarns)
{
    fs::remove_all("cause");
    fs::create_directories("cause");
    auto with32 = [](bytes b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<uint8_t>(v >> (8 * i));
        return b;
    };
    bytes core = {'B', 'M'};
    put32(core, 26 + 8), put32(core, 0), put32(core, 26), put32(core, 12);
    put16(core, 2), put16(core, 1), put16(core, 1), put16(core, 24);
    core.resize(core.size() + 8, 0);
    bytes no_fmt = {'R', 'I', 'F', 'F', 12, 0, 0, 0, 'W', 'A', 'V', 'E', 'd', 'a', 't', 'a', 0, 0, 0, 0};
    bytes fmt_after_data = no_fmt;
    {
        bytes fmt_chunk = wav(1, 22050, 0);
        fmt_after_data.insert(fmt_after_data.end(), fmt_chunk.begin() + 12, fmt_chunk.begin() + 36);
    }
    bytes cut_short = with32(wav(1, 22050, 100), 40, 1200);
    bytes sprite_block_missing = frame_file(0);
    sprite_block_missing.resize(2 + 2048, 0);
    bytes bad_entry = sprite_block_missing;
    for (int i = 0; i < 64; ++i)
        put32(bad_entry, i == 2 * 8 + 7 ? 64 : 0xFFFFFFFF);
    // Three units, the second's slot empty and its cell cleared.
    bytes gap = map_file(4, 3, {{0, 0}, {3, 2}, {1, 1}});
    gap[6 + 14 * 12 + 32] = 0;
    gap[4 + 8 * 12 + 6 * (2 * 4 + 3)] = 0, gap[4 + 8 * 12 + 6 * (2 * 4 + 3) + 2] = 0;
    const struct {
        const char* file;
        bytes contents;
        const char* line;
    } rows[] = {
        {"core.bmp", core,
         "refused: the info header is 12 bytes, an OS/2 core header, which is not read (only "
         "Windows headers of 40 bytes or more are)"},
        {"tall.bmp", with32(bmp24(3, 2), 22, 5000),
         "refused: the image height 5000 is not between 1 and 4096"},
        {"fields.bmp", with32(bmp24(3, 2), 30, 3),
         "refused: the pixels are laid out by bit fields (compression 3), which are not read"},
        {"no_fmt.wav", no_fmt, "refused: the file has no fmt chunk"},
        {"fmt_after.wav", fmt_after_data, "refused: the data chunk comes before the fmt chunk"},
        {"cut.wav", cut_short,
         "ok: PCM 16-bit mono 22050 Hz, 0.00 s, 244 bytes (warning: the data chunk claims 1200 "
         "bytes but the file holds 200; the sound is cut short)"},
        {"blocks.spr", sprite_block_missing,
         "refused: the sprite block is missing: the file ends after its roll block"},
        {"entry.spr", bad_entry,
         "refused: the sprite entry of action 2, direction 7 is 64, outside -1..63"},
        {"one.map", bytes {4}, "refused: size is 1 byte, too short for a map file"},
        {"gap.map", gap,
         "ok: 4x3 map, 2 unit slots (2 live), 0 trees, 0 rocks, 270 bytes (warning: 1 empty unit "
         "slot inside the stored count of 3, closed up on loading)"},
        {"pipe.map", {}, "refused: the file is not a regular file (a folder, pipe or device)"},
        {"huge.bmp", {},
         "refused: the file is larger than any 4096 x 4096 image (67174400 bytes at most)"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.file);
        const fs::path path = fs::path("cause") / r.file;
        if (std::string(r.file) == "pipe.map") {
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        } else {
            write(path, r.contents);
            if (std::string(r.file) == "huge.bmp")
                fs::resize_file(path, 70000000);  // sparse: nothing is written
        }
        run_result result = run(path.string());
        ASSERT_EQ(result.lines.size(), 2u);
        EXPECT_EQ(result.lines[0], path.string() + ": " + r.line);
        EXPECT_EQ(result.status, std::string(r.line).rfind("ok", 0) == 0 ? 0 : 1);
    }
    fs::remove_all("cause");
}

TEST(Datacheck, FilesNamedOnTheCommandLine)
{
    make_good_folder("single");
    struct row {
        const char* arguments;
        int status;
        std::vector<std::string> lines;
    };
    const row rows[] = {
        {"single/images/tree.frm", 0,
         {"single/images/tree.frm: ok: frame file, 3 frames, 56 bytes",
          "1 file checked: 1 ok, 0 refused"}},
        {"single/missing.map", 1,
         {"single/missing.map: refused: no such file or folder", "1 file checked: 0 ok, 1 refused"}},
        {"single/readme.txt", 1,
         {"single/readme.txt: refused: not a kind of file the program reads (.map .frm .roll .spr "
          ".bmp .fn .wav)",
          "1 file checked: 0 ok, 1 refused"}},
        {"single/font/smf.fn single/images/vesk.bmp", 0,
         {"single/font/smf.fn: ok: glyph table, 2 glyphs, 4096 bytes",
          "single/images/vesk.bmp: ok: 3x2 image, 24 bits per pixel, 78 bytes",
          "2 files checked: 2 ok, 0 refused"}},
        {"", 2, {}},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.arguments);
        run_result result = run(r.arguments);
        EXPECT_EQ(result.status, r.status);
        EXPECT_EQ(result.lines, r.lines);
    }
}

TEST(Datacheck, UnitSheetsMustTakeTeamColours)
{
    // grant.bmp and footman.bmp are loaded with team colours too, which only
    // an 8-bit file allows.
    fs::remove_all("sheets");
    write("sheets/images/grant.bmp", bmp24(3, 2));
    write("sheets/images/other.bmp", bmp24(3, 2));
    run_result r = run("sheets");
    EXPECT_EQ(r.status, 1);
    const std::vector<std::string> want = {
        "sheets/images/grant.bmp: refused: a team-coloured image must have 8 bits per pixel",
        "sheets/images/other.bmp: ok: 3x2 image, 24 bits per pixel, 78 bytes",
        "2 files checked: 1 ok, 1 refused",
    };
    EXPECT_EQ(r.lines, want);
}
