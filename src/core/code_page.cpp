// Code page 1251 <-> UTF-8 conversion.
#include "core/code_page.h"

// Code points of the bytes 0x80..0xBF (0 for 0x98, which is unassigned).
// 0xC0..0xFF are А..я in order, U+0410..U+044F.
static const uint16_t upper_half[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

uint32_t cp1251_to_unicode(uint8_t byte)
{
    if (byte < 0x80) return byte;
    if (byte >= 0xC0) return 0x0410u + (byte - 0xC0u);
    return upper_half[byte - 0x80];
}

bool unicode_to_cp1251(uint32_t code, uint8_t& byte)
{
    if (code < 0x80) {
        byte = static_cast<uint8_t>(code);
        return true;
    }
    if (code >= 0x0410 && code <= 0x044F) {
        byte = static_cast<uint8_t>(0xC0 + (code - 0x0410));
        return true;
    }
    for (int i = 0; i < 64; ++i) {
        if (upper_half[i] != 0 && upper_half[i] == code) {
            byte = static_cast<uint8_t>(0x80 + i);
            return true;
        }
    }
    return false;
}

bool decode_utf8(const char* text, uint32_t& code, int& used)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    used = 1;
    code = 0;
    unsigned c = s[0];
    int length = 0;
    uint32_t minimum = 0;
    if (c < 0x80) {
        code = c;
        return true;
    } else if ((c & 0xE0) == 0xC0) {
        length = 2;
        code = c & 0x1F;
        minimum = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3;
        code = c & 0x0F;
        minimum = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4;
        code = c & 0x07;
        minimum = 0x10000;
    } else {
        return false;
    }
    for (int i = 1; i < length; ++i) {
        // A terminator is not a continuation byte, so this never reads past it.
        if ((s[i] & 0xC0) != 0x80) return false;
        code = (code << 6) | (s[i] & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    used = length;
    return true;
}

int utf8_to_cp1251(const char* text, char* out, int capacity)
{
    if (capacity <= 0) return 0;
    int written = 0;
    while (*text != 0) {
        uint32_t code = 0;
        int used = 1;
        bool valid = decode_utf8(text, code, used);
        text += used;
        uint8_t byte = 0;
        if (!valid || !unicode_to_cp1251(code, byte)) continue;
        if (written + 1 >= capacity) break;
        out[written++] = static_cast<char>(byte);
    }
    out[written] = 0;
    return written;
}

int encode_utf8(uint32_t code, char (&bytes)[3])
{
    if (code < 0x80) {
        bytes[0] = static_cast<char>(code);
        return 1;
    }
    if (code < 0x800) {
        bytes[0] = static_cast<char>(0xC0 | (code >> 6));
        bytes[1] = static_cast<char>(0x80 | (code & 0x3F));
        return 2;
    }
    bytes[0] = static_cast<char>(0xE0 | ((code >> 12) & 0x0F));
    bytes[1] = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    bytes[2] = static_cast<char>(0x80 | (code & 0x3F));
    return 3;
}

int cp1251_to_utf8(const char* text, char* out, int capacity)
{
    if (capacity <= 0) return 0;
    int written = 0;
    for (const auto* s = reinterpret_cast<const unsigned char*>(text); *s != 0; ++s) {
        uint32_t code = cp1251_to_unicode(*s);
        if (code == 0) code = 0xFFFD;  // the unassigned byte shows as a replacement mark
        char bytes[3];
        const int length = encode_utf8(code, bytes);
        if (written + length >= capacity) break;
        for (int i = 0; i < length; ++i)
            out[written++] = bytes[i];
    }
    out[written] = 0;
    return written;
}
