// The window handle and the hand-over of fatal reports to the shell.
#include "core/fatal.h"

#include <cstdio>

int32_t main_window = 0;

// The report the shell installed; nullptr until then.
static fatal_report_fn installed_report = nullptr;

// Whether fatal_error was called since forget_fatal_errors.
static bool reported = false;

void install_fatal_report(fatal_report_fn report)
{
    installed_report = report;
}

void fatal_error(int32_t window, const char* where)
{
    reported = true;
    if (installed_report != nullptr) {
        installed_report(window, where);
        return;
    }
    std::fprintf(stderr, "fatal error in %s\n", where != nullptr ? where : "");
}

void fatal_file_error(int32_t window, const char* step, const char* file, const char* reason)
{
    // The report cuts its text to its box's buffer; this one holds more.
    char where[512];
    std::snprintf(where, sizeof where, "%s %s: %s", step != nullptr ? step : "",
                  file != nullptr ? file : "", reason != nullptr ? reason : "");
    fatal_error(window, where);
}

bool fatal_error_reported()
{
    return reported;
}

void forget_fatal_errors()
{
    reported = false;
}
