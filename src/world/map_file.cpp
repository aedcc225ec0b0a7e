#include "world/map_file.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/byte_reader.h"
#include "core/file_access.h"
#include "core/random.h"
#include "world/map.h"
#include "world/units.h"

// The unit fields a map file keeps, in the file's order (not the record's).
constexpr int stored_unit_fields = 16;
static int32_t unit::* const stored_fields[stored_unit_fields] = {
    &unit::active,     &unit::race,           &unit::team,       &unit::attack_range,
    &unit::sight_range, &unit::max_hit_points, &unit::hit_points, &unit::damage_min,
    &unit::damage_max, &unit::speed,          &unit::step_delay, &unit::direction,
    &unit::cell_x,     &unit::cell_y,         &unit::pixel_x,    &unit::pixel_y,
};
// Where active, race, team and direction sit among the stored fields.
constexpr int field_active = 0;
constexpr int field_race = 1;
constexpr int field_team = 2;
constexpr int field_direction = 11;
constexpr int field_cell_x = 12;
constexpr int field_cell_y = 13;
constexpr int field_pixel_x = 14;
constexpr int field_pixel_y = 15;

// The largest valid file: a 128 x 128 map storing every slot but slot 0.
constexpr int64_t max_map_file_bytes =
    6 + 14LL * max_map_size * max_map_size + 32LL * max_live_units;

// A whole map file as read, one byte more than the largest valid file so
// that an oversized one shows up as such.
static uint8_t file_bytes[max_map_file_bytes + 1];
// The file being saved, built whole before it is written.
static uint8_t save_buffer[max_map_file_bytes];

// Why the last load or save was refused; "" after a success.
static char refusal[200];

// Scratch of the checks: the stored unit records as read (slots
// 1..unit count), the live slot standing on each cell (0 none) and the
// first object cell naming each slot (y * 128 + x + 1; 0 none).
static uint32_t stored_units[max_units][stored_unit_fields];
static int16_t standing_slot[max_map_size][max_map_size];
static int32_t naming_cell[max_units];

// The four full tiles of a sheet's row 0, by column.
static const int32_t full_tile_x[4] = {0, 32, 64, 96};

int64_t map_file_size(int width, int height, int unit_slots)
{
    return 6 + 14LL * width * height + 32LL * unit_slots;
}

const char* map_refusal()
{
    return refusal;
}

// Records the reason for a refusal and returns false.
__attribute__((format(printf, 1, 2))) static bool refuse(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(refusal, sizeof refusal, format, args);
    va_end(args);
    return false;
}

// Builds "data\map\<name>.map" into path (60 bytes); false with a reason
// for an empty or over-long name.
static bool map_path(const char* name, char (&path)[map_name_size])
{
    if (name == nullptr || name[0] == 0)
        return refuse("the map name is empty");
    size_t length = std::strlen(name);
    if (length > max_map_name_length)
        return refuse("the map name has %zu characters, at most %d fit", length,
                      max_map_name_length);
    std::snprintf(path, sizeof path, "data\\map\\%s.map", name);
    return true;
}

// "byte" or "bytes" for a size in a refusal.
static const char* bytes_word(int64_t n)
{
    return n == 1 ? "byte" : "bytes";
}

static bool in_range(uint32_t value, uint32_t lo, uint32_t hi)
{
    return value >= lo && value <= hi;
}

// Checks the size and the header (width, height, unit count) of a file.
static bool check_header(const uint8_t* data, int64_t size, int& width, int& height, int& units)
{
    if (size < 6)
        return refuse("size is %lld %s, too short for a map file", static_cast<long long>(size),
                      bytes_word(size));
    byte_reader in {data, size};
    width = static_cast<int>(in.u16());
    height = static_cast<int>(in.u16());
    if (!in_range(width, 1, max_map_size))
        return refuse("width %d is outside 1..%d", width, max_map_size);
    if (!in_range(height, 1, max_map_size))
        return refuse("height %d is outside 1..%d", height, max_map_size);
    int64_t count_at = 4 + 14LL * width * height;
    if (size < count_at + 2)
        return refuse("size is %lld %s, too short for a %dx%d map (at least %lld)",
                      static_cast<long long>(size), bytes_word(size), width, height,
                      static_cast<long long>(map_file_size(width, height, 0)));
    in.pos = count_at;
    units = static_cast<int>(in.u16());
    if (units > max_live_units)
        return refuse("unit count %d is outside 0..%d", units, max_live_units);
    int64_t expected = map_file_size(width, height, units);
    if (size != expected)
        return refuse("size is %lld %s, expected %lld for a %dx%d map with %d unit%s",
                      static_cast<long long>(size), bytes_word(size),
                      static_cast<long long>(expected), width, height, units,
                      units == 1 ? "" : "s");
    return true;
}

