// headless_run: runs one configuration of the program on the headless
// backend, from a script of input events, for a number of passes, from a
// data folder; dumps the frames the script asks for and prints a summary,
// then the hashes of the state at the script's checkpoints.
//
//   headless_run --config game|map_editor|sprite_editor [--data DIR]
//                [--script FILE] [--passes N] [--map NAME] [--scratch]
//                [--check] [--monkey SEED [--keep]]
//
// --monkey feeds random input instead of a script (monkey.h) and checks
// the configuration after every pass (run_checks.h).
//
// The script format and the summary are described in README.md ("Headless
// runner").
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/code_page.h"
#include "game/world_check.h"
#include "play/game_loop.h"
#include "platform/headless/headless.h"
#include "programs/configurations.h"
#include "shell/shell.h"
#include "sprite_editor/sprite_editor.h"
#include "world/map.h"
#include "world/map_hash.h"
#include "world/units.h"

#include "editor_summary.h"
#include "monkey.h"
#include "run_checks.h"

// The largest script read.
static constexpr long max_script_size = 4 * 1024 * 1024;
// Passes a loop may run on after being asked to stop before the run is
// called stuck.
static constexpr int32_t stop_grace = 1000;

// The run's settings and what the run saw.
static const configuration* chosen = nullptr;
static int32_t passes_wanted = 100;
static bool loop_ran = false;
static bool loop_stuck = false;
// The runner asked the loop to stop (the passes done, the monkey's record
// full); a loop that stopped otherwise stopped on the user's word.
static bool stop_asked = false;
// The exit status the program's entry gave: 1 after a fatal report.
static int program_status = 0;
static void (*real_loop)() = nullptr;
// Random hands instead of a script, their seed, and the checks after every
// pass (given with --check, implied by --monkey).
static bool monkey_run = false;
static bool keep_record = false;
static uint64_t monkey_seed = 0;
static bool checks_on = false;
static bool (*pass_check)(char* why, int why_size) = nullptr;
// The scratch copy of the data folder the run works in; "" for none. The
// monkey's record of its events, a replay script.
static char scratch_folder[headless_path_size];
static char monkey_record[2 * headless_path_size];

// The loop as the entry runs it, noting that it did run.
static void watched_loop()
{
    loop_ran = true;
    real_loop();
}

// --- Checkpoints ----------------------------------------------------------------

// What a checkpoint records at the end of its pass.
struct checkpoint_record {
    bool reached;         // its pass ended
    uint64_t world;       // world_hash
    uint64_t units;       // the unit table alone
    uint64_t layers;      // map_layers_hash
    uint32_t sprites;     // sprite_tables_hash
    bool frame_kept;      // the backend kept the pass's frame
    uint64_t frame;       // the frame's pixels
};
static checkpoint_record checkpoint_records[headless_max_checkpoints];

// 64-bit FNV-1a: mixes the low bytes of value into h, lowest first (a
// 32-bit field as four little-endian bytes, a pixel as two).
static constexpr uint64_t fnv_start = 14695981039346656037ull;
static uint64_t fnv_mix(uint64_t h, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        h ^= static_cast<uint8_t>(value >> (8 * i));
        h *= 1099511628211ull;
    }
    return h;
}

// The unit table, slot 0 to the last, every field in order.
static uint64_t unit_table_hash()
{
    static_assert(sizeof unit_table % 4 == 0, "the unit table is made of 32-bit fields");
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(unit_table);
    uint64_t h = fnv_start;
    for (size_t i = 0; i < sizeof unit_table; i += 4) {
        uint32_t word = 0;
        std::memcpy(&word, bytes + i, 4);
        h = fnv_mix(h, word, 4);
    }
    return h;
}

// Records the hashes of the checkpoint at index, whose pass just ended.
static void record_checkpoint(int index)
{
    checkpoint_record& r = checkpoint_records[index];
    r.reached = true;
    r.world = world_hash();
    r.units = unit_table_hash();
    r.layers = map_layers_hash();
    r.sprites = sprite_tables_hash();
    int width = 0, height = 0;
    const uint16_t* pixels = headless_frame(width, height);
    r.frame_kept = pixels != nullptr;
    r.frame = fnv_start;
    for (int i = 0; r.frame_kept && i < width * height; ++i)
        r.frame = fnv_mix(r.frame, pixels[i], 2);
}

