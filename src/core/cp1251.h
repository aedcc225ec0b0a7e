// Russian text in code page 1251. Sources stay UTF-8; a literal written as
// "стоит"_cp is converted at compile time into the code page 1251 bytes that
// the font draws and the program compares. A character without a byte in the
// code page is a compile error.
#pragma once

#include <cstddef>

namespace cp1251_detail {

// Reached only by a bad literal: not constexpr, so compilation stops there.
inline void character_not_in_code_page_1251() {}

// A UTF-8 literal as a template argument.
template <std::size_t N>
struct utf8_literal {
    char text[N] {};
    consteval utf8_literal(const char (&s)[N])
    {
        for (std::size_t i = 0; i < N; ++i)
            text[i] = s[i];
    }
};

// The code page 1251 byte of a Unicode code point.
consteval unsigned char byte_of(unsigned code)
{
    if (code < 0x80) return static_cast<unsigned char>(code);
    if (code >= 0x410 && code <= 0x44F) return static_cast<unsigned char>(code - 0x410 + 0xC0);
    switch (code) {
    case 0x401: return 0xA8;   // Ё
    case 0x451: return 0xB8;   // ё
    case 0x2116: return 0xB9;  // №
    case 0x2014: return 0x97;  // —
    case 0x2013: return 0x96;  // –
    case 0xAB: return 0xAB;    // «
    case 0xBB: return 0xBB;    // »
    case 0xB0: return 0xB0;    // °
    }
    character_not_in_code_page_1251();
    return 0;
}

// The converted bytes, terminated; never longer than the UTF-8 source.
template <std::size_t N>
struct converted {
    char bytes[N] {};
};

template <utf8_literal S>
consteval auto convert()
{
    converted<sizeof S.text> out {};
    std::size_t o = 0;
    for (std::size_t i = 0; i < sizeof S.text && S.text[i] != 0;) {
        unsigned c = static_cast<unsigned char>(S.text[i]);
        unsigned code = 0;
        if (c < 0x80) { code = c; i += 1; }
        else if ((c & 0xE0) == 0xC0) {
            code = ((c & 0x1F) << 6) | (static_cast<unsigned char>(S.text[i + 1]) & 0x3F);
            i += 2;
        } else if ((c & 0xF0) == 0xE0) {
            code = ((c & 0x0F) << 12) | ((static_cast<unsigned char>(S.text[i + 1]) & 0x3F) << 6) |
                   (static_cast<unsigned char>(S.text[i + 2]) & 0x3F);
            i += 3;
        } else {
            character_not_in_code_page_1251();
        }
        out.bytes[o++] = static_cast<char>(byte_of(code));
    }
    return out;
}

template <utf8_literal S>
inline constexpr auto storage = convert<S>();

}  // namespace cp1251_detail

// "текст"_cp: a pointer to the terminated code page 1251 bytes of the text.
template <cp1251_detail::utf8_literal S>
consteval const char* operator""_cp()
{
    return cp1251_detail::storage<S>.bytes;
}
