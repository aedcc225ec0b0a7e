// find_path against the word-for-word wave search and against Boost.Graph's
// breadth_first_search over the same 8-connected grid, on a full-size open
// map with a long route, a map cluttered with 30% obstacles, a goal that
// cannot be reached, and a short pursuit as most of the game's searches are.
#include <benchmark/benchmark.h>

#include <boost/graph/breadth_first_search.hpp>
#include <boost/graph/compressed_sparse_row_graph.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "game/grids.h"
#include "game/path_finding.h"
#include "reference/literal_path_finding.h"
#include "world/map.h"

// Built without exceptions, Boost reports through this.
namespace boost {
void throw_exception(const std::exception& e)
{
    std::fprintf(stderr, "boost: %s\n", e.what());
    std::abort();
}
}  // namespace boost

// One benchmark map: its grid, and the query on it.
struct scene {
    const char* name;
    int start_x, start_y;
    int goal_x, goal_y;
    int range;
};

enum scene_id { scene_open, scene_obstacles, scene_unreachable, scene_short, scene_count };

static scene scenes[scene_count] = {
    {"open", 3, 20, 123, 100, 0},
    {"obstacles", 3, 3, 124, 124, 0},
    {"unreachable", 3, 20, 100, 100, 0},
    {"short", 60, 60, 66, 63, 1},
};

// base_grid of each scene, built once through the map layers.
static int32_t scene_grids[scene_count][max_map_size][max_map_size];

static void build_scene(scene_id id)
{
    clear_layers();
    map_width = map_height = max_map_size;
    for (int x = 0; x < max_map_size; ++x)
        for (int y = 0; y < max_map_size; ++y)
            terrain_layer[x][y].kind = terrain_grass;
    std::mt19937 rng(1234);
    if (id == scene_obstacles || id == scene_short) {
        for (int x = 0; x < max_map_size; ++x)
            for (int y = 0; y < max_map_size; ++y)
                if (rng() % 100 < 30)
                    object_layer[x][y].kind = object_tree;
    }
    if (id == scene_unreachable) {
        for (int x = 98; x <= 102; ++x)
            for (int y = 98; y <= 102; ++y)
                if (x == 98 || x == 102 || y == 98 || y == 102)
                    object_layer[x][y].kind = object_rock;
    }
    scene& s = scenes[id];
    object_layer[s.start_x][s.start_y].kind = object_none;
    object_layer[s.goal_x][s.goal_y].kind = object_none;
    if (id == scene_short)
        object_layer[s.goal_x][s.goal_y].kind = object_unit;
    setup_grids(max_map_size, max_map_size);
    block_map();
    std::memcpy(scene_grids[id], base_grid, sizeof base_grid);
}

static void use_scene(scene_id id)
{
    map_width = map_height = max_map_size;
    std::memcpy(base_grid, scene_grids[id], sizeof base_grid);
}

static void bench_ours(benchmark::State& state, scene_id id)
{
    use_scene(id);
    const scene& s = scenes[id];
    path_cell path[max_path];
    int steps = 0;
    for (auto _ : state) {
        int32_t gx = s.goal_x;
        int32_t gy = s.goal_y;
        steps = find_path(s.range, gx, gy, s.start_x, s.start_y, path);
        benchmark::DoNotOptimize(steps);
        benchmark::DoNotOptimize(path);
    }
    state.counters["steps"] = steps;
}

static void bench_literal(benchmark::State& state, scene_id id)
{
    use_scene(id);
    const scene& s = scenes[id];
    path_cell path[max_path];
    int steps = 0;
    for (auto _ : state) {
        int32_t gx = s.goal_x;
        int32_t gy = s.goal_y;
        steps = literal_find_path(s.range, gx, gy, s.start_x, s.start_y, path);
        benchmark::DoNotOptimize(steps);
        benchmark::DoNotOptimize(path);
    }
    state.counters["steps"] = steps;
}

// The same grid as a Boost graph in its most compact form: one vertex per
// cell, and from every cell a search may stand on (free, or the start) an
// edge to each neighbour it may enter (free, or a goal), in neighbour order.
using grid_graph = boost::compressed_sparse_row_graph<boost::directedS>;

static int vertex_of(int x, int y)
{
    return x * max_map_size + y;
}

// Records each cell's predecessor. Boost's search has no early end without
// exceptions, so it always walks the start's whole region.
struct predecessor_recorder : boost::default_bfs_visitor {
    int* predecessor;
    template <class Edge, class Graph>
    void tree_edge(Edge e, const Graph& g) const
    {
        predecessor[boost::target(e, g)] = int(boost::source(e, g));
    }
};