// One line per checkpoint, in pass order, after the summary.
static void print_checkpoints()
{
    for (int i = 0; i < headless_checkpoint_count(); ++i) {
        const checkpoint_record& r = checkpoint_records[i];
        std::printf("checkpoint %d: ", static_cast<int>(headless_checkpoint_pass(i)));
        if (!r.reached) {
            std::printf("not reached\n");
            continue;
        }
        std::printf("world %016llx units %016llx layers %016llx sprites %08x ", static_cast<unsigned long long>(r.world),
                    static_cast<unsigned long long>(r.units), static_cast<unsigned long long>(r.layers),
                    static_cast<unsigned>(r.sprites));
        if (r.frame_kept)
            std::printf("frame %016llx\n", static_cast<unsigned long long>(r.frame));
        else
            std::printf("frame none\n");
    }
}

// Ends a checked run that failed at pass: the reason on standard error and,
// for a monkey run, at the end of its replay script.
[[noreturn]] static void fail_run(int32_t pass, const char* reason)
{
    std::fprintf(stderr, "headless_run: check failed at pass %d: %s\n", static_cast<int>(pass), reason);
    if (monkey_run) {
        monkey_record_failure(pass, reason);
        std::fprintf(stderr, "headless_run: monkey seed %llu, %s; replay script %s\n",
                     static_cast<unsigned long long>(monkey_seed), chosen->name, monkey_record);
    }
    if (scratch_folder[0] != 0) remove_scratch_copy(scratch_folder);
    std::fflush(stdout);
    std::_Exit(1);
}

// After every pass: record its checkpoint, if it has one; check the
// configuration and hand the monkey the pass, when asked to; once the passes
// asked for are done, ask the loop to stop (again at every pass, for loops
// nested in dialogs); give up on a loop that keeps going.
static void after_pass(int32_t pass, void* /*user*/)
{
    int checkpoint = headless_checkpoint_at(pass);
    if (checkpoint >= 0) record_checkpoint(checkpoint);
    if (checks_on) {
        static char why[512];
        if (!pass_check(why, sizeof why) || !check_no_message_box(why, sizeof why)) fail_run(pass, why);
    }
    if (monkey_run && !monkey_after_pass(pass)) quit_requested = stop_asked = true;
    if (pass + 1 >= passes_wanted) quit_requested = stop_asked = true;
    if (pass + 1 >= passes_wanted + stop_grace) {
        loop_stuck = true;
        static char why[96];
        std::snprintf(why, sizeof why, "the loop did not stop %d passes after it was asked to",
                      static_cast<int>(stop_grace));
        if (monkey_run || checks_on) fail_run(pass, why);
        std::fprintf(stderr, "headless_run: %s\n", why);
        std::fflush(stdout);
        std::_Exit(1);
    }
}

// --- The summary ----------------------------------------------------------------

static void print_configuration(FILE* out)
{
    std::fprintf(out, "%s", chosen->name);
}

static void print_main_loop(FILE* out)
{
    std::fprintf(out, "%s", loop_ran ? "ran" : "did not run (start-up ended it)");
}

static void print_exit_status(FILE* out)
{
    std::fprintf(out, "%d%s", program_status,
                 program_status != 0 ? " (a fatal report ended the program)" : "");
}

static void print_passes(FILE* out)
{
    std::fprintf(out, "%d", static_cast<int>(headless_pass()));
}

static void print_boxes(FILE* out)
{
    std::fprintf(out, "%d", headless_box_count());
    static char caption[3 * headless_box_text_size];
    static char text[3 * headless_box_text_size];
    for (int i = 0; i < headless_box_count() && i < headless_max_boxes; ++i) {
        cp1251_to_utf8(headless_box_caption(i), caption, sizeof caption);
        cp1251_to_utf8(headless_box_text(i), text, sizeof text);
        // One line per box: the text's line breaks shown as "/".
        for (char* p = text; *p != 0; ++p)
            if (*p == '\n') *p = '/';
        std::fprintf(out, "\nmessage box %d: [%s] %s", i + 1, caption, text);
    }
}

static void print_dumps(FILE* out)
{
    int written = headless_dumps_written(), failed = headless_dumps_failed();
    std::fprintf(out, "%d written, %d failed, %d not reached", written, failed,
                 headless_dumps_asked() - written - failed);
}

