// The sprite editor keeps a user's work: undo and redo of its tables back
// to a loaded file exactly, the question before unsaved tables go (about
// the right kind of file), no file replaced unasked, and every save and
// open told on the status line.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/cp1251.h"
#include "editor_kit/history.h"
#include "editor_kit/question.h"
#include "editor_kit/status_line.h"
#include "sprite_session.h"

using namespace sprite_session;

namespace {

// The question box's buttons.
constexpr int ask_save_x = 350, ask_dont_save_x = 460, ask_y = 242;

// Every table a step may change, whole.
struct tables {
    int32_t count;
    std::vector<frame_record> frames;
    std::vector<int32_t> rolls;
    std::vector<int32_t> sprites;

    bool operator==(const tables& o) const
    {
        return count == o.count && std::memcmp(frames.data(), o.frames.data(), sizeof frame_table) == 0 &&
               rolls == o.rolls && sprites == o.sprites;
    }
};

tables take_tables()
{
    return {frame_count, std::vector<frame_record>(frame_table, frame_table + frame_table_size),
            std::vector<int32_t>(&roll_table[0][0], &roll_table[0][0] + roll_count * roll_slot_count),
            std::vector<int32_t>(&sprite_table[0][0], &sprite_table[0][0] + sprite_action_count * sprite_direction_count)};
}

// Ctrl (and Shift) with a letter, tapped in one pass.
void shortcut(script& s, int pass, const char* letter, bool shift = false)
{
    s.line(pass, "key down ctrl");
    if (shift) s.line(pass, "key down shift");
    s.line(pass, std::string("key down ") + letter);
    s.line(pass, std::string("key up ") + letter);
    if (shift) s.line(pass, "key up shift");
    s.line(pass, "key up ctrl");
}

// Erases count characters of a name field, one a pass; returns the next pass.
int erase(script& s, int pass, int count)
{
    for (int i = 0; i < count; ++i)
        s.line(pass++, "key down backspace");
    return pass;
}

// Three frames of "small" and rolls and entries naming them, saved as the
// sprite set "set".
void write_set()
{
    clear_sprites();
    frame_count = 3;
    for (int i = 1; i <= 3; ++i) {
        set_frame(i, 20 * i, 0, 10, 10);
        frame_table[i].offset_x = -i;
        frame_table[i].delay = i;
    }
    const int32_t roll_0[] = {1, 2, 3};
    const int32_t roll_5[] = {3, 3, 2};
    std::memcpy(roll_table[0], roll_0, sizeof roll_0);
    std::memcpy(roll_table[5], roll_5, sizeof roll_5);
    sprite_table[1][2] = 5;
    ASSERT_TRUE(save_sprite_file("set"));
    clear_sprites();
}

class SpriteHistory : public Session {};

}  // namespace

// A loaded sprite set, a frame created, frame 2 deleted (the new frame moves
// into its place, the rolls follow): two undos give back the loaded tables
// word for word, two redos the edited ones.
TEST_F(SpriteHistory, ACreatedAndDeletedFrameUndoAndRedoExactly)
{
    write_set();
    script s;
    int p = s.open_image(1, "small");
    s.click(p, mode_x[2], mode_y);
    s.click(p + 1, open_x, file_button_y);
    p = s.enter(s.type(erase(s, p + 2, 5), "set")) + 1;
    s.click(p, mode_x[0], mode_y);
    s.drag(p + 1, 256 + 50, 40, 256 + 70, 60);
    s.right_click(p + 4, 900, 600);
    s.click(p + 6, 256 + 45, 5);  // inside frame 2
    s.click(p + 7, 100, 587);     // "Удалить фрэйм"
    const int edited = p + 9;
    shortcut(s, edited, "z");
    shortcut(s, edited + 2, "z");
    shortcut(s, edited + 4, "y");
    shortcut(s, edited + 6, "z", true);
    std::vector<tables> states;
    int32_t loaded_pass = p - 1;
    run(s, edited + 8, [&](int32_t pass) {
        if (pass == loaded_pass || pass == p + 5 || pass == edited - 1 || pass == edited ||
            pass == edited + 2 || pass == edited + 4 || pass == edited + 6)
            states.push_back(take_tables());
    });
    ASSERT_EQ(states.size(), 7u);
    const tables& loaded = states[0];
    const tables& created = states[1];
    const tables& deleted = states[2];
    EXPECT_EQ(loaded.count, 3);
    EXPECT_EQ(created.count, 4);
    EXPECT_EQ(deleted.count, 3);
    EXPECT_EQ(deleted.frames[2].x, 50);              // the new frame, in frame 2's place
    EXPECT_EQ(deleted.rolls[0 * roll_slot_count + 1], 0);  // roll 0 named frame 2
    EXPECT_EQ(deleted.rolls[5 * roll_slot_count + 2], 0);
    EXPECT_TRUE(states[3] == created);
    EXPECT_TRUE(states[4] == loaded);
    EXPECT_TRUE(states[5] == created);
    EXPECT_TRUE(states[6] == deleted);
    EXPECT_LE(current_frame, frame_count);
}

