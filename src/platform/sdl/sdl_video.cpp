// The SDL backend's frame: a streaming 5:6:5 texture of the frame size,
// scaled to the window by nearest pixel with its proportions kept (black
// bars), and presents paced to at most 100 a second.
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/letterbox.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_state.h"

// The shortest time between two presents: 10 ms, so no loop runs faster
// than 100 passes a second however fast the machine is.
static constexpr std::chrono::microseconds present_interval {10000};

static SDL_Renderer* renderer = nullptr;
static SDL_Texture* texture = nullptr;
static int frame_width = 0;
static int frame_height = 0;
// The window's created size (the frame size until video starts).
static int created_width = 1024;
static int created_height = 768;
// When the previous present was let through.
static std::chrono::steady_clock::time_point last_present {};
static bool presented_before = false;

uint32_t sdl_presents = 0;

void sdl_frame_size(int& width, int& height)
{
    width = frame_width > 0 ? frame_width : created_width;
    height = frame_height > 0 ? frame_height : created_height;
}

bool platform_start_video(int width, int height)
{
    if (sdl_window == nullptr || width < 1 || height < 1) return false;
    sdl_stop_video();
    // No vertical sync: the pace is our own 100 presents a second, the same
    // on every monitor, since the game counts its time in frames.
    renderer = SDL_CreateRenderer(sdl_window, -1, 0);
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
    presented_before = false;
    // Black until the first frame.
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
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

// Waits until the interval since the previous present has passed: sleeps
// for the bulk, then spins the last stretch, which sleeping overshoots.
static void pace()
{
    using clock = std::chrono::steady_clock;
    clock::time_point now = clock::now();
    if (presented_before) {
        clock::time_point due = last_present + present_interval;
        if (now < due) {
            if (due - now > std::chrono::milliseconds(2))
                std::this_thread::sleep_for(due - now - std::chrono::milliseconds(1));
            while (clock::now() < due)
                std::this_thread::yield();
            now = due;
        } else if (now - due < present_interval) {
            // A little late: keep the rhythm. Far behind (a slow frame, a
            // dialog), start again from now rather than rushing to catch up.
            now = due;
        }
    }
    last_present = now;
    presented_before = true;
}

void platform_present(const uint16_t* pixels, int width, int height, int pitch_bytes)
{
    ++sdl_presents;
    pace();
    if (renderer == nullptr || texture == nullptr || sdl_window_closed || pixels == nullptr) return;
    if (width != frame_width || height != frame_height || pitch_bytes < 2 * width) return;
    Uint32 flags = SDL_GetWindowFlags(sdl_window);
    if ((flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) != 0) return;
    SDL_UpdateTexture(texture, nullptr, pixels, pitch_bytes);
    int output_w = 0, output_h = 0;
    SDL_GetRendererOutputSize(renderer, &output_w, &output_h);
    letterbox_rect place = letterbox(output_w, output_h, frame_width, frame_height);
    SDL_Rect target {place.x, place.y, place.w, place.h};
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, &target);
    SDL_RenderPresent(renderer);
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
