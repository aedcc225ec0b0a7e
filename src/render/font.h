// The bitmap font: glyph table and images, text drawing and entry.
#pragma once

// Loads the glyph table and the two glyph images; false on failure.
bool load_font();
