// The undo history. The history keeps one copy of the watched tables as
// they were at the last step (the "committed" state); a commit compares the
// live tables with it and writes every record that differs into the journal
// as one change: [table, record, first word, word count, the old words, the
// new words, the change's length]. A step is a run of changes in the
// journal. Undo walks a step's changes backwards writing the old words (a
// record changed twice in one step gets its oldest words last), redo walks
// them forwards writing the new ones. The journal is a ring of words
// addressed by positions that only grow; the oldest steps give way when it
// is full.
#include "editor_kit/history.h"

#include <cstring>

// The watched tables, and where each one's words start in committed.
static watched_table tables[max_watched_tables];
static int32_t table_count = 0;
static int64_t committed_start[max_watched_tables];
// The watched tables as they were after the last step.
static uint32_t committed[history_copy_words];

// The journal; a position p is the word journal[p % history_journal_words].
static uint32_t journal[history_journal_words];
static_assert((history_journal_words & (history_journal_words - 1)) == 0, "positions wrap with a mask");

// One step: its changes lie at journal positions start..end-1; id names the
// state after it.
struct step_span {
    uint64_t start;
    uint64_t end;
    uint64_t id;
};
// The steps kept, oldest first from first_step (a ring of history_max_steps);
// the first applied_steps of them are applied, the rest were undone.
static step_span steps[history_max_steps];
static int32_t first_step = 0;
static int32_t step_count = 0;
static int32_t applied_steps = 0;
// Where the next step's changes go when there is no step to follow.
static uint64_t journal_end = 0;
// The state before the oldest step kept, and the next number to give.
static uint64_t base_id = 0;
static uint64_t next_id = 1;
// The newest step was just committed (not undone since): a commit may
// extend it.
static bool newest_open = false;

// The words a change takes besides its old and new words.
constexpr int32_t change_header = 4;
constexpr int32_t change_trailer = 1;

static uint32_t& word_at(uint64_t position)
{
    return journal[position & (history_journal_words - 1)];
}

static step_span& step(int32_t i)
{
    return steps[(first_step + i) % history_max_steps];
}

// The live words of record r of table t.
static uint8_t* live_record(int32_t t, int32_t r)
{
    return static_cast<uint8_t*>(tables[t].words) + static_cast<int64_t>(r) * tables[t].record_words * 4;
}

static uint32_t* committed_record(int32_t t, int32_t r)
{
    return committed + committed_start[t] + static_cast<int64_t>(r) * tables[t].record_words;
}

// Forgets the oldest step; the state before the next one is its.
static void forget_oldest()
{
    base_id = step(0).id;
    first_step = (first_step + 1) % history_max_steps;
    --step_count;
    --applied_steps;
}

void history_restart()
{
    for (int32_t t = 0; t < table_count; ++t)
        std::memcpy(committed + committed_start[t], tables[t].words,
                    static_cast<size_t>(tables[t].record_words) * tables[t].records * 4);
    first_step = step_count = applied_steps = 0;
    journal_end = 0;
    base_id = next_id++;
    newest_open = false;
}

bool history_watch(const watched_table* watched, int32_t count)
{
    history_stop();
    first_step = step_count = applied_steps = 0;
    if (count < 0 || count > max_watched_tables)
        return false;
    int64_t words = 0;
    for (int32_t t = 0; t < count; ++t) {
        const watched_table& w = watched[t];
        if (w.words == nullptr || w.record_words < 1 || w.records < 1)
            return false;
        committed_start[t] = words;
        words += static_cast<int64_t>(w.record_words) * w.records;
        if (words > history_copy_words)
            return false;
    }
    for (int32_t t = 0; t < count; ++t)
        tables[t] = watched[t];
    table_count = count;
    history_restart();
    return true;
}

void history_stop()
{
    table_count = 0;
    newest_open = false;
}

// --- Commit ---------------------------------------------------------------------

// The step being written by a commit: where it starts and where its next
// change goes; extending says it grows the newest step, overflowed that it
// no longer fits the journal.
struct step_writer {
    bool started;
    bool extending;
    bool overflowed;
    uint64_t start;
    uint64_t position;
};

// Opens the step at the first change found: after the last applied step
// (the undone ones are forgotten), or at the end of the newest when it is
// extended.
static void open_step(step_writer& w)
{
    w.started = true;
    if (w.extending) {
        w.start = step(step_count - 1).start;
        w.position = step(step_count - 1).end;
        return;
    }
    if (applied_steps > 0)
        w.position = step(applied_steps - 1).end;
    else if (step_count > 0)
        w.position = step(0).start;
    else
        w.position = journal_end;
    step_count = applied_steps;
    w.start = w.position;
}

// Makes room for need more words, forgetting the oldest steps; false when
// the step being written would have to go itself.
static bool make_room(const step_writer& w, int64_t need)
{
    for (;;) {
        uint64_t oldest = step_count > 0 ? step(0).start : w.start;
        if (w.position + static_cast<uint64_t>(need) - oldest <= static_cast<uint64_t>(history_journal_words))
            return true;
        if (step_count == 0 || (w.extending && step_count == 1))
            return false;
        forget_oldest();
    }
}

