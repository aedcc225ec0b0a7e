// The headless script: one event a line, "<pass> <event> <arguments>", read
// whole and checked before anything is added (format in README.md).
#include <cstdlib>
#include <cstring>

#include "core/code_page.h"
#include "platform/headless/headless.h"

// The longest line accepted, terminator excluded.
static constexpr int max_line = 1023;

// The script being checked: events and dumps are added only once every line
// is valid.
static headless_event staged_events[headless_max_events];
static int staged_event_count = 0;
struct staged_dump {
    int32_t pass;
    char path[headless_path_size];
};
static staged_dump staged_dumps[headless_max_dumps];
static int staged_dump_count = 0;

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
    if (staged_event_count == headless_max_events) return false;
    staged_events[staged_event_count++] = {pass, kind, x, y, value};
    return true;
}

bool headless_key_by_name(const char* name, held_key& key)
{
    static const struct {
        const char* name;
        held_key key;
    } names[] = {
        {"escape", key_escape}, {"enter", key_enter}, {"delete", key_delete}, {"left", key_left},
        {"right", key_right},   {"up", key_up},       {"down", key_down},
    };
    for (const auto& n : names) {
        if (std::strcmp(n.name, name) == 0) {
            key = n.key;
            return true;
        }
    }
    return false;
}

// Parses the split line into staged events; error names what is wrong.
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
    const char* event = words[1];
    int arguments = word_count - 2;
    auto want = [&](int n) {
        if (arguments == n) return true;
        error = "wrong number of arguments";
        return false;
    };
    auto point = [&](int32_t& x, int32_t& y) {
        if (!want(2)) return false;
        if (parse_number(words[2], 0, 65535, x) && parse_number(words[3], 0, 65535, y)) return true;
        error = "a coordinate is not a number 0..65535";
        return false;
    };
    static const struct {
        const char* name;
        headless_event_kind kind;
    } plain[] = {
        {"ldown", event_left_down},  {"lup", event_left_up},  {"ldouble", event_left_double},
        {"rdown", event_right_down}, {"rup", event_right_up}, {"rdouble", event_right_double},
        {"close", event_close},
    };
    for (const auto& p : plain) {
        if (std::strcmp(event, p.name) == 0) return want(0) && stage(pass, p.kind);
    }
    int32_t x = 0, y = 0, value = 0;
    if (std::strcmp(event, "move") == 0) return point(x, y) && stage(pass, event_move, x, y);
    if (std::strcmp(event, "click") == 0 || std::strcmp(event, "rclick") == 0) {
        if (!point(x, y)) return false;
        bool left = event[0] == 'c';
        return stage(pass, event_move, x, y) && stage(pass, left ? event_left_down : event_right_down) &&
               stage(pass, left ? event_left_up : event_right_up);
    }
    if (std::strcmp(event, "char") == 0) {
        if (!want(1)) return false;
        if (!parse_number(words[2], 0, 255, value)) {
            error = "a character is a byte 0..255";
            return false;
        }
        return stage(pass, event_char, 0, 0, value);
    }
    if (std::strcmp(event, "type") == 0) {
        if (typed_text == nullptr) {
            error = "no text to type";
            return false;
        }
        // One character a pass from the given pass on: the input latch holds
        // one typed character a pass, so a line given in one pass would leave
        // only its last character in a text field.
        for (const char* t = typed_text; *t != 0; ++pass) {
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
            if (*t != 0 && pass == 0x7FFFFFFF) {
                error = "the typed text runs past the last pass";
                return false;
            }
        }
        return true;
    }
    if (std::strcmp(event, "key") == 0) {
        if (!want(2)) return false;
        bool down = std::strcmp(words[2], "down") == 0;
        if (!down && std::strcmp(words[2], "up") != 0) {
            error = "a key goes down or up";
            return false;
        }
        if (std::strcmp(words[3], "backspace") == 0) return !down || stage(pass, event_backspace);
        held_key key = key_escape;
        if (!headless_key_by_name(words[3], key)) {
            error = "unknown key";
            return false;
        }
        return stage(pass, down ? event_key_down : event_key_up, 0, 0, key);
    }
    if (std::strcmp(event, "dump") == 0) {
        if (!want(1)) return false;
        size_t length = std::strlen(words[2]);
        if (length >= headless_path_size || staged_dump_count == headless_max_dumps) {
            error = "the dump path is too long or there are too many dumps";
            return false;
        }
        staged_dumps[staged_dump_count].pass = pass;
        std::memcpy(staged_dumps[staged_dump_count].path, words[2], length + 1);
        ++staged_dump_count;
        return true;
    }
    if (std::strcmp(event, "joystick") == 0) {
        if (!want(1)) return false;
        bool on = std::strcmp(words[2], "on") == 0;
        if (!on && std::strcmp(words[2], "off") != 0) {
            error = "a joystick is on or off";
            return false;
        }
        return stage(pass, event_joystick, 0, 0, on ? 1 : 0);
    }
    if (std::strcmp(event, "axis") == 0 || std::strcmp(event, "button") == 0) {
        bool axis = event[0] == 'a';
        if (!want(2)) return false;
        if (!parse_number(words[2], 0, axis ? joystick_axes - 1 : joystick_buttons - 1, x) ||
            !parse_number(words[3], axis ? -32768 : 0, axis ? 32767 : 1, value)) {
            error = axis ? "an axis is 0..1 with a value -32768..32767" : "a button is 0..31, pressed 0 or 1";
            return false;
        }
        return stage(pass, axis ? event_axis : event_button, x, 0, value);
    }
    error = "unknown event";
    return false;
}

bool headless_load_script(const char* text, int& error_line, const char*& error)
{
    staged_event_count = 0;
    staged_dump_count = 0;
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
    // Everything is valid: add it, if it all fits.
    if (headless_pending_events() + staged_event_count > headless_max_events) {
        error = "too many events";
        return false;
    }
    for (int i = 0; i < staged_event_count; ++i)
        headless_add_event(staged_events[i]);
    for (int i = 0; i < staged_dump_count; ++i)
        headless_add_dump(staged_dumps[i].pass, staged_dumps[i].path);
    return true;
}
