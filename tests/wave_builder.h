// Hand-made WAV files for the sound tests: chunks assembled byte by byte so
// a test can build the canonical layout or any damaged variant of it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace wave_builder {

using bytes = std::vector<uint8_t>;

inline void put16(bytes& b, uint32_t v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}

inline void put32(bytes& b, uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// A format record; block align and byte rate follow from the rest unless
// given.
inline bytes fmt_body(int channels, int bits, uint32_t rate, int tag = 1, int block_align = -1)
{
    bytes b;
    int align = block_align >= 0 ? block_align : channels * bits / 8;
    put16(b, tag);
    put16(b, channels);
    put32(b, rate);
    put32(b, rate * align);
    put16(b, align);
    put16(b, bits);
    return b;
}

// One chunk; size_field overrides the stored size (the body stays as given).
inline bytes chunk(const char* id, const bytes& body, int64_t size_field = -1)
{
    bytes b(id, id + 4);
    put32(b, size_field >= 0 ? static_cast<uint32_t>(size_field) : static_cast<uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2 == 1 && size_field < 0) b.push_back(0);
    return b;
}

// RIFF/WAVE around the given chunks.
inline bytes riff(const std::vector<bytes>& chunks, const char* form = "WAVE")
{
    bytes inner(form, form + 4);
    for (const bytes& c : chunks) inner.insert(inner.end(), c.begin(), c.end());
    bytes b = {'R', 'I', 'F', 'F'};
    put32(b, static_cast<uint32_t>(inner.size()));
    b.insert(b.end(), inner.begin(), inner.end());
    return b;
}

// The canonical 44-byte layout around raw sample bytes.
inline bytes canonical(int channels, int bits, uint32_t rate, const bytes& samples)
{
    return riff({chunk("fmt ", fmt_body(channels, bits, rate)), chunk("data", samples)});
}

// 16-bit samples as little-endian bytes.
inline bytes samples16(const std::vector<int16_t>& values)
{
    bytes b;
    for (int16_t v : values) put16(b, static_cast<uint16_t>(v));
    return b;
}

// n copies of one 16-bit value (n samples, not frames).
inline bytes constant16(int16_t value, int n)
{
    return samples16(std::vector<int16_t>(n, value));
}

inline void write(const std::string& path, const bytes& b)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return;
    if (!b.empty()) std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
}

}  // namespace wave_builder
