// One whole game frame on the headless backend (update_units, draw_world,
// the heads-up panel and the end-of-game line, present) on a 128 x 128 map
// with 399 units in combat, against the same frame built with the
// word-for-word algorithms: the wave search that copies the whole grid for
// every route, the two exchange passes that order the objects drawn, and
// pixel-by-pixel copies of the terrain tiles and the objects.
// Both replay the same game from the same start (checked before timing),
// so they time the same frames. Prints the mean and worst frame of each, in
// microseconds of the thread's processor time (other work shares the
// machine) and of the wall clock, and RATIO lines for the mean frame, the
// worst frame and the two parts that differ (update_units, the draw order).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "core/random.h"
#include "game/behaviour.h"
#include "game/grids.h"
#include "game/world_check.h"
#include "game/world_drawing.h"
#include "platform/headless/headless.h"
#include "play/game_loop.h"
#include "reference/literal_draw_order.h"
#include "render/bmp.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/font.h"
#include "shell/shell.h"
#include "world/map.h"
#include "world/map_file.h"
#include "world/units.h"

namespace literal {
void update_units();
}

// Frames timed per run, and how often the battle starts again from its
// first frame so that every frame timed is one of a crowded fight.
static constexpr int timed_frames = 3000;
static constexpr int restart_every = 600;

// --- The battle ----------------------------------------------------------------

// The start of the battle, restored before every run.
struct world_snapshot {
    unit units[max_units];
    int32_t count;
    object_cell objects[max_map_size][max_map_size];
    int32_t grid[max_map_size][max_map_size];
    int32_t search[max_map_size][max_map_size];
    int32_t directions[max_map_size][max_map_size];
    uint32_t random;
    int32_t camera_x, camera_y;
};
static world_snapshot start_state;

static void save_start()
{
    std::memcpy(start_state.units, unit_table, sizeof unit_table);
    start_state.count = unit_count;
    std::memcpy(start_state.objects, object_layer, sizeof object_layer);
    std::memcpy(start_state.grid, base_grid, sizeof base_grid);
    std::memcpy(start_state.search, search_grid, sizeof search_grid);
    std::memcpy(start_state.directions, direction_grid, sizeof direction_grid);
    start_state.random = random_state();
    start_state.camera_x = camera_x;
    start_state.camera_y = camera_y;
}

static void restore_start()
{
    std::memcpy(unit_table, start_state.units, sizeof unit_table);
    unit_count = start_state.count;
    std::memcpy(object_layer, start_state.objects, sizeof object_layer);
    std::memcpy(base_grid, start_state.grid, sizeof base_grid);
    std::memcpy(search_grid, start_state.search, sizeof search_grid);
    std::memcpy(direction_grid, start_state.directions, sizeof direction_grid);
    set_random_state(start_state.random);
    camera_x = start_state.camera_x;
    camera_y = start_state.camera_y;
    scroll_counter = 0;
    min_fps = 1000;
}

// Starts the display and loads the game's pictures from the data set, as the
// game's start-up does (sounds aside: nothing is played in either frame).
static bool load_pictures()
{
    headless_reset();
    headless_echo_boxes(false);
    if (chdir(BRASK_BUILD_DIR) != 0 || !platform_create_window("game", 1024, 768))
        return false;
    main_window = 1;
    screen_width = 800;
    screen_height = 600;
    colour_key = pack_colour(255, 0, 255);
    if (!start_display(main_window, 16))
        return false;
    init_colours();
    screen_pitch = screen_width;
    if (!load_font())
        return false;
    const char* tiles[terrain_kind_count] = {"dwater", "water", "sand", "mud", "grass", "dgrass", "stone"};
    char path[64];
    for (int k = 0; k < terrain_kind_count; ++k) {
        std::snprintf(path, sizeof path, "data\\map\\tiles\\%s.bmp", tiles[k]);
        if (!load_bmp(tile_slots[k], path))
            return false;
    }
    if (!load_bmp(tree_slot, "data\\images\\tree.bmp") || !load_bmp(portrait_slot, "data\\images\\vesk.bmp"))
        return false;
    load_tree_frames(tree_slot);
    return load_unit_sprites();
}

