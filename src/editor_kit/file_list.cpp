// The file list of the open dialogs.
#include "editor_kit/file_list.h"

#include <cstdio>
#include <cstring>

#include "core/cp1251.h"
#include "editor_kit/editor_keys.h"
#include "input/input_latch.h"
#include "render/button.h"
#include "render/colours.h"
#include "render/draw.h"
#include "render/font.h"

static char names[file_list_capacity][listed_name_size];
static int32_t count = 0;
// The first name shown.
static int32_t top = 0;
// The arrows scroll once a press.
static fresh_key up_key {key_up, false};
static fresh_key down_key {key_down, false};

// Rows start this far below the list's top and are this high.
constexpr int32_t rows_top = 22;
constexpr int32_t row_height = 16;

void open_file_list(const char* folder, const char* extension)
{
    count = list_files(folder, extension, names, file_list_capacity);
    top = 0;
    up_key.armed = down_key.armed = false;
}

// Keeps the first row shown within the names.
static void clamp_top()
{
    int32_t last_top = count > file_list_rows ? count - file_list_rows : 0;
    if (top > last_top)
        top = last_top;
    if (top < 0)
        top = 0;
}

const char* file_list_pass(int32_t x, int32_t y, int32_t w, const char* current)
{
    fill_box(x, y, w, file_list_height, colour_grey4);
    draw_bevel(x, y, w, file_list_height, colour_white, colour_black);
    draw_bevel(x + 1, y + 1, w - 2, file_list_height - 2, colour_grey5, colour_grey1);
    char header[64];
    if (count == 0)
        std::snprintf(header, sizeof header, "%s", "Файлов этого вида нет"_cp);
    else if (count <= file_list_rows)
        std::snprintf(header, sizeof header, "%s %d", "Файлы:"_cp, static_cast<int>(count));
    else
        std::snprintf(header, sizeof header, "%s %d-%d %s %d", "Файлы:"_cp, static_cast<int>(top + 1),
                      static_cast<int>(top + file_list_rows), "из"_cp, static_cast<int>(count));
    draw_text(header, x + 10, y + 5);

    // The scroll buttons stand at the right of the first and last rows.
    int32_t button_x = x + w - 30;
    if (draw_button(button_x, y + rows_top, 20, 15, "^"))
        top -= file_list_rows - 1;
    if (draw_button(button_x, y + rows_top + row_height * (file_list_rows - 1), 20, 15, "v"))
        top += file_list_rows - 1;
    if (fresh_press(up_key))
        --top;
    if (fresh_press(down_key))
        ++top;
    clamp_top();

    const char* clicked = nullptr;
    int32_t row_w = w - 50;
    for (int32_t row = 0; row < file_list_rows && top + row < count; ++row) {
        const char* name = names[top + row];
        int32_t row_y = y + rows_top + row_height * row;
        if (std::strcmp(name, current) == 0) {
            fill_box(x + 6, row_y, row_w, row_height - 1, colour_blue);
            draw_text_w(name, x + 10, row_y + 1);
        } else {
            draw_text(name, x + 10, row_y + 1);
        }
        if (hit_left_release(x + 6, row_y, row_w, row_height - 2))
            clicked = name;
    }
    return clicked;
}

int32_t file_list_count()
{
    return count;
}

const char* file_list_name(int32_t i)
{
    return i >= 0 && i < count ? names[i] : "";
}

int32_t file_list_top()
{
    return top;
}
