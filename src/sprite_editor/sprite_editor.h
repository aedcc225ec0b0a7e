// The sprite editor: its main loop and screen, the loaded image and its
// scrolled view, the frame outlines over it, the modal file dialogs, and the
// three editors that run in it (frames, rolls, sprite sets).
#pragma once

#include <cstdint>

#include "sprites/sprite_data.h"

// The modes of the editor, chosen by the three mode buttons.
constexpr int32_t mode_frames = 0;   // frame editor: cut frames from the image
constexpr int32_t mode_rolls = 1;    // roll editor: string frames into rolls
constexpr int32_t mode_sprites = 2;  // sprite-set editor: rolls to actions and directions

// The editor needs a screen this wide; its panels are laid out for a height
// of 768. The control panel takes the left 256 columns, the work area the
// rest.
constexpr int32_t editor_screen_width = 1024;
constexpr int32_t editor_layout_height = 768;
constexpr int32_t panel_width = 256;
// The roll editor's slot strip starts at this row; its image view stops above.
constexpr int32_t slot_strip_top = 700;

// Keyboard groups (active_group): 0..2 the frame editor's, 3..5 the roll
// editor's.
constexpr int32_t group_current_frame = 0;
constexpr int32_t group_position = 1;
constexpr int32_t group_size = 2;
constexpr int32_t group_offsets = 3;
constexpr int32_t group_presets = 4;
constexpr int32_t group_delay = 5;

// The name buffers of the save and open dialogs and of the image dialog.
constexpr int name_dialog_buffer_size = 120;
constexpr int image_dialog_buffer_size = 60;

// --- Editor state --------------------------------------------------------------

extern int32_t editor_mode;   // mode_frames, mode_rolls or mode_sprites; 0 when the loop starts
extern int32_t image_slot;    // the loaded image's slot in surface_table; -1 for none
extern int32_t image_width;   // size of the loaded image in pixels (0 before any)
extern int32_t image_height;
extern int32_t scroll_x;      // image pixel shown at the image view's top-left corner
extern int32_t scroll_y;
extern int32_t view_width;    // size of the image view, recomputed every frame or roll pass
extern int32_t view_height;
extern int32_t active_group;  // the keyboard group that takes arrows and digits
extern uint8_t centre_lines;  // the roll editor's centre cross is shown (starts on)

// The frame editor's selection, in screen pixels; a zero size is no selection.
extern int32_t selection_x;
extern int32_t selection_y;
extern int32_t selection_width;
extern int32_t selection_height;

// The roll editor's preset slots (0..15, jumped to by "c" and "v"), whether
// its preview plays the current roll, and that preview's pass counter.
extern int32_t preset_slot_1;
extern int32_t preset_slot_2;
extern uint8_t roll_playing;
extern int32_t roll_play_counter;

// The sprite-set editor's play state of each roll's preview: slot and pass
// counter of the roll-playing rule. Never reset.
extern int32_t roll_preview_slot[roll_count];
extern int32_t roll_preview_counter[roll_count];

// --- The loop ---------------------------------------------------------------------

// The sprite editor's main loop: refuses a screen not 1024 wide through
// fatal_error, resets the tables, then runs passes of at least 10 ms until
// quit_requested is set (Escape). The sprite editor configuration runs it.
void sprite_editor_loop();

// Puts every piece of editor state back to its value at program start (the
// sprite tables are left alone). Tests call it between sessions.
void reset_sprite_editor();

// --- Shared pieces of the editors' passes ------------------------------------------

// True while an image is loaded into image_slot.
bool image_loaded();

// The image view at the work area's top-left corner: sizes the view (its
// height at most height_limit), copies the visible part of the image, scrolls
// at the screen edges while the left button is up and keeps the scroll inside
// the image. The frame and roll editors call it first in every pass.
void image_view(int32_t height_limit);

// Keeps scroll_x and scroll_y within 0..image size - view size. image_view
// and the frame editor's drag scrolling call it.
void clamp_scroll();

// The screen rectangle of frame i over the image view.
void frame_screen_rect(int32_t i, int32_t& x, int32_t& y, int32_t& w, int32_t& h);

// What an editor does with its clicks on one frame's outline: called for
// frames 1..frame_count in rising order with the frame's screen rectangle.
using frame_click_test = void (*)(int32_t frame, int32_t x, int32_t y, int32_t w, int32_t h);