// Checks every record of a file whose header passed; a value that would
// index outside a table or the map is refused.
static bool check_records(const uint8_t* data, int64_t size, int width, int height, int units)
{
    byte_reader in {data, size};
    in.pos = 4;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t kind = in.u16(), tile_set = in.u16(), tile_x = in.u16(), tile_y = in.u16();
            if (kind >= terrain_kind_count)
                return refuse("terrain cell (%d, %d) has kind %u, outside 0..6", x, y, kind);
            if (tile_set >= terrain_kind_count)
                return refuse("terrain cell (%d, %d) has tile set %u, outside 0..6", x, y,
                              tile_set);
            if (tile_x % cell_size != 0 || tile_x >= tile_sheet_width)
                return refuse("terrain cell (%d, %d) has tile x %u, not 0, 32, 64 or 96", x, y,
                              tile_x);
            if (tile_y % cell_size != 0 || tile_y >= tile_sheet_height)
                return refuse("terrain cell (%d, %d) has tile y %u, not 0, 32, 64, 96 or 128",
                              x, y, tile_y);
        }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t kind = in.u16(), index = in.u16();
            in.u16();  // value: any number loads
            if (kind != object_none && kind != object_unit && kind != object_tree &&
                kind != object_rock)
                return refuse("object cell (%d, %d) has kind %u, not 0, 1, 3 or 4", x, y, kind);
            if (kind == object_unit && !valid_unit_slot(index))
                return refuse("object cell (%d, %d) names unit %u, outside 1..%d", x, y, index,
                              max_live_units);
            if ((kind == object_tree || kind == object_rock) && !in_range(index, 1, 15))
                return refuse("object cell (%d, %d) holds %s frame %u, outside 1..15", x, y,
                              kind == object_tree ? "tree" : "rock", index);
        }
    in.u16();  // the unit count, checked with the header
    for (int slot = 1; slot <= units; ++slot) {
        uint32_t* field = stored_units[slot];
        for (int f = 0; f < stored_unit_fields; ++f)
            field[f] = in.u16();
        if (field[field_active] > 1)
            return refuse("unit %d has active %u, not 0 (an empty slot) or 1 (a unit)", slot,
                          field[field_active]);
        if (field[field_race] != race_orc && field[field_race] != race_human)
            return refuse("unit %d has race %u, not 0 or 1", slot, field[field_race]);
        if (field[field_team] >= team_count)
            return refuse("unit %d has team %u, outside 0..7", slot, field[field_team]);
        if (field[field_direction] >= direction_count)
            return refuse("unit %d faces direction %u, outside 0..7", slot,
                          field[field_direction]);
        if (field[field_active] != 0 &&
            (field[field_cell_x] >= static_cast<uint32_t>(width) ||
             field[field_cell_y] >= static_cast<uint32_t>(height)))
            return refuse("unit %d stands at cell (%u, %u), outside the %dx%d map", slot,
                          field[field_cell_x], field[field_cell_y], width, height);
    }
    if (!in.ok)
        return refuse("the file ends inside its records");
    return true;
}

// What an object cell holds, for a refusal: "is empty", "holds a tree", ...
static const char* object_words(uint32_t kind, uint32_t index, char (&words)[40])
{
    switch (kind) {
    case object_none: return "is empty";
    case object_tree: return "holds a tree";
    case object_rock: return "holds a rock";
    }
    std::snprintf(words, sizeof words, "names unit %u", index);
    return words;
}

