// A small PNG writer for frame dumps: 8-bit RGB, no filtering, the image
// data in uncompressed deflate blocks. Needs no library.
#pragma once

#include <cstddef>
#include <cstdint>

// CRC-32 (the PNG and zip polynomial) of bytes, continued from crc (start
// with 0).
uint32_t png_crc32(uint32_t crc, const uint8_t* bytes, size_t count);

// Adler-32 of bytes, continued from adler (start with 1).
uint32_t png_adler32(uint32_t adler, const uint8_t* bytes, size_t count);

// Writes a frame of 5:6:5 pixels (rows pitch_bytes apart) as an RGB PNG file,
// each channel widened to 8 bits. False when the size is not 1..4096 or the
// file cannot be written completely. The headless backend's dumps call it.
bool write_png_565(const char* path, const uint16_t* pixels, int width, int height, int pitch_bytes);
