// Fuzz target of the WAV reader and the sound loader over it. Each input is
// written to a file; wave_open must either refuse it with a reason or give a
// PCM format and a data range inside the file, whose bytes wave_read then
// hands out exactly once. The sound loader must then load the same file into
// a slot, which plays, or refuse it leaving the slot as it was.
#include <cstring>

#include "fuzz_support.h"
#include "sound/mixer.h"
#include "sound/sound.h"
#include "sound/wave.h"

namespace {

wave_reader reader;

void check_reader(const uint8_t* data, size_t size)
{
    if (!wave_open(reader, fuzz::input_path())) {
        FUZZ_CHECK(wave_error()[0] != 0);
        FUZZ_CHECK(wave_format(reader) == nullptr && wave_data_size(reader) == 0);
        return;
    }
    FUZZ_CHECK(wave_error()[0] == 0);
    const wave_format_record& f = *wave_format(reader);
    FUZZ_CHECK(f.channels == 1 || f.channels == 2);
    FUZZ_CHECK(f.bits_per_sample == 8 || f.bits_per_sample == 16);
    FUZZ_CHECK(f.block_align == f.channels * f.bits_per_sample / 8);
    FUZZ_CHECK(f.samples_per_second != 0);
    FUZZ_CHECK(reader.file_bytes == static_cast<int64_t>(size));
    FUZZ_CHECK(static_cast<uint64_t>(reader.data_offset) + reader.data_size <= size);
    // Read it all in uneven pieces: the bytes come back in order, then
    // silence, then nothing.
    uint8_t piece[777];
    uint32_t taken = 0;
    for (;;) {
        int32_t got = wave_read(reader, piece, sizeof piece);
        FUZZ_CHECK(got >= 0 && got <= static_cast<int32_t>(sizeof piece));
        if (got == 0)
            break;
        FUZZ_CHECK(std::memcmp(piece, data + reader.data_offset + taken, got) == 0);
        uint8_t silence = f.bits_per_sample == 8 ? 128 : 0;
        for (size_t i = got; i < sizeof piece; ++i)
            FUZZ_CHECK(piece[i] == silence);
        taken += got;
    }
    FUZZ_CHECK(taken == reader.data_size);
    wave_close(reader);
}

void check_sound_loader()
{
    sound_buffer before = sound_table[0];
    bool held = mixer_holds(0);
    int32_t count = sound_count;
    int32_t slot = 0;
    if (try_load_sound(slot, fuzz::input_path())) {
        FUZZ_CHECK(slot == 0 && sound_table[0].filled == 1 && mixer_holds(0));
        FUZZ_CHECK(sound_table[0].bytes >= sound_table[0].format.block_align);
        // Played in a loop, at whatever rate the file gives: the mixer must
        // stay inside the samples.
        play_sound(0, 0, sound_play_looping, 0);
        int16_t out[2 * 300];
        mixer_mix(out, 300);
        mixer_mix(out, 300);
        stop_sound(0);
    } else {
        FUZZ_CHECK(sound_error()[0] != 0 && sound_failed_step()[0] != 0);
        const sound_buffer& now = sound_table[0];
        FUZZ_CHECK(now.filled == before.filled && now.bytes == before.bytes);
        FUZZ_CHECK(std::memcmp(&now.format, &before.format, sizeof before.format) == 0);
        FUZZ_CHECK(mixer_holds(0) == held && sound_count == count);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_CHECK(fuzz::write_input(data, size));
    check_reader(data, size);
    check_sound_loader();
    return 0;
}
