// The game's configuration: 800 x 600, the game loop.
#include "play/game_loop.h"
#include "programs/configurations.h"

const configuration game_configuration = {"game", 800, 600, game_loop};
