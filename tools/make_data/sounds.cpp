// Music and effects, synthesised: data/music/music.wav (a 40-second piece
// in D minor for plucked strings, pad, bass and frame drum that loops without
// a click) and data/sounds/sword1..3.wav (metal strikes), Odead.wav (an
// orc's low death cry) and Hdead.wav (a human's, higher).
#include <cmath>
#include <cstdio>
#include <cstring>

#include "make_data.h"

constexpr int rate = 22050;
constexpr float pi = 3.14159265f;

// Frequency of a note written like "D5", "C#4" or "Bb3"; 0 when unreadable.
static float note_frequency(const char* name)
{
    static const int steps[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G from C
    if (name[0] < 'A' || name[0] > 'G') return 0;
    int semitone = steps[name[0] - 'A'];
    int i = 1;
    if (name[i] == '#') ++semitone, ++i;
    else if (name[i] == 'b') --semitone, ++i;
    if (name[i] < '0' || name[i] > '9') return 0;
    int midi = 12 * (name[i] - '0' + 1) + semitone;
    return 440.0f * std::pow(2.0f, (midi - 69) / 12.0f);
}

// Adds a mono signal into a stereo loop buffer at a pan (-1 left .. 1 right),
// wrapping past the end, so notes ringing over the loop point continue at
// its start.
static void add_wrapped(std::vector<float>& loop, int start, const std::vector<float>& note, float pan)
{
    int frames = static_cast<int>(loop.size() / 2);
    float left = std::sqrt(0.5f * (1 - pan)), right = std::sqrt(0.5f * (1 + pan));
    for (size_t i = 0; i < note.size(); ++i) {
        int at = (start + static_cast<int>(i)) % frames;
        loop[2 * at] += note[i] * left;
        loop[2 * at + 1] += note[i] * right;
    }
}

// A plucked string (Karplus-Strong): a burst of noise in a delay line that
// is averaged on every pass.
static std::vector<float> pluck(float frequency, float seconds, float brightness, tool_random& rng)
{
    std::vector<float> out(static_cast<size_t>(seconds * rate));
    int length = static_cast<int>(rate / frequency);
    std::vector<float> line(length);
    float smooth = 0;
    for (float& v : line) {
        smooth = lerp(smooth, rng.signed_unit(), brightness);
        v = smooth;
    }
    for (size_t i = 0; i < out.size(); ++i) {
        int a = i % length, b = (i + 1) % length;
        float v = line[a];
        line[a] = 0.996f * 0.5f * (line[a] + line[b]);
        float fade = i + 400 > out.size() ? (out.size() - i) / 400.0f : 1;
        float attack = i < 40 ? i / 40.0f : 1;
        out[i] = v * fade * attack;
    }
    return out;
}

// A soft pad: three detuned saws through a gentle low-pass, slow in and out.
static std::vector<float> pad(float frequency, float seconds)
{
    std::vector<float> out(static_cast<size_t>(seconds * rate));
    float phase[3] = {0, 0.3f, 0.6f};
    static const float detune[3] = {0.996f, 1.0f, 1.004f};
    float low = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = static_cast<float>(i) / rate;
        float v = 0;
        for (int k = 0; k < 3; ++k) {
            phase[k] += frequency * detune[k] / rate;
            phase[k] -= std::floor(phase[k]);
            v += 2 * phase[k] - 1;
        }
        low = lerp(low, v / 3, 0.08f);
        float envelope = smoothstep(0, 0.6f, t) * smoothstep(seconds, seconds - 0.8f, t);
        out[i] = low * envelope;
    }
    return out;
}

// A round bass note: a sine with a little of its octave.
static std::vector<float> bass(float frequency, float seconds)
{
    std::vector<float> out(static_cast<size_t>(seconds * rate));
    for (size_t i = 0; i < out.size(); ++i) {
        float t = static_cast<float>(i) / rate;
        float v = std::sin(2 * pi * frequency * t) + 0.3f * std::sin(4 * pi * frequency * t);
        float envelope = smoothstep(0, 0.01f, t) * std::exp(-2.2f * t) * smoothstep(seconds, seconds - 0.05f, t);
        out[i] = v * envelope;
    }
    return out;
}