static void bench_boost(benchmark::State& state, scene_id id)
{
    use_scene(id);
    const scene& s = scenes[id];
    std::vector<bool> goal(max_map_size * max_map_size, false);
    if (s.range == 0) {
        goal[vertex_of(s.goal_x, s.goal_y)] = true;
    } else {
        for (int x = s.goal_x - s.range; x <= s.goal_x + s.range; ++x)
            for (int y = s.goal_y - s.range; y <= s.goal_y + s.range; ++y)
                if ((std::abs(x - s.goal_x) == s.range || std::abs(y - s.goal_y) == s.range) &&
                    1 < x && x < map_width - 2 && 1 < y && y < map_height - 2 &&
                    base_grid[x][y] == grid_free)
                    goal[vertex_of(x, y)] = true;
    }
    const int steps_table[8][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0},
                                   {-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    std::vector<std::pair<int, int>> edges;
    for (int x = 0; x < map_width; ++x)
        for (int y = 0; y < map_height; ++y) {
            const bool start = x == s.start_x && y == s.start_y;
            if (!start && (base_grid[x][y] != grid_free || goal[vertex_of(x, y)]))
                continue;
            for (const auto& d : steps_table) {
                const int nx = x + d[0];
                const int ny = y + d[1];
                if (nx < 0 || ny < 0 || nx >= map_width || ny >= map_height)
                    continue;
                const bool open = base_grid[nx][ny] == grid_free || goal[vertex_of(nx, ny)];
                if (open && !(nx == s.start_x && ny == s.start_y))
                    edges.emplace_back(vertex_of(x, y), vertex_of(nx, ny));
            }
        }
    const grid_graph graph(boost::edges_are_sorted, edges.begin(), edges.end(),
                           max_map_size * max_map_size);
    std::vector<int> predecessor(max_map_size * max_map_size);
    std::vector<boost::default_color_type> colour(max_map_size * max_map_size);
    path_cell path[max_path];
    int steps = 0;
    for (auto _ : state) {
        predecessor_recorder recorder;
        recorder.predecessor = predecessor.data();
        const int origin = vertex_of(s.start_x, s.start_y);
        predecessor[origin] = origin;
        boost::breadth_first_search(
            graph, origin,
            boost::visitor(recorder).color_map(boost::make_iterator_property_map(
                colour.begin(), boost::get(boost::vertex_index, graph))));
        // The goal reached is the goal cell nearest the start.
        steps = -1;
        int found = -1;
        int best = max_route_steps + 1;
        for (int v = 0; v < max_map_size * max_map_size; ++v) {
            if (!goal[v] || colour[v] == boost::white_color || v == origin)
                continue;
            int length = 0;
            for (int u = v; u != origin && length <= max_route_steps; u = predecessor[u])
                ++length;
            if (length < best) {
                best = length;
                found = v;
            }
        }
        if (found >= 0) {
            steps = 0;
            for (int u = found; u != origin; u = predecessor[u], ++steps)
                path[steps] = {u / max_map_size, u % max_map_size};
        }
        benchmark::DoNotOptimize(steps);
        benchmark::DoNotOptimize(path);
    }
    state.counters["steps"] = steps;
}

// Keeps each run's processor time per search, in microseconds, by name (the
// processor time, since other work shares the machine and stretches the
// wall-clock time of whichever run it preempts).
class ratio_reporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> micros;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                micros[run.benchmark_name()] = run.GetAdjustedCPUTime() /
                                               benchmark::GetTimeUnitMultiplier(run.time_unit) *
                                               1e6;
    }
};

int main(int argc, char** argv)
{
    // Every scene must give the same route both ways before it is timed.
    for (int id = 0; id < scene_count; ++id) {
        build_scene(scene_id(id));
        const scene& s = scenes[id];
        path_cell ours[max_path] = {};
        path_cell literal[max_path] = {};
        int32_t ours_x = s.goal_x, ours_y = s.goal_y;
        int32_t literal_x = s.goal_x, literal_y = s.goal_y;
        const int n = find_path(s.range, ours_x, ours_y, s.start_x, s.start_y, ours);
        const int m = literal_find_path(s.range, literal_x, literal_y, s.start_x, s.start_y,
                                        literal);
        if (n != m || ours_x != literal_x || ours_y != literal_y ||
            std::memcmp(ours, literal, sizeof ours) != 0) {
            std::fprintf(stderr, "scene %s: the searches differ (%d and %d steps)\n", s.name, n, m);
            return 1;
        }
    }
    const char* peers[] = {"literal", "boost"};
    for (int id = 0; id < scene_count; ++id) {
        const std::string name = scenes[id].name;
        benchmark::RegisterBenchmark((name + "/ours").c_str(), bench_ours, scene_id(id))
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((name + "/literal").c_str(), bench_literal, scene_id(id))
            ->Unit(benchmark::kMicrosecond);
        // Boost's search cannot stop early, so a short search says nothing
        // about it beyond the long ones.
        if (id != scene_short)
            benchmark::RegisterBenchmark((name + "/boost").c_str(), bench_boost, scene_id(id))
                ->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    ratio_reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (int id = 0; id < scene_count; ++id) {
        const std::string name = scenes[id].name;
        for (const char* peer : peers) {
            const auto ours = reporter.micros.find(name + "/ours");
            const auto other = reporter.micros.find(name + "/" + peer);
            if (ours == reporter.micros.end() || other == reporter.micros.end())
                continue;
            std::printf("RATIO %s_vs_%s %.3f (%.2f us vs %.2f us)\n", name.c_str(), peer,
                        ours->second / other->second, ours->second, other->second);
        }
    }
    return 0;
}
