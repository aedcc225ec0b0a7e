// The map editor's configuration: 1024 x 768, the map editor's loop.
#include "map_editor/map_editor.h"
#include "programs/configurations.h"

const configuration map_editor_configuration = {"map_editor", 1024, 768, map_editor_loop};
