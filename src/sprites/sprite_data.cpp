#include "sprites/sprite_data.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/byte_reader.h"
#include "core/file_access.h"

frame_record frame_table[frame_table_size];
int32_t frame_count = 0;
int32_t current_frame = 0;

int32_t roll_table[roll_count][roll_slot_count];
int32_t current_roll = 0;
int32_t current_slot = 0;

int32_t sprite_table[sprite_action_count][sprite_direction_count];
int32_t current_action = 0;
int32_t current_direction = 0;

int32_t total_delay = initial_total_delay;

char current_file_name[current_file_name_size];

// Block sizes of the file formats.
constexpr int count_bytes = 2;
constexpr int long_record_bytes = 18;   // frame and roll files
constexpr int short_record_bytes = 17;  // sprite files
constexpr int roll_block_bytes = roll_count * roll_frame_slots * 2;
constexpr int sprite_block_bytes = sprite_action_count * sprite_direction_count * 4;

// The largest valid file of any kind: a roll file with 1023 frames.
constexpr int largest_file = count_bytes + roll_block_bytes + long_record_bytes * max_frame_count;

// A whole file while a loader checks it; one byte more than any valid file
// so that an over-long file shows up as one.
static uint8_t load_buffer[largest_file + 1];

// A file's bytes while a saver builds them.
static uint8_t save_buffer[largest_file];

// The reason for the last refused load or save; "" after a success.
static char last_refusal[160];

// Records the reason for a refusal and returns false.
__attribute__((format(printf, 1, 2))) static bool refuse(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(last_refusal, sizeof last_refusal, format, args);
    va_end(args);
    return false;
}

static bool accept()
{
    last_refusal[0] = 0;
    return true;
}

const char* sprite_data_refusal()
{
    return last_refusal;
}

static const char* extension_of(sprite_file_kind kind)
{
    switch (kind) {
    case file_kind_frames: return ".frm";
    case file_kind_rolls: return ".roll";
    case file_kind_sprites: return ".spr";
    }
    return "";
}

static int record_bytes(sprite_file_kind kind)
{
    return kind == file_kind_sprites ? short_record_bytes : long_record_bytes;
}

static bool has_rolls(sprite_file_kind kind)
{
    return kind == file_kind_rolls || kind == file_kind_sprites;
}

int64_t sprite_file_size(sprite_file_kind kind, int count)
{
    int64_t size = count_bytes + static_cast<int64_t>(record_bytes(kind)) * count;
    if (has_rolls(kind))
        size += roll_block_bytes;
    if (kind == file_kind_sprites)
        size += sprite_block_bytes;
    return size;
}

// Builds "data\images\" + name + extension into path; refuses an empty name
// and one whose path would not fit in sprite_path_size bytes.
static bool build_path(sprite_file_kind kind, const char* name, char (&path)[sprite_path_size])
{
    if (name == nullptr || name[0] == 0)
        return refuse("no file name was given");
    static const char folder[] = "data\\images\\";
    const char* extension = extension_of(kind);
    size_t folder_length = sizeof folder - 1;
    size_t extension_length = std::strlen(extension);
    size_t name_length = strnlen(name, sprite_path_size);
    if (folder_length + name_length + extension_length >= sizeof path)
        return refuse("the file name is too long");
    std::memcpy(path, folder, folder_length);
    std::memcpy(path + folder_length, name, name_length);
    std::memcpy(path + folder_length + name_length, extension, extension_length + 1);
    return true;
}

// --- Loading ---------------------------------------------------------------

