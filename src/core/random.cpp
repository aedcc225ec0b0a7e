#include "core/random.h"

// The generator's state; 1 at program start.
static uint32_t state = 1;

int random_draw()
{
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
}

int random_range(int lo, int hi)
{
    int draw = random_draw();
    if (hi <= lo)
        return lo;
    return lo + draw % (hi - lo);
}

uint32_t random_state()
{
    return state;
}

void set_random_state(uint32_t value)
{
    state = value;
}
