#include "world/map_hash.h"

#include "world/map.h"

// The 64-bit FNV-1a offset basis and prime.
static constexpr uint64_t fnv_start = 14695981039346656037ull;
static constexpr uint64_t fnv_prime = 1099511628211ull;

// Mixes a field into h as four little-endian bytes.
static void mix_field(uint64_t& h, int32_t value)
{
    for (int i = 0; i < 4; ++i) {
        h ^= static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
        h *= fnv_prime;
    }
}

uint64_t map_layers_hash()
{
    uint64_t h = fnv_start;
    for (int x = 0; x < map_width && x < max_map_size; ++x)
        for (int y = 0; y < map_height && y < max_map_size; ++y) {
            const terrain_cell& t = terrain_layer[x][y];
            const object_cell& o = object_layer[x][y];
            mix_field(h, t.kind);
            mix_field(h, t.tile_set);
            mix_field(h, t.tile_x);
            mix_field(h, t.tile_y);
            mix_field(h, o.kind);
            mix_field(h, o.index);
            mix_field(h, o.value);
        }
    return h;
}
