#include <gtest/gtest.h>

#include <cstdint>

#include "platform/pacing.h"

namespace {

// Ten simulated seconds of passes: each pass works for its time, then the
// pace decides; a synced show blocks until the display's next blank (the
// display's own, which the pace only learns from the shows' returns), and
// the pass then sleeps until its due time.
struct run_result {
    int passes = 0;
    int shown = 0;
    int synced = 0;               // shows that waited for a blank
    int64_t latest = 0;           // the most a pass started after its due time
    int64_t longest_unshown = 0;  // the longest stretch without a frame shown
};

run_result simulate(int64_t true_period, int64_t told_period, int64_t (*work)(int pass), int64_t interval)
{
    const int64_t seconds = 10, phase = 3777, start = 1000000;
    pacing p = start_pacing(told_period);
    set_pace_interval(p, interval);
    run_result r;
    int64_t t = start, last_show = start;
    while (t < start + seconds * 1000000) {
        t += work(r.passes);
        pace_step step = pace_pass(p, t);
        if (step.show) {
            if (step.synced) {
                ++r.synced;
                // The display's first blank at or after the call.
                int64_t k = (t - phase + true_period - 1) / true_period;
                t = phase + k * true_period;
                pace_shown(p, t);
            }
            if (t - last_show > r.longest_unshown) r.longest_unshown = t - last_show;
            last_show = t;
            ++r.shown;
        }
        // How far past its due time the pass ends its show.
        if (t - p.due > r.latest) r.latest = t - p.due;
        if (t < p.due) t = p.due;
        ++r.passes;
    }
    return r;
}

int64_t quick_work(int) { return 2000; }
int64_t brisk_work(int) { return 1500; }
int64_t mixed_work(int pass) { return 500 + (pass * 7919) % 8500; }  // 0.5 .. 9 ms
int64_t slow_work(int) { return 14000; }
int64_t editor_work(int) { return 30000; }  // the map editor's own pace

// Passes keep 100 a second whatever the display; with vertical sync their
// frames are shown at blanks that come before the next pass is due, at most
// once a refresh, and no show makes a pass late. A loop slower than the
// schedule (a machine too slow for the game, 14 ms passes; the map editor's
// own 30 ms) is not slowed further: it shows every frame at once. The
// game's speed changes the interval from a pass to the next, within a
// quarter to four times the normal pace, and the shows follow the display
// all the same.
TEST(Pacing, PassesKeepTheirScheduleAndShowsFollowTheDisplay)
{
    const int64_t hz60 = 16667, hz59 = 16683, hz144 = 6944, hz50 = 20000;
    const int64_t whenever = 1000000;
    const struct {
        const char* what;
        int64_t true_period, told_period;
        int64_t (*work)(int);
        int passes_low, passes_high;  // in ten seconds
        int shown_low, shown_high;
        int64_t latest;               // most a pass may end its wait late, us
        int64_t interval = 0;         // asked of set_pace_interval (0: normal)
    } cases[] = {
        {"no vertical sync", 0, 0, quick_work, 999, 1001, 999, 1001, 0},
        {"60 Hz", hz60, hz60, quick_work, 999, 1001, 400, 600, 0},
        {"59.94 Hz", hz59, hz59, quick_work, 999, 1001, 450, 600, 0},
        {"60 Hz, passes of 0.5 to 9 ms", hz60, hz60, mixed_work, 999, 1001, 200, 600, 0},
        {"144 Hz", hz144, hz144, quick_work, 999, 1001, 999, 1001, 0},
        {"50 Hz, passes of 0.5 to 9 ms", hz50, hz50, mixed_work, 999, 1001, 490, 501, 0},
        {"60 Hz measured a little fast", hz60, 16500, mixed_work, 999, 1001, 300, 606, 1000},
        {"60 Hz, passes of 14 ms", hz60, hz60, slow_work, 710, 715, 710, 715, whenever},
        {"60 Hz, passes of 30 ms", hz60, hz60, editor_work, 333, 334, 333, 334, whenever},
        {"a quarter of the pace, 60 Hz", hz60, hz60, quick_work, 249, 251, 249, 251, 0, 40000},
        {"four times the pace, 60 Hz", hz60, hz60, brisk_work, 3995, 4001, 590, 601, 2500, 2500},
        {"twice the pace, 60 Hz, passes of 0.5 to 9 ms", hz60, hz60, mixed_work, 1000, 2001, 200, 601, whenever, 5000},
        {"four times the pace, no vertical sync", 0, 0, brisk_work, 3999, 4001, 3999, 4001, 0, 2500},
        {"an interval beyond four times is kept at four", 0, 0, quick_work, 3999, 4001, 3999, 4001, 0, 500},
    };
    for (const auto& c : cases) {
        run_result r = simulate(c.true_period, c.told_period, c.work, c.interval);
        EXPECT_GE(r.passes, c.passes_low) << c.what;
        EXPECT_LE(r.passes, c.passes_high) << c.what;
        EXPECT_GE(r.shown, c.shown_low) << c.what;
        EXPECT_LE(r.shown, c.shown_high) << c.what;
        EXPECT_LE(r.latest, c.latest) << c.what;
        if (c.true_period > 0) {
            EXPECT_LE(r.synced, 10000000 / c.true_period + 1) << c.what;
        }
        EXPECT_LE(r.longest_unshown, longest_unshown_us + 15000) << c.what;
    }
}

}  // namespace
