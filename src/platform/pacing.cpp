// The schedule of passes and the choice of the frames shown with vertical
// sync.
#include "platform/pacing.h"

pacing start_pacing(int64_t blank_period)
{
    pacing p;
    p.blank_period = blank_period > 0 ? blank_period : 0;
    return p;
}

int64_t next_blank(const pacing& p, int64_t now)
{
    if (!p.blank_seen || p.blank_period <= 0) return now;
    // At least one period after the last blank: a blank already shown at is
    // never shown at again.
    int64_t periods = 1;
    if (now > p.last_blank + p.blank_period)
        periods = (now - p.last_blank + p.blank_period - 1) / p.blank_period;
    return p.last_blank + periods * p.blank_period;
}

void set_pace_interval(pacing& p, int64_t interval)
{
    if (interval <= 0) interval = pass_interval_us;
    if (interval < shortest_pass_interval_us) interval = shortest_pass_interval_us;
    if (interval > longest_pass_interval_us) interval = longest_pass_interval_us;
    p.interval = interval;
}

pace_step pace_pass(pacing& p, int64_t now)
{
    int64_t due = now;
    if (p.scheduled) {
        due = p.due + p.interval;
        // Far behind (a slow frame, a dialog's wait): start again from now.
        if (now - due >= p.interval) due = now;
    }
    p.due = due;
    const bool first = !p.scheduled;
    p.scheduled = true;

    pace_step step {true, p.blank_period > 0};
    if (p.blank_period > 0 && !first) {
        const int64_t blank = next_blank(p, now);
        const bool late = now >= due;
        const bool starved = now - p.last_shown >= longest_unshown_us;
        if (p.interval < pass_interval_us) {
            // Faster than the normal pace (the game's speed): a blank shows
            // the frame of the first pass that can wait for it before the
            // next pass is due. The pass ends a little late, and the passes
            // after it, shorter than the interval, catch up.
            if (blank <= due + p.interval) {
            } else if (starved) {
                step.synced = false;
            } else {
                step.show = false;
            }
        } else if (blank <= due || (late && blank - now <= late_show_slack_us)) {
            // In time for the next pass (or as good as a late pass gets).
        } else if (late) {
            // A pass already late cannot wait for the display.
            step.synced = false;
        } else if (starved && blank - due <= realign_slack_us) {
            // The schedule moves to the blank: a little later, once.
            p.due = blank;
        } else if (starved) {
            step.synced = false;
        } else {
            step.show = false;
        }
    }
    if (step.show) p.last_shown = now;
    return step;
}

void pace_shown(pacing& p, int64_t returned)
{
    // The schedule starts from the first blank: a pass then ends at a blank
    // whenever the display's period is a multiple of the schedule's (50 Hz).
    if (!p.blank_seen && p.due < returned) p.due = returned;
    p.last_blank = returned;
    p.blank_seen = true;
}