// Checks that the stored units and the object layer of a file whose records
// passed agree with each other, as the game needs them to: the hero's team
// is the hero's alone; a unit stands on its cell at 32 times the cell, one
// unit a cell; every unit cell names a stored unit that stands there, and
// every unit stands on the one cell that names it.
static bool check_consistency(const uint8_t* data, int64_t size, int width, int height, int units)
{
    std::memset(standing_slot, 0, sizeof standing_slot);
    for (int slot = 1; slot <= units; ++slot) {
        const uint32_t* f = stored_units[slot];
        if (f[field_active] == 0)
            continue;
        uint32_t team = f[field_team], x = f[field_cell_x], y = f[field_cell_y];
        if (slot == 1 && team != hero_team)
            return refuse("unit 1, the hero, is in team %u, not %d", team, hero_team);
        if (slot != 1 && team == hero_team)
            return refuse("unit %d is in team %d, the hero's, which no other unit may share", slot,
                          hero_team);
        if (f[field_pixel_x] != cell_size * x || f[field_pixel_y] != cell_size * y)
            return refuse("unit %d at cell (%u, %u) has pixel position (%u, %u), not (%u, %u)",
                          slot, x, y, f[field_pixel_x], f[field_pixel_y], cell_size * x,
                          cell_size * y);
        int16_t& here = standing_slot[x][y];
        if (here != 0)
            return refuse("units %d and %d both stand at cell (%u, %u)", here, slot, x, y);
        here = static_cast<int16_t>(slot);
    }

    std::memset(naming_cell, 0, sizeof naming_cell);
    byte_reader in {data, size};
    in.pos = 4 + 8LL * width * height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t kind = in.u16(), index = in.u16();
            in.u16();
            if (kind != object_unit)
                continue;
            if (static_cast<int>(index) > units) {
                if (units == 0)
                    return refuse("object cell (%d, %d) names unit %u, but the file stores no units",
                                  x, y, index);
                return refuse("object cell (%d, %d) names unit %u, but the file stores only "
                              "units 1..%d", x, y, index, units);
            }
            const uint32_t* f = stored_units[index];
            if (f[field_active] == 0)
                return refuse("object cell (%d, %d) names unit %u, an empty slot", x, y, index);
            int32_t& first = naming_cell[index];
            if (first != 0)
                return refuse("object cells (%d, %d) and (%d, %d) both name unit %u",
                              (first - 1) % max_map_size, (first - 1) / max_map_size, x, y, index);
            first = y * max_map_size + x + 1;
            if (f[field_cell_x] != static_cast<uint32_t>(x) ||
                f[field_cell_y] != static_cast<uint32_t>(y))
                return refuse("object cell (%d, %d) names unit %u, which stands at cell (%u, %u)",
                              x, y, index, f[field_cell_x], f[field_cell_y]);
        }

    for (int slot = 1; slot <= units; ++slot) {
        const uint32_t* f = stored_units[slot];
        if (f[field_active] == 0 || naming_cell[slot] != 0)
            continue;
        uint32_t x = f[field_cell_x], y = f[field_cell_y];
        byte_reader cell {data, size};
        cell.pos = 4 + 8LL * width * height + 6LL * (y * width + x);
        uint32_t kind = cell.u16(), index = cell.u16();
        char words[40];
        return refuse("unit %d stands at cell (%u, %u), but that object cell %s", slot, x, y,
                      object_words(kind, index, words));
    }
    return true;
}

// Closes up the empty slots among 2..units of a loaded map: each unit above
// one moves down (its object cell renumbered) and unit_count becomes slot 1
// (the hero's, live or kept for it) and the units that follow. An empty
// slot's stored fields mean nothing and are cleared. A map file may keep
// empty slots inside its stored count (an editor that only clears a
// removed unit's flag leaves them), but the game counts unit_count down as
// units die and shows victory at 1: a count with holes would never get
// there. The editor's removals keep the same order (remove_unit).
static void close_empty_slots(int units)
{
    if (unit_table[1].active == 0)
        unit_table[1] = unit {};
    int last = 1;
    for (int slot = 2; slot <= units; ++slot) {
        unit& u = unit_table[slot];
        if (u.active == 0) {
            u = unit {};
            continue;
        }
        ++last;
        if (slot == last)
            continue;
        unit_table[last] = u;
        u = unit {};
        object_layer[unit_table[last].cell_x][unit_table[last].cell_y].index = last;
    }
    unit_count = last;
}

// Copies a checked file into the map and the unit table. Each 16-bit number
// is zero-extended into its field.
static void apply_map(const uint8_t* data, int64_t size, int width, int height, int units)
{
    byte_reader in {data, size};
    in.pos = 4;
    map_width = width;
    map_height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            terrain_cell& cell = terrain_layer[x][y];
            cell.kind = static_cast<int32_t>(in.u16());
            cell.tile_set = static_cast<int32_t>(in.u16());
            cell.tile_x = static_cast<int32_t>(in.u16());
            cell.tile_y = static_cast<int32_t>(in.u16());
        }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            object_cell& cell = object_layer[x][y];
            cell.kind = static_cast<int32_t>(in.u16());
            cell.index = static_cast<int32_t>(in.u16());
            cell.value = static_cast<int32_t>(in.u16());
        }
    in.u16();
    for (int slot = 1; slot <= units; ++slot) {
        // The fields the file does not keep (behaviour, path) start at 0.
        unit& u = unit_table[slot];
        u = unit {};
        for (int f = 0; f < stored_unit_fields; ++f)
            u.*stored_fields[f] = static_cast<int32_t>(in.u16());
        u.image = unit_images[u.race][u.team];
    }
    // A live unit left above the stored slots would be skipped by every later
    // save, so the slots beyond the file's are freed.
    for (int slot = units + 1; slot < max_units; ++slot)
        unit_table[slot] = unit {};
    close_empty_slots(units);
}