// Checks a whole file of the given kind without changing anything; on
// success count holds its frame count.
static bool check_file(sprite_file_kind kind, const uint8_t* data, int64_t size, int& count)
{
    byte_reader reader{data, size};
    if (size < count_bytes)
        return refuse("the file is too short to hold a frame count");
    count = static_cast<int>(reader.u16());
    if (count > max_frame_count)
        return refuse("the frame count %d is above 1023", count);
    const int64_t frames_end = count_bytes + static_cast<int64_t>(record_bytes(kind)) * count;
    const int64_t rolls_end = frames_end + roll_block_bytes;
    int64_t expected = sprite_file_size(kind, count);
    // A short file: which block it ends in, so that a frame file named as a
    // roll file (or a roll file as a sprite file) says so.
    if (size < frames_end)
        return refuse("the file is shorter than its frame count needs");
    if (size < expected && has_rolls(kind) && size < rolls_end) {
        if (size == frames_end)
            return refuse("the roll block is missing: the file ends after its %d frame%s", count,
                          count == 1 ? "" : "s");
        return refuse("the file ends inside its roll block (%lld of %d bytes)",
                      static_cast<long long>(size - frames_end), roll_block_bytes);
    }
    if (size < expected) {
        if (size == rolls_end)
            return refuse("the sprite block is missing: the file ends after its roll block");
        return refuse("the file ends inside its sprite block (%lld of %d bytes)",
                      static_cast<long long>(size - rolls_end), sprite_block_bytes);
    }
    if (size > expected)
        return refuse("the file is longer than its frame count needs");

    reader.skip(static_cast<int64_t>(record_bytes(kind)) * count);
    if (has_rolls(kind)) {
        for (int i = 0; i < roll_count * roll_frame_slots; ++i) {
            uint32_t frame = reader.u16();
            if (frame > static_cast<uint32_t>(max_frame_count))
                return refuse("roll slot %d of roll %d names frame %u, above 1023",
                              i % roll_frame_slots, i / roll_frame_slots, frame);
        }
    }
    if (kind == file_kind_sprites) {
        for (int i = 0; i < sprite_action_count * sprite_direction_count; ++i) {
            int32_t entry = reader.i32();
            if (entry < no_roll || entry >= roll_count)
                return refuse("the sprite entry of action %d, direction %d is %d, outside -1..63",
                              i / sprite_direction_count, i % sprite_direction_count, entry);
        }
    }
    if (!reader.ok)
        return refuse("the file is shorter than its frame count needs");
    return true;
}

bool load_sprite_data_bytes(sprite_file_kind kind, const uint8_t* data, int64_t size)
{
    int count = 0;
    if (!check_file(kind, data, size, count))
        return false;

    // The file is sound: replace exactly what it holds. Frames above count
    // keep their contents, frame 0 and slot 16 of every roll are not touched.
    byte_reader reader{data, size};
    reader.skip(count_bytes);
    frame_count = count;
    for (int i = 1; i <= count; ++i) {
        frame_record& frame = frame_table[i];
        frame.delay = static_cast<int32_t>(kind == file_kind_sprites ? reader.u8() : reader.u16());
        frame.offset_x = reader.i32();
        frame.offset_y = reader.i32();
        frame.x = static_cast<int32_t>(reader.u16());
        frame.y = static_cast<int32_t>(reader.u16());
        frame.width = static_cast<int32_t>(reader.u16());
        frame.height = static_cast<int32_t>(reader.u16());
    }
    if (has_rolls(kind)) {
        for (int roll = 0; roll < roll_count; ++roll)
            for (int slot = 0; slot < roll_frame_slots; ++slot)
                roll_table[roll][slot] = static_cast<int32_t>(reader.u16());
    }
    if (kind == file_kind_sprites) {
        for (int action = 0; action < sprite_action_count; ++action)
            for (int direction = 0; direction < sprite_direction_count; ++direction)
                sprite_table[action][direction] = reader.i32();
    }
    return accept();
}

static bool load_kind(sprite_file_kind kind, const char* name)
{
    char path[sprite_path_size];
    if (!build_path(kind, name, path))
        return false;
    int64_t size = read_whole_file(path, load_buffer, sizeof load_buffer);
    if (size < 0)
        return refuse("%s", file_problem_text(last_file_problem()));
    return load_sprite_data_bytes(kind, load_buffer, size);
}

bool load_frame_file(const char* name)
{
    return load_kind(file_kind_frames, name);
}

bool load_roll_file(const char* name)
{
    return load_kind(file_kind_rolls, name);
}

bool load_sprite_file(const char* name)
{
    return load_kind(file_kind_sprites, name);
}

// --- Saving ----------------------------------------------------------------

// Refuses tables that hold a value the loaders would refuse to read back.
static bool check_tables(sprite_file_kind kind)
{
    if (frame_count < 0 || frame_count > max_frame_count)
        return refuse("the frame count %d is outside 0..1023", frame_count);
    if (has_rolls(kind)) {
        for (int roll = 0; roll < roll_count; ++roll)
            for (int slot = 0; slot < roll_frame_slots; ++slot)
                if (roll_table[roll][slot] < 0 || roll_table[roll][slot] > max_frame_count)
                    return refuse("roll slot %d of roll %d names frame %d, outside 0..1023", slot,
                                  roll, roll_table[roll][slot]);
    }
    if (kind == file_kind_sprites) {
        for (int action = 0; action < sprite_action_count; ++action)
            for (int direction = 0; direction < sprite_direction_count; ++direction) {
                int32_t entry = sprite_table[action][direction];
                if (entry < no_roll || entry >= roll_count)
                    return refuse("the sprite entry of action %d, direction %d is %d, outside -1..63",
                                  action, direction, entry);
            }
    }
    return true;
}

