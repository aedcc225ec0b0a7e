#include "make_data.h"
bool make_font() { return true; }