// Writes the change of record r of table t (words first..first+count-1) and
// brings its committed copy up to date.
static void write_change(step_writer& w, int32_t t, int32_t r, int32_t first, int32_t count)
{
    uint32_t* old_words = committed_record(t, r) + first;
    const uint8_t* new_words = live_record(t, r) + static_cast<int64_t>(first) * 4;
    int64_t length = change_header + 2 * static_cast<int64_t>(count) + change_trailer;
    if (!w.overflowed && !make_room(w, length))
        w.overflowed = true;
    if (!w.overflowed) {
        word_at(w.position++) = static_cast<uint32_t>(t);
        word_at(w.position++) = static_cast<uint32_t>(r);
        word_at(w.position++) = static_cast<uint32_t>(first);
        word_at(w.position++) = static_cast<uint32_t>(count);
        for (int32_t i = 0; i < count; ++i)
            word_at(w.position++) = old_words[i];
        for (int32_t i = 0; i < count; ++i) {
            uint32_t v;
            std::memcpy(&v, new_words + 4 * i, 4);
            word_at(w.position++) = v;
        }
        word_at(w.position++) = static_cast<uint32_t>(length);
    }
    std::memcpy(old_words, new_words, static_cast<size_t>(count) * 4);
}

// Finds the words of record r of table t that differ from the committed
// copy and writes them as one change; nothing when none differs.
static void compare_record(step_writer& w, int32_t t, int32_t r)
{
    const uint8_t* live = live_record(t, r);
    const uint32_t* copy = committed_record(t, r);
    int32_t words = tables[t].record_words;
    if (std::memcmp(live, copy, static_cast<size_t>(words) * 4) == 0)
        return;
    int32_t first = 0, last = words - 1;
    while (std::memcmp(live + 4 * first, copy + first, 4) == 0)
        ++first;
    while (std::memcmp(live + 4 * last, copy + last, 4) == 0)
        --last;
    if (!w.started)
        open_step(w);
    write_change(w, t, r, first, last - first + 1);
}

// Records blocks of this many records are compared whole before record by
// record.
constexpr int32_t compare_block = 64;

bool history_commit(bool extend)
{
    step_writer w {false, extend && newest_open && step_count > 0 && applied_steps == step_count, false, 0, 0};
    for (int32_t t = 0; t < table_count; ++t) {
        const watched_table& table = tables[t];
        size_t record_bytes = static_cast<size_t>(table.record_words) * 4;
        if (std::memcmp(table.words, committed + committed_start[t], record_bytes * table.records) == 0)
            continue;
        for (int32_t r = 0; r < table.records; r += compare_block) {
            int32_t n = table.records - r < compare_block ? table.records - r : compare_block;
            if (std::memcmp(live_record(t, r), committed_record(t, r), record_bytes * n) == 0)
                continue;
            for (int32_t i = r; i < r + n; ++i)
                compare_record(w, t, i);
        }
    }
    if (!w.started)
        return false;
    if (w.overflowed) {
        // The change is bigger than the journal: no undo reaches across it.
        first_step = step_count = applied_steps = 0;
        journal_end = w.position;
        base_id = next_id++;
        newest_open = false;
        return true;
    }
    if (w.extending) {
        step(step_count - 1).end = w.position;
        step(step_count - 1).id = next_id++;
    } else {
        if (step_count == history_max_steps)
            forget_oldest();
        step(step_count) = step_span {w.start, w.position, next_id++};
        ++step_count;
        ++applied_steps;
    }
    journal_end = w.position;
    newest_open = true;
    return true;
}

// --- Undo and redo ----------------------------------------------------------------

// Writes back one change at position (its first word): its old words (undo)
// or new words (redo), into the live table and the committed copy.
static void apply_change(uint64_t position, bool old_words, history_record_changed changed)
{
    int32_t t = static_cast<int32_t>(word_at(position));
    int32_t r = static_cast<int32_t>(word_at(position + 1));
    int32_t first = static_cast<int32_t>(word_at(position + 2));
    int32_t count = static_cast<int32_t>(word_at(position + 3));
    // The journal holds only what commits wrote; a change that does not fit
    // the tables would be a fault of this file, and is passed over.
    if (t < 0 || t >= table_count || r < 0 || r >= tables[t].records || first < 0 || count < 1 ||
        first + count > tables[t].record_words)
        return;
    uint64_t from = position + change_header + (old_words ? 0 : count);
    uint8_t* live = live_record(t, r) + static_cast<int64_t>(first) * 4;
    uint32_t* copy = committed_record(t, r) + first;
    for (int32_t i = 0; i < count; ++i) {
        uint32_t v = word_at(from + i);
        std::memcpy(live + 4 * i, &v, 4);
        copy[i] = v;
    }
    if (changed != nullptr)
        changed(t, r);
}

bool history_undo(history_record_changed changed)
{
    history_commit(false);
    if (table_count == 0 || applied_steps == 0)
        return false;
    const step_span s = step(applied_steps - 1);
    // Last change first, so that a record changed twice ends with its
    // oldest words.
    for (uint64_t end = s.end; end > s.start;) {
        uint64_t length = word_at(end - 1);
        if (length < change_header + 2 + change_trailer || length > end - s.start)
            break;
        end -= length;
        apply_change(end, true, changed);
    }
    --applied_steps;
    newest_open = false;
    return true;
}

bool history_redo(history_record_changed changed)
{
    history_commit(false);
    if (table_count == 0 || applied_steps == step_count)
        return false;
    const step_span s = step(applied_steps);
    for (uint64_t p = s.start; p < s.end;) {
        uint64_t count = word_at(p + 3);
        apply_change(p, false, changed);
        p += change_header + 2 * count + change_trailer;
    }
    ++applied_steps;
    newest_open = false;
    return true;
}

int32_t history_undo_steps()
{
    return applied_steps;
}

int32_t history_redo_steps()
{
    return step_count - applied_steps;
}

uint64_t history_state()
{
    return applied_steps > 0 ? step(applied_steps - 1).id : base_id;
}
