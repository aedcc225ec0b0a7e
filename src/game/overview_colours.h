// The colours of overview maps: one per terrain kind, one per team. The map
// editor's overview and the game's both draw with them.
#pragma once

#include <cstdint>

// The colour of a terrain kind on an overview map (0 for any other kind).
int32_t overview_colour(int32_t kind);

// The colour of a team's units on an overview map: the light shade of the
// team's colour on its units (0 for a team outside 0..7). The game's
// overview calls it.
int32_t team_overview_colour(int32_t team);