// A grass map with trees and rocks, the hero in the middle and 398 grunts
// and footmen of all teams around it on a lattice two cells apart, so that
// every unit has enemies in sight from the first frame and closes in.
static bool build_battle()
{
    map_width = map_height = max_map_size;
    set_random_state(1);
    if (!new_map(terrain_grass))
        return false;
    std::mt19937 rng(2024);
    for (int x = 2; x < max_map_size - 2; ++x)
        for (int y = 2; y < max_map_size - 2; ++y)
            if (rng() % 100 < 6) {
                const int32_t frame = static_cast<int32_t>(rng() % 3 == 0 ? 11 + rng() % 5 : 1 + rng() % 10);
                object_layer[x][y] = {frame >= 11 ? object_rock : object_tree, frame, 150};
            }
    std::vector<path_cell> cells;
    for (int x = 44; x < 86; x += 2)
        for (int y = 44; y < 86; y += 2)
            if (!(x == 64 && y == 64))
                cells.push_back({x, y});
    std::shuffle(cells.begin(), cells.end(), rng);
    place_hero(64, 64);
    object_layer[64][64] = {object_unit, 1, 0};
    for (const path_cell& c : cells) {
        if (unit_count == max_live_units)
            break;
        const int kind = rng() % 2 == 0 ? kind_code_grunt : kind_code_footman;
        const int slot = spawn_unit(c.x, c.y, kind, static_cast<int>(rng() % 4));
        if (slot == 0)
            return false;
        object_layer[c.x][c.y] = {object_unit, slot, 0};
    }
    if (unit_count != max_live_units || !setup_grids(map_width, map_height))
        return false;
    block_map();
    centre_camera();
    return true;
}

// --- The two frames --------------------------------------------------------------

// What differs between the two frames: the behaviour (its path search), the
// order of the objects drawn, and the copies that draw the terrain and the
// objects.
struct frame_kind {
    void (*update)();
    void (*order)();
    void (*terrain)();
    void (*objects)();
};

static void literal_order()
{
    literal_order_draw_list(draw_list, draw_list_count);
}

// --- The literal copies ------------------------------------------------------------
// Copies as the drawing operations define them without a display library:
// an opaque copy sets every pixel of the rectangle one by one, a keyed copy
// does the same skipping pixels equal to the key, after the clipping steps
// of the clipped keyed copy. 16 bits per pixel, as every configuration runs.

static uint16_t* pixel_at(surface* s, int32_t x, int32_t y)
{
    return reinterpret_cast<uint16_t*>(s->pixels + static_cast<size_t>(y) * s->pitch) + x;
}

static void literal_copy(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y, int32_t w,
                         int32_t h, int32_t slot, bool keyed)
{
    if (slot < 0 || slot >= max_surface_slots || surface_table[slot] == nullptr)
        return;
    surface* src = surface_table[slot];
    surface* dst = draw_surface;
    // The platform rejected a rectangle not wholly inside both surfaces.
    if (w <= 0 || h <= 0 || src_x < 0 || src_y < 0 || src_x + w > src->width ||
        src_y + h > src->height || dst_x < 0 || dst_y < 0 || dst_x + w > dst->width ||
        dst_y + h > dst->height)
        return;
    const uint16_t key = static_cast<uint16_t>(src->key);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint16_t p = *pixel_at(src, src_x + x, src_y + y);
            if (!keyed || !src->keyed || p != key)
                *pixel_at(dst, dst_x + x, dst_y + y) = p;
        }
}

