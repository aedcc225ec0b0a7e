// Bounds-checked little-endian reading from a file held in memory. Loaders
// read a whole file, check it with a byte_reader, and only then change their
// tables; a read past the end yields 0 and clears ok, never touching memory
// outside the buffer.
#pragma once

#include <cstdint>

struct byte_reader {
    const uint8_t* data;  // the file's bytes
    int64_t size;         // how many there are
    int64_t pos = 0;      // the next byte to read
    bool ok = true;       // false once a read ran past the end

    bool has(int64_t n) const { return n >= 0 && pos <= size && size - pos >= n; }

    uint32_t u8()
    {
        if (!has(1)) return fail();
        return data[pos++];
    }

    uint32_t u16()
    {
        if (!has(2)) return fail();
        uint32_t v = data[pos] | (data[pos + 1] << 8);
        pos += 2;
        return v;
    }

    uint32_t u32()
    {
        if (!has(4)) return fail();
        uint32_t v = data[pos] | (data[pos + 1] << 8) | (data[pos + 2] << 16) |
                     (static_cast<uint32_t>(data[pos + 3]) << 24);
        pos += 4;
        return v;
    }

    int32_t i32() { return static_cast<int32_t>(u32()); }

    void skip(int64_t n)
    {
        if (!has(n)) { fail(); return; }
        pos += n;
    }

private:
    uint32_t fail()
    {
        ok = false;
        pos = size;
        return 0;
    }
};