// The image "grant" opened makes "grant" every dialog's name: a save of
// the sprite set under it asks before it replaces the game's grant.spr, and
// "Отмена" leaves it. Escape with only frames unsaved asks about frames;
// "Сохранить" runs the frames' save, and once it saved, the editor ends.
// Every open and save is told on the status line.
TEST_F(SpriteHistory, SavesAskBeforeReplacingAndEscapeAsksAboutTheRightKind)
{
    write_set();
    std::filesystem::copy_file("data/images/set.spr", "data/images/grant.spr",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove("data/images/grant.frm");
    const auto grant_size = std::filesystem::file_size("data/images/grant.spr");
    script s;
    int p = s.open_image(1, "grant");
    // A sprite set opened under a name that is no file.
    s.click(p, mode_x[2], mode_y);
    s.click(p + 1, open_x, file_button_y);
    p = s.enter(s.type(erase(s, p + 2, 5), "нет"_cp)) + 1;
    const int failed_open = p - 1;
    // A frame cut.
    s.click(p, mode_x[0], mode_y);
    s.drag(p + 1, 300, 40, 330, 80);
    s.right_click(p + 4, 900, 600);
    // "save sprites" under "grant": Enter asks; Escape says no; the dialog's
    // own "Отмена" closes it.
    int q = p + 6;
    s.click(q, mode_x[2], mode_y);
    s.click(q + 1, save_x, file_button_y);
    s.enter(q + 2);
    s.hold(q + 4, "escape", 1);
    s.click(q + 6, 520, 247);
    // Escape: only frames are unsaved; "Сохранить", then Enter saves grant.frm.
    s.hold(q + 8, "escape", 1);
    s.click(q + 11, ask_save_x, ask_y);
    s.enter(q + 13);
    std::string after_image, after_open, replace_question;
    int32_t ended = -1;
    run(s, q + 40, [&](int32_t pass) {
        if (pass == 2 + 5) after_image = last_status();
        if (pass == failed_open) after_open = last_status();
        if (pass == q + 3 && question_showing()) replace_question = last_question();
        ended = pass;
    });
    EXPECT_EQ(after_image, "открыто: grant.bmp"_cp);
    EXPECT_EQ(after_open, "не открыто: нет.spr - нет такого файла"_cp);
    EXPECT_EQ(replace_question, "Сохранение спрайтов в файл"_cp);
    EXPECT_EQ(std::filesystem::file_size("data/images/grant.spr"), grant_size);
    EXPECT_STREQ(last_question(), "Фрэймы изменены"_cp);
    EXPECT_STREQ(last_answer(), "Сохранить"_cp);
    EXPECT_EQ(std::string(last_status()), "сохранено: grant.frm"_cp);
    EXPECT_EQ(std::filesystem::file_size("data/images/grant.frm"), 2u + 18u);
    EXPECT_LT(ended, q + 39);  // the editor ended by itself
}

// Nothing changed: Escape ends the editor at once, asking nothing.
TEST_F(SpriteHistory, EscapeWithNothingUnsavedEndsAtOnce)
{
    script s;
    int p = s.open_image(1, "small");
    s.hold(p + 2, "escape", 1);
    int32_t ended = -1;
    run(s, 100, [&](int32_t pass) { ended = pass; });
    // The loop reads Escape right after the pass before it presents.
    EXPECT_EQ(ended, p + 1);
    EXPECT_STREQ(last_question(), "");
}
