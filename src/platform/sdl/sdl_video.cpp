// The SDL backend's frame: a streaming 5:6:5 texture of the frame size,
// scaled to the window by nearest pixel with its proportions kept (black
// bars). Passes keep a schedule of 100 a second (sleeping, never spinning),
// and where the display offers vertical sync a frame reaches the screen at
// a vertical blank, only when that blank comes before the next pass is due
// (platform/pacing.h): no tearing, and the game is never slowed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/input_record.h"
#include "platform/letterbox.h"
#include "platform/pacing.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_state.h"

// Presents timed to learn the display's refresh when SDL does not know it.
static constexpr int calibration_presents = 8;
// Refresh periods believed, in microseconds: a renderer whose presents come
// faster or slower does not wait for the display.
static constexpr int64_t shortest_period = 4000;
static constexpr int64_t longest_period = 50000;

static SDL_Renderer* renderer = nullptr;
static SDL_Texture* texture = nullptr;
static int frame_width = 0;
static int frame_height = 0;
// The window's created size (the frame size until video starts).
static int created_width = 1024;
static int created_height = 768;
// The schedule of passes and the frames shown (blank period 0: the
// renderer does not wait for vertical blanks).
static pacing pacer = start_pacing(0);
// The pass interval asked for (0: the normal one), kept when video starts
// anew.
static int32_t asked_interval = 0;

uint32_t sdl_presents = 0;

// Microseconds of the steady clock.
static int64_t steady_us()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// The display's refresh period in microseconds for a renderer that waits for
// vertical blanks, 0 when it does not. SDL's refresh rate when it knows one;
// otherwise the interval its presents of the black first frame keep (the
// middle one of seven).
static int64_t blank_period()
{
    SDL_RendererInfo info {};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || (info.flags & SDL_RENDERER_PRESENTVSYNC) == 0) return 0;
    SDL_DisplayMode mode {};
    if (SDL_GetWindowDisplayMode(sdl_window, &mode) == 0 && mode.refresh_rate > 0) return 1000000 / mode.refresh_rate;
    int64_t times[calibration_presents];
    for (int64_t& t : times) {
        SDL_RenderClear(renderer);
        SDL_RenderPresent(renderer);
        t = steady_us();
    }
    int64_t intervals[calibration_presents - 1];
    for (int i = 0; i + 1 < calibration_presents; ++i)
        intervals[i] = times[i + 1] - times[i];
    std::sort(intervals, intervals + calibration_presents - 1);
    int64_t period = intervals[(calibration_presents - 1) / 2];
    return period >= shortest_period && period <= longest_period ? period : 0;
}

void sdl_frame_size(int& width, int& height)
{
    width = frame_width > 0 ? frame_width : created_width;
    height = frame_height > 0 ? frame_height : created_height;
}

