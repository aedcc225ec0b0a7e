// The mixer: every buffer keeps its samples as 16-bit integers; a pass adds
// the playing buffers into a float accumulator (resampling by linear
// interpolation when the buffer's rate is not the device's) and then
// converts it to 16-bit with saturation.
//
// Threads: the main loop changes buffers only between platform_lock_audio
// and platform_unlock_audio; the audio thread mixes with that lock held
// (the platform takes it around every pull). Memory is allocated and freed
// on the main thread only, outside the mixing.

#include "sound/mixer.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace {

// One static buffer.
struct mixer_voice {
    int16_t* samples;     // frames x channels samples; null when empty
    uint32_t frames;      // length in frames
    int channels;         // 1 or 2
    uint32_t rate;        // the samples' own rate
    uint32_t frequency;   // playback rate
    uint64_t position;    // playing position in frames, 32.32 fixed point
    uint64_t step;        // position advance per device frame, 32.32
    int32_t volume;       // hundredths of a decibel, mixer_silent..0
    int32_t pan;          // hundredths of a decibel, -10000..10000
    float gain_left;      // amplitude factors from volume and pan
    float gain_right;
    bool playing;         // being mixed
    bool looping;         // starts over at the end instead of stopping
};

}  // namespace

// Every buffer.
static mixer_voice voices[mixer_buffer_count];

// The playing buffers, in the order they started; the audio thread drops
// one that ends.
static int active[mixer_buffer_count];
static int active_count = 0;

// The accumulator of one pass (audio thread only).
static float accumulator[mixer_pass_frames * 2];

constexpr uint64_t one_frame = uint64_t {1} << 32;

static bool valid(int buffer)
{
    return buffer >= 0 && buffer < mixer_buffer_count;
}

static bool filled(int buffer)
{
    return valid(buffer) && voices[buffer].samples != nullptr;
}

// Amplitude of an attenuation in hundredths of a decibel; silent at -10000
// and below.
static float amplitude(int32_t hundredths)
{
    if (hundredths <= mixer_silent) return 0.0f;
    return static_cast<float>(std::pow(10.0, hundredths / 2000.0));
}

static void update_gains(mixer_voice& v)
{
    int32_t left = v.volume - (v.pan > 0 ? v.pan : 0);
    int32_t right = v.volume + (v.pan < 0 ? v.pan : 0);
    v.gain_left = amplitude(left);
    v.gain_right = amplitude(right);
}

static uint64_t step_for(uint32_t frequency)
{
    return (static_cast<uint64_t>(frequency) << 32) / audio_rate;
}

static void remove_active(int buffer)
{
    for (int i = 0; i < active_count; ++i) {
        if (active[i] == buffer) {
            std::memmove(active + i, active + i + 1, (active_count - i - 1) * sizeof active[0]);
            --active_count;
            return;
        }
    }
}

// Detaches a buffer's samples under the lock; the caller frees them after.
static int16_t* detach(int buffer)
{
    mixer_voice& v = voices[buffer];
    int16_t* old = v.samples;
    if (v.playing) remove_active(buffer);
    v = mixer_voice {};
    return old;
}

int16_t* mixer_create(int buffer, int channels, uint32_t rate, uint32_t frames)
{
    if (!valid(buffer) || (channels != 1 && channels != 2) || rate == 0 || frames == 0) return nullptr;
    size_t bytes = static_cast<size_t>(frames) * channels * sizeof(int16_t);
    int16_t* store = static_cast<int16_t*>(std::malloc(bytes));
    if (store == nullptr) return nullptr;
    std::memset(store, 0, bytes);

    mixer_voice fresh {};
    fresh.samples = store;
    fresh.frames = frames;
    fresh.channels = channels;
    fresh.rate = rate;
    fresh.frequency = rate;
    fresh.step = step_for(rate);
    update_gains(fresh);

    platform_lock_audio();
    int16_t* old = detach(buffer);
    voices[buffer] = fresh;
    platform_unlock_audio();
    std::free(old);
    return store;
}

void mixer_convert(const uint8_t* pcm, int bits, int16_t* out, uint32_t samples)
{
    if (bits == 8) {
        for (uint32_t i = 0; i < samples; ++i)
            out[i] = static_cast<int16_t>((pcm[i] - 128) * 256);
    } else {
        for (uint32_t i = 0; i < samples; ++i)
            out[i] = static_cast<int16_t>(pcm[2 * i] | (pcm[2 * i + 1] << 8));
    }
}

