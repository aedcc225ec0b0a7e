#include "core/directions.h"

const int32_t direction_step[direction_count][2] = {
    {0, -1},   // north
    {1, -1},   // north-east
    {1, 0},    // east
    {1, 1},    // south-east
    {0, 1},    // south
    {-1, 1},   // south-west
    {-1, 0},   // west
    {-1, -1},  // north-west
};
