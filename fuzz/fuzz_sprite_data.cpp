// Fuzz target of the frame, roll and sprite file loaders (one program per
// kind, chosen by BRASK_FUZZ_KIND): any bytes either load with every index
// in range and nothing outside the file's part touched, or are refused with
// a reason and change nothing.
#include <cstring>

#include "fuzz_support.h"
#include "sprites/sprite_data.h"

namespace {

constexpr sprite_file_kind kind = static_cast<sprite_file_kind>(BRASK_FUZZ_KIND);

// Every table and selection a load may touch, as it stood before.
struct sprite_state {
    frame_record frames[frame_table_size];
    int32_t count;
    int32_t rolls[roll_count][roll_slot_count];
    int32_t sprites[sprite_action_count][sprite_direction_count];
    int32_t selection[7];
};

sprite_state before;

void take(sprite_state& s)
{
    std::memcpy(s.frames, frame_table, sizeof frame_table);
    s.count = frame_count;
    std::memcpy(s.rolls, roll_table, sizeof roll_table);
    std::memcpy(s.sprites, sprite_table, sizeof sprite_table);
    int32_t selection[7] = {current_frame, current_roll, current_slot, current_action,
                            current_direction, total_delay, current_file_name[0]};
    std::memcpy(s.selection, selection, sizeof selection);
}

bool same_selection(const sprite_state& s)
{
    int32_t now[7] = {current_frame, current_roll, current_slot, current_action,
                      current_direction, total_delay, current_file_name[0]};
    return std::memcmp(now, s.selection, sizeof now) == 0;
}

// After a success: the file's part replaced, in range; everything else as before.
void check_loaded(size_t size)
{
    FUZZ_CHECK(frame_count >= 0 && frame_count <= max_frame_count);
    FUZZ_CHECK(static_cast<int64_t>(size) == sprite_file_size(kind, frame_count));
    FUZZ_CHECK(std::memcmp(&frame_table[0], &before.frames[0], sizeof(frame_record)) == 0);
    for (int i = frame_count + 1; i < frame_table_size; ++i)
        FUZZ_CHECK(std::memcmp(&frame_table[i], &before.frames[i], sizeof(frame_record)) == 0);
    for (int i = 1; i <= frame_count; ++i) {
        const frame_record& f = frame_table[i];
        FUZZ_CHECK(f.delay >= 0 && f.delay <= (kind == file_kind_sprites ? 255 : 65535));
        FUZZ_CHECK(f.x >= 0 && f.x <= 65535 && f.y >= 0 && f.y <= 65535);
        FUZZ_CHECK(f.width >= 0 && f.width <= 65535 && f.height >= 0 && f.height <= 65535);
    }
    for (int r = 0; r < roll_count; ++r) {
        FUZZ_CHECK(roll_table[r][roll_frame_slots] == before.rolls[r][roll_frame_slots]);
        for (int s = 0; s < roll_frame_slots; ++s) {
            if (kind == file_kind_frames)
                FUZZ_CHECK(roll_table[r][s] == before.rolls[r][s]);
            else
                FUZZ_CHECK(roll_table[r][s] >= 0 && roll_table[r][s] <= max_frame_count);
        }
    }
    if (kind != file_kind_sprites)
        FUZZ_CHECK(std::memcmp(sprite_table, before.sprites, sizeof sprite_table) == 0);
    for (auto& row : sprite_table)
        for (int32_t entry : row)
            FUZZ_CHECK(kind != file_kind_sprites || (entry >= no_roll && entry < roll_count));
    FUZZ_CHECK(same_selection(before));
    FUZZ_CHECK(sprite_data_refusal()[0] == 0);
}

// Marks frame 0 and every end slot, which no load may write, before the
// first input.
void prepare()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    frame_table[0] = frame_record {1, 2, 3, 4, 5, 6, 7};
    for (int r = 0; r < roll_count; ++r)
        roll_table[r][roll_frame_slots] = r + 1;
    for (auto& row : sprite_table)
        for (int32_t& entry : row)
            entry = no_roll;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    prepare();
    take(before);
    if (load_sprite_data_bytes(kind, data, static_cast<int64_t>(size))) {
        check_loaded(size);
    } else {
        FUZZ_CHECK(std::memcmp(frame_table, before.frames, sizeof frame_table) == 0);
        FUZZ_CHECK(frame_count == before.count);
        FUZZ_CHECK(std::memcmp(roll_table, before.rolls, sizeof roll_table) == 0);
        FUZZ_CHECK(std::memcmp(sprite_table, before.sprites, sizeof sprite_table) == 0);
        FUZZ_CHECK(same_selection(before));
        FUZZ_CHECK(sprite_data_refusal()[0] != 0);
    }
    return 0;
}