// Outlines every frame over the image (blue, yellow under the cursor) and
// hands each to test, so that the lowest frame under a click takes it. The
// frame and roll editors call it.
void frame_outlines(frame_click_test test);
// Outlines current_frame in grey over the image; drawn after frame_outlines.
void current_frame_outline();

// True when a latched point lies where the image view can show frames:
// right of the panel and above bottom (the screen height, or the roll
// editor's slot strip). Frames are clicked only there.
bool in_image_area(int32_t px, int32_t py, int32_t bottom);

// A keyboard group's box at (x, y), 242 wide and h high, in its active or
// inactive look. The three editors draw their groups with it.
void group_box(int32_t x, int32_t y, int32_t h, bool active);


// A value box of the editors' usual size (30 x 15) showing value, formatted
// into the editors' shared number text.
void number_box(int32_t x, int32_t y, int32_t value);

// --- The dialogs -------------------------------------------------------------------

// The image dialog behind "open image": loads data\images\<name>.bmp into
// image_slot. Called from the loop.
void open_image_dialog();

// The file dialogs behind the editors' "new", "open" and "save" buttons;
// each runs as a modal loop until it closes. A "new" or an open first asks
// about unsaved changes of the tables it would replace; an open lists the
// files of its kind under its box; a save asks before it replaces another
// existing file than the one the tables came from or went to last (the
// dialog then goes on); every save and open says on the status line how it
// went. A save dialog returns true when it saved.
void new_frames_dialog();
void open_frames_dialog();
bool save_frames_dialog();
void new_rolls_dialog();
void open_rolls_dialog();
bool save_rolls_dialog();
void new_sprites_dialog();
void open_sprites_dialog();
bool save_sprites_dialog();

// --- Changes: undo and unsaved work ------------------------------------------------

// Starts the undo history over the frame, roll and sprite tables as they
// stand, with nothing unsaved and no file of any kind. The loop calls it
// after its start-up reset.
void start_sprite_history();
// Stops watching the tables. The loop calls it as it ends.
void stop_sprite_history();
// Ctrl+Z undoes the last change to the tables, Ctrl+Y (or Ctrl+Shift+Z)
// redoes it; current_frame stays within the frames. The loop calls it
// right after drain_messages.
void sprite_history_shortcuts();
// What the tables changed in this pass becomes a step of the history,
// joined to the step of the pass before when that one changed them too (a
// held arrow key, a run of typed keys is one step). The loop calls it after
// the mode's pass.
void sprite_history_pass_end();

// The tables were loaded from a file of kind under name, or cleared by a
// "new" of kind (name ""): the history starts afresh, the tables that kind
// replaced count as saved, and the file is that kind's own (no other
// kind's). The dialogs call it.
void sprite_tables_replaced(sprite_file_kind kind, const char* name);
// The tables were saved to a file of kind under name: what that file holds
// (frames; rolls too in a roll or sprite file; the sprite table in a sprite
// file) counts as saved, and the file is that kind's own. The save dialogs
// call it.
void sprite_tables_saved(sprite_file_kind kind, const char* name);
// The name of the file of kind the tables came from or went to last, "" for
// none. A save asks before it replaces another existing file.
const char* sprite_own_file(sprite_file_kind kind);
// The largest kind among frames..up_to whose table differs from what was
// last saved, made or loaded (the file of that kind holds all those
// changes), or -1 when none does.
int32_t unsaved_sprite_kind(sprite_file_kind up_to);
// Before the tables of kinds frames..up_to are replaced (purpose: "перед
// выходом" and the like): with unsaved changes among them, asks whether to
// save them first. True when the caller may go on: nothing unsaved, "Не
// сохранять", or the save dialog saved them; false on "Отмена" or a save
// that did not happen. The loop (Escape) and the "new" and open dialogs call
// it.
bool settle_unsaved_tables(sprite_file_kind up_to, const char* purpose);

// --- The three editors -----------------------------------------------------------------

// One pass of the frame editor (mode 0), the roll editor (mode 1) and the
// sprite-set editor (mode 2); the loop calls the one of editor_mode.
void frame_editor_pass();
void roll_editor_pass();
void sprite_set_editor_pass();

// --- Summary ------------------------------------------------------------------------------

// Filled slots 0..15 over all rolls, and entries of sprite_table naming a
// roll. The headless runner's summary prints them.
int32_t filled_roll_slots();
int32_t filled_sprite_entries();
// An FNV-1a hash of frame_table, roll_table and sprite_table, so that two
// runs can be compared at a glance. The headless runner prints it.
uint32_t sprite_tables_hash();
