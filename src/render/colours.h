// Colours: packing at the display's depth and the interface colour table.
#pragma once

#include <cstdint>

// Fills the interface colours for the display's pixel format.
void init_colours();
