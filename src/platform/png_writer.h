// PNG files of 5:6:5 frames, written through libpng: 8-bit RGB, compressed.
// The headless backend's dumps and the game's screenshots use it.
#pragma once

#include <cstdint>

// The largest width or height written.
constexpr int png_max_side = 4096;

// Writes a frame of 5:6:5 pixels (rows pitch_bytes apart) as an RGB PNG file,
// each channel widened to 8 bits. False when the size is not
// 1..png_max_side, the pitch is shorter than a row, or the file cannot be
// written completely; a file that failed half-way is removed.
bool write_png_565(const char* path, const uint16_t* pixels, int width, int height, int pitch_bytes);
