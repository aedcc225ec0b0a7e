// The monkey: random but plausible input for one run of a configuration.
// Every pass it may start a gesture (a click on a control, a drag over the
// map or the image, a name typed into a file dialog, a held key) whose
// events it then hands to the headless backend pass by pass, exactly as a
// script would; the program cannot tell the difference. It draws from its
// own generator, never the program's, and it reads the program's tables
// only to aim (where the units and frames are on screen). Each pass's events
// are written to the run's record as script lines at once, so that even a
// run that crashes leaves the script that replays it.
#include "monkey.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/cp1251.h"
#include "platform/headless/headless.h"
#include "sprite_editor/sprite_editor.h"
#include "world/map.h"
#include "world/units.h"

// --- The generator ---------------------------------------------------------------

// splitmix64: the monkey's own sequence, a function of the seed alone.
static uint64_t generator_state = 0;

static uint64_t next_random()
{
    uint64_t z = (generator_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// A number 0..n-1 (0 for n 0).
static int32_t below(int32_t n)
{
    return n <= 0 ? 0 : static_cast<int32_t>(next_random() % static_cast<uint64_t>(n));
}

// A number lo..hi.
static int32_t between(int32_t lo, int32_t hi)
{
    return lo + below(hi - lo + 1);
}

// True in percent cases of a hundred.
static bool chance(int32_t percent)
{
    return below(100) < percent;
}

// --- The plan --------------------------------------------------------------------

// A rectangle of the screen, both far edges included as the latch's tests do.
struct area {
    int32_t x, y, w, h;
};

// Events planned for coming passes, in pass order; plan_next is the first
// not yet given.
constexpr int plan_size = 1024;
static headless_event plan[plan_size];
static int plan_count = 0;
static int plan_next = 0;
// The pass the gesture being planned starts at, and the pass before which
// no new gesture starts.
static int32_t gesture_start = 0;
static int32_t quiet_until = 0;

// The screens aimed at and their size.
static monkey_screens screens = monkey_game;
static int32_t screen_w = 800;
static int32_t screen_h = 600;
// The cursor as the monkey last moved it.
static int32_t pointer_x = 0;
static int32_t pointer_y = 0;

// How the run ended, as far as the monkey can tell, and the events given.
static monkey_ending ending = monkey_still_running;
static int32_t events_given = 0;
// The record's file, -1 when none.
static int record_fd = -1;
static char record_path[headless_path_size];
// The last pass that ended, for the watchdog's report.
static volatile int32_t last_pass = -1;

// Events that must stay free in the script's table when a gesture starts:
// room for the longest gesture (a long name after many Backspaces).
constexpr int gesture_reserve = 256;

// Plans one event at offset passes after the gesture's start. A plan full
// to the brim drops the event: the gesture is only shortened.
static void add(int32_t offset, headless_event_kind kind, int32_t x = 0, int32_t y = 0, int32_t value = 0)
{
    if (plan_count == plan_size) return;
    plan[plan_count++] = {gesture_start + offset, kind, x, y, value};
}

// The pass after the last planned event, relative to the gesture's start.
static int32_t planned_length()
{
    return plan_count == plan_next ? 0 : plan[plan_count - 1].pass - gesture_start + 1;
}

// A point of a, kept on the screen (scripts take no point off it).
static void point_in(const area& a, int32_t& x, int32_t& y)
{
    x = a.x + below(a.w + 1);
    y = a.y + below(a.h + 1);
    x = x < 0 ? 0 : (x >= screen_w ? screen_w - 1 : x);
    y = y < 0 ? 0 : (y >= screen_h ? screen_h - 1 : y);
}

static void move_to(int32_t offset, int32_t x, int32_t y)
{
    pointer_x = x;
    pointer_y = y;
    add(offset, event_move, x, y);
}

static void move_into(int32_t offset, const area& a)
{
    int32_t x = 0, y = 0;
    point_in(a, x, y);
    move_to(offset, x, y);
}

// Passes a button stays down in a click: a hand holds it for a few
// frames, now and then for none.
static int32_t press_length()
{
    return chance(10) ? 0 : between(1, 8);
}

// A left click inside a: a move, the press and, some passes later, the
// release (now and then a double click). Returns the offset after it.
static int32_t click(int32_t offset, const area& a)
{
    move_into(offset, a);
    add(offset, event_left_down);
    offset += press_length();
    add(offset, event_left_up);
    if (chance(3)) {
        add(++offset, event_left_double);
        add(++offset, event_left_up);
    }
    return offset + 1;
}

static int32_t right_click(int32_t offset, const area& a)
{
    move_into(offset, a);
    add(offset, event_right_down);
    offset += press_length();
    add(offset, event_right_up);
    return offset + 1;
}

// A press in from, moves towards a point of to over passes passes, and the
// release; returns the offset after it.
static int32_t drag(int32_t offset, const area& from, const area& to, int32_t passes, bool right)
{
    move_into(offset, from);
    add(offset, right ? event_right_down : event_left_down);
    int32_t x0 = pointer_x, y0 = pointer_y, x1 = 0, y1 = 0;
    point_in(to, x1, y1);
    for (int32_t i = 1; i <= passes; ++i) {
        int32_t x = x0 + (x1 - x0) * i / passes + between(-3, 3);
        int32_t y = y0 + (y1 - y0) * i / passes + between(-3, 3);
        x = x < 0 ? 0 : (x >= screen_w ? screen_w - 1 : x);
        y = y < 0 ? 0 : (y >= screen_h ? screen_h - 1 : y);
        // Now and then the hand rests for a pass.
        if (!chance(15)) move_to(offset + i, x, y);
    }
    add(offset + passes + 1, right ? event_right_up : event_left_up);
    return offset + passes + 2;
}

// One typed character.
static void type_char(int32_t offset, uint8_t c)
{
    if (c == 8)
        add(offset, event_backspace);
    else
        add(offset, event_char, 0, 0, c);
}

// Types text one character a pass, as the latch takes them; returns the
// offset after it.
static int32_t type_text(int32_t offset, const char* text)
{
    for (const char* p = text; *p != 0; ++p)
        type_char(offset++, static_cast<uint8_t>(*p));
    return offset;
}

// A held key, down for passes passes.
static void hold_key(int32_t offset, held_key key, int32_t passes)
{
    add(offset, event_key_down, 0, 0, key);
    add(offset + passes, event_key_up, 0, 0, key);
}

// A character a user may type: mostly letters and digits, Cyrillic letters
// (code page 1251, 192..255), now and then Backspace, Enter or any byte.
static uint8_t random_char()
{
    static const char common[] = "aszxcvqwer79468 2ADSZXbnmfghjkl0135-";
    int32_t roll = below(100);
    if (roll < 55) return static_cast<uint8_t>(common[below(sizeof common - 1)]);
    if (roll < 80) return static_cast<uint8_t>(between(192, 255));
    if (roll < 90) return 8;
    if (roll < 93) return 13;
    return static_cast<uint8_t>(between(1, 255));
}

// --- Names ---------------------------------------------------------------------------

// Names typed into the file dialogs: few enough that opens find what saves
// wrote, the data set's own files among them, now and then one that cannot
// be a file (too long) or one that does not exist.
static const char* const map_names[] = {"single", "m1", "m2", "карта"_cp, "x", "нет"_cp};
static const char* const image_names[] = {"grant", "footman", "tree", "vesk", "../font/smallw", "нет"_cp, "grant"};
static const char* const table_names[] = {"grant", "footman", "tree", "s1", "s2", "кадры"_cp, "нет"_cp};

template <size_t n>
static const char* pick(const char* const (&names)[n])
{
    return names[below(static_cast<int32_t>(n))];
}

// The name a dialog's field starts with: the map's name or the sprite
// editor's current file name.
static const char* field_start()
{
    return screens == monkey_map_editor ? map_name : current_file_name;
}

// Clears the name field (now and then only some of it) and types a name
// into it; returns the offset after it.
static int32_t type_name(int32_t offset, const char* name)
{
    int32_t length = static_cast<int32_t>(strnlen(field_start(), 64));
    int32_t erase = chance(80) ? length + below(3) : below(length + 1);
    for (int32_t i = 0; i < erase; ++i)
        type_char(offset++, 8);
    if (chance(3)) {
        // Longer than any file name may be.
        for (int32_t i = 0; i < 70; ++i)
            type_char(offset++, static_cast<uint8_t>('a' + i % 26));
        return offset;
    }
    if (chance(8)) type_char(offset++, random_char());
    return type_text(offset, name);
}

// "Да" clicked, or Enter held (the sprite editor's dialogs take it), or the
// other button, or nothing (the next gestures go on in the dialog).
static void answer(int32_t offset, const area& yes, const area& no)
{
    int32_t roll = below(100);
    if (roll < 62)
        click(offset, yes);
    else if (roll < 77)
        hold_key(offset, key_enter, between(1, 3));
    else if (roll < 92)
        click(offset, no);
}

// --- Gestures of every configuration ----------------------------------------------------

static void some_moves()
{
    int32_t n = between(1, 6);
    for (int32_t i = 0; i < n; ++i)
        move_into(i, {0, 0, screen_w - 1, screen_h - 1});
}

// A click anywhere on the screen, either button.
static void click_anywhere()
{
    area screen {0, 0, screen_w - 1, screen_h - 1};
    if (chance(70))
        click(0, screen);
    else
        right_click(0, screen);
}

// The cursor rests on an edge or a corner of the screen for a while.
static void rest_at_edge()
{
    int32_t passes = between(3, 80);
    int32_t x = chance(50) ? between(0, screen_w - 1) : (chance(50) ? between(0, 1) : screen_w - 1 - below(2));
    int32_t y = chance(50) ? between(0, screen_h - 1) : (chance(50) ? between(0, 1) : screen_h - 1 - below(2));
    if (x > 1 && x < screen_w - 2 && y > 1 && y < screen_h - 2) x = 0;
    move_to(0, x, y);
    move_to(passes, between(200, 600), between(100, 500));
}

static void typed_chars()
{
    int32_t n = between(1, 8);
    for (int32_t i = 0; i < n; ++i)
        type_char(i, random_char());
}

static void held_key_gesture()
{
    static const held_key keys[] = {key_enter, key_delete, key_left, key_right, key_up, key_down,
                                    key_left,  key_right,  key_up,   key_down};
    held_key key = keys[below(sizeof keys / sizeof keys[0])];
    int32_t passes = key == key_enter || key == key_delete ? between(1, 4) : between(1, 50);
    hold_key(0, key, passes);
}

// The editors' question box: its buttons (Сохранить or Заменить, Не
// сохранять, Отмена, in either row layout) at their places.
static const area question_buttons[] = {
    {300, 235, 100, 15}, {410, 235, 100, 15}, {520, 235, 100, 15}, {355, 235, 100, 15}, {465, 235, 100, 15},
};

// An answer to a question the editor may be asking: a click on one of its
// buttons, or Enter or Escape tapped (a key counts once it was up).
static void answer_question(int32_t offset)
{
    int32_t roll = below(100);
    if (roll < 70)
        click(offset, question_buttons[below(sizeof question_buttons / sizeof question_buttons[0])]);
    else if (roll < 85)
        hold_key(offset + 1, key_enter, between(1, 3));
    else
        hold_key(offset + 1, key_escape, between(1, 3));
}

// Escape; in the editors, with unsaved work, it asks first, and the
// question is now and then answered.
static void escape_gesture()
{
    int32_t passes = between(1, 5);
    hold_key(0, key_escape, passes);
    if (screens != monkey_game && chance(70))
        answer_question(passes + between(1, 4));
}

static void question_gesture()
{
    answer_question(0);
}

// Ctrl+Z, Ctrl+Y or Ctrl+Shift+Z, now and then with the letter held a while
// or Ctrl let go first.
static void shortcut_gesture()
{
    int32_t roll = below(100);
    held_key letter = roll < 65 ? key_z : key_y;
    bool shift = roll < 65 && chance(15);
    int32_t held = chance(80) ? 0 : between(1, 10);
    add(0, event_key_down, 0, 0, key_ctrl);
    if (shift) add(0, event_key_down, 0, 0, key_shift);
    add(0, event_key_down, 0, 0, letter);
    add(held, event_key_up, 0, 0, letter);
    if (shift) add(held, event_key_up, 0, 0, key_shift);
    add(chance(10) ? 0 : held, event_key_up, 0, 0, key_ctrl);
    // A run of undos or redos, the letter pressed again and again.
    if (chance(30)) {
        int32_t n = between(1, 8);
        for (int32_t i = 1; i <= n; ++i) {
            add(held + 2 * i, event_key_down, 0, 0, key_ctrl);
            add(held + 2 * i, event_key_down, 0, 0, letter);
            add(held + 2 * i, event_key_up, 0, 0, letter);
            add(held + 2 * i, event_key_up, 0, 0, key_ctrl);
        }
    }
}

static void close_gesture()
{
    add(0, event_close);
}

static void idle_gesture()
{
    quiet_until = gesture_start + between(1, 60);
}

// --- The game ------------------------------------------------------------------------------

// An order: a right click over the view (the panel area is not excluded).
static void game_order()
{
    right_click(0, {0, 0, 799, 599});
}

// A right click on a unit the view shows, enemy or not: an attack order.
static void game_attack()
{
    int32_t slot = between(1, max_units - 1);
    for (int32_t tries = 0; tries < max_units; ++tries, slot = slot % (max_units - 1) + 1) {
        const unit& u = unit_table[slot];
        int32_t x = (u.cell_x - camera_x) * cell_size, y = (u.cell_y - camera_y) * cell_size;
        // The order takes the cell whose corner lies nearest to the cursor.
        if (u.active && x >= cell_size / 2 && x < 800 - cell_size && y >= cell_size / 2 && y < 520) {
            right_click(0, {x - cell_size / 2, y - cell_size / 2, cell_size - 1, cell_size - 1});
            return;
        }
    }
    game_order();
}

// The right button held while the hand moves: one order per press.
static void game_hold_right()
{
    drag(0, {0, 0, 799, 519}, {0, 0, 799, 519}, between(1, 20), true);
}

static void game_portrait()
{
    click(0, {15, 525, 60, 49});
}

static void game_left()
{
    if (chance(50))
        click(0, {0, 0, 799, 599});
    else
        drag(0, {0, 0, 799, 599}, {0, 0, 799, 599}, between(1, 30), false);
}

// --- The map editor ----------------------------------------------------------------------------

// The palette, its team buttons and the file buttons, as the panel shows them.
static const area map_palette[] = {
    {20, 170, 210, 15}, {20, 190, 210, 15}, {20, 210, 210, 15}, {20, 230, 210, 15},
    {20, 250, 210, 15}, {20, 270, 210, 15}, {20, 290, 210, 15}, {20, 340, 210, 15},
    {20, 360, 210, 15}, {20, 390, 210, 15}, {20, 420, 120, 15}, {20, 440, 120, 15},
    {150, 420, 80, 15}, {150, 440, 80, 15}, {20, 420, 120, 15}, {20, 440, 120, 15},
};
static const area map_view {256, 0, 767, 767};
static const area overview {20, 24, 130, 130};
// Every button of the three map dialogs.
static const area map_dialog_buttons[] = {
    {320, 230, 60, 15}, {320, 256, 60, 15}, {320, 282, 60, 15}, {320, 308, 60, 15},
    {400, 230, 60, 15}, {400, 256, 60, 15}, {400, 282, 60, 15}, {400, 308, 60, 15},
    {480, 230, 120, 15}, {480, 256, 120, 15}, {480, 282, 120, 15}, {480, 308, 120, 15},
    {480, 334, 120, 15}, {480, 360, 120, 15}, {480, 386, 120, 15}, {480, 486, 60, 15},
    {380, 486, 60, 15}, {485, 220, 60, 15}, {385, 220, 60, 15}, {490, 240, 60, 15},
    {390, 240, 60, 15}, {320, 190, 280, 16},
    // the open dialog's list of maps: its rows and scroll buttons
    {286, 277, 310, 191}, {286, 277, 310, 191}, {610, 277, 20, 15}, {610, 453, 20, 15},
};

template <size_t n>
static const area& any_of(const area (&areas)[n])
{
    return areas[below(static_cast<int32_t>(n))];
}

static void map_palette_click()
{
    click(0, any_of(map_palette));
}

// A stroke of the brush over the map: mostly short, near where it began,
// now and then across the view or into its scrolling edges.
static void map_stroke(bool right)
{
    int32_t x = 0, y = 0;
    point_in(map_view, x, y);
    area from {x, y, 0, 0};
    area to = chance(75) ? area {x - 64, y - 64, 128, 128} : map_view;
    if (to.x < 256) to.x = 256;
    if (to.y < 0) to.y = 0;
    drag(0, from, to, between(0, 40), right);
}

static void map_paint()
{
    map_stroke(false);
}

static void map_delete()
{
    map_stroke(true);
}

static void map_overview()
{
    if (chance(50))
        click(0, overview);
    else
        drag(0, overview, overview, between(1, 15), false);
}

static void map_new()
{
    int32_t offset = click(0, {160, 24, 70, 15}) + 1, choices = between(0, 5);
    for (int32_t i = 0; i < choices; ++i)
        offset = click(offset, any_of(map_dialog_buttons));
    answer(offset, {380, 486, 60, 15}, {480, 486, 60, 15});
}

static void map_open()
{
    int32_t offset = type_name(click(0, {160, 44, 70, 15}) + 1, pick(map_names));
    answer(offset, {385, 220, 60, 15}, {485, 220, 60, 15});
}

static void map_save()
{
    int32_t offset = type_name(click(0, {160, 64, 70, 15}) + 1, pick(map_names));
    answer(offset, {390, 240, 60, 15}, {490, 240, 60, 15});
}

static void map_dialog_click()
{
    click(0, any_of(map_dialog_buttons));
}

// --- The sprite editor ---------------------------------------------------------------------------

static const area work_area {256, 0, 767, 767};
// Every control of the panel in the three modes: buttons, spinners' halves,
// group boxes, the slot strip, the numeric field, the action boxes.
static const area sprite_controls[] = {
    // the shell: open image, the mode buttons
    {14, 25, 110, 15}, {14, 70, 70, 15}, {92, 70, 70, 15}, {170, 70, 70, 15},
    // frames: create, delete, the group boxes, the spinners
    {16, 370, 224, 15}, {16, 580, 224, 15}, {7, 417, 242, 32}, {7, 452, 242, 57}, {7, 512, 242, 57},
    {51, 425, 8, 15}, {61, 425, 8, 15}, {51, 460, 8, 15}, {61, 460, 8, 15}, {51, 485, 8, 15},
    {61, 485, 8, 15}, {51, 520, 8, 15}, {61, 520, 8, 15}, {51, 545, 8, 15}, {61, 545, 8, 15},
    // rolls: centre, play, create and delete a slot's frame, the spinners
    {16, 375, 104, 15}, {136, 375, 104, 15}, {16, 425, 107, 15}, {136, 425, 104, 15},
    {151, 400, 8, 15}, {161, 400, 8, 15}, {51, 555, 8, 15}, {61, 555, 8, 15}, {51, 580, 8, 15},
    {61, 580, 8, 15}, {51, 615, 8, 15}, {61, 615, 8, 15}, {51, 650, 8, 15}, {61, 650, 8, 15},
    {7, 547, 242, 57}, {7, 642, 242, 32}, {18, 652, 27, 12}, {0, 705, 1023, 62},
    // sprite sets: the spinners, delete roll, the action boxes
    {51, 160, 8, 15}, {61, 160, 8, 15}, {51, 195, 8, 15}, {61, 195, 8, 15}, {51, 230, 8, 15},
    {61, 230, 8, 15}, {8, 265, 240, 20}, {0, 640, 1023, 124},
};
// Every button of the sprite editor's dialogs.
static const area sprite_dialog_buttons[] = {
    {485, 220, 60, 15}, {385, 220, 60, 15}, {490, 240, 60, 15}, {390, 240, 60, 15},
    {475, 210, 60, 15}, {375, 210, 60, 15}, {320, 190, 280, 16}, {320, 210, 280, 16},
    // the lists of files under the open dialogs (name dialogs, the image's)
    {286, 297, 310, 191}, {610, 297, 20, 15}, {610, 473, 20, 15}, {286, 277, 310, 191},
    {610, 277, 20, 15}, {610, 453, 20, 15},
};
// The keys the three editors read as typed characters.
static const char editor_keys[] = "aszxcvqwer794682 ";

static void sprite_mode()
{
    click(0, {14 + 78 * below(3), 70, 70, 15});
}

static void sprite_control()
{
    const area& a = any_of(sprite_controls);
    if (chance(80))
        click(0, a);
    else if (chance(50))
        right_click(0, a);
    else
        drag(0, a, a, between(1, 10), false);
}

static void sprite_open_image()
{
    int32_t offset = type_name(click(0, {14, 25, 110, 15}) + 1, pick(image_names));
    answer(offset, {385, 220, 60, 15}, {485, 220, 60, 15});
}

// "new", "open" or "save" of the mode shown.
static void sprite_file()
{
    int32_t which = below(3);
    int32_t offset = click(0, {16 + 77 * which, 105, 70, 15}) + 1;
    if (which == 0) {
        answer(offset, {375, 210, 60, 15}, {475, 210, 60, 15});
        return;
    }
    offset = type_name(offset, pick(table_names));
    answer(offset, {390, 240, 60, 15}, {490, 240, 60, 15});
}

// A drag over the image: a selection, or the view scrolled at its edges.
static void sprite_drag()
{
    const area& to = chance(80) ? work_area : area {256, 0, 767, 40};
    drag(0, work_area, to, between(1, 30), false);
}

// A frame cut from the image: a drag over it, then the right button or the
// create button.
static void sprite_cut()
{
    int32_t x = 0, y = 0;
    point_in(work_area, x, y);
    int32_t offset = drag(0, {x, y, 0, 0}, {x - 40, y - 40, 120, 120}, between(1, 20), false) + below(3);
    if (chance(60))
        right_click(offset, work_area);
    else
        click(offset, {16, 370, 224, 15});
}

// A click, either button, in the work area: frames, the roll grid.
static void sprite_work_click()
{
    if (chance(50))
        right_click(0, work_area);
    else
        click(0, work_area);
}

// A click inside a frame's outline over the image, either button.
static void sprite_frame_click()
{
    if (frame_count <= 0) {
        sprite_work_click();
        return;
    }
    int32_t i = between(1, frame_count);
    const frame_record& f = frame_table[i];
    area a {f.x + panel_width - scroll_x, f.y - scroll_y, f.width > 0 ? f.width - 1 : 0, f.height > 0 ? f.height - 1 : 0};
    if (a.x < 0 || a.y < 0 || a.x >= screen_w || a.y >= screen_h) {
        sprite_work_click();
        return;
    }
    if (chance(60))
        click(0, a);
    else
        right_click(0, a);
}

static void sprite_keys()
{
    char key = editor_keys[below(sizeof editor_keys - 1)];
    int32_t n = between(1, 12);
    for (int32_t i = 0; i < n; ++i)
        type_char(i, static_cast<uint8_t>(key));
}

// The delay's numeric field: a click, some digits (now and then more than
// the field holds), Enter.
static void sprite_number()
{
    int32_t offset = click(0, {18, 652, 27, 12}), n = chance(80) ? between(0, 5) : between(6, 16);
    for (int32_t i = 0; i < n; ++i)
        type_char(offset++, static_cast<uint8_t>(chance(10) ? '-' : '0' + below(10)));
    if (chance(80)) hold_key(offset, key_enter, 1);
}

static void sprite_dialog_click()
{
    click(0, any_of(sprite_dialog_buttons));
}

// --- Gesture tables ------------------------------------------------------------------------------

// One gesture and how often it is chosen, against the others of its table.
struct gesture {
    int32_t weight;
    void (*plan)();
};

// Escape and a window closed from outside end the run, so they are rare:
// a run lasts thousands of passes.
static const gesture game_gestures[] = {
    {300, idle_gesture},    {250, game_order},    {120, game_attack},     {40, game_hold_right},
    {30, game_portrait},    {40, game_left},      {60, rest_at_edge},     {60, some_moves},
    {20, click_anywhere},   {15, typed_chars},    {20, held_key_gesture}, {1, escape_gesture},
};
// The window closes from outside once in so many gestures.
constexpr int32_t close_odds = 10000;

static const gesture map_editor_gestures[] = {
    {150, idle_gesture},     {150, map_palette_click}, {220, map_paint},      {70, map_delete},
    {30, map_overview},      {18, map_new},            {30, map_open},        {30, map_save},
    {15, map_dialog_click},  {30, rest_at_edge},       {30, some_moves},      {20, click_anywhere},
    {15, typed_chars},       {15, held_key_gesture},   {1, escape_gesture},   {40, shortcut_gesture},
    {12, question_gesture},
};

static const gesture sprite_editor_gestures[] = {
    {120, idle_gesture},     {60, sprite_mode},        {200, sprite_control},   {25, sprite_open_image},
    {45, sprite_file},       {60, sprite_drag},        {60, sprite_cut},        {60, sprite_work_click},
    {70, sprite_frame_click}, {90, sprite_keys},        {15, sprite_number},     {15, sprite_dialog_click},
    {20, rest_at_edge},      {20, some_moves},         {15, click_anywhere},    {15, typed_chars},
    {60, held_key_gesture},  {1, escape_gesture},      {40, shortcut_gesture},  {12, question_gesture},
};

template <size_t n>
static void choose(const gesture (&table)[n])
{
    int32_t total = 0;
    for (const gesture& g : table)
        total += g.weight;
    int32_t roll = below(total);
    for (const gesture& g : table) {
        if (roll < g.weight) {
            g.plan();
            return;
        }
        roll -= g.weight;
    }
}

// Plans the next gesture from pass start on.
static void plan_gesture(int32_t start)
{
    plan_count = plan_next = 0;
    gesture_start = start;
    quiet_until = start;
    if (below(close_odds) == 0) {
        close_gesture();
    } else if (screens == monkey_game) {
        choose(game_gestures);
    } else if (screens == monkey_map_editor) {
        choose(map_editor_gestures);
    } else {
        choose(sprite_editor_gestures);
    }
    int32_t after = start + planned_length();
    if (quiet_until < after) quiet_until = after;
}

// --- The record ------------------------------------------------------------------------------------

// Appends text to out (at most end), and a number in decimal; both are safe
// in a signal handler.
static void put_text(char*& out, char* end, const char* text)
{
    while (*text != 0 && out < end)
        *out++ = *text++;
}

static void put_number(char*& out, char* end, int64_t value)
{
    char digits[24];
    int n = 0;
    bool negative = value < 0;
    uint64_t v = negative ? static_cast<uint64_t>(-(value + 1)) + 1 : static_cast<uint64_t>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (negative && out < end) *out++ = '-';
    while (n > 0 && out < end)
        *out++ = digits[--n];
}

static void write_all(int fd, const char* text, size_t length)
{
    while (length > 0 && fd >= 0) {
        ssize_t n = write(fd, text, length);
        if (n <= 0) return;
        text += n;
        length -= static_cast<size_t>(n);
    }
}

// The script names of the held keys, by held_key.
static const char* const key_names[held_key_count] = {
    "escape", "enter", "delete", "left", "right", "up",    "down",  "ctrl", "shift", "z",
    "y",      "f1",    "f5",     "f12",  "p",     "pause", "plus",  "minus", "m",    "tab",
};

// One event as a script line.
static void put_event(char*& out, char* end, const headless_event& e)
{
    put_number(out, end, e.pass);
    switch (e.kind) {
    case event_move:
        put_text(out, end, " move ");
        put_number(out, end, e.x);
        put_text(out, end, " ");
        put_number(out, end, e.y);
        break;
    case event_left_down: put_text(out, end, " ldown"); break;
    case event_left_up: put_text(out, end, " lup"); break;
    case event_left_double: put_text(out, end, " ldouble"); break;
    case event_right_down: put_text(out, end, " rdown"); break;
    case event_right_up: put_text(out, end, " rup"); break;
    case event_right_double: put_text(out, end, " rdouble"); break;
    case event_char:
        put_text(out, end, " char ");
        put_number(out, end, e.value);
        break;
    case event_key_down:
    case event_key_up:
        put_text(out, end, e.kind == event_key_down ? " key down " : " key up ");
        put_text(out, end, key_names[e.value]);
        break;
    case event_backspace: put_text(out, end, " key down backspace"); break;
    case event_close: put_text(out, end, " close"); break;
    default: put_text(out, end, " # an event the monkey never gives"); break;
    }
    put_text(out, end, "\n");
}

// The end of a failed record: where and why, and the passes a replay runs.
static void put_failure(char*& out, char* end, int32_t pass, const char* reason)
{
    put_text(out, end, "# failure at pass ");
    put_number(out, end, pass);
    put_text(out, end, ": ");
    put_text(out, end, reason);
    put_text(out, end, "\n# passes: ");
    put_number(out, end, static_cast<int64_t>(pass) + 1);
    put_text(out, end, "\n");
}

// The watchdog: no pass ended for monkey_hang_seconds. The loop is stuck
// somewhere; the record is ended and the process with it.
static void on_alarm(int)
{
    static const char reason[] = "no pass ended for 60 s of real time: the program hangs";
    char text[256];
    char* out = text;
    char* end = text + sizeof text;
    put_failure(out, end, last_pass + 1, reason);
    write_all(record_fd, text, static_cast<size_t>(out - text));
    out = text;
    put_text(out, end, "headless_run: monkey: pass ");
    put_number(out, end, last_pass + 1);
    put_text(out, end, ": ");
    put_text(out, end, reason);
    put_text(out, end, "; replay script ");
    put_text(out, end, record_path);
    put_text(out, end, "\n");
    write_all(2, text, static_cast<size_t>(out - text));
    _exit(1);
}

// --- The run -------------------------------------------------------------------------------------------

bool monkey_start(uint64_t seed, monkey_screens which, const char* replay_path, const char* replay_note)
{
    static_assert(monkey_hang_seconds == 60, "the watchdog's report names 60 s");
    generator_state = seed;
    screens = which;
    screen_w = which == monkey_game ? 800 : 1024;
    screen_h = which == monkey_game ? 600 : 768;
    plan_count = plan_next = 0;
    gesture_start = quiet_until = 0;
    pointer_x = pointer_y = 0;
    ending = monkey_still_running;
    events_given = 0;
    last_pass = -1;
    std::snprintf(record_path, sizeof record_path, "%s", replay_path);
    record_fd = open(replay_path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (record_fd < 0) {
        std::fprintf(stderr, "headless_run: monkey: cannot create the replay script %s\n", replay_path);
        return false;
    }
    write_all(record_fd, replay_note, std::strlen(replay_note));
    signal(SIGALRM, on_alarm);
    alarm(monkey_hang_seconds);
    return true;
}

bool monkey_after_pass(int32_t pass)
{
    last_pass = pass;
    alarm(monkey_hang_seconds);
    if (ending == monkey_ended_by_close) return true;
    int32_t next = pass + 1;
    if (plan_next == plan_count && next >= quiet_until) {
        if (events_given + gesture_reserve > headless_max_events) {
            ending = monkey_ended_full;
            return false;
        }
        plan_gesture(next);
    }
    char text[4096];
    char* out = text;
    char* end = text + sizeof text;
    while (plan_next < plan_count && plan[plan_next].pass <= next) {
        headless_event e = plan[plan_next++];
        e.pass = next;
        if (!headless_add_event(e)) continue;
        ++events_given;
        if (e.kind == event_close) ending = monkey_ended_by_close;
        if (e.kind == event_key_down && e.value == key_escape) ending = monkey_ended_by_escape;
        if (e.kind == event_key_up && e.value == key_escape && ending == monkey_ended_by_escape)
            ending = monkey_still_running;
        put_event(out, end, e);
    }
    write_all(record_fd, text, static_cast<size_t>(out - text));
    return true;
}

monkey_ending monkey_end()
{
    return ending;
}

int32_t monkey_event_count()
{
    return events_given;
}

void monkey_record_failure(int32_t pass, const char* reason)
{
    alarm(0);
    char text[1024];
    char* out = text;
    put_failure(out, text + sizeof text, pass, reason);
    write_all(record_fd, text, static_cast<size_t>(out - text));
    if (record_fd >= 0) close(record_fd);
    record_fd = -1;
}

void monkey_finish(bool keep)
{
    alarm(0);
    if (record_fd >= 0) close(record_fd);
    record_fd = -1;
    if (!keep) unlink(record_path);
}

// --- Scratch data ------------------------------------------------------------------------------------

bool make_scratch_copy(const char* source, char* folder, int size)
{
    const char* tmp = std::getenv("TMPDIR");
    std::snprintf(folder, static_cast<size_t>(size), "%s/brask-scratch-XXXXXX", tmp != nullptr && *tmp != 0 ? tmp : "/tmp");
    if (mkdtemp(folder) == nullptr) {
        std::fprintf(stderr, "headless_run: cannot make a scratch folder %s\n", folder);
        return false;
    }
    namespace fs = std::filesystem;
    std::error_code error;
    fs::copy(fs::path(source) / "data", fs::path(folder) / "data", fs::copy_options::recursive, error);
    if (error) {
        std::fprintf(stderr, "headless_run: cannot copy %s/data into %s: %s\n", source, folder,
                     error.message().c_str());
        remove_scratch_copy(folder);
        return false;
    }
    return true;
}

void remove_scratch_copy(const char* folder)
{
    std::error_code error;
    std::filesystem::remove_all(folder, error);
}
