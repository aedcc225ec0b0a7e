// WAV files: the whole file is read into memory and its RIFF chunks are
// walked to find "fmt " and "data", so files with extra chunks or a longer
// format chunk load as well as the canonical 44-byte layout.

#include "sound/wave.h"

#include <cstdlib>
#include <cstring>

#include "core/byte_reader.h"
#include "core/file_access.h"

// Why the last wave_open refused its file.
static const char* last_error = "";

// The PCM subformat of a WAVE_FORMAT_EXTENSIBLE record, after its first
// two bytes (which hold the format tag 1).
static const uint8_t pcm_subformat_tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                               0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

static bool refuse(const char* reason)
{
    last_error = reason;
    return false;
}

static bool has_tag(const uint8_t* at, const char* tag)
{
    return std::memcmp(at, tag, 4) == 0;
}

// Reads and checks the body of a "fmt " chunk of size bytes at r.pos.
static bool read_format(byte_reader& r, uint32_t size, wave_format_record& format)
{
    if (size < 16) return refuse("the fmt chunk is shorter than 16 bytes");
    if (!r.has(16)) return refuse("the fmt chunk runs past the end of the file");
    int64_t start = r.pos;
    format.format_tag = static_cast<uint16_t>(r.u16());
    format.channels = static_cast<uint16_t>(r.u16());
    format.samples_per_second = r.u32();
    format.average_bytes_per_second = r.u32();
    format.block_align = static_cast<uint16_t>(r.u16());
    format.bits_per_sample = static_cast<uint16_t>(r.u16());

    bool pcm = format.format_tag == 1;
    if (format.format_tag == 0xFFFE && size >= 40 && r.has(24)) {
        // WAVE_FORMAT_EXTENSIBLE: extra size, valid bits, channel mask, then
        // the subformat; PCM when it is the PCM identifier.
        const uint8_t* sub = r.data + start + 24;
        pcm = sub[0] == 1 && sub[1] == 0 && std::memcmp(sub + 2, pcm_subformat_tail, 14) == 0;
    }
    if (!pcm) return refuse("the samples are not PCM");
    if (format.channels != 1 && format.channels != 2)
        return refuse("the file is neither mono nor stereo");
    if (format.bits_per_sample != 8 && format.bits_per_sample != 16)
        return refuse("the samples are neither 8 nor 16 bits");
    if (format.samples_per_second == 0) return refuse("the sample rate is 0");
    if (format.block_align != format.channels * format.bits_per_sample / 8)
        return refuse("the block align does not match the channels and bits");
    return true;
}

// Whether a "fmt " chunk follows a data chunk of size bytes whose body
// starts at r.pos: the two reasons a data chunk without a format before it
// can have.
static bool format_follows(byte_reader r, uint32_t size)
{
    int64_t skip = static_cast<int64_t>(size) + (size & 1);
    if (!r.has(skip))
        return false;
    r.skip(skip);
    while (r.has(8)) {
        const uint8_t* id = r.data + r.pos;
        r.skip(4);
        uint32_t next = r.u32();
        if (has_tag(id, "fmt "))
            return true;
        skip = static_cast<int64_t>(next) + (next & 1);
        if (!r.has(skip))
            return false;
        r.skip(skip);
    }
    return false;
}

// Walks the chunks after the RIFF header; fills the reader's format and
// data fields. The data chunk ends the walk.
static bool walk_chunks(wave_reader& reader)
{
    byte_reader r {reader.view, reader.file_bytes};
    if (reader.file_bytes < 12 || !has_tag(reader.view, "RIFF") || !has_tag(reader.view + 8, "WAVE"))
        return refuse("not a RIFF/WAVE file");
    r.skip(12);
    bool have_format = false;
    while (r.has(8)) {
        const uint8_t* id = r.data + r.pos;
        r.skip(4);
        uint32_t size = r.u32();
        if (has_tag(id, "fmt ")) {
            int64_t body = r.pos;
            if (!read_format(r, size, reader.format)) return false;
            have_format = true;
            r.pos = body;
        } else if (has_tag(id, "data")) {
            if (!have_format)
                return refuse(format_follows(r, size) ? "the data chunk comes before the fmt chunk"
                                                      : "the file has no fmt chunk");
            int64_t present = reader.file_bytes - r.pos;
            reader.data_offset = static_cast<uint32_t>(r.pos);
            // A size past the end of the file is cut to the bytes present.
            reader.data_size = size <= present ? size : static_cast<uint32_t>(present);
            reader.data_claimed = size;
            return true;
        }
        // Chunks are padded to an even length.
        int64_t skip = static_cast<int64_t>(size) + (size & 1);
        if (!r.has(skip))
            return refuse("a chunk runs past the end of the file before the data chunk");
        r.skip(skip);
    }
    if (!have_format) return refuse("the file has no fmt chunk");
    return refuse("the file has no data chunk");
}

wave_reader::~wave_reader()
{
    wave_close(*this);
}

bool wave_open(wave_reader& reader, const char* name)
{
    wave_close(reader);
    file_id file = open_read(name);
    if (file == invalid_file) return refuse(file_problem_text(last_file_problem()));
    int64_t size = file_size(file);
    if (size < 0) {
        close_file(file);
        return refuse("the file cannot be read");
    }
    if (size > max_wave_file_bytes) {
        close_file(file);
        return refuse("the file is larger than 256 MiB");
    }
    uint8_t* bytes = static_cast<uint8_t*>(std::malloc(size > 0 ? size : 1));
    if (bytes == nullptr) {
        close_file(file);
        return refuse("out of memory for the file");
    }
    int64_t got = size > 0 ? read_bytes(file, bytes, static_cast<int>(size)) : 0;
    close_file(file);
    if (got != size) {
        std::free(bytes);
        return refuse("the file cannot be read");
    }
    reader.view = bytes;
    reader.file_bytes = size;
    if (!walk_chunks(reader)) {
        wave_close(reader);
        return false;
    }
    reader.cursor = reader.data_offset;
    last_error = "";
    return true;
}

void wave_close(wave_reader& reader)
{
    std::free(reader.view);
    reader.view = nullptr;
    reader.file_bytes = 0;
    reader.format = {};
    reader.data_offset = 0;
    reader.cursor = 0;
    reader.data_size = 0;
    reader.data_claimed = 0;
}

void wave_rewind(wave_reader& reader)
{
    if (reader.view != nullptr) reader.cursor = reader.data_offset;
}

int32_t wave_read(wave_reader& reader, uint8_t* destination, int32_t n)
{
    if (reader.view == nullptr || n <= 0) return 0;
    uint32_t end = reader.data_offset + reader.data_size;
    if (reader.cursor >= end) return 0;
    uint32_t left = end - reader.cursor;
    if (static_cast<uint32_t>(n) <= left) {
        std::memcpy(destination, reader.view + reader.cursor, n);
        reader.cursor += n;
        return n;
    }
    std::memcpy(destination, reader.view + reader.cursor, left);
    uint8_t silence = reader.format.bits_per_sample == 8 ? 128 : 0;
    std::memset(destination + left, silence, n - left);
    reader.cursor += left;
    return static_cast<int32_t>(left);
}

uint32_t wave_data_size(const wave_reader& reader)
{
    return reader.view != nullptr ? reader.data_size : 0;
}

uint32_t wave_data_claimed(const wave_reader& reader)
{
    return reader.view != nullptr ? reader.data_claimed : 0;
}

const wave_format_record* wave_format(const wave_reader& reader)
{
    return reader.view != nullptr ? &reader.format : nullptr;
}

const char* wave_error()
{
    return last_error;
}
