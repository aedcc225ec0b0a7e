// The comforts' keys, their state, and the order in which they draw.
#include "play/comforts.h"

#include <cstdio>

#include "core/cp1251.h"
#include "input/input_latch.h"
#include "platform/platform.h"
#include "play/game_loop.h"
#include "play/game_overview.h"
#include "play/overlay.h"
#include "play/screenshot.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/font.h"
#include "sound/sound.h"

bool help_shown = false;
bool game_paused = false;
bool overview_shown = false;
bool music_muted = false;
int32_t speed_step = normal_speed_step;

// The music's volume while muted and while heard, in hundredths of a
// decibel (the game starts it at full volume).
static constexpr int32_t music_silent = -10000;
static constexpr int32_t music_full = 0;
// A notice shows for this long at the game's pace.
static constexpr int64_t notice_us = 3000000;

// One speed: the time from a pass to the next and its name on the screen.
struct speed_def {
    int32_t interval_us;  // 10,000 at the normal speed
    const char* name;     // "x1/4" .. "x4"
};
static const speed_def speeds[speed_step_count] = {
    {40000, "x1/4"}, {20000, "x1/2"}, {13333, "x3/4"}, {10000, "x1"},
    {6667, "x1.5"},  {5000, "x2"},    {3333, "x3"},    {2500, "x4"},
};

// The keys of the comforts, each remembered from the last pass so that a
// press acts once however long it is held.
enum comfort_key : int32_t { press_help, press_pause, press_faster, press_slower, press_shot, press_music,
                             press_overview, comfort_key_count };
static bool was_down[comfort_key_count];

// A screenshot asked for by F12, taken before this pass's present.
static bool shot_asked = false;
// The notice of the last key and the passes it still shows.
static char notice[160];
static int32_t notice_passes = 0;

void reset_comforts()
{
    help_shown = game_paused = overview_shown = music_muted = false;
    speed_step = normal_speed_step;
    for (bool& down : was_down)
        down = false;
    shot_asked = false;
    notice[0] = 0;
    notice_passes = 0;
    platform_set_pass_interval(0);
}

// True once a pass for a key that went down since the last pass.
static bool pressed(comfort_key key, bool down)
{
    bool edge = down && !was_down[key];
    was_down[key] = down;
    return edge;
}

// Shows text as the notice for three seconds of the game's pace.
static void tell(const char* text)
{
    std::snprintf(notice, sizeof notice, "%s", text);
    notice_passes = static_cast<int32_t>(notice_us / speeds[speed_step].interval_us);
}

static void change_speed(int32_t step)
{
    if (step < 0)
        step = 0;
    if (step >= speed_step_count)
        step = speed_step_count - 1;
    speed_step = step;
    platform_set_pass_interval(step == normal_speed_step ? 0 : speeds[step].interval_us);
    char text[64];
    std::snprintf(text, sizeof text, "%s %s", "Скорость игры"_cp, speeds[step].name);
    tell(text);
}

static void toggle_music()
{
    music_muted = !music_muted;
    set_sound_volume(music_slot, music_muted ? music_silent : music_full);
    tell(music_muted ? "Музыка выключена (M - включить)"_cp : "Музыка включена"_cp);
}

void read_comfort_keys()
{
    // Every key is asked every pass, so that a tap is never left over.
    const bool f1 = platform_key_held(key_f1);
    const bool p = platform_key_held(key_p);
    const bool pause = platform_key_held(key_pause);
    const bool plus = platform_key_held(key_plus);
    const bool minus = platform_key_held(key_minus);
    const bool f12 = platform_key_held(key_f12);
    const bool m = platform_key_held(key_m);
    const bool tab = platform_key_held(key_tab);
    if (pressed(press_help, f1))
        help_shown = !help_shown;
    if (pressed(press_pause, p || pause))
        game_paused = !game_paused;
    if (pressed(press_faster, plus))
        change_speed(speed_step + 1);
    if (pressed(press_slower, minus))
        change_speed(speed_step - 1);
    if (pressed(press_shot, f12))
        shot_asked = true;
    if (pressed(press_music, m))
        toggle_music();
    if (pressed(press_overview, tab))
        overview_shown = !overview_shown;
}

bool comforts_in_use()
{
    return help_shown || game_paused || overview_shown || shot_asked || notice_passes > 0 ||
           speed_step != normal_speed_step;
}

bool world_stands()
{
    return help_shown || game_paused;
}

void take_comfort_input()
{
    // The world stands: the right button gives no order now, nor later.
    if (world_stands())
        right_down = 0;
    if (overview_shown)
        overview_input();
}

// The speed, while it is not the normal one, under the frame-rate line.
static void draw_speed()
{
    if (speed_step == normal_speed_step)
        return;
    char text[64];
    std::snprintf(text, sizeof text, "%s %s", "Скорость"_cp, speeds[speed_step].name);
    draw_text_w(text, 20, 29);
}

static void take_screenshot()
{
    shot_asked = false;
    char name[96];
    char text[160];
    if (save_screenshot(name, sizeof name))
        std::snprintf(text, sizeof text, "%s %s", "Снимок сохранён:"_cp, name);
    else
        std::snprintf(text, sizeof text, "%s %s", "Снимок не сохранён:"_cp, name);
    tell(text);
}

void draw_comforts()
{
    if (overview_shown)
        draw_game_overview();
    if (help_shown)
        draw_help_overlay();
    else if (game_paused)
        draw_pause_line();
    draw_speed();
    if (shot_asked)
        take_screenshot();
    if (notice_passes > 0) {
        draw_notice(notice);
        --notice_passes;
    }
}

void end_comforts()
{
    platform_set_pass_interval(0);
    if (music_muted)
        set_sound_volume(music_slot, music_full);
    music_muted = false;
}

const char* comfort_notice()
{
    return notice_passes > 0 ? notice : "";
}