void mixer_release(int buffer)
{
    if (!valid(buffer)) return;
    platform_lock_audio();
    int16_t* old = detach(buffer);
    platform_unlock_audio();
    std::free(old);
}

void mixer_release_all()
{
    for (int b = 0; b < mixer_buffer_count; ++b)
        if (voices[b].samples != nullptr) mixer_release(b);
}

bool mixer_holds(int buffer)
{
    return filled(buffer);
}

void mixer_play(int buffer, bool loop)
{
    if (!filled(buffer)) return;
    platform_lock_audio();
    mixer_voice& v = voices[buffer];
    v.looping = loop;
    if (!v.playing) {
        v.playing = true;
        active[active_count++] = buffer;
    }
    platform_unlock_audio();
}

void mixer_stop(int buffer)
{
    if (!filled(buffer)) return;
    platform_lock_audio();
    if (voices[buffer].playing) {
        voices[buffer].playing = false;
        remove_active(buffer);
    }
    platform_unlock_audio();
}

void mixer_rewind(int buffer)
{
    if (!filled(buffer)) return;
    platform_lock_audio();
    voices[buffer].position = 0;
    platform_unlock_audio();
}

bool mixer_set_volume(int buffer, int32_t volume)
{
    if (!filled(buffer) || volume < mixer_silent || volume > mixer_full) return false;
    platform_lock_audio();
    voices[buffer].volume = volume;
    update_gains(voices[buffer]);
    platform_unlock_audio();
    return true;
}

bool mixer_set_pan(int buffer, int32_t pan)
{
    if (!filled(buffer) || pan < mixer_pan_left || pan > mixer_pan_right) return false;
    platform_lock_audio();
    voices[buffer].pan = pan;
    update_gains(voices[buffer]);
    platform_unlock_audio();
    return true;
}

bool mixer_set_frequency(int buffer, uint32_t frequency)
{
    if (!filled(buffer)) return false;
    if (frequency != 0 && (frequency < mixer_min_frequency || frequency > mixer_max_frequency))
        return false;
    platform_lock_audio();
    mixer_voice& v = voices[buffer];
    v.frequency = frequency == 0 ? v.rate : frequency;
    v.step = step_for(v.frequency);
    platform_unlock_audio();
    return true;
}

bool mixer_playing(int buffer)
{
    if (!filled(buffer)) return false;
    platform_lock_audio();
    bool playing = voices[buffer].playing;
    platform_unlock_audio();
    return playing;
}

int32_t mixer_volume(int buffer)
{
    return filled(buffer) ? voices[buffer].volume : 0;
}

int32_t mixer_pan(int buffer)
{
    return filled(buffer) ? voices[buffer].pan : 0;
}

uint32_t mixer_frequency(int buffer)
{
    return filled(buffer) ? voices[buffer].frequency : 0;
}

// --- Mixing (audio thread) -----------------------------------------------

// Adds n frames read one for one from frame `first` (no resampling).
static void add_direct(const mixer_voice& v, uint32_t first, float* __restrict acc, int n)
{
    const float gl = v.gain_left;
    const float gr = v.gain_right;
    if (v.channels == 1) {
        const int16_t* __restrict s = v.samples + first;
        for (int k = 0; k < n; ++k) {
            float x = s[k];
            acc[2 * k] += x * gl;
            acc[2 * k + 1] += x * gr;
        }
    } else {
        const int16_t* __restrict s = v.samples + 2 * static_cast<size_t>(first);
        for (int k = 0; k < n; ++k) {
            acc[2 * k] += s[2 * k] * gl;
            acc[2 * k + 1] += s[2 * k + 1] * gr;
        }
    }
}

