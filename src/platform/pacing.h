// The pace of the passes and of the frames shown: passes keep a schedule of
// 100 a second, and where the display offers vertical sync a pass's frame
// is shown only when the next vertical blank comes before the next pass is
// due, so the picture never tears and the game is never slowed. The SDL
// backend's present asks it; no SDL here, so tests run it on simulated
// times. All times are microseconds of a steady clock.
#pragma once

#include <cstdint>

// The schedule: one pass every 10 ms, unless the game's speed asks for
// another interval within these bounds (a quarter to four times the pace).
constexpr int64_t pass_interval_us = 10000;
constexpr int64_t shortest_pass_interval_us = 2500;
constexpr int64_t longest_pass_interval_us = 40000;
// A pass that is late anyway shows its frame when the blank is this near.
constexpr int64_t late_show_slack_us = 1000;
// A frame is shown at least this often, whatever the work of the passes.
constexpr int64_t longest_unshown_us = 100000;
// After that long without a frame, a pass on time may end this much later
// to show at a blank, the schedule moving with it.
constexpr int64_t realign_slack_us = 2000;

// What the pace keeps from pass to pass.
struct pacing {
    int64_t interval = pass_interval_us;  // from one pass to the next
    int64_t blank_period = 0;      // the display's refresh period; 0: no vertical sync
    int64_t due = 0;               // when the pass being ended may give way to the next
    int64_t last_blank = 0;        // the latest vertical blank seen (a synced show's return)
    int64_t last_shown = 0;        // when a frame was last sent to be shown
    bool scheduled = false;        // a pass has been scheduled before
    bool blank_seen = false;       // last_blank holds a blank
};

// What to do at the end of a pass; then sleep until the pacing's due time
// (no sleep when it has passed).
struct pace_step {
    bool show;    // send the pass's frame to the screen now
    bool synced;  // and wait for the vertical blank (with vertical sync only)
};

// Starts a pace for a display with the given refresh period (0: none, or
// no vertical sync): nothing scheduled, no blank seen. Called when video
// starts.
pacing start_pacing(int64_t blank_period);

// Sets the time from one pass to the next, kept within
// shortest_pass_interval_us .. longest_pass_interval_us; 0 or less gives
// back the normal 10 ms. The schedule goes on from the pass being run.
void set_pace_interval(pacing& p, int64_t interval);

// The end of a pass at time now: schedules it (the interval after the last one;
// a pass late by a whole interval or more starts the schedule again from
// now, rather than rushing to catch up) and decides whether its frame is
// shown. Without vertical sync every frame is shown. With it, a pass on
// time shows its frame, synced, when the next blank (the first after the
// last one seen, at or after now) comes by its due time: the show returns
// at that blank, so the next pass starts on time and at most one frame a
// refresh is shown; otherwise the frame is dropped. A pass already late (a
// loop slower than the schedule, as the editors' own 10 and 30 ms passes,
// or a machine too slow for it) cannot wait: it shows synced when the blank
// is within late_show_slack_us, else unsynced, at once. After
// longest_unshown_us without a frame (the blanks keep falling while the
// passes work), a pass on time whose blank is within realign_slack_us of
// its due time shows synced and the schedule goes on from that blank, so
// the blanks fall at due times again; otherwise it shows unsynced. At an
// interval shorter than the normal one (the game sped up), a pass shows
// synced when the next blank comes before the next pass is due, ending
// late by less than an interval (the passes after it catch up), and drops
// its frame otherwise, unless no frame was shown for longest_unshown_us.
// Called
// by the SDL backend's present.
pace_step pace_pass(pacing& p, int64_t now);

// A synced show returned at time returned: the vertical blank it waited
// for. The first one also starts the schedule from it. Called by the SDL
// backend's present after showing with vertical sync.
void pace_shown(pacing& p, int64_t returned);

// The first vertical blank after the last one seen that lies at or after
// now; now itself when none has been seen.
int64_t next_blank(const pacing& p, int64_t now);
