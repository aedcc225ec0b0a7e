// The headless script: one event a line, "<pass> <event> <arguments>", read
// whole and checked before anything is added (format in README.md).
#include <cstdlib>
#include <cstring>

#include "core/code_page.h"
#include "platform/headless/headless.h"
#include "platform/input_record.h"

// The longest line accepted, terminator excluded.
static constexpr int max_line = 1023;

// The script being checked: events, dumps and checkpoints are added only
// once every line is valid.
static headless_event staged_events[headless_max_events];
static int staged_event_count = 0;
struct staged_dump {
    int32_t pass;
    char path[headless_path_size];
};
static staged_dump staged_dumps[headless_max_dumps];
static int staged_dump_count = 0;
static int32_t staged_checkpoints[headless_max_checkpoints];
static int staged_checkpoint_count = 0;
// Room the backend's tables had when the script's check began: a script
// that does not fit is refused at the line that overflows, never cut short.
static int event_room = 0;
static int dump_room = 0;
static int checkpoint_room = 0;

// Words of the line being parsed; the line is split in place.
static constexpr int max_words = 8;
static char line[max_line + 1];
static char* words[max_words];
static int word_count = 0;
// The text of a "type" event: the rest of its line.
static const char* typed_text = nullptr;

static bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// Splits line into words; false when there are too many. After a "type"
// event the rest of the line stays whole in typed_text (trailing blanks cut).
static bool split_words()
{
    word_count = 0;
    typed_text = nullptr;
    char* p = line;
    while (true) {
        while (is_space(*p))
            ++p;
        if (*p == 0) return true;
        if (word_count == 2 && std::strcmp(words[1], "type") == 0) {
            char* end = p + std::strlen(p);
            while (end > p && is_space(end[-1]))
                *--end = 0;
            typed_text = p;
            return true;
        }
        if (word_count == max_words) return false;
        words[word_count++] = p;
        while (*p != 0 && !is_space(*p))
            ++p;
        if (*p == 0) return true;
        *p++ = 0;
    }
}

// A whole decimal number within lo..hi.
static bool parse_number(const char* word, long lo, long hi, int32_t& value)
{
    if (word == nullptr || *word == 0) return false;
    char* end = nullptr;
    long v = std::strtol(word, &end, 10);
    if (*end != 0 || v < lo || v > hi) return false;
    value = static_cast<int32_t>(v);
    return true;
}

static bool stage(int32_t pass, headless_event_kind kind, int32_t x = 0, int32_t y = 0, int32_t value = 0)
{
    if (staged_event_count == event_room) return false;
    staged_events[staged_event_count++] = {pass, kind, x, y, value};
    return true;
}

bool headless_key_by_name(const char* name, held_key& key)
{
    for (int k = 0; k < held_key_count; ++k) {
        if (std::strcmp(held_key_name(static_cast<held_key>(k)), name) == 0) {
            key = static_cast<held_key>(k);
            return true;
        }
    }
    return false;
}

// --- Events of the script ---------------------------------------------------------
//
// Each handler checks the arguments of its event (words[2] on, or typed_text
// for "type"), already counted against the table, and stages what they ask
// for; error names what is wrong. A handler that fails with error left empty
// ran out of room, which the loader reports as too many events.

struct script_event;
using event_parser = bool (*)(const script_event& event, int32_t pass, const char*& error);

// One event word of the script.
struct script_event {
    const char* name;         // the word after the pass number
    int arguments;            // words that must follow it; -1: the rest of the line
    headless_event_kind kind; // the event staged (the handlers shared by several words read it)
    event_parser parse;       // checks the arguments and stages the events
};

// Two coordinates 0..65535 in words[2] and words[3].
static bool parse_point(int32_t& x, int32_t& y, const char*& error)
{
    if (parse_number(words[2], 0, 65535, x) && parse_number(words[3], 0, 65535, y)) return true;
    error = "a coordinate is not a number 0..65535";
    return false;
}

// A button or close: the event alone.
static bool parse_plain(const script_event& event, int32_t pass, const char*& /*error*/)
{
    return stage(pass, event.kind);
}

static bool parse_move(const script_event& /*event*/, int32_t pass, const char*& error)
{
    int32_t x = 0, y = 0;
    return parse_point(x, y, error) && stage(pass, event_move, x, y);
}

