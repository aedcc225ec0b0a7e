// The help overlay, the pause line and the notices, drawn over the world.
#include "play/overlay.h"

#include "core/cp1251.h"
#include "play/game_loop.h"
#include "render/button.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/draw.h"
#include "render/font.h"

// Lines of text are this far apart; panels keep this margin inside.
static constexpr int32_t line_height = 14;
static constexpr int32_t margin = 12;
// The help panel's width and its title bar's height.
static constexpr int32_t help_width = 500;
static constexpr int32_t title_height = 18;
// Where a notice's panel stands: its top and its height.
static constexpr int32_t notice_top = 44;
static constexpr int32_t notice_height = 22;

// The help, a line each; "" is an empty line, a line starting with '*' a
// heading (drawn dark on a light bar).
static const char* const help_lines[] = {
    "Цель игры - уничтожить врага. Ваш герой - орк Веск в красном;"_cp,
    "все остальные воины - враги, и друг другу тоже. Вы победили,"_cp,
    "когда на карте остался один Веск."_cp,
    ""_cp,
    "*Мышь"_cp,
    "правая кнопка на земле - идти туда"_cp,
    "правая кнопка на враге - атаковать его"_cp,
    "портрет внизу слева - показать героя"_cp,
    "указатель у края экрана - прокрутка карты"_cp,
    ""_cp,
    "*Клавиши"_cp,
    "F1 - эта справка (игра стоит, пока она открыта)"_cp,
    "P или Pause - пауза"_cp,
    "+ и - - скорость игры, от x1/4 до x4"_cp,
    "Tab - карта местности; щелчок по ней переносит вид"_cp,
    "F12 - снимок экрана в папку screenshots"_cp,
    "M - выключить и включить музыку"_cp,
    "Alt+Enter - окно или весь экран"_cp,
    "Esc - выход из игры"_cp,
};
static constexpr int32_t help_line_count = sizeof help_lines / sizeof help_lines[0];

void draw_overlay_panel(int32_t x, int32_t y, int32_t w, int32_t h)
{
    fill_box(x, y, w, h, panel_fill);
    draw_bevel(x, y, w, h, colour_grey2, panel_shadow);
    draw_bevel(x + 2, y + 2, w - 4, h - 4, panel_shadow, colour_grey2);
}

// The part of the screen above the heads-up panel.
static int32_t world_height()
{
    return screen_height - panel_height;
}

void draw_help_overlay()
{
    const int32_t h = title_height + 2 * margin + help_line_count * line_height;
    const int32_t x = (screen_width - help_width) / 2;
    const int32_t y = (world_height() - h) / 2;
    draw_overlay_panel(x, y, help_width, h);
    // The title bar: dark text on the buttons' face, as the editors' buttons.
    fill_box(x + 4, y + 4, help_width - 8, title_height, colour_grey4);
    draw_bevel(x + 4, y + 4, help_width - 8, title_height, colour_white, colour_black);
    const char* title = "Как играть - F1 закрывает справку"_cp;
    draw_text(title, x + (help_width - text_width(title)) / 2, y + 7);
    int32_t ty = y + title_height + margin;
    for (const char* line : help_lines) {
        if (line[0] == '*') {
            fill_box(x + margin, ty - 1, help_width - 2 * margin, line_height - 1, colour_grey2);
            draw_text(line + 1, x + margin + 4, ty);
        } else {
            draw_text_w(line, x + margin + 4, ty);
        }
        ty += line_height;
    }
}

void draw_pause_line()
{
    const char* text = "Пауза - P или Pause продолжает игру"_cp;
    const int32_t w = text_width(text) + 2 * margin;
    const int32_t h = notice_height + 8;
    const int32_t x = (screen_width - w) / 2;
    const int32_t y = (world_height() - h) / 2;
    draw_overlay_panel(x, y, w, h);
    draw_text_w(text, x + margin, y + (h - 12) / 2);
}

void draw_notice(const char* text)
{
    int32_t w = text_width(text) + 2 * margin;
    if (w > screen_width - 8)
        w = screen_width - 8;
    const int32_t x = (screen_width - w) / 2;
    draw_overlay_panel(x, notice_top, w, notice_height);
    draw_text_w(text, x + margin, notice_top + 5);
}