// Little-endian writers into save_buffer.
static void put_u8(int& pos, int32_t value)
{
    save_buffer[pos++] = static_cast<uint8_t>(value);
}

static void put_u16(int& pos, int32_t value)
{
    put_u8(pos, value);
    put_u8(pos, value >> 8);
}

static void put_i32(int& pos, int32_t value)
{
    uint32_t v = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        save_buffer[pos++] = static_cast<uint8_t>(v >> shift);
}

// Builds the file in save_buffer; returns its size. Numbers stored in fewer
// bytes than they have keep their low bytes.
static int build_file(sprite_file_kind kind)
{
    int pos = 0;
    put_u16(pos, frame_count);
    for (int i = 1; i <= frame_count; ++i) {
        const frame_record& frame = frame_table[i];
        if (kind == file_kind_sprites)
            put_u8(pos, frame.delay);
        else
            put_u16(pos, frame.delay);
        put_i32(pos, frame.offset_x);
        put_i32(pos, frame.offset_y);
        put_u16(pos, frame.x);
        put_u16(pos, frame.y);
        put_u16(pos, frame.width);
        put_u16(pos, frame.height);
    }
    if (has_rolls(kind)) {
        for (int roll = 0; roll < roll_count; ++roll)
            for (int slot = 0; slot < roll_frame_slots; ++slot)
                put_u16(pos, roll_table[roll][slot]);
    }
    if (kind == file_kind_sprites) {
        for (int action = 0; action < sprite_action_count; ++action)
            for (int direction = 0; direction < sprite_direction_count; ++direction)
                put_i32(pos, sprite_table[action][direction]);
    }
    return pos;
}

static bool save_kind(sprite_file_kind kind, const char* name)
{
    char path[sprite_path_size];
    if (!build_path(kind, name, path))
        return false;
    if (!check_tables(kind))
        return false;
    int size = build_file(kind);
    save_file file;
    if (!begin_save(file, path))
        return refuse("the file cannot be created");
    save_bytes(file, save_buffer, size);
    if (!end_save(file))
        return refuse("writing the file failed; the old file is kept");
    return accept();
}

bool save_frame_file(const char* name)
{
    return save_kind(file_kind_frames, name);
}

bool save_roll_file(const char* name)
{
    return save_kind(file_kind_rolls, name);
}

bool save_sprite_file(const char* name)
{
    return save_kind(file_kind_sprites, name);
}

// --- Resets ----------------------------------------------------------------

void clear_frames()
{
    std::memset(frame_table, 0, sizeof frame_table);
    frame_count = 0;
    current_frame = 0;
}

void clear_rolls()
{
    clear_frames();
    std::memset(roll_table, 0, sizeof roll_table);
    current_roll = 0;
}

void clear_sprites()
{
    clear_rolls();
    for (auto& row : sprite_table)
        for (int32_t& entry : row)
            entry = no_roll;
    current_action = 0;
    current_direction = 0;
}

// --- Playing ---------------------------------------------------------------

// The frame index in a roll slot, 0 when either index is out of range or the
// slot names no frame of the table.
static int32_t slot_frame(int roll, int slot)
{
    if (roll < 0 || roll >= roll_count || slot < 0 || slot >= roll_slot_count)
        return 0;
    int32_t frame = roll_table[roll][slot];
    return frame >= 0 && frame < frame_table_size ? frame : 0;
}

int32_t play_roll(int roll, int32_t& slot, int32_t& counter)
{
    if (slot < 0 || slot >= roll_frame_slots)
        slot = 0;
    int32_t passed = counter;
    if (counter < INT32_MAX)
        counter = passed + 1;
    // 64 bits: the editors leave a frame's delay unbounded.
    int64_t limit = static_cast<int64_t>(total_delay) + frame_table[slot_frame(roll, slot)].delay;
    if (passed > limit) {
        ++slot;
        if (slot >= roll_frame_slots || slot_frame(roll, slot) == 0)
            slot = 0;
        counter = 0;
    }
    return slot_frame(roll, slot);
}

int32_t sprite_frame_index(int action, int direction, int slot)
{
    if (action < 0 || action >= sprite_action_count || direction < 0 ||
        direction >= sprite_direction_count)
        return 0;
    int32_t roll = sprite_table[action][direction];
    if (roll < 0 || roll >= roll_count)
        return 0;
    return slot_frame(roll, slot);
}
