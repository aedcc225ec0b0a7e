// Fills and copies against SDL's blitter on the same 5:6:5 surfaces: a 32 x 32
// opaque and keyed copy, a full 800 x 600 fill, and a frame-like load of 450
// opaque tiles and 494 keyed sprites from one sheet. Before timing, each pair
// is run once into two destinations that must come out identical.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/draw.h"
#include "shell/shell.h"

namespace {

constexpr int32_t sheet_slot = 0;
constexpr int32_t sheet_w = 512, sheet_h = 256;
constexpr int tiles = 450, sprites = 494;

// Our second destination, for the identity check.
surface* check_surface = nullptr;
// SDL views of the same memory: the sheet without and with the colour key,
// draw_surface and check_surface.
SDL_Surface* sdl_sheet = nullptr;
SDL_Surface* sdl_sheet_keyed = nullptr;
SDL_Surface* sdl_draw = nullptr;
SDL_Surface* sdl_check = nullptr;

// One copy of the frame-like load.
struct copy {
    int32_t dx, dy, sx, sy, w, h;
    bool keyed;
};
std::vector<copy> frame;
// The single copies: one tile and one sprite-sheet square, each copied to
// one place again and again, so that the figures show the cost of a call
// and its row loop with warm caches. The frame-like load shows the case
// that memory bounds.
copy opaque_single {333, 211, 64, 96, 32, 32, false};
copy keyed_single {333, 211, 296, 40, 32, 32, true};

uint32_t seed = 7;
uint32_t next_random()
{
    seed = seed * 1103515245u + 12345u;
    return seed >> 8;
}

SDL_Surface* view(surface* s)
{
    return SDL_CreateRGBSurfaceWithFormatFrom(s->pixels, s->width, s->height, 16, s->pitch,
                                              SDL_PIXELFORMAT_RGB565);
}

// The sheet: the left half 32 x 32 tiles of noise-like ground, the right
// half 40 x 40 sprites, each an ellipse of colours on magenta.
void paint_sheet(surface* s)
{
    auto* p = reinterpret_cast<uint16_t*>(s->pixels);
    int32_t stride = s->pitch / 2;
    for (int32_t y = 0; y < sheet_h; ++y)
        for (int32_t x = 0; x < sheet_w; ++x) {
            uint16_t v;
            if (x < 256) {
                v = static_cast<uint16_t>((next_random() & 0x07E0) | 0x2000);
            } else {
                int32_t cx = (x - 256) % 40 - 20, cy = y % 40 - 20;
                bool body = cx * cx * 3 + cy * cy * 2 < 900;
                v = body ? static_cast<uint16_t>(0x0400 | (x * 7 + y * 3) % 0x3FF) : 0xF81F;
            }
            p[y * stride + x] = v;
        }
}

void make_work()
{
    for (int i = 0; i < tiles; ++i) {
        int32_t col = i % 25, row = i / 25;
        frame.push_back({32 * col, 32 * row, 32 * static_cast<int32_t>(next_random() % 8),
                         32 * static_cast<int32_t>(next_random() % 8), 32, 32, false});
    }
    for (int i = 0; i < sprites; ++i)
        frame.push_back({static_cast<int32_t>(next_random() % 760), static_cast<int32_t>(next_random() % 560),
                         256 + 40 * static_cast<int32_t>(next_random() % 6),
                         40 * static_cast<int32_t>(next_random() % 6), 40, 40, true});
}

void ours(const copy& c)
{
    if (c.keyed)
        blit_keyed(c.dx, c.dy, c.sx, c.sy, c.w, c.h, sheet_slot);
    else
        blit(c.dx, c.dy, c.sx, c.sy, c.w, c.h, sheet_slot);
}

void sdls(const copy& c, SDL_Surface* dst)
{
    SDL_Rect src {c.sx, c.sy, c.w, c.h};
    SDL_Rect to {c.dx, c.dy, c.w, c.h};
    SDL_BlitSurface(c.keyed ? sdl_sheet_keyed : sdl_sheet, &src, dst, &to);
}

// Runs `mine` on draw_surface and `theirs` on check_surface from the same
// starting picture; false (and a message) when the pixels differ.
template <typename A, typename B>
bool same_pixels(const char* what, A mine, B theirs)
{
    size_t bytes = static_cast<size_t>(draw_surface->pitch) * draw_surface->height;
    for (size_t i = 0; i < bytes; ++i)
        draw_surface->pixels[i] = static_cast<uint8_t>(i * 31 + 5);
    std::memcpy(check_surface->pixels, draw_surface->pixels, bytes);
    mine();
    theirs();
    if (std::memcmp(draw_surface->pixels, check_surface->pixels, bytes) != 0) {
        std::fprintf(stderr, "%s: our pixels differ from SDL's\n", what);
        return false;
    }
    return true;
}

bool set_up()
{
    platform_create_window("game", 1024, 768);
    main_window = 1;
    screen_width = 800;
    screen_height = 600;
    colour_key = pack_colour(255, 0, 255);
    if (!start_display(main_window, 16))
        return false;
    screen_pitch = screen_width;
    surface* sheet = create_image_surface(sheet_w, sheet_h);
    check_surface = create_image_surface(800, 600);
    if (sheet == nullptr || check_surface == nullptr)
        return false;
    surface_table[sheet_slot] = sheet;
    set_colour_key(sheet_slot);
    paint_sheet(sheet);
    sdl_sheet = view(sheet);
    sdl_sheet_keyed = view(sheet);
    sdl_draw = view(draw_surface);
    sdl_check = view(check_surface);
    if (!sdl_sheet || !sdl_sheet_keyed || !sdl_draw || !sdl_check)
        return false;
    SDL_SetColorKey(sdl_sheet_keyed, SDL_TRUE, 0xF81F);
    make_work();
    return same_pixels("opaque 32x32", [] { ours(opaque_single); }, [] { sdls(opaque_single, sdl_check); }) &&
           same_pixels("keyed 32x32", [] { ours(keyed_single); }, [] { sdls(keyed_single, sdl_check); }) &&
           same_pixels("fill", [] { fill_box(0, 0, 800, 600, 0x1234); },
                       [] { SDL_FillRect(sdl_check, nullptr, 0x1234); }) &&
           same_pixels("frame", [] { for (const copy& c : frame) ours(c); },
                       [] { for (const copy& c : frame) sdls(c, sdl_check); });
}

// --- The pairs ---------------------------------------------------------------

void BM_ours_opaque_32(benchmark::State& state)
{
    for (auto _ : state)
        ours(opaque_single);
    benchmark::DoNotOptimize(draw_surface->pixels[0]);
}

void BM_sdl_opaque_32(benchmark::State& state)
{
    for (auto _ : state)
        sdls(opaque_single, sdl_draw);
    benchmark::DoNotOptimize(draw_surface->pixels[0]);
}

void BM_ours_keyed_32(benchmark::State& state)
{
    for (auto _ : state)
        ours(keyed_single);
    benchmark::DoNotOptimize(draw_surface->pixels[0]);
}

void BM_sdl_keyed_32(benchmark::State& state)
{
    for (auto _ : state)
        sdls(keyed_single, sdl_draw);
    benchmark::DoNotOptimize(draw_surface->pixels[0]);
}

void BM_ours_fill_800x600(benchmark::State& state)
{
    uint16_t c = 0;
    for (auto _ : state)
        fill_box(0, 0, 800, 600, c++);
    benchmark::DoNotOptimize(draw_surface->pixels[0]);
}

void BM_sdl_fill_800x600(benchmark::State& state)
{
    uint16_t c = 0;
    for (auto _ : state)
        SDL_FillRect(sdl_draw, nullptr, c++);
    benchmark::DoNotOptimize(draw_surface->pixels[0]);
}

void BM_ours_frame(benchmark::State& state)
{
    for (auto _ : state)
        for (const copy& c : frame)
            ours(c);
    benchmark::DoNotOptimize(draw_surface->pixels[0]);
}

void BM_sdl_frame(benchmark::State& state)
{
    for (auto _ : state)
        for (const copy& c : frame)
            sdls(c, sdl_draw);
    benchmark::DoNotOptimize(draw_surface->pixels[0]);
}

BENCHMARK(BM_ours_opaque_32);
BENCHMARK(BM_sdl_opaque_32);
BENCHMARK(BM_ours_keyed_32);
BENCHMARK(BM_sdl_keyed_32);
BENCHMARK(BM_ours_fill_800x600);
BENCHMARK(BM_sdl_fill_800x600);
BENCHMARK(BM_ours_frame);
BENCHMARK(BM_sdl_frame);

// The console report, keeping for each benchmark the median over its
// repetitions of the processor time per iteration, in microseconds (the
// machine is shared, so wall time and single runs are noisier).
class ratio_reporter : public benchmark::ConsoleReporter {
public:
    ratio_reporter() : ConsoleReporter(OO_None) {}
    std::map<std::string, double> micros;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.iterations <= 0)
                continue;
            bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
            if (median || (r.run_type == Run::RT_Iteration && !micros.count(r.run_name.function_name)))
                micros[r.run_name.function_name] = r.cpu_accumulated_time / r.iterations * 1e6;
        }
    }
};

}  // namespace

int main(int argc, char** argv)
{
    if (!set_up())
        return 1;
    // Five repetitions of each, reported by their median, unless the
    // command line says otherwise.
    std::vector<char*> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=5";
    char aggregates[] = "--benchmark_report_aggregates_only=true";
    args.insert(args.begin() + 1, {repetitions, aggregates});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    ratio_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const char* names[] = {"opaque_32", "keyed_32", "fill_800x600", "frame"};
    for (const char* n : names) {
        auto mine = reporter.micros.find(std::string("BM_ours_") + n);
        auto theirs = reporter.micros.find(std::string("BM_sdl_") + n);
        if (mine == reporter.micros.end() || theirs == reporter.micros.end())
            continue;
        std::printf("RATIO blit_%s %.3f (%.3f us vs %.3f us)\n", n, mine->second / theirs->second,
                    mine->second, theirs->second);
    }
    SDL_FreeSurface(sdl_sheet);
    SDL_FreeSurface(sdl_sheet_keyed);
    SDL_FreeSurface(sdl_draw);
    SDL_FreeSurface(sdl_check);
    release_surface(check_surface);
    release_display();
    return 0;
}