bool load_map(const char* name)
{
    char path[map_name_size];
    if (!map_path(name, path))
        return false;
    int64_t size = read_whole_file(path, file_bytes, sizeof file_bytes);
    if (size < 0) {
        file_problem problem = last_file_problem();
        if (problem == file_too_large) {
            file_id file = open_read(path);
            int64_t actual = file_size(file);
            close_file(file);
            return refuse("size is %lld bytes, more than the largest map file (%lld)",
                          static_cast<long long>(actual),
                          static_cast<long long>(max_map_file_bytes));
        }
        return refuse("%s", file_problem_text(problem));
    }
    return load_map_bytes(file_bytes, size);
}

bool load_map_bytes(const uint8_t* data, int64_t size)
{
    int width = 0, height = 0, units = 0;
    if (!check_header(data, size, width, height, units) ||
        !check_records(data, size, width, height, units) ||
        !check_consistency(data, size, width, height, units))
        return false;
    apply_map(data, size, width, height, units);
    refusal[0] = 0;
    return true;
}

// Stores the low 16 bits of value at pos, little-endian.
static void put_u16(int64_t& pos, int32_t value)
{
    save_buffer[pos] = static_cast<uint8_t>(value);
    save_buffer[pos + 1] = static_cast<uint8_t>(value >> 8);
    pos += 2;
}

bool save_map(const char* name)
{
    char path[map_name_size];
    if (!map_path(name, path))
        return false;
    if (!in_range(map_width, 1, max_map_size) || !in_range(map_height, 1, max_map_size))
        return refuse("the map size %dx%d is outside 1..%d", map_width, map_height,
                      max_map_size);
    if (!in_range(unit_count, 0, max_live_units))
        return refuse("unit count %d is outside 0..%d", unit_count, max_live_units);

    int64_t pos = 0;
    put_u16(pos, map_width);
    put_u16(pos, map_height);
    for (int y = 0; y < map_height; ++y)
        for (int x = 0; x < map_width; ++x) {
            const terrain_cell& cell = terrain_layer[x][y];
            put_u16(pos, cell.kind);
            put_u16(pos, cell.tile_set);
            put_u16(pos, cell.tile_x);
            put_u16(pos, cell.tile_y);
        }
    for (int y = 0; y < map_height; ++y)
        for (int x = 0; x < map_width; ++x) {
            const object_cell& cell = object_layer[x][y];
            put_u16(pos, cell.kind);
            put_u16(pos, cell.index);
            put_u16(pos, cell.value);
        }
    put_u16(pos, unit_count);
    for (int slot = 1; slot <= unit_count; ++slot)
        for (int f = 0; f < stored_unit_fields; ++f)
            put_u16(pos, unit_table[slot].*stored_fields[f]);

    // The file is checked as the loader will check it: a map that contradicts
    // itself is refused with the loader's reason, and nothing is written.
    int width = 0, height = 0, units = 0;
    if (!check_header(save_buffer, pos, width, height, units) ||
        !check_records(save_buffer, pos, width, height, units) ||
        !check_consistency(save_buffer, pos, width, height, units))
        return false;

    save_file file;
    if (!begin_save(file, path))
        return refuse("%s cannot be created", path);
    save_bytes(file, save_buffer, static_cast<int>(pos));
    if (!end_save(file))
        return refuse("%s could not be written; the old file is kept", path);
    refusal[0] = 0;
    return true;
}

bool new_map(int cover)
{
    if (!in_range(cover, 0, terrain_kind_count - 1) || !in_range(map_width, 1, max_map_size) ||
        !in_range(map_height, 1, max_map_size))
        return false;
    for (int y = 0; y < map_height; ++y)
        for (int x = 0; x < map_width; ++x)
            terrain_layer[x][y] = terrain_cell {cover, cover, full_tile_x[random_range(0, 4)], 0};
    std::memset(object_layer, 0, sizeof object_layer);
    std::memset(unit_table, 0, sizeof unit_table);
    unit_count = 1;
    return true;
}
