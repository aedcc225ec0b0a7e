#include "make_data.h"
bool make_objects() { return true; }
