// The unit behaviour of the game, built a second time into the namespace
// `literal` with the word-for-word wave search in place of find_path: the
// behaviour of the literal frame that frame_bench times ours against. The
// state handlers are the game's own code; only the path search differs.
//
// Every header the behaviour includes is included here first, at global
// scope, so that inside the namespace only the behaviour's own definitions
// land (its globals and functions become literal::...).
#include <cstdint>

#include "core/random.h"
#include "game/behaviour.h"
#include "game/grids.h"
#include "game/path_finding.h"
#include "reference/literal_path_finding.h"
#include "world/map.h"
#include "world/units.h"

namespace literal {
#define find_path literal_find_path
#include "game/behaviour.cpp"
#undef find_path
}  // namespace literal
