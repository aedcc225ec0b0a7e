// datacheck: checks data files with the program's own loaders. Given files
// or folders (searched recursively), it loads each file of a kind the
// program reads and prints one line per file:
//   <file>: ok: <summary>          or          <file>: refused: <reason>
// (a file that loads but not whole, a sound cut short or a map whose empty
// unit slots are closed up, is "ok: <summary> (warning: <what>)"), then a
// count. Exit status 0 when every file was ok, 1 when any was
// refused, 2 for a bad command line. The kinds go by name: .map, .frm,
// .roll, .spr, .bmp, .fn (the glyph table smf.fn) and .wav.
#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "core/file_access.h"
#include "platform/platform.h"
#include "render/bmp.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/font.h"
#include "shell/shell.h"
#include "sound/sound.h"
#include "sound/wave.h"
#include "sprites/sprite_data.h"
#include "world/map.h"
#include "world/map_file.h"
#include "world/units.h"

namespace fs = std::filesystem;

namespace {

// The kinds of file the program reads.
enum class file_kind { none, map, frames, rolls, sprites, image, glyphs, wave };

// A file larger than this is refused before any loader sees it: every valid
// file of the kinds read whole is far smaller.
constexpr int64_t largest_checked_file = 64LL << 20;

// The image slot every image is loaded into, one after another.
constexpr int32_t check_slot = 0;

// The unit sheets, which the game loads with team colours as well.
const char* const unit_sheets[] = {"grant.bmp", "footman.bmp"};

file_kind kind_of(const fs::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".map") return file_kind::map;
    if (ext == ".frm") return file_kind::frames;
    if (ext == ".roll") return file_kind::rolls;
    if (ext == ".spr") return file_kind::sprites;
    if (ext == ".bmp") return file_kind::image;
    if (ext == ".fn") return file_kind::glyphs;
    if (ext == ".wav") return file_kind::wave;
    return file_kind::none;
}

// One file's verdict.
struct verdict {
    bool ok;
    std::string text;  // the summary or the reason
};

verdict refused(const char* reason)
{
    return verdict {false, reason};
}

// "" for one, "s" for any other count.
const char* plural(int64_t n)
{
    return n == 1 ? "" : "s";
}

__attribute__((format(printf, 1, 2))) verdict ok(const char* format, ...)
{
    char text[300];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return verdict {true, text};
}

// Reads a whole file of size bytes for the loaders that check bytes in memory.
bool read_all(const std::string& path, int64_t size, std::vector<uint8_t>& bytes, verdict& why)
{
    if (size > largest_checked_file) {
        why = refused("the file is larger than 64 MiB");
        return false;
    }
    bytes.resize(static_cast<size_t>(size) + 1);
    if (read_whole_file(path.c_str(), bytes.data(), size) != size) {
        why = refused(file_problem_text(last_file_problem()));
        return false;
    }
    bytes.resize(static_cast<size_t>(size));
    return true;
}

// The unit slots a map file stores: its header's count.
int stored_unit_slots(const std::vector<uint8_t>& bytes)
{
    const size_t at = 4 + 14 * static_cast<size_t>(map_width) * map_height;
    return at + 1 < bytes.size() ? bytes[at] | bytes[at + 1] << 8 : 0;
}

verdict check_map(const std::vector<uint8_t>& bytes)
{
    if (!load_map_bytes(bytes.data(), static_cast<int64_t>(bytes.size())))
        return refused(map_refusal());
    int live = 0, trees = 0, rocks = 0;
    for (int slot = 1; slot <= unit_count; ++slot)
        live += unit_table[slot].active != 0;
    for (int x = 0; x < map_width; ++x)
        for (int y = 0; y < map_height; ++y) {
            trees += object_layer[x][y].kind == object_tree;
            rocks += object_layer[x][y].kind == object_rock;
        }
    // Empty slots inside the stored count are closed up as the map loads.
    const int closed = stored_unit_slots(bytes) - unit_count;
    char warning[120] = "";
    if (closed > 0)
        std::snprintf(warning, sizeof warning,
                      " (warning: %d empty unit slot%s inside the stored count of %d, closed up "
                      "on loading)",
                      closed, plural(closed), stored_unit_slots(bytes));
    return ok("%dx%d map, %d unit slot%s (%d live), %d tree%s, %d rock%s, %zu byte%s%s", map_width,
              map_height, unit_count, plural(unit_count), live, trees, plural(trees), rocks,
              plural(rocks), bytes.size(), plural(static_cast<int64_t>(bytes.size())), warning);
}