// click and rclick: a move, then the button's down and up.
static bool parse_click(const script_event& event, int32_t pass, const char*& error)
{
    int32_t x = 0, y = 0;
    if (!parse_point(x, y, error)) return false;
    headless_event_kind up = event.kind == event_left_down ? event_left_up : event_right_up;
    return stage(pass, event_move, x, y) && stage(pass, event.kind) && stage(pass, up);
}

static bool parse_char(const script_event& /*event*/, int32_t pass, const char*& error)
{
    int32_t value = 0;
    if (!parse_number(words[2], 0, 255, value)) {
        error = "a character is a byte 0..255";
        return false;
    }
    return stage(pass, event_char, 0, 0, value);
}

static bool parse_type(const script_event& /*event*/, int32_t pass, const char*& error)
{
    if (typed_text == nullptr) {
        error = "no text to type";
        return false;
    }
    // One character a pass from the given pass on: the input latch holds
    // one typed character a pass, so a line given in one pass would leave
    // only its last character in a text field.
    for (const char* t = typed_text;;) {
        uint32_t code = 0;
        int used = 1;
        uint8_t byte = 0;
        if (!decode_utf8(t, code, used) || !unicode_to_cp1251(code, byte)) {
            error = "a typed character has no code page 1251 byte";
            return false;
        }
        t += used;
        if (!stage(pass, event_char, 0, 0, byte)) {
            error = "too many events";
            return false;
        }
        if (*t == 0) return true;
        // The next character's pass, unless this one took the last.
        if (pass == 0x7FFFFFFF) {
            error = "the typed text runs past the last pass";
            return false;
        }
        ++pass;
    }
}

static bool parse_key(const script_event& /*event*/, int32_t pass, const char*& error)
{
    bool down = std::strcmp(words[2], "down") == 0;
    if (!down && std::strcmp(words[2], "up") != 0) {
        error = "a key goes down or up";
        return false;
    }
    // Backspace is no held key: going down it types 8, going up it does nothing.
    if (std::strcmp(words[3], "backspace") == 0) return !down || stage(pass, event_backspace);
    held_key key = key_escape;
    if (!headless_key_by_name(words[3], key)) {
        error = "unknown key";
        return false;
    }
    return stage(pass, down ? event_key_down : event_key_up, 0, 0, key);
}

static bool parse_dump(const script_event& /*event*/, int32_t pass, const char*& error)
{
    size_t length = std::strlen(words[2]);
    if (length >= headless_path_size || staged_dump_count == dump_room) {
        error = "the dump path is too long or there are too many dumps";
        return false;
    }
    // A second dump to one file would overwrite the first one's picture.
    bool taken = headless_dump_asked_for(words[2]);
    for (int i = 0; i < staged_dump_count && !taken; ++i)
        taken = std::strcmp(staged_dumps[i].path, words[2]) == 0;
    if (taken) {
        error = "another dump already writes that file";
        return false;
    }
    staged_dumps[staged_dump_count].pass = pass;
    std::memcpy(staged_dumps[staged_dump_count].path, words[2], length + 1);
    ++staged_dump_count;
    return true;
}

static bool parse_check(const script_event& /*event*/, int32_t pass, const char*& error)
{
    bool taken = headless_checkpoint_at(pass) >= 0;
    for (int i = 0; i < staged_checkpoint_count && !taken; ++i)
        taken = staged_checkpoints[i] == pass;
    if (taken) {
        error = "the pass has a checkpoint already";
        return false;
    }
    if (staged_checkpoint_count == checkpoint_room) {
        error = "there are too many checkpoints";
        return false;
    }
    staged_checkpoints[staged_checkpoint_count++] = pass;
    return true;
}

static bool parse_joystick(const script_event& /*event*/, int32_t pass, const char*& error)
{
    bool on = std::strcmp(words[2], "on") == 0;
    if (!on && std::strcmp(words[2], "off") != 0) {
        error = "a joystick is on or off";
        return false;
    }
    return stage(pass, event_joystick, 0, 0, on ? 1 : 0);
}