// A frame drum: a falling sine for the boom, a little noise for the skin.
static std::vector<float> drum(float pitch, float seconds, float noise, tool_random& rng)
{
    std::vector<float> out(static_cast<size_t>(seconds * rate));
    float phase = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = static_cast<float>(i) / rate;
        phase += pitch * (1 + 1.5f * std::exp(-t * 30)) / rate;
        float v = std::sin(2 * pi * phase) * std::exp(-t * 9) + noise * rng.signed_unit() * std::exp(-t * 60);
        out[i] = v * smoothstep(0, 0.002f, t) * smoothstep(seconds, seconds - 0.02f, t);
    }
    return out;
}

// A feedback comb over a loop: run twice, so the echoes of the end reach the
// start and the loop stays seamless.
static void loop_echo(std::vector<float>& loop, int delay_frames, float gain)
{
    int frames = static_cast<int>(loop.size() / 2);
    std::vector<float> out(loop.size(), 0.0f);
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < frames; ++i) {
            int from = ((i - delay_frames) % frames + frames) % frames;
            // The two channels cross over in the echo for a little width.
            out[2 * i] = loop[2 * i] + gain * out[2 * from + 1];
            out[2 * i + 1] = loop[2 * i + 1] + gain * out[2 * from];
        }
    loop = out;
}

// Scales to a peak of peak and converts to 16-bit samples.
static std::vector<int16_t> to_pcm(const std::vector<float>& signal, float peak)
{
    float largest = 1e-6f;
    for (float v : signal) largest = std::fmax(largest, std::fabs(v));
    std::vector<int16_t> pcm(signal.size());
    for (size_t i = 0; i < signal.size(); ++i)
        pcm[i] = static_cast<int16_t>(std::lround(signal[i] / largest * peak * 32767));
    return pcm;
}

// The tune: one token per eighth note, "-" holds, "." rests; 16 bars.
static const char* const melody =
    "D5 - F5 A5 G5 - F5 E5  D5 - - - A4 - C5 D5 "
    "E5 - G5 E5 C5 - D5 E5  G5 - F5 E5 D5 - C5 - "
    "D5 - F5 D5 Bb4 - C5 D5  F5 - E5 D5 C5 - Bb4 - "
    "A4 - C#5 E5 A5 - G5 E5  C#5 - - - E5 - - - "
    "A5 - - G5 F5 - E5 F5  D5 - - - F5 E5 D5 C5 "
    "C5 - E5 G5 C6 - Bb5 A5  G5 - - - E5 - G5 - "
    "F5 - D5 F5 Bb5 - A5 G5  F5 - D5 - Bb4 - D5 - "
    "E5 - C#5 E5 A5 - G5 F5  E5 - - - - - . . ";

// Chords, two bars each: the bass root and three pad and arpeggio notes.
struct chord {
    const char* root;
    const char* notes[3];
};
static const chord chords[4] = {
    {"D2", {"D3", "F3", "A3"}},
    {"C2", {"C3", "E3", "G3"}},
    {"Bb1", {"Bb2", "D3", "F3"}},
    {"A1", {"A2", "C#3", "E3"}},
};

