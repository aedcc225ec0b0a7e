#include "make_data.h"
bool make_portrait() { return true; }
