// The sprite editor's undo history over its tables, and what of them is
// unsaved. Unsaved means different from the tables as they were last saved,
// made or loaded, kind by kind: the frames (frame_count and frames
// 1..frame_count, which every file holds), the rolls (slots 0..15 of every
// roll, in roll and sprite files) and the sprite table (sprite files only).
// A change undone back is no change.
#include <cstdio>
#include <cstring>

#include "core/cp1251.h"
#include "editor_kit/editor_keys.h"
#include "editor_kit/history.h"
#include "editor_kit/question.h"
#include "sprite_editor/sprite_editor.h"

static_assert(sizeof(frame_record) == 7 * 4, "a frame is seven 32-bit fields");

// The three kinds' tables as last saved, made or loaded.
static int32_t saved_frame_count = 0;
static frame_record saved_frames[frame_table_size];
static int32_t saved_rolls[roll_count][roll_slot_count];
static int32_t saved_sprites[sprite_action_count][sprite_direction_count];
// The file of each kind the tables came from or went to last.
static char own_files[3][current_file_name_size];
// The last pass changed the tables: this pass's changes join its step.
static bool changed_last_pass = false;

// Takes the tables of kinds frames..up_to as saved.
static void mark_saved(sprite_file_kind up_to)
{
    saved_frame_count = frame_count;
    std::memcpy(saved_frames, frame_table, sizeof saved_frames);
    if (up_to >= file_kind_rolls)
        std::memcpy(saved_rolls, roll_table, sizeof saved_rolls);
    if (up_to >= file_kind_sprites)
        std::memcpy(saved_sprites, sprite_table, sizeof saved_sprites);
}

void start_sprite_history()
{
    const watched_table tables[] = {
        {frame_table, 7, frame_table_size},
        {&frame_count, 1, 1},
        {roll_table, roll_slot_count, roll_count},
        {sprite_table, sprite_direction_count, sprite_action_count},
    };
    history_watch(tables, 4);
    reset_shortcuts();
    changed_last_pass = false;
    mark_saved(file_kind_sprites);
    for (char* name : own_files)
        name[0] = 0;
}

void stop_sprite_history()
{
    history_stop();
}

void sprite_history_shortcuts()
{
    editor_shortcut shortcut = read_shortcut();
    if (shortcut == shortcut_none)
        return;
    if (shortcut == shortcut_undo)
        history_undo(nullptr);
    else
        history_redo(nullptr);
    changed_last_pass = false;
    // An undone frame is no longer there to be selected.
    if (current_frame > frame_count)
        current_frame = frame_count;
    if (current_frame < 0)
        current_frame = 0;
}

void sprite_history_pass_end()
{
    changed_last_pass = history_commit(changed_last_pass);
}

void sprite_tables_replaced(sprite_file_kind kind, const char* name)
{
    history_restart();
    changed_last_pass = false;
    mark_saved(kind);
    // The frames every file holds were replaced: no other kind's file holds
    // these tables any more.
    for (char* own : own_files)
        own[0] = 0;
    std::snprintf(own_files[kind], sizeof own_files[kind], "%s", name);
}

void sprite_tables_saved(sprite_file_kind kind, const char* name)
{
    mark_saved(kind);
    std::snprintf(own_files[kind], sizeof own_files[kind], "%s", name);
}

const char* sprite_own_file(sprite_file_kind kind)
{
    return own_files[kind];
}

// True when the frames differ from the saved ones: their count, or a frame
// of 1..frame_count (the frames a file holds).
static bool frames_changed()
{
    if (frame_count != saved_frame_count)
        return true;
    int32_t count = frame_count < max_frame_count ? frame_count : max_frame_count;
    return count > 0 && std::memcmp(&frame_table[1], &saved_frames[1], sizeof(frame_record) * count) != 0;
}

// True when slots 0..15 of some roll differ from the saved ones.
static bool rolls_changed()
{
    for (int r = 0; r < roll_count; ++r)
        if (std::memcmp(roll_table[r], saved_rolls[r], sizeof(int32_t) * roll_frame_slots) != 0)
            return true;
    return false;
}

int32_t unsaved_sprite_kind(sprite_file_kind up_to)
{
    if (up_to >= file_kind_sprites && std::memcmp(sprite_table, saved_sprites, sizeof saved_sprites) != 0)
        return file_kind_sprites;
    if (up_to >= file_kind_rolls && rolls_changed())
        return file_kind_rolls;
    return frames_changed() ? file_kind_frames : -1;
}

bool settle_unsaved_tables(sprite_file_kind up_to, const char* purpose)
{
    int32_t kind = unsaved_sprite_kind(up_to);
    if (kind < 0)
        return true;
    static const char* const titles[] = {"Фрэймы изменены"_cp, "Ролики изменены"_cp, "Спрайты изменены"_cp};
    static const char* const labels[] = {"Сохранить"_cp, "Не сохранять"_cp, "Отмена"_cp};
    char question[96];
    std::snprintf(question, sizeof question, "%s %s?", "Сохранить их"_cp, purpose);
    int32_t answer = ask_question(titles[kind], "Изменения не сохранены в файл."_cp, question, labels, 3);
    if (answer != 0)
        return answer == 1;
    if (kind == file_kind_frames)
        return save_frames_dialog();
    if (kind == file_kind_rolls)
        return save_rolls_dialog();
    return save_sprites_dialog();
}