static bool parse_axis(const script_event& /*event*/, int32_t pass, const char*& error)
{
    int32_t axis = 0, value = 0;
    if (!parse_number(words[2], 0, joystick_axes - 1, axis) || !parse_number(words[3], -32768, 32767, value)) {
        error = "an axis is 0..1 with a value -32768..32767";
        return false;
    }
    return stage(pass, event_axis, axis, 0, value);
}

static bool parse_button(const script_event& /*event*/, int32_t pass, const char*& error)
{
    int32_t button = 0, value = 0;
    if (!parse_number(words[2], 0, joystick_buttons - 1, button) || !parse_number(words[3], 0, 1, value)) {
        error = "a button is 0..31, pressed 0 or 1";
        return false;
    }
    return stage(pass, event_button, button, 0, value);
}

// The events a script line can name (README.md, "Script format").
static const script_event script_events[] = {
    {"move", 2, event_move, parse_move},
    {"ldown", 0, event_left_down, parse_plain},
    {"lup", 0, event_left_up, parse_plain},
    {"ldouble", 0, event_left_double, parse_plain},
    {"rdown", 0, event_right_down, parse_plain},
    {"rup", 0, event_right_up, parse_plain},
    {"rdouble", 0, event_right_double, parse_plain},
    {"click", 2, event_left_down, parse_click},
    {"rclick", 2, event_right_down, parse_click},
    {"char", 1, event_char, parse_char},
    {"type", -1, event_char, parse_type},
    {"key", 2, event_key_down, parse_key},
    {"leave", 0, event_leave, parse_plain},
    {"close", 0, event_close, parse_plain},
    {"dump", 1, event_move, parse_dump},   // stages no event: a file to write
    {"check", 0, event_move, parse_check}, // stages no event: a checkpoint
    {"joystick", 1, event_joystick, parse_joystick},
    {"axis", 2, event_axis, parse_axis},
    {"button", 2, event_button, parse_button},
};

// Parses the split line into staged events, dumps or checkpoints; error
// names what is wrong.
static bool parse_line(const char*& error)
{
    int32_t pass = 0;
    if (!parse_number(words[0], 0, 0x7FFFFFFF, pass)) {
        error = "the line does not start with a pass number";
        return false;
    }
    if (word_count < 2) {
        error = "no event after the pass number";
        return false;
    }
    for (const script_event& event : script_events) {
        if (std::strcmp(words[1], event.name) != 0) continue;
        if (event.arguments >= 0 && word_count - 2 != event.arguments) {
            error = "wrong number of arguments";
            return false;
        }
        return event.parse(event, pass, error);
    }
    error = "unknown event";
    return false;
}

bool headless_load_script(const char* text, int& error_line, const char*& error)
{
    staged_event_count = 0;
    staged_dump_count = 0;
    staged_checkpoint_count = 0;
    event_room = headless_event_room();
    dump_room = headless_dump_room();
    checkpoint_room = headless_checkpoint_room();
    error_line = 0;
    error = "";
    int number = 0;
    const char* p = text;
    while (*p != 0) {
        ++number;
        const char* start = p;
        const char* end = p;
        while (*end != 0 && *end != '\n')
            ++end;
        size_t length = static_cast<size_t>(end - start);
        p = *end == '\n' ? end + 1 : end;
        if (length > static_cast<size_t>(max_line)) {
            error_line = number;
            error = "the line is too long";
            return false;
        }
        std::memcpy(line, start, length);
        line[length] = 0;
        // A comment runs from '#' to the end of the line.
        if (char* hash = std::strchr(line, '#')) *hash = 0;
        if (!split_words()) {
            error_line = number;
            error = "too many words";
            return false;
        }
        if (word_count == 0) continue;
        if (!parse_line(error)) {
            error_line = number;
            if (*error == 0) error = "too many events";
            return false;
        }
    }
    // Everything is valid and fits: add it.
    for (int i = 0; i < staged_event_count; ++i)
        headless_add_event(staged_events[i]);
    for (int i = 0; i < staged_dump_count; ++i)
        headless_add_dump(staged_dumps[i].pass, staged_dumps[i].path);
    for (int i = 0; i < staged_checkpoint_count; ++i)
        headless_add_checkpoint(staged_checkpoints[i]);
    return true;
}
