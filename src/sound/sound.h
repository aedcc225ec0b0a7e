// Sound: the device, music and effects in static buffers.
#pragma once

#include <cstdint>

#include "sound/wave.h"

// Slots of the two tables.
constexpr int32_t sound_slots = 400;
constexpr int32_t effect_slots = 100;
constexpr int32_t effect_copies = 3;

// play_sound's flags: 1 plays in a loop, 0 once.
constexpr int32_t sound_play_looping = 1;

// One loaded buffer.
struct sound_buffer {
    uint8_t filled;              // 1 when the slot holds a buffer
    uint32_t bytes;              // the file's sample bytes
    wave_format_record format;   // the file's format record
};

// Single buffers (the music).
extern sound_buffer sound_table[sound_slots];
// Slots of three copies; load_effect fills copy 0.
extern sound_buffer effect_table[effect_slots][effect_copies];
// Next automatic slots; sound_count grows by 1 per load while below 400,
// effect_count by 1 per load.
extern int32_t sound_count;
extern int32_t effect_count;
// The reader of the most recent load; null before the first and after
// release_sound.
extern wave_reader* current_wave;

// Starts the sound device; false on failure (after its own report). A
// machine without a usable output device plays silently: one line on
// standard error says so and the result is still true. Called by the entry.
bool start_sound(int32_t window);

// Releases every buffer and the device; harmless when nothing is started.
void release_sound();

// Loads a WAV file into a sound slot: slot 0..399 is used as given, any
// other value takes the next automatic slot (sound_count), and the slot
// used is written back. Any failure goes through fatal_error with the name
// of the failed step and leaves every table as it was. Called by the game.
bool load_sound(int32_t& slot, const char* name);

// Loads a WAV file into copy 0 of an effect slot: -1 takes the next
// automatic slot (effect_count), any other value must be 0..99. Failures as
// load_sound. Called by the game.
bool load_effect(int32_t& slot, const char* name);

// The loads without the fatal report: false on a refusal, with every table
// as it was, sound_error() saying why and sound_failed_step() naming the
// step. For load_sound, load_effect and the data checker.
bool try_load_sound(int32_t& slot, const char* name);
bool try_load_effect(int32_t& slot, const char* name);
const char* sound_error();
const char* sound_failed_step();

// Rewinds the slot's buffer, sets pan and volume (hundredths of a decibel)
// and plays it, looping when flags has sound_play_looping. An empty slot is
// ignored, and so is a pan or volume out of range (the buffer keeps its
// setting).
void play_sound(int32_t pan, int32_t volume, int32_t flags, int32_t slot);
void stop_sound(int32_t slot);
// Sets the volume of a playing or stopped sound without rewinding it
// (hundredths of a decibel, -10000 silent .. 0 full); an empty slot or a
// volume out of range is ignored. The game's music key calls it.
void set_sound_volume(int32_t slot, int32_t volume);
// Releases every sound slot from first_sound and every effect slot from
// first_effect on (stopping what plays there) and lowers the automatic
// slot counts to them, so that a run of the game inside another loop (the
// map editor's test play) gives back what it loaded. Negative values do
// nothing.
void release_sounds_from(int32_t first_sound, int32_t first_effect);
// Playback rate in Hz (0: the file's own rate).
void set_sound_frequency(int32_t slot, uint32_t frequency);
bool sound_playing(int32_t slot);

// Plays copy 0 of an effect slot once, unless it is still playing: a
// playing effect is neither restarted nor changed. Called by the game.
void play_effect(int32_t pan, int32_t volume, int32_t slot);
// Rewinds one copy and plays it once with the given volume and pan.
void play_effect_copy(int32_t pan, int32_t volume, int32_t slot, int32_t copy);
void stop_effect(int32_t slot, int32_t copy);
bool effect_playing(int32_t slot, int32_t copy);
