// WAV files: a reader that holds one PCM file whole in memory and hands out
// its samples.
#pragma once

#include <cstdint>

// The largest WAV file the reader takes (a few minutes of CD-quality music
// fit many times over).
constexpr int64_t max_wave_file_bytes = 256 * 1024 * 1024;

// The format record of a PCM file, as the "fmt " chunk stores it.
struct wave_format_record {
    uint16_t format_tag;                 // 1 for PCM (0xFFFE with a PCM subformat)
    uint16_t channels;                   // 1 mono, 2 stereo
    uint32_t samples_per_second;         // frames a second
    uint32_t average_bytes_per_second;   // as stored; not used
    uint16_t block_align;                // bytes of one frame
    uint16_t bits_per_sample;            // 8 (unsigned) or 16 (signed)
};

// One open file. The loaders make one per load (current_wave).
struct wave_reader {
    uint8_t* view = nullptr;         // the whole file; none when closed
    int64_t file_bytes = 0;          // how many bytes view holds
    wave_format_record format {};    // the checked format record
    uint32_t data_offset = 0;        // file offset of the first sample byte (44 canonically)
    uint32_t cursor = 0;             // file offset of the next sample byte
    uint32_t data_size = 0;          // sample bytes, cut to what the file holds
    uint32_t data_claimed = 0;       // sample bytes the data chunk states (more when cut short)

    wave_reader() = default;
    wave_reader(const wave_reader&) = delete;
    wave_reader& operator=(const wave_reader&) = delete;
    // Destroying a reader closes it.
    ~wave_reader();
};

// Closes whatever the reader holds, reads the file whole and checks it: a
// RIFF/WAVE file whose "fmt " chunk (16 bytes or more, before the "data"
// chunk) says PCM, 1 or 2 channels, 8 or 16 bits, a non-zero rate and the
// matching block align. False when the file is missing or refused;
// wave_error() then says why. Called by the sound loaders and the checker.
bool wave_open(wave_reader& reader, const char* name);

// Frees the file and clears every field; harmless on a closed reader.
void wave_close(wave_reader& reader);

// Puts the cursor back on the first sample byte (nothing when closed).
void wave_rewind(wave_reader& reader);

// Copies up to n sample bytes from the cursor into destination and returns
// how many came from the file; the rest of the n bytes is filled with
// silence (128 for 8-bit data, 0 for 16-bit). 0, writing nothing, when the
// reader is closed or everything was read.
int32_t wave_read(wave_reader& reader, uint8_t* destination, int32_t n);

// The sample bytes of the open file, or 0 when closed.
uint32_t wave_data_size(const wave_reader& reader);

// The sample bytes the open file's data chunk states, or 0 when closed: more
// than wave_data_size when the file ends before its samples do (the sound
// then plays what is there). The data checker warns of it.
uint32_t wave_data_claimed(const wave_reader& reader);

// The format record of the open file, or null when closed.
const wave_format_record* wave_format(const wave_reader& reader);

// Why the last wave_open refused its file, in plain words ("" after a
// success). For the loaders' own reason and the data checker.
const char* wave_error();
