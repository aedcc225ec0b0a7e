// Code page 1251 and UTF-8: the program's strings are code page 1251 bytes,
// the machine's text (typed characters, message boxes, the terminal) is
// UTF-8. Both backends convert at their boundary with these.
#pragma once

#include <cstdint>

// The Unicode code point of a code page 1251 byte; 0 for the one byte that
// has no character (0x98).
uint32_t cp1251_to_unicode(uint8_t byte);

// The code page 1251 byte of a code point; false when the code page has none.
bool unicode_to_cp1251(uint32_t code, uint8_t& byte);

// Decodes one UTF-8 sequence at text; writes the code point and the bytes
// used. A malformed or truncated sequence uses one byte and gives false.
bool decode_utf8(const char* text, uint32_t& code, int& used);

// Writes the UTF-8 bytes of a code point below 0x10000 (every code page 1251
// character is one) to bytes; returns how many, 1 to 3. The conversion below
// and the file layer's names use it.
int encode_utf8(uint32_t code, char (&bytes)[3]);

// Converts terminated UTF-8 text to terminated code page 1251 bytes in out
// (capacity bytes including the terminator); characters without a byte and
// malformed sequences are dropped, and the result is cut to fit. Returns the
// bytes written without the terminator. The SDL backend's text input and the
// headless script's typed text use it.
int utf8_to_cp1251(const char* text, char* out, int capacity);

// Converts terminated code page 1251 bytes to terminated UTF-8 in out, cut
// at a whole character to fit capacity. Returns the bytes written without the
// terminator. Message boxes and the headless report use it.
int cp1251_to_utf8(const char* text, char* out, int capacity);
