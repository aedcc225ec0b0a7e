// Sound: the sound and effect tables over the mixer's buffers. Sound slot n
// is mixer buffer n; effect slot s, copy c is mixer buffer 400 + 3s + c.

#include "sound/sound.h"

#include <cstdio>

#include "core/fatal.h"
#include "platform/platform.h"
#include "sound/mixer.h"

sound_buffer sound_table[sound_slots];
sound_buffer effect_table[effect_slots][effect_copies];
int32_t sound_count = 0;
int32_t effect_count = 0;
wave_reader* current_wave = nullptr;

// Two readers: a load opens the one current_wave is not, so a failed load
// keeps the previous reader as it was.
static wave_reader readers[2];

// The device: started at all, and whether an output device pulls from the
// mixer.
static bool started = false;
static bool device_open = false;

// The last refusal of a load: in plain words, and the step's failure name.
static const char* last_error = "";
static const char* last_step = "";

// Bytes read from a file per conversion step while filling a buffer.
constexpr int32_t fill_chunk = 4096;

// The step names of one table's loader.
struct loader_names {
    const char* open;      // the file is missing or refused
    const char* create;    // no slot or no buffer
};

static const loader_names sound_names = {"pWave-Open sounds", "CreateSoundBuffer"};
static const loader_names effect_names = {"pWave-Open music", "CreateMusicBuffer"};

static int32_t sound_mixer_buffer(int32_t slot)
{
    return slot;
}

static int32_t effect_mixer_buffer(int32_t slot, int32_t copy)
{
    return sound_slots + slot * effect_copies + copy;
}

static bool refuse(const loader_names& names, bool opening, const char* reason)
{
    last_step = opening ? names.open : names.create;
    last_error = reason;
    return false;
}

static void clear_tables()
{
    for (sound_buffer& entry : sound_table) entry = sound_buffer {};
    for (auto& slot : effect_table)
        for (sound_buffer& entry : slot) entry = sound_buffer {};
}

// Opens the file, fills mixer buffer `buffer` from it and fills entry. On
// any refusal nothing has changed.
static bool load_into(const loader_names& names, int32_t buffer, sound_buffer& entry,
                      const char* name)
{
    wave_reader& reader = current_wave == &readers[0] ? readers[1] : readers[0];
    if (!wave_open(reader, name)) return refuse(names, true, wave_error());
    const wave_format_record& format = *wave_format(reader);
    uint32_t frames = wave_data_size(reader) / format.block_align;
    if (frames == 0) {
        wave_close(reader);
        return refuse(names, false, "the file holds no samples");
    }
    int16_t* store = mixer_create(buffer, format.channels, format.samples_per_second, frames);
    if (store == nullptr) {
        wave_close(reader);
        return refuse(names, false, "out of memory for the samples");
    }

    // Copy the whole frames of the file into the buffer.
    wave_rewind(reader);
    uint32_t bytes_left = frames * format.block_align;
    uint32_t bytes_per_sample = format.bits_per_sample / 8;
    uint8_t chunk[fill_chunk];
    while (bytes_left > 0) {
        int32_t n = bytes_left < static_cast<uint32_t>(fill_chunk) ? static_cast<int32_t>(bytes_left) : fill_chunk;
        wave_read(reader, chunk, n);
        uint32_t samples = n / bytes_per_sample;
        mixer_convert(chunk, format.bits_per_sample, store, samples);
        store += samples;
        bytes_left -= n;
    }

    entry.filled = 1;
    entry.bytes = wave_data_size(reader);
    entry.format = format;
    if (current_wave != nullptr) wave_close(*current_wave);
    current_wave = &reader;
    last_error = "";
    last_step = "";
    return true;
}

bool start_sound(int32_t)
{
    if (started) return true;
    started = true;
    device_open = platform_open_audio(mixer_pull, nullptr);
    // No sound card is no reason to refuse to play: the mixer runs as before
    // and nothing pulls its output.
    if (!device_open) std::fprintf(stderr, "sound: no usable audio output device; playing silently\n");
    return true;
}

void release_sound()
{
    if (device_open) platform_close_audio();
    device_open = false;
    started = false;
    if (current_wave != nullptr) wave_close(*current_wave);
    current_wave = nullptr;
    wave_close(readers[0]);
    wave_close(readers[1]);
    mixer_release_all();
    clear_tables();
}

bool try_load_sound(int32_t& slot, const char* name)
{
    int32_t used = slot >= 0 && slot < sound_slots ? slot : sound_count;
    if (used >= sound_slots) {
        // Refused before the file is read: there is no slot to fill.
        return refuse(sound_names, false, "every sound slot is taken");
    }
    if (!load_into(sound_names, sound_mixer_buffer(used), sound_table[used], name)) return false;
    slot = used;
    if (sound_count < sound_slots) ++sound_count;
    return true;
}