static void literal_copy_keyed_clipped(int32_t dst_x, int32_t dst_y, int32_t src_x, int32_t src_y,
                                       int32_t w, int32_t h, int32_t slot)
{
    const int32_t W = screen_width, H = screen_height;
    if (dst_x + w < 0 || dst_x > W || dst_y + h < 0 || dst_y > H)
        return;
    if (dst_x < 0) src_x -= dst_x, w += dst_x, dst_x = 0;
    if (dst_y < 0) src_y -= dst_y, h += dst_y, dst_y = 0;
    if (dst_x + w > W) w = W - dst_x;
    if (dst_y + h > H) h = H - dst_y;
    literal_copy(dst_x, dst_y, src_x, src_y, w, h, slot, true);
}

// The terrain of the 18 x 25 cells under the camera, tile by tile.
static void literal_terrain()
{
    for (int i = 0; i < 18; ++i)
        for (int j = 0; j < 25; ++j) {
            const terrain_cell& t = terrain_layer[camera_x + j][camera_y + i];
            literal_copy(32 * j, 32 * i, t.tile_x, t.tile_y, 32, 32, tile_slots[t.tile_set], false);
        }
}

// The ordered draw list: trees and rocks from tree_table, units from their
// animation entry, each from its anchor.
static void literal_objects()
{
    for (int i = 0; i < draw_list_count; ++i) {
        const draw_entry& e = draw_list[i];
        if (e.kind == object_tree || e.kind == object_rock) {
            const tree_entry& t = tree_table[e.index];
            literal_copy_keyed_clipped(e.x + t.offset_x, e.y + t.offset_y, t.x, t.y, t.width,
                                       t.height, t.image);
        } else if (e.kind == object_unit) {
            const unit& u = unit_table[e.index];
            if (u.image == 0)
                continue;
            const anim_entry& a = unit_anims[u.race][u.action][u.direction][u.anim_step];
            literal_copy_keyed_clipped(e.x + a.offset_x, e.y + a.offset_y, a.x, a.y, a.width,
                                       a.height, u.image);
        }
    }
}

static const frame_kind ours_kind = {update_units, order_draw_list, draw_terrain, draw_objects};
static const frame_kind literal_kind = {literal::update_units, literal_order, literal_terrain,
                                        literal_objects};

// Processor time of the thread, in microseconds.
// Processor time of the thread, in microseconds.
static double thread_micros()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e6 + t.tv_nsec / 1e3;
}

// Time spent in the two parts that differ, during the last frame.
static double last_update_micros, last_order_micros;

// One frame: update_units, then draw_world's four steps, the panel, the
// end-of-game line, present. With ours_kind it is what the game loop runs
// after its messages and order (draw_world is these four steps).
static void play_frame(const frame_kind& kind)
{
    const double t0 = thread_micros();
    kind.update();
    const double t1 = thread_micros();
    kind.terrain();
    collect_draw_list();
    const double t2 = thread_micros();
    kind.order();
    const double t3 = thread_micros();
    kind.objects();
    draw_panel();
    draw_end_line();
    present();
    last_update_micros = t1 - t0;
    last_order_micros = t3 - t2;
}

// A hash of the picture, to see that both frames draw the same.
static uint64_t picture_hash()
{
    uint64_t h = 1469598103934665603ull;
    for (int32_t y = 0; y < draw_surface->height; ++y) {
        const uint8_t* row = draw_surface->pixels + static_cast<size_t>(y) * draw_surface->pitch;
        for (int32_t i = 0; i < draw_surface->width * draw_surface->bytes_per_pixel; ++i)
            h = (h ^ row[i]) * 1099511628211ull;
    }
    return h;
}

// Plays frames from the start with one kind of frame; the hashes of the
// world and the picture at each checkpoint.
static std::vector<uint64_t> replay(const frame_kind& kind, int frames)
{
    restore_start();
    std::vector<uint64_t> hashes;
    for (int f = 1; f <= frames; ++f) {
        play_frame(kind);
        if (f % 100 == 0) {
            hashes.push_back(world_hash());
            hashes.push_back(picture_hash());
        }
    }
    return hashes;
}