bool platform_start_video(int width, int height)
{
    if (sdl_window == nullptr || width < 1 || height < 1) return false;
    sdl_stop_video();
    // Vertical sync where the display offers it; the passes keep their own
    // pace of 100 a second whatever the display, since the game counts its
    // time in passes.
    renderer = SDL_CreateRenderer(sdl_window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (renderer == nullptr) renderer = SDL_CreateRenderer(sdl_window, -1, 0);
    if (renderer == nullptr) {
        std::fprintf(stderr, "SDL renderer: %s\n", SDL_GetError());
        return false;
    }
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (texture == nullptr) {
        std::fprintf(stderr, "SDL texture: %s\n", SDL_GetError());
        SDL_DestroyRenderer(renderer);
        renderer = nullptr;
        return false;
    }
    frame_width = width;
    frame_height = height;
    // Black until the first frame.
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    int64_t period = blank_period();
    // Presents that do not keep to the display are made at once.
    if (period == 0) SDL_RenderSetVSync(renderer, 0);
    pacer = start_pacing(period);
    set_pace_interval(pacer, asked_interval);
    return true;
}

void sdl_stop_video()
{
    if (texture != nullptr) SDL_DestroyTexture(texture);
    if (renderer != nullptr) SDL_DestroyRenderer(renderer);
    texture = nullptr;
    renderer = nullptr;
    frame_width = 0;
    frame_height = 0;
}

void platform_stop_video()
{
    sdl_stop_video();
}

// Copies the frame to the screen; with synced false on a renderer that
// waits for vertical blanks, this one present does not wait. False when
// there is nothing to show it on.
static bool show_frame(const uint16_t* pixels, int width, int height, int pitch_bytes, bool synced)
{
    if (renderer == nullptr || texture == nullptr || sdl_window_closed || pixels == nullptr) return false;
    if (width != frame_width || height != frame_height || pitch_bytes < 2 * width) return false;
    Uint32 flags = SDL_GetWindowFlags(sdl_window);
    if ((flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) != 0) return false;
    SDL_UpdateTexture(texture, nullptr, pixels, pitch_bytes);
    int output_w = 0, output_h = 0;
    SDL_GetRendererOutputSize(renderer, &output_w, &output_h);
    letterbox_rect place = letterbox(output_w, output_h, frame_width, frame_height);
    SDL_Rect target {place.x, place.y, place.w, place.h};
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, &target);
    bool unsynced = !synced && pacer.blank_period > 0;
    if (unsynced) SDL_RenderSetVSync(renderer, 0);
    SDL_RenderPresent(renderer);
    if (unsynced) SDL_RenderSetVSync(renderer, 1);
    return true;
}

void platform_present(const uint16_t* pixels, int width, int height, int pitch_bytes)
{
    ++sdl_presents;
    record_end_pass();
    pace_step step = pace_pass(pacer, steady_us());
    if (step.show && show_frame(pixels, width, height, pitch_bytes, step.synced) && step.synced &&
        pacer.blank_period > 0)
        pace_shown(pacer, steady_us());
    // Waiting is sleeping: an idle loop leaves the processor to others.
    int64_t wait = pacer.due - steady_us();
    if (wait > 0) std::this_thread::sleep_for(std::chrono::microseconds(wait));
}

void platform_set_pass_interval(int32_t microseconds)
{
    asked_interval = microseconds;
    set_pace_interval(pacer, microseconds);
}

void sdl_toggle_fullscreen()
{
    if (sdl_window == nullptr) return;
    SDL_DisplayMode desktop {};
    bool known = SDL_GetDesktopDisplayMode(SDL_GetWindowDisplayIndex(sdl_window), &desktop) == 0;
    if (sdl_fullscreen) {
        int w = 0, h = 0;
        sdl_frame_size(w, h);
        // The window at the frame's own size, if the desktop has room.
        if (known && (w > desktop.w || h > desktop.h)) {
            letterbox_rect fit = letterbox(desktop.w * 9 / 10, desktop.h * 9 / 10, w, h);
            w = fit.w;
            h = fit.h;
        }
        SDL_SetWindowFullscreen(sdl_window, 0);
        SDL_SetWindowBordered(sdl_window, SDL_TRUE);
        SDL_SetWindowResizable(sdl_window, SDL_TRUE);
        SDL_SetWindowSize(sdl_window, w, h);
        SDL_SetWindowPosition(sdl_window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        sdl_fullscreen = false;
    } else {
        // Back at the desktop's size first: without a window manager the
        // full-screen window keeps whatever size it had.
        SDL_SetWindowBordered(sdl_window, SDL_FALSE);
        SDL_SetWindowResizable(sdl_window, SDL_FALSE);
        SDL_SetWindowPosition(sdl_window, 0, 0);
        if (known) SDL_SetWindowSize(sdl_window, desktop.w, desktop.h);
        SDL_SetWindowFullscreen(sdl_window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        sdl_fullscreen = true;
    }
    sdl_update_grab();
}

// The created size is remembered for the mouse mapping before video starts.
void sdl_note_created_size(int width, int height)
{
    created_width = width;
    created_height = height;
}