bool try_load_effect(int32_t& slot, const char* name)
{
    int32_t used = slot == -1 ? effect_count : slot;
    if (slot == -1 && used >= effect_slots) return refuse(effect_names, false, "every effect slot is taken");
    if (used < 0 || used >= effect_slots) return refuse(effect_names, false, "the effect slot is not 0..99");
    sound_buffer* copies = effect_table[used];
    if (!load_into(effect_names, effect_mixer_buffer(used, 0), copies[0], name)) return false;
    // The copies beside copy 0 are emptied with it.
    for (int32_t c = 1; c < effect_copies; ++c) {
        mixer_release(effect_mixer_buffer(used, c));
        copies[c] = sound_buffer {};
    }
    slot = used;
    ++effect_count;
    return true;
}

bool load_sound(int32_t& slot, const char* name)
{
    if (try_load_sound(slot, name)) return true;
    fatal_error(main_window, last_step);
    return false;
}

bool load_effect(int32_t& slot, const char* name)
{
    if (try_load_effect(slot, name)) return true;
    fatal_error(main_window, last_step);
    return false;
}

const char* sound_error()
{
    return last_error;
}

const char* sound_failed_step()
{
    return last_step;
}

// The mixer buffer of a sound slot, or -1 when empty or out of range.
static int32_t sound_buffer_of(int32_t slot)
{
    if (slot < 0 || slot >= sound_slots || !sound_table[slot].filled) return -1;
    return sound_mixer_buffer(slot);
}

static int32_t effect_buffer_of(int32_t slot, int32_t copy)
{
    if (slot < 0 || slot >= effect_slots || copy < 0 || copy >= effect_copies) return -1;
    if (!effect_table[slot][copy].filled) return -1;
    return effect_mixer_buffer(slot, copy);
}

void play_sound(int32_t pan, int32_t volume, int32_t flags, int32_t slot)
{
    int32_t b = sound_buffer_of(slot);
    if (b < 0) return;
    mixer_rewind(b);
    mixer_set_pan(b, pan);
    mixer_set_volume(b, volume);
    mixer_play(b, (flags & sound_play_looping) != 0);
}

void stop_sound(int32_t slot)
{
    int32_t b = sound_buffer_of(slot);
    if (b >= 0) mixer_stop(b);
}

void set_sound_volume(int32_t slot, int32_t volume)
{
    int32_t b = sound_buffer_of(slot);
    if (b >= 0) mixer_set_volume(b, volume);
}

void release_sounds_from(int32_t first_sound, int32_t first_effect)
{
    if (first_sound < 0 || first_effect < 0) return;
    for (int32_t slot = first_sound; slot < sound_slots; ++slot) {
        if (sound_table[slot].filled) mixer_release(sound_mixer_buffer(slot));
        sound_table[slot] = sound_buffer {};
    }
    for (int32_t slot = first_effect; slot < effect_slots; ++slot)
        for (int32_t c = 0; c < effect_copies; ++c) {
            if (effect_table[slot][c].filled) mixer_release(effect_mixer_buffer(slot, c));
            effect_table[slot][c] = sound_buffer {};
        }
    if (sound_count > first_sound) sound_count = first_sound;
    if (effect_count > first_effect) effect_count = first_effect;
}

void set_sound_frequency(int32_t slot, uint32_t frequency)
{
    int32_t b = sound_buffer_of(slot);
    if (b >= 0) mixer_set_frequency(b, frequency);
}

bool sound_playing(int32_t slot)
{
    int32_t b = sound_buffer_of(slot);
    return b >= 0 && mixer_playing(b);
}

void play_effect(int32_t pan, int32_t volume, int32_t slot)
{
    if (effect_playing(slot, 0)) return;
    play_effect_copy(pan, volume, slot, 0);
}

void play_effect_copy(int32_t pan, int32_t volume, int32_t slot, int32_t copy)
{
    int32_t b = effect_buffer_of(slot, copy);
    if (b < 0) return;
    mixer_rewind(b);
    mixer_set_volume(b, volume);
    mixer_set_pan(b, pan);
    mixer_play(b, false);
}

void stop_effect(int32_t slot, int32_t copy)
{
    int32_t b = effect_buffer_of(slot, copy);
    if (b >= 0) mixer_stop(b);
}

bool effect_playing(int32_t slot, int32_t copy)
{
    int32_t b = effect_buffer_of(slot, copy);
    return b >= 0 && mixer_playing(b);
}