static void print_events_left(FILE* out)
{
    std::fprintf(out, "%d", headless_pending_events());
}

// --- The game's lines ---------------------------------------------------------------

static void print_unit_count(FILE* out)
{
    std::fprintf(out, "%d", static_cast<int>(unit_count));
}

// Active units (alive or dying, as unit_count counts them) of each team.
static void print_units_by_team(FILE* out)
{
    int by_team[team_count] = {};
    for (int slot = 1; slot < max_units; ++slot) {
        const unit& u = unit_table[slot];
        if (u.active == 1 && u.team >= 0 && u.team < team_count)
            ++by_team[u.team];
    }
    for (int team = 0; team < team_count; ++team)
        std::fprintf(out, "%s%d:%d", team == 0 ? "" : " ", team, by_team[team]);
}

static void print_hero(FILE* out)
{
    const unit& hero = unit_table[1];
    if (hero.active != 1) {
        std::fprintf(out, "gone");
        return;
    }
    char state[64] = "?";
    if (hero.state >= 0 && hero.state < state_count)
        cp1251_to_utf8(state_names[hero.state], state, sizeof state);
    std::fprintf(out, "%d/%d hit points, %s (state %d), cell (%d, %d)", static_cast<int>(hero.hit_points),
                 static_cast<int>(hero.max_hit_points), state, static_cast<int>(hero.state),
                 static_cast<int>(hero.cell_x), static_cast<int>(hero.cell_y));
}

// What the game's end-of-game line showed in the last frame.
static void print_end_of_game(FILE* out)
{
    if (chosen != &game_configuration || headless_pass() == 0) {
        std::fprintf(out, "no game frame shown");
        return;
    }
    if (unit_table[1].active != 1)
        std::fprintf(out, "defeat shown");
    else if (unit_count == 1)
        std::fprintf(out, "victory shown");
    else
        std::fprintf(out, "neither (the game goes on)");
}

static void print_world_hash(FILE* out)
{
    std::fprintf(out, "%016llx", static_cast<unsigned long long>(world_hash()));
}

// One line of the summary: "<label>: <value>". Later parts of the program
// add their own lines here (the game's units, the editors' state).
struct summary_line {
    const char* label;
    void (*print)(FILE* out);
};

static const summary_line summary[] = {
    {"configuration", print_configuration},
    {"main loop", print_main_loop},
    {"exit status", print_exit_status},
    {"passes run", print_passes},
    {"message boxes", print_boxes},
    {"dumps", print_dumps},
    {"events not delivered", print_events_left},
    {"units", print_unit_count},
    {"units by team", print_units_by_team},
    {"hero", print_hero},
    {"end of game", print_end_of_game},
    {"world hash", print_world_hash},
};

// --- Start ------------------------------------------------------------------------

static int usage()
{
    std::fprintf(stderr,
                 "usage: headless_run --config game|map_editor|sprite_editor [--data DIR] [--script FILE] "
                 "[--passes N] [--map NAME] [--scratch] [--check] [--monkey SEED [--keep]]\n"
                 "  --data DIR     the folder holding data/ (default: the current folder)\n"
                 "  --script FILE  input events by pass (see README.md, \"Headless runner\")\n"
                 "  --passes N     passes to run before the loop is asked to stop (default: the\n"
                 "                 script's \"# passes: N\" line, else 100; with --monkey, until\n"
                 "                 its record of events is full)\n"
                 "  --map NAME     the map the game plays, data/map/NAME.map (default single)\n"
                 "  --scratch      run in a scratch copy of the data folder, removed at the end\n"
                 "  --check        check the configuration after every pass; stop at a breach\n"
                 "  --monkey SEED  random input from SEED instead of a script; implies --scratch\n"
                 "                 and --check and writes monkey-<config>-<seed>.txt, removed\n"
                 "                 when the run passes unless --keep is given\n");
    return 2;
}

// Reads the whole script into text (terminated); false with a message.
static bool read_script(const char* path, char*& text)
{
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) {
        std::fprintf(stderr, "headless_run: cannot open the script %s\n", path);
        return false;
    }
    static char buffer[max_script_size + 1];
    size_t length = std::fread(buffer, 1, max_script_size + 1, f);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed || length > static_cast<size_t>(max_script_size)) {
        std::fprintf(stderr, "headless_run: the script %s cannot be read or is over 4 MB\n", path);
        return false;
    }
    buffer[length] = 0;
    if (std::memchr(buffer, 0, length) != nullptr) {
        std::fprintf(stderr, "headless_run: the script %s is not text\n", path);
        return false;
    }
    text = buffer;
    return true;
}

