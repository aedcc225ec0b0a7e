// The input record: script lines written as the messages and keys arrive.
#include "platform/input_record.h"

#include <cstdio>

// The held keys' names in scripts, in the order of held_key.
static const char* const key_names[held_key_count] = {
    "escape", "enter", "delete", "left", "right", "up", "down", "ctrl", "shift", "z",
    "y",      "f1",    "f5",     "f12",  "p",     "pause", "plus", "minus", "m", "tab",
};

// The record being written (nullptr: none), and whether the pass has
// written anything since the last flush.
static FILE* record_file = nullptr;
static bool unflushed = false;

const char* held_key_name(held_key key)
{
    return key >= 0 && key < held_key_count ? key_names[key] : "";
}

bool record_start(const char* path, const char* header)
{
    if (record_file != nullptr || path == nullptr)
        return false;
    record_file = std::fopen(path, "w");
    if (record_file == nullptr)
        return false;
    if (header != nullptr)
        std::fputs(header, record_file);
    std::fflush(record_file);
    return true;
}

bool recording()
{
    return record_file != nullptr;
}

void record_message(int32_t pass, const platform_message& m)
{
    if (record_file == nullptr)
        return;
    const int p = static_cast<int>(pass);
    switch (m.message) {
    case WM_MOUSEMOVE:
        std::fprintf(record_file, "%d move %u %u\n", p, m.position & 0xFFFF, m.position >> 16);
        break;
    case WM_LBUTTONDOWN: std::fprintf(record_file, "%d ldown\n", p); break;
    case WM_LBUTTONUP: std::fprintf(record_file, "%d lup\n", p); break;
    case WM_LBUTTONDBLCLK: std::fprintf(record_file, "%d ldouble\n", p); break;
    case WM_RBUTTONDOWN: std::fprintf(record_file, "%d rdown\n", p); break;
    case WM_RBUTTONUP: std::fprintf(record_file, "%d rup\n", p); break;
    case WM_RBUTTONDBLCLK: std::fprintf(record_file, "%d rdouble\n", p); break;
    case WM_CHAR: std::fprintf(record_file, "%d char %u\n", p, m.character & 0xFF); break;
    case WM_MOUSELEAVE: std::fprintf(record_file, "%d leave\n", p); break;
    case WM_DESTROY: std::fprintf(record_file, "%d close\n", p); break;
    default: return;  // posted by the program itself
    }
    unflushed = true;
}

void record_key(int32_t pass, held_key key, bool down)
{
    if (record_file == nullptr || key < 0 || key >= held_key_count)
        return;
    std::fprintf(record_file, "%d key %s %s\n", static_cast<int>(pass), down ? "down" : "up", key_names[key]);
    unflushed = true;
}

void record_end_pass()
{
    if (record_file == nullptr || !unflushed)
        return;
    std::fflush(record_file);
    unflushed = false;
}

void record_finish(int32_t passes)
{
    if (record_file == nullptr)
        return;
    if (passes > 0)
        std::fprintf(record_file, "%d check\n# passes: %d\n", static_cast<int>(passes - 1), static_cast<int>(passes));
    std::fclose(record_file);
    record_file = nullptr;
    unflushed = false;
}
