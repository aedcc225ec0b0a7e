// The push button of the editors and dialogs, drawn and polled in one call.
#pragma once

#include <cstdint>

// The width draw_button centres a label by: the sum of its glyph widths
// plus one pixel per byte (bytes without a glyph count their pixel too).
int32_t text_width(const char* text);

// Draws a grey button with its label centred, sunk while the left button is
// held over it, and answers whether the left button was released inside it
// since the last control took that release (which it then consumes, so one
// click activates one button). Every editor screen calls it.
bool draw_button(int32_t x, int32_t y, int32_t w, int32_t h, const char* label);