// --- Timing ----------------------------------------------------------------------

static double wall_micros()
{
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// What a run of one kind of frame measured.
struct frame_times {
    double cpu_total = 0, cpu_worst = 0;
    double wall_total = 0, wall_worst = 0;
    double update_total = 0, order_total = 0;
    int frames = 0;
    int64_t live_units = 0;  // summed over the frames, for the mean in combat
};
static frame_times ours_times, literal_times;

static void run_frames(benchmark::State& state, const frame_kind& kind, frame_times& times)
{
    times = frame_times {};
    int since_start = 0;
    restore_start();
    for (auto _ : state) {
        if (since_start == restart_every) {
            state.PauseTiming();
            restore_start();
            since_start = 0;
            state.ResumeTiming();
        }
        const double cpu = thread_micros(), wall = wall_micros();
        play_frame(kind);
        const double cpu_used = thread_micros() - cpu, wall_used = wall_micros() - wall;
        times.cpu_total += cpu_used;
        times.wall_total += wall_used;
        times.cpu_worst = std::max(times.cpu_worst, cpu_used);
        times.wall_worst = std::max(times.wall_worst, wall_used);
        times.update_total += last_update_micros;
        times.order_total += last_order_micros;
        times.live_units += unit_count;
        ++times.frames;
        ++since_start;
    }
}

static void bench_ours(benchmark::State& state)
{
    run_frames(state, ours_kind, ours_times);
}

static void bench_literal(benchmark::State& state)
{
    run_frames(state, literal_kind, literal_times);
}

static void print_times(const char* name, const frame_times& t)
{
    std::printf("%s frame: mean %.1f us, worst %.1f us (processor time); mean %.1f us, worst %.1f us "
                "(wall clock); update_units %.1f us, draw order %.1f us; %.0f live units on average "
                "over %d frames\n",
                name, t.cpu_total / t.frames, t.cpu_worst, t.wall_total / t.frames, t.wall_worst,
                t.update_total / t.frames, t.order_total / t.frames,
                static_cast<double>(t.live_units) / t.frames, t.frames);
}

static void print_ratio(const char* name, double ours, double literal)
{
    std::printf("RATIO %s %.3f (%.1f us vs %.1f us)\n", name, ours / literal, ours, literal);
}

int main(int argc, char** argv)
{
    if (!load_pictures() || !build_battle()) {
        std::fprintf(stderr, "frame_bench: the data set (%s/data) or the battle could not be set up\n",
                     BRASK_BUILD_DIR);
        return 1;
    }
    save_start();
    // Both frames must play the same game and draw the same pictures.
    const std::vector<uint64_t> ours = replay(ours_kind, restart_every);
    const std::vector<uint64_t> literal = replay(literal_kind, restart_every);
    if (ours != literal) {
        std::fprintf(stderr, "frame_bench: the two frames play different games\n");
        return 1;
    }
    char why[256];
    if (!check_world(why, sizeof why)) {
        std::fprintf(stderr, "frame_bench: the world broke: %s\n", why);
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("frame/ours", bench_ours)
        ->Iterations(timed_frames)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("frame/literal", bench_literal)
        ->Iterations(timed_frames)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (ours_times.frames == 0 || literal_times.frames == 0)
        return 0;  // a filter left one out
    print_times("ours", ours_times);
    print_times("literal", literal_times);
    const frame_times& o = ours_times;
    const frame_times& l = literal_times;
    print_ratio("frame", o.cpu_total / o.frames, l.cpu_total / l.frames);
    print_ratio("frame_worst", o.cpu_worst, l.cpu_worst);
    print_ratio("frame_update_units", o.update_total / o.frames, l.update_total / l.frames);
    print_ratio("frame_draw_order", o.order_total / o.frames, l.order_total / l.frames);
    return 0;
}
