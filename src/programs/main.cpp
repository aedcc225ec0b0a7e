// The program's entry point. The build chooses the configuration with one
// compile definition: BRASK_CONFIG_GAME, BRASK_CONFIG_MAP_EDITOR or
// BRASK_CONFIG_SPRITE_EDITOR.
#include "programs/configurations.h"

#if defined(BRASK_CONFIG_GAME)
#define BRASK_CONFIGURATION game_configuration
#elif defined(BRASK_CONFIG_MAP_EDITOR)
#define BRASK_CONFIGURATION map_editor_configuration
#elif defined(BRASK_CONFIG_SPRITE_EDITOR)
#define BRASK_CONFIGURATION sprite_editor_configuration
#else
#error "define BRASK_CONFIG_GAME, BRASK_CONFIG_MAP_EDITOR or BRASK_CONFIG_SPRITE_EDITOR"
#endif

int main()
{
    int result = run_entry(BRASK_CONFIGURATION);
    end_process();
    return result;
}