static bool make_music()
{
    constexpr int beat = 13824;  // frames per beat: about 96 beats a minute
    constexpr int eighth = beat / 2;
    constexpr int bars = 16;
    constexpr int frames = bars * 4 * beat;
    std::vector<float> loop(2 * frames, 0.0f);
    tool_random rng{20240607};
    float beat_seconds = static_cast<float>(beat) / rate;

    // Melody on a bright pluck, a little right.
    const char* p = melody;
    for (int step = 0; step < bars * 8; ++step) {
        char token[8];
        int n = 0;
        while (*p == ' ') ++p;
        while (*p && *p != ' ' && n < 7) token[n++] = *p++;
        token[n] = 0;
        if (n == 0) {
            std::fprintf(stderr, "make_data: the tune is short\n");
            return false;
        }
        float f = note_frequency(token);
        if (f > 0) add_wrapped(loop, step * eighth, pluck(f, 2.2f, 0.7f, rng), 0.25f);
    }
    for (int bar = 0; bar < bars; ++bar) {
        const chord& c = chords[(bar / 2) % 4];
        int start = bar * 4 * beat;
        // Arpeggio on a darker pluck, left: up and down the chord.
        static const int pattern[8] = {0, 1, 2, 1, 0, 2, 1, 2};
        for (int k = 0; k < 8; ++k) {
            float f = note_frequency(c.notes[pattern[k]]) * (k >= 4 ? 2 : 1);
            std::vector<float> n = pluck(f, 1.2f, 0.35f, rng);
            for (float& v : n) v *= 0.45f;
            add_wrapped(loop, start + k * eighth, n, -0.45f);
        }
        // Bass on beats 1 and 3.
        for (int b : {0, 2}) {
            std::vector<float> n = bass(note_frequency(c.root) * (b == 2 ? 1.5f : 1), beat_seconds * 1.8f);
            for (float& v : n) v *= 0.55f;
            add_wrapped(loop, start + b * beat, n, 0);
        }
        // Pad over each pair of bars.
        if (bar % 2 == 0)
            for (const char* name : c.notes) {
                std::vector<float> n = pad(note_frequency(name) * 2, beat_seconds * 8.5f);
                for (float& v : n) v *= 0.12f;
                add_wrapped(loop, start, n, 0);
            }
        // Drum: boom on 1 and 3, taps between.
        static const float hits[5][2] = {{0, 1}, {1.5f, 0.35f}, {2, 0.8f}, {3, 0.4f}, {3.5f, 0.3f}};
        for (const auto& h : hits) {
            bool boom = h[1] > 0.5f;
            std::vector<float> n = drum(boom ? 70 : 180, 0.6f, boom ? 0.2f : 0.8f, rng);
            for (float& v : n) v *= 0.5f * h[1];
            add_wrapped(loop, start + static_cast<int>(h[0] * beat), n, boom ? 0 : 0.15f);
        }
    }
    loop_echo(loop, rate * 3 / 10, 0.25f);
    // The file starts a sixteenth before the first downbeat, in the rest
    // that ends the tune, so the loop point falls between notes.
    constexpr int lead_in = eighth / 2;
    std::vector<float> turned(loop.size());
    for (int i = 0; i < frames; ++i) {
        int from = (i - lead_in + frames) % frames;
        turned[2 * i] = loop[2 * from];
        turned[2 * i + 1] = loop[2 * from + 1];
    }
    std::vector<int16_t> pcm = to_pcm(turned, 0.8f);
    return write_wav16(join_path(output_dir, "music/music.wav"), pcm.data(), frames, 2, rate);
}

// A metal strike: inharmonic partials with their own decays over a short
// burst of noise for the impact.
struct strike_style {
    float base;           // lowest partial, Hz
    float ratios[5];      // partials over the base
    float decay;          // how fast the ring dies (per second)
    float seconds;
};

static bool make_strike(const char* name, const strike_style& s, uint32_t seed)
{
    tool_random rng{seed};
    std::vector<float> out(static_cast<size_t>(s.seconds * rate));
    float noise_low = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = static_cast<float>(i) / rate;
        float v = 0;
        for (int k = 0; k < 5; ++k) {
            float f = s.base * s.ratios[k];
            float amplitude = 1.0f / (1 + k * 0.6f);
            v += amplitude * std::sin(2 * pi * f * t + k) * std::exp(-t * s.decay * (1 + k * 0.5f));
            // A second partial a few hertz off makes the ring shimmer.
            v += 0.3f * amplitude * std::sin(2 * pi * (f + 3 + k) * t) * std::exp(-t * s.decay * (1 + k * 0.5f));
        }
        noise_low = lerp(noise_low, rng.signed_unit(), 0.5f);
        v += 1.6f * noise_low * std::exp(-t * 90);
        float tail = smoothstep(s.seconds, s.seconds - 0.05f, t);
        out[i] = v * smoothstep(0, 0.002f, t) * tail;
    }
    std::vector<int16_t> pcm = to_pcm(out, 0.85f);
    return write_wav16(join_path(output_dir, name), pcm.data(), static_cast<int>(pcm.size()), 1, rate);
}