// Adds n frames interpolated between neighbouring frames; every frame
// reached (and its successor) lies inside the buffer.
static void add_interpolated(const mixer_voice& v, uint64_t position, float* __restrict acc, int n)
{
    const float gl = v.gain_left;
    const float gr = v.gain_right;
    const uint64_t step = v.step;
    const int16_t* __restrict s = v.samples;
    constexpr float fraction_unit = 1.0f / 4294967296.0f;
    if (v.channels == 1) {
        for (int k = 0; k < n; ++k) {
            uint32_t i = static_cast<uint32_t>(position >> 32);
            float f = static_cast<float>(static_cast<uint32_t>(position)) * fraction_unit;
            float a = s[i];
            float x = a + (s[i + 1] - a) * f;
            acc[2 * k] += x * gl;
            acc[2 * k + 1] += x * gr;
            position += step;
        }
    } else {
        for (int k = 0; k < n; ++k) {
            size_t i = static_cast<size_t>(position >> 32) * 2;
            float f = static_cast<float>(static_cast<uint32_t>(position)) * fraction_unit;
            float l = s[i];
            float r = s[i + 1];
            acc[2 * k] += (l + (s[i + 2] - l) * f) * gl;
            acc[2 * k + 1] += (r + (s[i + 3] - r) * f) * gr;
            position += step;
        }
    }
}

// The last frame interpolates towards the first when looping, otherwise it
// holds its value.
static void add_last_frame(const mixer_voice& v, float* acc)
{
    uint32_t last = v.frames - 1;
    uint32_t next = v.looping ? 0 : last;
    float f = static_cast<float>(static_cast<uint32_t>(v.position)) * (1.0f / 4294967296.0f);
    int c = v.channels;
    float l = v.samples[last * c];
    float r = v.samples[last * c + c - 1];
    float nl = v.samples[next * c];
    float nr = v.samples[next * c + c - 1];
    acc[0] += (l + (nl - l) * f) * v.gain_left;
    acc[1] += (r + (nr - r) * f) * v.gain_right;
}

// Mixes up to n frames of one voice into acc; false when it ended.
static bool mix_voice(mixer_voice& v, float* acc, int n)
{
    const uint64_t end = static_cast<uint64_t>(v.frames) << 32;
    const uint64_t interior = static_cast<uint64_t>(v.frames - 1) << 32;
    int done = 0;
    while (done < n) {
        if (v.position >= end) {
            if (!v.looping) {
                v.position = 0;
                return false;
            }
            v.position %= end;
        }
        int want = n - done;
        int count;
        if (v.step == one_frame && static_cast<uint32_t>(v.position) == 0) {
            uint32_t first = static_cast<uint32_t>(v.position >> 32);
            uint32_t left = v.frames - first;
            count = want < static_cast<int64_t>(left) ? want : static_cast<int>(left);
            add_direct(v, first, acc + 2 * done, count);
        } else if (v.position < interior) {
            uint64_t frames_inside = (interior - v.position + v.step - 1) / v.step;
            count = frames_inside < static_cast<uint64_t>(want) ? static_cast<int>(frames_inside) : want;
            add_interpolated(v, v.position, acc + 2 * done, count);
        } else {
            count = 1;
            add_last_frame(v, acc + 2 * done);
        }
        v.position += v.step * count;
        done += count;
    }
    if (v.position >= end && !v.looping) {
        v.position = 0;
        return false;
    }
    return true;
}

static void mix_pass(int16_t* out, int frames)
{
    float* acc = accumulator;
    std::memset(acc, 0, sizeof(float) * 2 * frames);
    for (int i = 0; i < active_count;) {
        int b = active[i];
        if (mix_voice(voices[b], acc, frames)) {
            ++i;
        } else {
            voices[b].playing = false;
            std::memmove(active + i, active + i + 1, (active_count - i - 1) * sizeof active[0]);
            --active_count;
        }
    }
    for (int i = 0; i < 2 * frames; ++i) {
        float x = acc[i];
        x = x > 32767.0f ? 32767.0f : x;
        x = x < -32768.0f ? -32768.0f : x;
        out[i] = static_cast<int16_t>(static_cast<int32_t>(x + (x >= 0.0f ? 0.5f : -0.5f)));
    }
}

void mixer_mix(int16_t* out, int frames)
{
    while (frames > 0) {
        int n = frames < mixer_pass_frames ? frames : mixer_pass_frames;
        mix_pass(out, n);
        out += 2 * n;
        frames -= n;
    }
}

void mixer_pull(int16_t* out, int frames, void*)
{
    mixer_mix(out, frames);
}