// The passes a script names in a line "# passes: N" (N 1..100000000), the
// last such line; false when it names none.
static bool script_passes(const char* text, int32_t& passes)
{
    static const char tag[] = "# passes:";
    bool found = false;
    for (const char* line = text; *line != 0;) {
        if (std::strncmp(line, tag, sizeof tag - 1) == 0) {
            char* end = nullptr;
            long n = std::strtol(line + sizeof tag - 1, &end, 10);
            while (*end == ' ' || *end == '\t' || *end == '\r')
                ++end;
            if ((*end == '\n' || *end == 0) && n >= 1 && n <= 100000000) {
                passes = static_cast<int32_t>(n);
                found = true;
            }
        }
        const char* next = std::strchr(line, '\n');
        if (next == nullptr)
            break;
        line = next + 1;
    }
    return found;
}

// Prints the lines of one summary table, "label: value" each.
template <size_t n>
static void print_summary(const summary_line (&lines)[n])
{
    for (const summary_line& line : lines) {
        std::printf("%s: ", line.label);
        line.print(stdout);
        std::printf("\n");
    }
}

int main(int argc, char** argv)
{
    const char* config_name = nullptr;
    const char* data = nullptr;
    const char* script = nullptr;
    bool scratch = false;
    bool passes_given = false;
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (std::strcmp(option, "--scratch") == 0) {
            scratch = true;
            continue;
        }
        if (std::strcmp(option, "--check") == 0) {
            checks_on = true;
            continue;
        }
        if (std::strcmp(option, "--keep") == 0) {
            keep_record = true;
            continue;
        }
        if (i + 1 >= argc) return usage();
        const char* value = argv[++i];
        if (std::strcmp(option, "--config") == 0) {
            config_name = value;
        } else if (std::strcmp(option, "--data") == 0) {
            data = value;
        } else if (std::strcmp(option, "--script") == 0) {
            script = value;
        } else if (std::strcmp(option, "--passes") == 0) {
            char* end = nullptr;
            long n = std::strtol(value, &end, 10);
            if (*end != 0 || n < 1 || n > 100000000) {
                std::fprintf(stderr, "headless_run: --passes takes a number 1..100000000\n");
                return 2;
            }
            passes_wanted = static_cast<int32_t>(n);
            passes_given = true;
        } else if (std::strcmp(option, "--map") == 0) {
            if (!set_game_map_utf8(value)) {
                std::fprintf(stderr, "headless_run: --map takes a map name of 1..46 characters of code page 1251, "
                                     "without '/' or '\\'\n");
                return 2;
            }
        } else if (std::strcmp(option, "--monkey") == 0) {
            char* end = nullptr;
            monkey_seed = std::strtoull(value, &end, 10);
            if (*value < '0' || *value > '9' || *end != 0) {
                std::fprintf(stderr, "headless_run: --monkey takes a seed, a number 0..2^64-1\n");
                return 2;
            }
            monkey_run = checks_on = scratch = true;
        } else {
            return usage();
        }
    }
    if (config_name == nullptr) return usage();
    chosen = find_configuration(config_name);
    if (chosen == nullptr) {
        std::fprintf(stderr, "headless_run: no configuration \"%s\"\n", config_name);
        return usage();
    }
    if (monkey_run && script != nullptr) {
        std::fprintf(stderr, "headless_run: --monkey and --script do not go together\n");
        return 2;
    }
    if (keep_record && !monkey_run) {
        std::fprintf(stderr, "headless_run: --keep goes with --monkey\n");
        return 2;
    }
    if (monkey_run && !passes_given) passes_wanted = 100000000;
    pass_check = chosen == &game_configuration         ? check_game_pass
                 : chosen == &map_editor_configuration ? check_map_editor_pass
                                                       : check_sprite_editor_pass;

    headless_reset();
    if (script != nullptr) {
        char* text = nullptr;
        if (!read_script(script, text)) return 1;
        int line = 0;
        const char* error = "";
        if (!headless_load_script(text, line, error)) {
            std::fprintf(stderr, "headless_run: %s:%d: %s\n", script, line, error);
            return 1;
        }
        // A script that names its passes (a recorded game, a stored replay)
        // runs them unless told otherwise.
        int32_t named = 0;
        if (!passes_given && script_passes(text, named)) passes_wanted = named;
    }
    // Dumps land where the runner was started; the program reads its data
    // relative to the data folder.
    static char start_folder[headless_path_size];
    if (getcwd(start_folder, sizeof start_folder) == nullptr || !headless_set_dump_folder(start_folder)) {
        std::fprintf(stderr, "headless_run: the current folder's name is too long\n");
        return 1;
    }
    // A scratch run works in a copy of the data folder, so that what the
    // program saves never reaches the real one.
    if (scratch) {
        if (!make_scratch_copy(data != nullptr ? data : ".", scratch_folder, sizeof scratch_folder)) return 1;
        data = scratch_folder;
    }
    if (monkey_run) {
        static char note[1024];
        std::snprintf(monkey_record, sizeof monkey_record, "%s/monkey-%s-%llu.txt", start_folder, chosen->name,
                      static_cast<unsigned long long>(monkey_seed));
        std::snprintf(note, sizeof note,
                      "# config: %s\n"
                      "# The input of monkey seed %llu as a script. It replays in a fresh copy of the data set:\n"
                      "#   headless_run --config %s --data DIR --scratch --check --script THIS --passes N\n"
                      "# with N the \"passes:\" line at the end, or above the last event's pass.\n",
                      chosen->name, static_cast<unsigned long long>(monkey_seed), chosen->name);
        monkey_screens screens = chosen == &game_configuration         ? monkey_game
                                 : chosen == &map_editor_configuration ? monkey_map_editor
                                                                       : monkey_sprite_editor;
        if (!monkey_start(monkey_seed, screens, monkey_record, note)) {
            if (scratch) remove_scratch_copy(scratch_folder);
            scratch_folder[0] = 0;
            return 1;
        }
    }
    if (data != nullptr && chdir(data) != 0) {
        std::fprintf(stderr, "headless_run: cannot enter the data folder %s\n", data);
        return 1;
    }
    headless_set_pass_hook(after_pass, nullptr);

    configuration run = *chosen;
    real_loop = run.main_loop;
    run.main_loop = watched_loop;
    program_status = run_entry(run);
    end_process();
    // A checked run from a whole data set starts its loop and shows no box,
    // at start-up or at the end either.
    if (checks_on) {
        static char why[512];
        if (!check_no_message_box(why, sizeof why)) fail_run(headless_pass(), why);
        if (!loop_ran) fail_run(0, "start-up ended the run before the main loop");
    }
    if (monkey_run) monkey_finish(keep_record);
    if (scratch) {
        if (chdir(start_folder) != 0) std::fprintf(stderr, "headless_run: cannot go back to %s\n", start_folder);
        remove_scratch_copy(scratch_folder);
    }

    // Dumps of passes the run never reached are counted in the summary; say
    // so where failures are told too.
    int not_reached = headless_dumps_asked() - headless_dumps_written() - headless_dumps_failed();
    if (not_reached > 0)
        std::fprintf(stderr, "headless_run: %d dump(s) not written: the run ended after %d passes\n", not_reached,
                     static_cast<int>(headless_pass()));

    print_summary(summary);
    if (chosen == &map_editor_configuration)
        print_map_editor_summary(stdout);
    if (chosen == &sprite_editor_configuration && loop_ran)
        print_sprite_editor_summary(stdout);
    print_checkpoints();
    if (monkey_run) {
        monkey_ending end = monkey_end();
        std::printf("monkey: seed %llu, %d passes checked, %d events, ended by %s\n",
                    static_cast<unsigned long long>(monkey_seed), static_cast<int>(headless_pass()),
                    static_cast<int>(monkey_event_count()),
                    end == monkey_ended_by_escape  ? "Escape"
                    : end == monkey_ended_by_close ? "the window closed"
                    : end == monkey_ended_full     ? "a full record of events"
                    : !stop_asked                  ? "Escape and the answer to the editor's question"
                                                   : "the passes asked for");
    }
    if (program_status != 0)
        return program_status;
    return headless_dumps_failed() == 0 && !loop_stuck ? 0 : 1;
}
