// The monkey of the headless runner: random but plausible input for one run
// of a configuration, fed through the headless backend's event table, with
// a record of every event written as a runner script as the run goes, and a
// watchdog that ends a run whose loop stops presenting. Also the scratch copy
// of a data folder that monkey runs (and --scratch runs) work in.
#pragma once

#include <cstdint>

// Which screens the monkey aims at: one per configuration.
enum monkey_screens : int32_t {
    monkey_game,
    monkey_map_editor,
    monkey_sprite_editor,
};

// How a monkey run came to its end.
enum monkey_ending : int32_t {
    monkey_still_running,
    monkey_ended_by_escape,  // the monkey held Escape
    monkey_ended_by_close,   // the monkey closed the window
    monkey_ended_full,       // the run's record reached the script's limit of events
};

// Seconds of real time without a present after which a run is called hung.
constexpr unsigned monkey_hang_seconds = 60;

// Starts a run seeded with seed on the given screens: its own generator
// (never the program's), an empty record written to replay_path (which must
// not exist in a form worth keeping: it is replaced) and the watchdog armed.
// replay_note is written into the record's first lines, to say how to replay
// it. False, with a message on standard error, when the record cannot be
// created. The headless runner calls it before the run starts.
bool monkey_start(uint64_t seed, monkey_screens screens, const char* replay_path, const char* replay_note);

// Called after every pass with the pass that just ended: rearms the
// watchdog and adds the events of the next pass to the backend's table and
// to the record. True while the monkey wants the run to go on; false once
// its record is full (the runner then asks the loop to stop).
bool monkey_after_pass(int32_t pass);

// How the run ended as far as the monkey knows (still running until it held
// Escape, closed the window or filled its record).
monkey_ending monkey_end();

// Events the monkey gave so far.
int32_t monkey_event_count();

// Writes "# failure at pass <pass>: <reason>" and "# passes: <pass + 1>" to
// the end of the record and keeps it; the runner then exits non-zero.
void monkey_record_failure(int32_t pass, const char* reason);

// Ends a run that failed nowhere: disarms the watchdog and removes the
// record (keep: leaves it, for a look).
void monkey_finish(bool keep);

// --- Scratch data --------------------------------------------------------------

// Copies the folder data/ under source (the runner's --data folder) into a
// new folder under $TMPDIR (or /tmp) and stores that folder's name in
// folder (size bytes); the program then runs from there, so that nothing it
// saves reaches the source. False, with a message, when the copy fails.
bool make_scratch_copy(const char* source, char* folder, int size);

// Removes a scratch folder made by make_scratch_copy and all it holds.
void remove_scratch_copy(const char* folder);
