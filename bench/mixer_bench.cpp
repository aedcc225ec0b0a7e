// Mixing 10 ms (441 frames) of eight playing buffers: our mixer against
// SDL_MixAudioFormat doing the same sums on 44.1 kHz stereo 16-bit data.
// Both are checked to give identical output first; the levels keep every
// sum inside 16 bits, since SDL saturates after each buffer it adds and we
// saturate the finished sum once.

#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "sound/mixer.h"

namespace {

constexpr int voices = 8;
constexpr int frames = 441;                 // 10 ms at 44,100 Hz
constexpr int source_frames = 44100 * 2;    // two seconds per buffer

// The peer's copy of each buffer, stereo 16-bit at the device rate.
std::vector<int16_t> sources[voices];

int16_t sample(int voice, int i)
{
    return static_cast<int16_t>(std::lround(4000.0 * std::sin(0.001 * (voice + 1) * i + voice)));
}

// Our buffers 0..7 from the same samples, at `rate`, looping, full volume.
void set_up_ours(uint32_t rate, int channels)
{
    mixer_release_all();
    for (int v = 0; v < voices; ++v) {
        int16_t* s = mixer_create(v, channels, rate, source_frames);
        for (int i = 0; i < source_frames * channels; ++i) s[i] = sample(v, i);
        mixer_play(v, true);
    }
}

void set_up_peer()
{
    for (int v = 0; v < voices; ++v) {
        sources[v].resize(2 * source_frames);
        for (int i = 0; i < 2 * source_frames; ++i) sources[v][i] = sample(v, i);
    }
}

// The peer's pass: clear, then mix each buffer in at full volume from its
// own position, which wraps like a looping buffer.
void peer_pass(int16_t* out, int* position)
{
    std::memset(out, 0, frames * 4);
    for (int v = 0; v < voices; ++v) {
        int p = position[v];
        int first = source_frames - p < frames ? source_frames - p : frames;
        SDL_MixAudioFormat(reinterpret_cast<Uint8*>(out), reinterpret_cast<const Uint8*>(sources[v].data() + 2 * p),
                           AUDIO_S16SYS, first * 4, SDL_MIX_MAXVOLUME);
        if (first < frames)
            SDL_MixAudioFormat(reinterpret_cast<Uint8*>(out + 2 * first),
                               reinterpret_cast<const Uint8*>(sources[v].data()), AUDIO_S16SYS,
                               (frames - first) * 4, SDL_MIX_MAXVOLUME);
        position[v] = (p + frames) % source_frames;
    }
}

bool outputs_match()
{
    set_up_ours(44100, 2);
    set_up_peer();
    int position[voices] = {};
    std::vector<int16_t> ours(2 * frames), peer(2 * frames);
    // 300 passes cross the loop point of every buffer.
    for (int pass = 0; pass < 300; ++pass) {
        mixer_mix(ours.data(), frames);
        peer_pass(peer.data(), position);
        if (ours != peer) {
            std::fprintf(stderr, "outputs differ in pass %d\n", pass);
            return false;
        }
    }
    return true;
}

void BM_ours_mix(benchmark::State& state)
{
    set_up_ours(44100, 2);
    std::vector<int16_t> out(2 * frames);
    for (auto _ : state) {
        mixer_mix(out.data(), frames);
        benchmark::DoNotOptimize(out.data());
    }
}

void BM_sdl_mix(benchmark::State& state)
{
    set_up_peer();
    int position[voices] = {};
    std::vector<int16_t> out(2 * frames);
    for (auto _ : state) {
        peer_pass(out.data(), position);
        benchmark::DoNotOptimize(out.data());
    }
}

// The same work with every buffer at 22,050 Hz mono, attenuated and
// panned: what the game's effects cost, resampled on the fly. The peer
// mixes the same count of device-rate samples (it cannot resample).
void BM_ours_mix_resampled(benchmark::State& state)
{
    set_up_ours(22050, 1);
    for (int v = 0; v < voices; ++v) {
        mixer_set_volume(v, -600);
        mixer_set_pan(v, (v - 4) * 500);
    }
    std::vector<int16_t> out(2 * frames);
    for (auto _ : state) {
        mixer_mix(out.data(), frames);
        benchmark::DoNotOptimize(out.data());
    }
}

BENCHMARK(BM_ours_mix)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_sdl_mix)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ours_mix_resampled)->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's time per iteration in microseconds.
class ratio_reporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> us;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration) us[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    if (!outputs_match()) return 1;
    benchmark::Initialize(&argc, argv);
    ratio_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto line = [&](const char* name, const char* ours, const char* peer) {
        if (!reporter.us.count(ours) || !reporter.us.count(peer)) return;
        double a = reporter.us[ours];
        double b = reporter.us[peer];
        std::printf("RATIO %s %.3f (%.2f us vs %.2f us)\n", name, a / b, a, b);
    };
    line("mixer_8_buffers_10ms", "BM_ours_mix", "BM_sdl_mix");
    line("mixer_8_resampled_10ms", "BM_ours_mix_resampled", "BM_sdl_mix");
    return 0;
}
