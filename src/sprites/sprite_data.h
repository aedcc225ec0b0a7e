// Sprite data: the frame, roll and sprite tables, their three file kinds
// (".frm", ".roll", ".spr" in data\images\), the resets and the rule by
// which a roll plays in the editors' previews.
#pragma once

#include <cstdint>

#include "core/directions.h"

// Frames 1..1023 live in a table of 1024; index 0 stands for no frame.
constexpr int frame_table_size = 1024;
constexpr int max_frame_count = 1023;

// 64 rolls of 16 frame slots and an end slot (slot 16) that is always 0.
constexpr int roll_count = 64;
constexpr int roll_slot_count = 17;
constexpr int roll_frame_slots = 16;

// Sprite tables map 8 actions x 8 directions to a roll, or to no_roll: a
// column for each direction code.
constexpr int sprite_action_count = 8;
constexpr int sprite_direction_count = direction_count;
constexpr int32_t no_roll = -1;

// total_delay's range and its value at start.
constexpr int32_t max_total_delay = 100;
constexpr int32_t initial_total_delay = 10;

// current_file_name holds a name of up to 63 characters and its terminator.
constexpr int current_file_name_size = 64;

// A file's path ("data\images\" + name + extension) must fit in 60 bytes,
// terminator included: names of at most 43 characters for frame and sprite
// files, 42 for roll files.
constexpr int sprite_path_size = 60;

// One rectangle of an image, drawn at an offset from an anchor point.
struct frame_record {
    int32_t delay;     // extra passes the frame stays up in a playing roll (editors only)
    int32_t offset_x;  // anchor to the frame's left edge on screen; may be negative
    int32_t offset_y;  // anchor to the frame's top edge on screen; may be negative
    int32_t x;         // left edge of the rectangle in the source image
    int32_t y;         // top edge of the rectangle in the source image
    int32_t width;     // width of the rectangle
    int32_t height;    // height of the rectangle
};

// The frames; 1..frame_count are valid, 0 is all zero outside the editor.
extern frame_record frame_table[frame_table_size];
// How many frames there are, 0..1023.
extern int32_t frame_count;
// The frame editor's selected frame, 0..frame_count; 0 selects none.
extern int32_t current_frame;

// The rolls, [roll][slot]; each slot a frame index, 0 for an empty slot.
extern int32_t roll_table[roll_count][roll_slot_count];
// The roll editor's selection: roll 0..63 and slot 0..15.
extern int32_t current_roll;
extern int32_t current_slot;

// Roll for each [action][direction], 0..63 or no_roll.
extern int32_t sprite_table[sprite_action_count][sprite_direction_count];
// The sprite-set editor's selection, each 0..7.
extern int32_t current_action;
extern int32_t current_direction;

// Extra passes added to every frame of every playing roll, 0..100; starts at
// 10 and is never stored.
extern int32_t total_delay;

// The name shared by the sprite editor's file dialogs; empty at start.
extern char current_file_name[current_file_name_size];

// The three file kinds.
enum sprite_file_kind : int32_t {
    file_kind_frames = 0,   // ".frm": frame block, 18-byte records
    file_kind_rolls = 1,    // ".roll": frame block (18-byte records), roll block
    file_kind_sprites = 2,  // ".spr": frame block (17-byte records), roll and sprite blocks
};

// The exact size of a file of the given kind holding count frames.
int64_t sprite_file_size(sprite_file_kind kind, int count);

// Savers: write the tables to data\images\<name>.frm / .roll / .spr through
// the atomic save, so a failed save keeps the old file. False (with a reason,
// see sprite_data_refusal) for an empty or over-long name, tables holding a
// value no file can store, a file that cannot be created or a failed write.
// Called by the sprite editor's save dialogs.
bool save_frame_file(const char* name);
bool save_roll_file(const char* name);
bool save_sprite_file(const char* name);

// Loaders: read data\images\<name>.frm / .roll / .spr whole, check it, and
// only then replace what the file holds (frames; then rolls; then the sprite
// table). A refused file changes nothing and returns false with a reason.
// Selections are left alone. Called by the sprite editor's open dialogs, the
// game's start-up ("grant", "footman") and the game and map editor ("tree").
bool load_frame_file(const char* name);
bool load_roll_file(const char* name);
bool load_sprite_file(const char* name);

// The check and apply step of the loaders on a file already in memory;
// the same result and refusals as the file loaders. Used by the loaders, the
// data checker and the fuzz targets.
bool load_sprite_data_bytes(sprite_file_kind kind, const uint8_t* data, int64_t size);

// Why the last load or save was refused, in plain words; "" after one that
// succeeded. Read by the data checker and by tests.
const char* sprite_data_refusal();

// Resets, called by the confirmations behind "new frames", "new rolls" and
// "new sprites". clear_frames: every frame zero, frame_count and
// current_frame 0. clear_rolls: that, and every roll zero, current_roll 0.
// clear_sprites: that, and every sprite entry no_roll, current_action and
// current_direction 0. None touches current_slot or total_delay.
void clear_frames();
void clear_rolls();
void clear_sprites();

// One editor pass of a playing roll: slot (0..15) and counter are the roll's
// own play state, both 0 when it starts. The counter counts passes; once it
// has passed total_delay plus the delay of the slot's frame, the roll moves
// to the next slot, or back to slot 0 past slot 15 or at an empty slot.
// Returns the frame index to draw (0 for an empty slot). Called by the roll
// editor (on current_slot) and the sprite-set editor (one state per roll).
int32_t play_roll(int roll, int32_t& slot, int32_t& counter);

// The frame index that slot s of the roll for [action][direction] names; 0
// when the entry has no roll, the slot is empty or any index is out of range.
int32_t sprite_frame_index(int action, int direction, int slot);
