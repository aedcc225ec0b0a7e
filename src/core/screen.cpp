// The screen size. Kept alone in its file, so that a test may define its
// own pair instead.
#include "core/screen.h"

int32_t screen_width = 1024;
int32_t screen_height = 768;
