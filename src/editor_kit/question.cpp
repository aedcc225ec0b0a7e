// The question box.
#include "editor_kit/question.h"

#include <cstdio>
#include <cstring>

#include "core/cp1251.h"
#include "editor_kit/editor_keys.h"
#include "input/input_latch.h"
#include "render/button.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/font.h"
#include "shell/shell.h"

// The box: where it lies (over the middle of the map view and the image,
// where the editors' own dialogs lie) and its buttons' size and row.
constexpr int32_t box_x = 280;
constexpr int32_t box_y = 150;
constexpr int32_t box_w = 360;
constexpr int32_t box_h = 120;
constexpr int32_t button_w = 100;
constexpr int32_t button_h = 15;
constexpr int32_t button_gap = 10;
constexpr int32_t button_y = 235;

static bool showing = false;
static char question_title[96];
static char question_answer[64];
// The picture under the box, put back when it closes, so that a dialog
// opened next draws over the editor's picture, not over the box's remains.
static uint8_t picture_under[box_h * box_w * 4];

// Copies the box's rectangle of draw_surface out of it (keep) or back into
// it; nothing when the surface does not hold the whole box.
static void keep_picture_under(bool keep)
{
    surface* s = draw_surface;
    if (s == nullptr || s->pixels == nullptr || s->bytes_per_pixel < 1 || s->bytes_per_pixel > 4 ||
        s->width < box_x + box_w || s->height < box_y + box_h)
        return;
    size_t row_bytes = static_cast<size_t>(box_w) * s->bytes_per_pixel;
    for (int32_t row = 0; row < box_h; ++row) {
        uint8_t* on_screen = s->pixels + static_cast<size_t>(box_y + row) * s->pitch +
                             static_cast<size_t>(box_x) * s->bytes_per_pixel;
        uint8_t* kept = picture_under + row * row_bytes;
        if (keep)
            std::memcpy(kept, on_screen, row_bytes);
        else
            std::memcpy(on_screen, kept, row_bytes);
    }
}

// Draws the box, its title bar and its text.
static void draw_question(const char* title, const char* line1, const char* line2)
{
    fill_box(box_x, box_y, box_w, box_h, colour_grey4);
    draw_bevel(box_x, box_y, box_w, box_h, colour_white, colour_black);
    draw_bevel(box_x + 1, box_y + 1, box_w - 2, box_h - 2, colour_grey5, colour_grey1);
    fill_box(box_x + 20, box_y + 15, box_w - 40, 14, colour_blue);
    draw_text_w(title, box_x + 30, box_y + 15);
    draw_text(line1, box_x + 20, box_y + 40);
    if (line2 != nullptr)
        draw_text(line2, box_x + 20, box_y + 58);
}

// Draws the buttons left to right, the first outlined; returns the one
// clicked, or -1.
static int32_t question_buttons(const char* const* labels, int32_t count)
{
    int32_t total = count * button_w + (count - 1) * button_gap;
    int32_t x = box_x + (box_w - total) / 2;
    int32_t clicked = -1;
    for (int32_t i = 0; i < count; ++i, x += button_w + button_gap) {
        if (draw_button(x, button_y, button_w, button_h, labels[i]) && clicked < 0)
            clicked = i;
        if (i == 0)
            draw_frame(x - 2, button_y - 2, button_w + 4, button_h + 4, colour_blue);
    }
    return clicked;
}

// Notes the answer and lets go of what the box took.
static int32_t answered(int32_t choice, const char* const* labels)
{
    std::snprintf(question_answer, sizeof question_answer, "%s", choice >= 0 ? labels[choice] : "не отвечен"_cp);
    showing = false;
    keep_picture_under(false);
    // The click that answered stays in the box.
    right_down = 0;
    right_press_x = right_press_y = CONSUMED;
    left_release_x = left_release_y = CONSUMED;
    char_ready = 0;
    return choice;
}

int32_t ask_question(const char* title, const char* line1, const char* line2, const char* const* labels,
                     int32_t count)
{
    if (count < 2)
        count = 2;
    if (count > max_question_buttons)
        count = max_question_buttons;
    std::snprintf(question_title, sizeof question_title, "%s", title);
    question_answer[0] = 0;
    showing = true;
    keep_picture_under(true);
    bool enter_armed = false;
    fresh_key escape {key_escape, false};
    while (!quit_requested) {
        drain_messages();
        draw_question(title, line1, line2);
        int32_t clicked = question_buttons(labels, count);
        if (clicked >= 0)
            return answered(clicked, labels);
        if (fresh_enter(enter_armed)) {
            wait_for_release(key_enter);
            return answered(0, labels);
        }
        if (fresh_press(escape)) {
            wait_for_release(key_escape);
            return answered(count - 1, labels);
        }
        // Typed characters do nothing here.
        char_ready = 0;
        present();
    }
    return answered(-1, labels);
}

bool question_showing()
{
    return showing;
}

const char* last_question()
{
    return question_title;
}

const char* last_answer()
{
    return question_answer;
}

void forget_last_question()
{
    question_title[0] = question_answer[0] = 0;
    showing = false;
}
