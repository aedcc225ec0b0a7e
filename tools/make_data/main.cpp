// make_data: generates the whole data set of the program into a data folder.
//   make_data ASSETS_DIR OUTPUT_DIR
// Every file comes from the text sources in ASSETS_DIR and from code, and the
// same sources always give the same bytes. Steps are listed in run order;
// the scenario map, last, is made with the program's own painter, unit and
// map file modules.
#include <cstdio>

#include "make_data.h"

// One step of the generator.
struct data_step {
    const char* name;  // shown in the progress line
    bool (*run)();     // makes its files; false on failure
};

static const data_step steps[] = {
    {"palette", make_palette},     {"terrain", make_terrain}, {"trees and rocks", make_objects},
    {"units", make_units},         {"portrait", make_portrait}, {"font", make_font},
    {"music and effects", make_sounds}, {"scenario map", make_scenario},
};

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_data ASSETS_DIR OUTPUT_DIR\n");
        return 2;
    }
    assets_dir = argv[1];
    output_dir = argv[2];
    for (const data_step& step : steps) {
        if (!step.run()) {
            std::fprintf(stderr, "make_data: the %s step failed\n", step.name);
            return 1;
        }
    }
    return 0;
}
