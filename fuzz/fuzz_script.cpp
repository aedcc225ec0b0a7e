// Fuzz target of the headless runner's script parser: any text given to
// headless_load_script is either refused with a line and a reason, having
// added nothing, or accepted, having added exactly the events, dumps and
// checkpoints its lines name, counted here line by line on their own.
// Loading the same text again then adds as much again or is refused whole.
#include <cstring>

#include "fuzz_support.h"
#include "platform/headless/headless.h"

namespace {

// What a script adds to the backend's tables.
struct script_count {
    int events;
    int dumps;
    int checkpoints;
};

// The tables' room and the events waiting, as a load found them.
struct tables {
    int event_room, dump_room, checkpoint_room, pending;
};

tables take()
{
    return {headless_event_room(), headless_dump_room(), headless_checkpoint_room(), headless_pending_events()};
}

bool same(const tables& a, const tables& b)
{
    return a.event_room == b.event_room && a.dump_room == b.dump_room && a.checkpoint_room == b.checkpoint_room &&
           a.pending == b.pending;
}

bool blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// Characters of UTF-8 text: every byte that does not continue a sequence.
int characters(const char* begin, const char* end)
{
    int n = 0;
    for (const char* p = begin; p < end; ++p)
        n += (static_cast<uint8_t>(*p) & 0xC0) != 0x80;
    return n;
}

// What one line of an accepted script adds, from its event word alone.
void count_line(const char* begin, const char* end, script_count& count)
{
    const char* hash = static_cast<const char*>(std::memchr(begin, '#', static_cast<size_t>(end - begin)));
    if (hash != nullptr) end = hash;
    const char* words[4] = {};
    const char* ends[4] = {};
    int n = 0;
    const char* p = begin;
    while (p < end && n < 4) {
        while (p < end && blank(*p))
            ++p;
        if (p == end) break;
        if (n == 2 && ends[1] - words[1] == 4 && std::memcmp(words[1], "type", 4) == 0) {
            const char* last = end;
            while (last > p && blank(last[-1]))
                --last;
            count.events += characters(p, last);
            return;
        }
        words[n] = p;
        while (p < end && !blank(*p))
            ++p;
        ends[n++] = p;
    }
    if (n < 2) return;
    auto is = [&](int i, const char* word) {
        size_t length = std::strlen(word);
        return n > i && static_cast<size_t>(ends[i] - words[i]) == length && std::memcmp(words[i], word, length) == 0;
    };
    if (is(1, "click") || is(1, "rclick"))
        count.events += 3;
    else if (is(1, "dump"))
        ++count.dumps;
    else if (is(1, "check"))
        ++count.checkpoints;
    else if (is(1, "key") && is(2, "up") && is(3, "backspace"))
        return;  // Backspace going up does nothing
    else
        ++count.events;
}

script_count count_script(const char* text)
{
    script_count count {};
    for (const char* p = text; *p != 0;) {
        const char* end = std::strchr(p, '\n');
        if (end == nullptr) end = p + std::strlen(p);
        count_line(p, end, count);
        p = *end == '\n' ? end + 1 : end;
    }
    return count;
}

// Loads text and checks the promise against what the tables held before.
// Returns whether it was accepted.
bool load_and_check(const char* text, const script_count& expected)
{
    tables before = take();
    int line = -1;
    const char* error = nullptr;
    bool accepted = headless_load_script(text, line, error);
    tables after = take();
    FUZZ_CHECK(error != nullptr);
    if (!accepted) {
        FUZZ_CHECK(same(before, after));
        FUZZ_CHECK(line >= 1 && *error != 0);
        return false;
    }
    FUZZ_CHECK(line == 0 && *error == 0);
    FUZZ_CHECK(before.event_room - after.event_room == expected.events);
    FUZZ_CHECK(after.pending - before.pending == expected.events);
    FUZZ_CHECK(before.dump_room - after.dump_room == expected.dumps);
    FUZZ_CHECK(before.checkpoint_room - after.checkpoint_room == expected.checkpoints);
    return true;
}

// The text as the runner hands it over: terminated, and cut at a NUL byte
// (the runner refuses such a file before parsing).
char text[1 << 16];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    size_t length = size < sizeof text - 1 ? size : sizeof text - 1;
    std::memcpy(text, data, length);
    text[length] = 0;
    headless_reset();
    // Now and then the event table is nearly full already, so that a script
    // that does not fit is refused rather than cut short.
    if (size % 3 == 0) {
        int prefill = headless_max_events - static_cast<int>(size % 97);
        for (int i = 0; i < prefill; ++i)
            FUZZ_CHECK(headless_add_event({0, event_move, 0, 0, 0}));
    }
    script_count expected = count_script(text);
    if (load_and_check(text, expected)) {
        // Again: the same dumps and checkpoints are taken by now, so only a
        // script without them may be accepted a second time.
        if (load_and_check(text, expected)) FUZZ_CHECK(expected.dumps == 0 && expected.checkpoints == 0);
    }
    return 0;
}