verdict check_sprite_data(sprite_file_kind kind, const std::vector<uint8_t>& bytes)
{
    if (!load_sprite_data_bytes(kind, bytes.data(), static_cast<int64_t>(bytes.size())))
        return refused(sprite_data_refusal());
    const int64_t size = static_cast<int64_t>(bytes.size());
    if (kind == file_kind_frames)
        return ok("frame file, %d frame%s, %lld byte%s", frame_count, plural(frame_count),
                  static_cast<long long>(size), plural(size));
    int rolls = 0;
    for (const auto& roll : roll_table)
        rolls += std::any_of(roll, roll + roll_frame_slots, [](int32_t f) { return f != 0; });
    if (kind == file_kind_rolls)
        return ok("roll file, %d frame%s, %d roll%s in use, %lld byte%s", frame_count,
                  plural(frame_count), rolls, plural(rolls), static_cast<long long>(size),
                  plural(size));
    int set = 0;
    for (const auto& row : sprite_table)
        set += static_cast<int>(std::count_if(row, row + sprite_direction_count,
                                              [](int32_t r) { return r != no_roll; }));
    return ok("sprite file, %d frame%s, %d roll%s in use, %d of 64 actions and directions set, "
              "%lld byte%s",
              frame_count, plural(frame_count), rolls, plural(rolls), set,
              static_cast<long long>(size), plural(size));
}

// Starts the headless display at the program's depth, as the entry does,
// so that the image loaders convert exactly as they do in the game.
bool start_checking_display()
{
    if (display_started())
        return true;
    platform_create_window("datacheck", 1024, 768);
    main_window = 1;
    screen_width = 800;
    screen_height = 600;
    bits_per_pixel = 16;
    colour_key = pack_colour(255, 0, 255);
    if (!start_display(main_window, 16))
        return false;
    init_colours();
    screen_pitch = screen_width;
    return true;
}

verdict check_image(const std::string& path, int64_t size)
{
    if (!start_checking_display())
        return refused("the display for converting images could not be started");
    int32_t slot = check_slot;
    if (!load_bmp(slot, path.c_str()))
        return refused(last_bmp_error());
    int32_t bits = last_bmp_bits();
    std::string name = fs::path(path).filename().string();
    bool sheet = std::any_of(std::begin(unit_sheets), std::end(unit_sheets),
                             [&name](const char* n) { return name == n; });
    if (sheet && !load_team_bmp(slot, 100, path.c_str()))
        return refused(last_bmp_error());
    const surface* s = surface_table[slot];
    return ok("%dx%d image, %d bits per pixel%s, %lld byte%s", s->width, s->height, bits,
              sheet ? ", team colours" : "", static_cast<long long>(size), plural(size));
}

verdict check_glyphs(const std::vector<uint8_t>& bytes)
{
    if (!load_glyph_bytes(bytes.data(), static_cast<int64_t>(bytes.size())))
        return refused(glyph_table_refusal());
    int glyphs = 0;
    for (const glyph& g : glyph_table)
        glyphs += g.width != 0 && g.height != 0;
    return ok("glyph table, %d glyph%s, %zu byte%s", glyphs, plural(glyphs), bytes.size(),
              plural(static_cast<int64_t>(bytes.size())));
}

