// The window handle and the hand-over of fatal reports to the shell.
#include "core/fatal.h"

#include <cstdio>

int32_t main_window = 0;

// The report the shell installed; nullptr until then.
static fatal_report_fn installed_report = nullptr;

void install_fatal_report(fatal_report_fn report)
{
    installed_report = report;
}

void fatal_error(int32_t window, const char* where)
{
    if (installed_report != nullptr) {
        installed_report(window, where);
        return;
    }
    std::fprintf(stderr, "fatal error in %s\n", where != nullptr ? where : "");
}
