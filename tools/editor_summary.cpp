// The headless runner's summary lines of the two editors: the map the map
// editor ends with, the sprite editor's tables and selections, and what
// both told the user last (the status line, the last question and its
// answer, the steps of the undo history).
#include "editor_summary.h"

#include "core/code_page.h"
#include "editor_kit/history.h"
#include "editor_kit/question.h"
#include "editor_kit/status_line.h"
#include "sprite_editor/sprite_editor.h"
#include "world/map.h"
#include "world/map_hash.h"
#include "world/units.h"

// One line of the summary: "<label>: <value>".
struct summary_line {
    const char* label;
    void (*print)(FILE* out);
};

// --- The map editor's end state ---------------------------------------------------

static void print_map_width(FILE* out)
{
    std::fprintf(out, "%d", static_cast<int>(map_width));
}

static void print_map_height(FILE* out)
{
    std::fprintf(out, "%d", static_cast<int>(map_height));
}

static void print_map_name(FILE* out)
{
    static char name[3 * map_name_size];
    cp1251_to_utf8(map_name, name, sizeof name);
    std::fprintf(out, "%s", name);
}

// Object cells of a kind inside the map.
static int count_map_objects(int32_t kind)
{
    int n = 0;
    for (int x = 0; x < map_width && x < max_map_size; ++x)
        for (int y = 0; y < map_height && y < max_map_size; ++y)
            n += object_layer[x][y].kind == kind;
    return n;
}

static void print_trees(FILE* out)
{
    std::fprintf(out, "%d", count_map_objects(object_tree));
}

static void print_rocks(FILE* out)
{
    std::fprintf(out, "%d", count_map_objects(object_rock));
}

static void print_units_on_map(FILE* out)
{
    std::fprintf(out, "%d", count_map_objects(object_unit));
}

static void print_layers_hash(FILE* out)
{
    std::fprintf(out, "%016llx", static_cast<unsigned long long>(map_layers_hash()));
}

static void print_unit_count(FILE* out)
{
    std::fprintf(out, "%d", static_cast<int>(unit_count));
}

// --- Both editors -------------------------------------------------------------------

// The status line's last report, in UTF-8; "none" before any.
static void print_status_line(FILE* out)
{
    static char text[3 * status_text_size];
    cp1251_to_utf8(last_status(), text, sizeof text);
    std::fprintf(out, "%s", text[0] != 0 ? text : "none");
}

// The last question asked and the button that answered it.
static void print_question(FILE* out)
{
    static char title[512], answer[256];
    cp1251_to_utf8(last_question(), title, sizeof title);
    cp1251_to_utf8(last_answer(), answer, sizeof answer);
    if (title[0] == 0)
        std::fprintf(out, "none");
    else
        std::fprintf(out, "%s -> %s", title, answer);
}

// The steps the history holds either way.
static void print_history(FILE* out)
{
    std::fprintf(out, "%d to undo, %d to redo", static_cast<int>(history_undo_steps()),
                 static_cast<int>(history_redo_steps()));
}

// The lines added for the map editor configuration.
static const summary_line map_editor_summary[] = {
    {"map_width", print_map_width},
    {"map_height", print_map_height},
    {"map_name", print_map_name},
    {"unit_count", print_unit_count},
    {"trees", print_trees},
    {"rocks", print_rocks},
    {"units on the map", print_units_on_map},
    {"layers hash", print_layers_hash},
    {"status line", print_status_line},
    {"question", print_question},
    {"history", print_history},
};

// The sprite editor's lines, printed after the common ones when it ran.
static void print_editor_mode(FILE* out)
{
    std::fprintf(out, "%d", static_cast<int>(editor_mode));
}

static void print_frame_count(FILE* out)
{
    std::fprintf(out, "%d", static_cast<int>(frame_count));
}

static void print_current_frame(FILE* out)
{
    std::fprintf(out, "%d", static_cast<int>(current_frame));
}

static void print_current_roll(FILE* out)
{
    std::fprintf(out, "%d", static_cast<int>(current_roll));
}

static void print_current_slot(FILE* out)
{
    std::fprintf(out, "%d", static_cast<int>(current_slot));
}

static void print_filled_slots(FILE* out)
{
    std::fprintf(out, "%d", static_cast<int>(filled_roll_slots()));
}

static void print_filled_entries(FILE* out)
{
    std::fprintf(out, "%d", static_cast<int>(filled_sprite_entries()));
}

static void print_tables_hash(FILE* out)
{
    std::fprintf(out, "%08x", static_cast<unsigned>(sprite_tables_hash()));
}

static const summary_line sprite_editor_summary[] = {
    {"editor_mode", print_editor_mode},
    {"frame_count", print_frame_count},
    {"current_frame", print_current_frame},
    {"current_roll", print_current_roll},
    {"current_slot", print_current_slot},
    {"filled roll slots", print_filled_slots},
    {"filled sprite entries", print_filled_entries},
    {"sprite tables hash", print_tables_hash},
    {"status line", print_status_line},
    {"question", print_question},
    {"history", print_history},
};

// Prints the lines of one summary table, "label: value" each.
template <size_t n>
static void print_lines(const summary_line (&lines)[n], FILE* out)
{
    for (const summary_line& line : lines) {
        std::fprintf(out, "%s: ", line.label);
        line.print(out);
        std::fprintf(out, "\n");
    }
}

void print_map_editor_summary(FILE* out)
{
    print_lines(map_editor_summary, out);
}

void print_sprite_editor_summary(FILE* out)
{
    print_lines(sprite_editor_summary, out);
}