verdict check_wave(const std::string& path, int64_t size)
{
    // The sound loader refuses what the reader refuses and a file without a
    // whole frame of samples; the reader gives the summary.
    int32_t slot = 0;
    if (!try_load_sound(slot, path.c_str()))
        return refused(sound_error());
    wave_reader reader;
    if (!wave_open(reader, path.c_str()))
        return refused(wave_error());
    const wave_format_record& f = *wave_format(reader);
    double seconds = static_cast<double>(wave_data_size(reader) / f.block_align) /
                     f.samples_per_second;
    // A data chunk that claims more than the file holds plays what is there.
    char warning[160] = "";
    if (wave_data_claimed(reader) > wave_data_size(reader))
        std::snprintf(warning, sizeof warning,
                      " (warning: the data chunk claims %u bytes but the file holds %u; the sound "
                      "is cut short)",
                      wave_data_claimed(reader), wave_data_size(reader));
    return ok("PCM %d-bit %s %u Hz, %.2f s, %lld byte%s%s", f.bits_per_sample,
              f.channels == 1 ? "mono" : "stereo", f.samples_per_second, seconds,
              static_cast<long long>(size), plural(size), warning);
}

verdict check_file(const std::string& path, file_kind kind)
{
    // Opened as the loaders open files: a named pipe or a device is refused
    // at once, never waited on.
    file_id file = open_read(path.c_str());
    if (file == invalid_file)
        return refused(file_problem_text(last_file_problem()));
    int64_t size = file_size(file);
    close_file(file);
    if (size < 0)
        return refused(file_problem_text(file_unreadable));
    if (kind == file_kind::image)
        return check_image(path, size);
    if (kind == file_kind::wave)
        return check_wave(path, size);
    std::vector<uint8_t> bytes;
    verdict why {false, ""};
    if (!read_all(path, size, bytes, why))
        return why;
    switch (kind) {
    case file_kind::map: return check_map(bytes);
    case file_kind::frames: return check_sprite_data(file_kind_frames, bytes);
    case file_kind::rolls: return check_sprite_data(file_kind_rolls, bytes);
    case file_kind::sprites: return check_sprite_data(file_kind_sprites, bytes);
    case file_kind::glyphs: return check_glyphs(bytes);
    default: return refused("not a kind of file the program reads");
    }
}

void usage()
{
    std::fprintf(stderr,
                 "usage: datacheck FILE|FOLDER...\n"
                 "Checks .map, .frm, .roll, .spr, .bmp, .fn and .wav files with the program's\n"
                 "own loaders; folders are searched recursively. Exit status 0 when every\n"
                 "file is ok, 1 when any is refused.\n");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        usage();
        return argc < 2 ? 2 : 0;
    }
    // The paths come from the command line in the machine's spelling.
    take_names_as_given(true);
    // In folders only the kinds the program reads are taken; a file named on
    // the command line of another kind is refused.
    std::vector<std::string> files;
    int refused_count = 0, ok_count = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        fs::path arg = argv[i];
        if (fs::is_directory(arg, error)) {
            std::vector<std::string> found;
            for (auto it = fs::recursive_directory_iterator(arg, error);
                 !error && it != fs::recursive_directory_iterator(); it.increment(error))
                if (it->is_regular_file(error) && kind_of(it->path()) != file_kind::none)
                    found.push_back(it->path().string());
            std::sort(found.begin(), found.end());
            files.insert(files.end(), found.begin(), found.end());
        } else {
            files.push_back(arg.string());
        }
    }
    for (const std::string& path : files) {
        std::error_code error;
        verdict v {false, ""};
        if (!fs::exists(path, error))
            v = refused("no such file or folder");
        else if (kind_of(path) == file_kind::none)
            v = refused("not a kind of file the program reads (.map .frm .roll .spr .bmp .fn .wav)");
        else
            v = check_file(path, kind_of(path));
        std::printf("%s: %s: %s\n", path.c_str(), v.ok ? "ok" : "refused", v.text.c_str());
        (v.ok ? ok_count : refused_count)++;
    }
    std::printf("%d file%s checked: %d ok, %d refused\n", ok_count + refused_count,
                ok_count + refused_count == 1 ? "" : "s", ok_count, refused_count);
    release_display();
    release_sound();
    return refused_count == 0 ? 0 : 1;
}