// A band-pass resonator (a formant of the voice).
struct resonator {
    float b0, b2, a1, a2;
    float x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    resonator(float centre, float q)
    {
        float w = 2 * pi * centre / rate;
        float alpha = std::sin(w) / (2 * q);
        float a0 = 1 + alpha;
        b0 = alpha / a0;
        b2 = -alpha / a0;
        a1 = -2 * std::cos(w) / a0;
        a2 = (1 - alpha) / a0;
    }
    float run(float x)
    {
        float y = b0 * x + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// A death cry: a buzzing voice falling in pitch through the formants of an
// open "a", with a rough growl for the orc.
struct cry_style {
    float pitch_start, pitch_peak, pitch_end;  // Hz: a short rise, then the fall
    float formant_scale;                        // below 1 for a larger throat
    float growl;                                // roughness 0..1
    float seconds;
};

static bool make_cry(const char* name, const cry_style& s, uint32_t seed)
{
    tool_random rng{seed};
    std::vector<float> out(static_cast<size_t>(s.seconds * rate));
    resonator f1(720 * s.formant_scale, 6), f2(1150 * s.formant_scale, 8), f3(2500 * s.formant_scale, 10);
    float phase = 0, noise_low = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        float t = static_cast<float>(i) / rate;
        float u = t / s.seconds;
        float pitch = u < 0.15f ? lerp(s.pitch_start, s.pitch_peak, u / 0.15f)
                                : lerp(s.pitch_peak, s.pitch_end, (u - 0.15f) / 0.85f);
        pitch *= 1 + 0.02f * std::sin(2 * pi * 6 * t) + 0.03f * s.growl * rng.signed_unit();
        phase += pitch / rate;
        phase -= std::floor(phase);
        float source = 1 - 2 * phase;  // a falling saw: buzz rich in harmonics
        noise_low = lerp(noise_low, rng.signed_unit(), 0.3f);
        source = source * (1 - 0.4f * s.growl * (0.5f + 0.5f * std::sin(2 * pi * 28 * t))) + 0.25f * noise_low;
        float v = f1.run(source) + 0.7f * f2.run(source) + 0.3f * f3.run(source);
        float envelope = smoothstep(0, 0.04f, t) * (1 - smoothstep(0.55f, 1.0f, u));
        out[i] = v * envelope;
    }
    std::vector<int16_t> pcm = to_pcm(out, 0.85f);
    return write_wav16(join_path(output_dir, name), pcm.data(), static_cast<int>(pcm.size()), 1, rate);
}

bool make_sounds()
{
    static const strike_style strikes[3] = {
        {620, {1, 2.31f, 3.87f, 5.43f, 7.12f}, 7, 0.7f},
        {790, {1, 2.64f, 4.12f, 5.89f, 8.3f}, 9, 0.6f},
        {510, {1, 2.11f, 3.52f, 4.97f, 6.61f}, 6, 0.8f},
    };
    static const cry_style orc = {95, 115, 62, 0.8f, 0.9f, 1.2f};
    static const cry_style human = {210, 290, 160, 1.0f, 0.2f, 1.0f};
    return make_music() && make_strike("sounds/sword1.wav", strikes[0], 11) &&
           make_strike("sounds/sword2.wav", strikes[1], 12) &&
           make_strike("sounds/sword3.wav", strikes[2], 13) && make_cry("sounds/Odead.wav", orc, 21) &&
           make_cry("sounds/Hdead.wav", human, 22);
}
