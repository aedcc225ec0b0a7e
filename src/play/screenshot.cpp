// Screenshots: a free numbered name in screenshots/, the frame written as PNG.
#include "play/screenshot.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "platform/png_writer.h"
#include "render/display.h"

// True when the folder exists or could be made.
static bool make_folder(const char* folder)
{
    struct stat info {};
    if (stat(folder, &info) == 0)
        return S_ISDIR(info.st_mode);
    return mkdir(folder, 0755) == 0 || errno == EEXIST;
}

// True when nothing of that name exists.
static bool name_free(const char* path)
{
    struct stat info {};
    return stat(path, &info) != 0 && errno == ENOENT;
}

bool save_screenshot(char* name, int32_t capacity)
{
    if (name == nullptr || capacity < 1)
        return false;
    std::snprintf(name, static_cast<size_t>(capacity), "%s/", screenshot_folder);
    if (!make_folder(screenshot_folder))
        return false;
    int32_t number = 1;
    for (; number <= last_screenshot_number; ++number) {
        std::snprintf(name, static_cast<size_t>(capacity), "%s/brask-%04d.png", screenshot_folder,
                      static_cast<int>(number));
        if (name_free(name))
            break;
    }
    if (number > last_screenshot_number)
        return false;
    const surface* s = draw_surface;
    if (s == nullptr || s->bytes_per_pixel != 2)
        return false;
    return write_png_565(name, reinterpret_cast<const uint16_t*>(s->pixels), s->width, s->height, s->pitch);
}
