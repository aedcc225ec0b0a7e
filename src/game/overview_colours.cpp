// Overview colours of the terrain kinds and of the teams.
#include "game/overview_colours.h"

#include "render/colours.h"
#include "world/map.h"
#include "world/units.h"

// Overview colours of the terrain kinds 1..5 (16-bit 5:6:5 values); deep
// water and stone take the interface colours blue and grey4.
static const int32_t overview_shallow = 0x045E;
static const int32_t overview_sand = 0xABC1;
static const int32_t overview_mud = 0x7A61;
static const int32_t overview_grass = 0x0480;
static const int32_t overview_dark_grass = 0x0320;

// A team's colour on the overview: the light shade of its ramp in the unit
// sheets' palette (assets/palette.txt), lighter still for the black team
// so that it shows on dark ground.
struct team_shade {
    int32_t red, green, blue;  // 8 bits each
};
static const team_shade team_shades[team_count] = {
    {62, 112, 240},   // 0 blue
    {226, 52, 40},    // 1 red, the hero's
    {70, 200, 70},    // 2 green
    {172, 84, 212},   // 3 violet
    {240, 120, 12},   // 4 orange
    {112, 112, 126},  // 5 black
    {255, 255, 255},  // 6 white
    {246, 214, 40},   // 7 yellow
};

int32_t overview_colour(int32_t kind)
{
    switch (kind) {
    case terrain_deep_water: return colour_blue;
    case terrain_shallow_water: return overview_shallow;
    case terrain_sand: return overview_sand;
    case terrain_mud: return overview_mud;
    case terrain_grass: return overview_grass;
    case terrain_dark_grass: return overview_dark_grass;
    case terrain_stone: return colour_grey4;
    }
    return 0;
}

int32_t team_overview_colour(int32_t team)
{
    if (team < 0 || team >= team_count)
        return 0;
    // pack_colour masks each channel to its field, so it is given the
    // field's own width: 5 bits of red and blue, 6 of green.
    const team_shade& t = team_shades[team];
    return pack_colour(t.red >> 3, t.green >> 2, t.blue >> 3);
}
