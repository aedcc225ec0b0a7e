#include "world/map.h"

#include <cstring>

int32_t map_width = max_map_size;
int32_t map_height = max_map_size;
char map_name[map_name_size] = "single";

terrain_cell terrain_layer[max_map_size][max_map_size];
object_cell object_layer[max_map_size][max_map_size];

const char* const tile_sheet_names[terrain_kind_count] = {
    "dwater", "water", "sand", "mud", "grass", "dgrass", "stone",
};
int32_t tile_slots[terrain_kind_count] = {-1, -1, -1, -1, -1, -1, -1};
int32_t tree_slot = -1;

void clear_layers()
{
    std::memset(terrain_layer, 0, sizeof terrain_layer);
    std::memset(object_layer, 0, sizeof object_layer);
}
