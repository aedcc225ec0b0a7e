// A hash of the map's layers, for comparing two maps at a glance.
#pragma once

#include <cstdint>

// FNV-1a (64 bits) over the map's cells of both layers, column by column
// (x outer, y inner, within map_width x map_height), every field of a cell
// as four little-endian bytes: terrain kind, tile set, tile x, tile y, then
// object kind, index, value. Equal maps give equal hashes; cells outside the
// map do not count. The headless runner prints it in its summary and at its
// checkpoints.
uint64_t map_layers_hash();
