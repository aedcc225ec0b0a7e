// The editors' undo history: the tables an editor edits, watched as plain
// 32-bit words, and each step between two of their states kept as the words
// that changed, old and new, never as a copy of the tables.
#pragma once

#include <cstdint>

// One table the history watches: records of record_words 32-bit words each,
// laid end to end (a terrain cell, a unit, a frame, a roll).
struct watched_table {
    void* words;           // the live table, as the editor edits it
    int32_t record_words;  // 32-bit words of one record
    int32_t records;       // records in the table
};

// The most tables one editor watches.
constexpr int max_watched_tables = 8;
// The words of all watched tables together may not pass this (the map
// editor's layers and unit table take some 330,000).
constexpr int64_t history_copy_words = 1 << 19;
// The journal of steps holds this many words; when it is full the oldest
// steps are forgotten. A changed record takes 5 words plus twice the words
// that changed, so a stroke over 50 cells of a map takes some 600.
constexpr int64_t history_journal_words = 1 << 20;
// The most steps kept, however small.
constexpr int history_max_steps = 1024;

// Called for every record an undo or a redo writes back, so that the editor
// can redraw what depends on it (the map editor's overview).
using history_record_changed = void (*)(int32_t table, int32_t record);

// Watches count tables (at most max_watched_tables, history_copy_words
// words in all) from now on: their present contents are the state the
// history starts from, with no steps. False, nothing watched, when they do
// not fit. Each editor calls it as it starts.
bool history_watch(const watched_table* tables, int32_t count);

// Stops watching: no tables, so no commit, undo or redo does anything; the
// counts of steps stay readable (the headless runner's summary) until the
// next watch. Each editor calls it as it ends.
void history_stop();

// Forgets every step and takes the tables as they are now as the state the
// history starts from. New and open (a new map, a file loaded) call it:
// undo never goes back across them.
void history_restart();

// Records what changed in the tables since the last step (or start) as a
// new step, and forgets the steps that were undone. With extend set and the
// last step the newest, the changes join that step instead. True when
// anything had changed. A step larger than the whole journal cannot be
// kept: the history then restarts from the state after it. The map editor
// calls it once no mouse button is held (a stroke is one step), the sprite
// editor after every pass.
bool history_commit(bool extend = false);

// Undoes the last step: its records get their old words back, and changed
// is called for each (when not null). Changes not yet committed are
// committed first, so the undo takes them back. False when there is no
// step to undo. Ctrl+Z.
bool history_undo(history_record_changed changed);

// Redoes the step undone last: its records get their new words again.
// False when there is none. Ctrl+Y and Ctrl+Shift+Z.
bool history_redo(history_record_changed changed);

// Steps that can be undone, and steps that can be redone.
int32_t history_undo_steps();
int32_t history_redo_steps();

// A number naming the tables' committed state: equal numbers are the same
// state (an undo gives back the number before the step), a new step gets a
// number never given before. The map editor compares it with the number at
// its last save to know whether there are unsaved changes.
uint64_t history_state();
