#include "make_data.h"
bool make_sounds() { return true; }
