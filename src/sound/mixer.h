// The mixer: static PCM buffers played with volume, pan, frequency and
// looping, mixed into the device format (44,100 Hz stereo 16-bit).
#pragma once

#include <cstdint>

// Buffers the mixer holds: the 400 sound slots and 100 effect slots of
// three copies each.
constexpr int mixer_buffer_count = 400 + 100 * 3;

// Attenuation and pan, in hundredths of a decibel.
constexpr int32_t mixer_silent = -10000;     // quietest volume: no sound at all
constexpr int32_t mixer_full = 0;            // loudest volume
constexpr int32_t mixer_pan_left = -10000;   // right side silent
constexpr int32_t mixer_pan_right = 10000;   // left side silent

// Playback rates set_frequency accepts (0 means the buffer's own rate).
constexpr uint32_t mixer_min_frequency = 100;
constexpr uint32_t mixer_max_frequency = 200000;

// The most frames one mixing pass produces; longer pulls run in passes.
constexpr int mixer_pass_frames = 1024;

// Makes buffer (0..mixer_buffer_count-1) a stopped buffer of frames frames
// of 1 or 2 channels at rate, at full volume, centred, replacing whatever it
// held. Returns its 16-bit sample store (frames x channels samples) for the
// caller to fill before playing it; null when the arguments are bad or
// memory is short, and then the buffer keeps what it held. Main thread.
int16_t* mixer_create(int buffer, int channels, uint32_t rate, uint32_t frames);

// Converts samples PCM samples of 8 bits (unsigned) or 16 bits (signed,
// little-endian) into 16-bit samples. Used to fill a store from a file.
void mixer_convert(const uint8_t* pcm, int bits, int16_t* out, uint32_t samples);

// Stops and frees one buffer, or every buffer. Main thread.
void mixer_release(int buffer);
void mixer_release_all();

// True when buffer holds samples.
bool mixer_holds(int buffer);

// Starts the buffer from where it stands (looping when loop is set); on a
// playing buffer only the looping changes. Nothing for an empty buffer.
void mixer_play(int buffer, bool loop);
void mixer_stop(int buffer);
// Puts the buffer back on its first frame.
void mixer_rewind(int buffer);

// Volume (mixer_silent..0) and pan (-10000..10000), in hundredths of a
// decibel: the pan attenuates the other side by that much. A value out of
// range is refused (false) and the buffer keeps its setting.
bool mixer_set_volume(int buffer, int32_t volume);
bool mixer_set_pan(int buffer, int32_t pan);
// Playback rate in Hz (mixer_min_frequency..mixer_max_frequency, or 0 for
// the buffer's own rate); false and unchanged otherwise.
bool mixer_set_frequency(int buffer, uint32_t frequency);

// The buffer's state; false, 0 for an empty buffer.
bool mixer_playing(int buffer);
int32_t mixer_volume(int buffer);
int32_t mixer_pan(int buffer);
uint32_t mixer_frequency(int buffer);

// Mixes frames stereo frames of every playing buffer into out (interleaved
// left, right), saturating. Runs on the audio thread with the audio lock
// held (through mixer_pull); tests and the silent device call it directly.
// Never allocates.
void mixer_mix(int16_t* out, int frames);

// The pull function handed to platform_open_audio.
void mixer_pull(int16_t* out, int frames, void* user);
