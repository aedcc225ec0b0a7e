// The web backend's frame: 5:6:5 rows widened to RGBA through a table of
// all 65,536 pixels and put on the page's canvas, whose size on the page
// the page's own script letterboxes with sharp pixels. Passes keep the
// schedule of 100 a second of the SDL backend (platform/pacing.h), and
// between passes the loop yields the main thread to the browser (input,
// audio, painting). The browser composites the canvas at its own refresh,
// so nothing tears; a frame is put on the canvas only once an animation
// frame has come since the last one, so no work goes into frames that
// never reach the screen.
#include <emscripten.h>

#include <cstdlib>

#include "platform/input_record.h"
#include "platform/pacing.h"
#include "platform/platform.h"
#include "platform/web/web_state.h"

// The widened colour of every 5:6:5 pixel, as RGBA bytes in memory order
// (each channel's top bits repeated into its low bits, as the PNG dumps
// widen them).
static uint32_t rgba_of[65536];
static bool table_made = false;

// The RGBA picture handed to the canvas, width x height x 4 bytes.
static uint8_t* rgba = nullptr;
static int frame_width = 0;
static int frame_height = 0;
// The window's created size (the frame size until video starts).
static int created_width = 1024;
static int created_height = 768;
// The schedule of passes (no vertical sync to wait for here).
static pacing pacer = start_pacing(0);
// The pass interval asked for (0: the normal one), kept when video starts
// anew.
static int32_t asked_interval = 0;

uint32_t web_presents = 0;

// Fills the widening table.
static void make_table()
{
    for (uint32_t p = 0; p < 65536; ++p) {
        uint32_t r = (p >> 11) & 0x1F, g = (p >> 5) & 0x3F, b = p & 0x1F;
        uint32_t r8 = (r << 3) | (r >> 2), g8 = (g << 2) | (g >> 4), b8 = (b << 3) | (b >> 2);
        rgba_of[p] = r8 | (g8 << 8) | (b8 << 16) | 0xFF000000u;
    }
    table_made = true;
}

// Sizes the canvas for frames of width x height and asks the page to place
// it again.
EM_JS(void, web_size_canvas, (int width, int height), {
    var canvas = Module['canvas'];
    canvas.width = width;
    canvas.height = height;
    Module['brask_context'] = canvas.getContext('2d', {alpha: false});
    Module['brask_shown'] = 0;
    Module['brask_refresh'] = true;
    if (Module['layout']) Module['layout']();
});

// Whether the display has refreshed since the last frame was put (true
// for the first), and whether the page holds this pass (its hold test hook).
EM_JS(int, web_refresh_came, (int pass), {
    return (Module['brask_refresh'] || (pass >= 0 && Module['brask_hold'] === pass)) ? 1 : 0;
});

// Puts the RGBA picture on the canvas and waits for the next refresh.
EM_JS(void, web_put_frame, (const uint8_t* pixels, int width, int height, int pass), {
    var bytes = new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4);
    Module['brask_context'].putImageData(new ImageData(bytes, width, height), 0, 0);
    Module['brask_shown'] = (Module['brask_shown'] || 0) + 1;
    Module['brask_shown_pass'] = pass;
    Module['brask_refresh'] = false;
    requestAnimationFrame(function() { Module['brask_refresh'] = true; });
});

// Ends a pass in the page (pass -1: a sleep inside one): counts it, holds
// the loop while the page asks (the pass named by its hold hook, until
// brask_release is called), then
// gives the main thread to the browser for milliseconds; 0 is one turn of
// its event loop, through a message rather than a timer, which the browser
// would stretch to 4 ms.
EM_ASYNC_JS(void, web_end_pass, (int pass, int milliseconds), {
    if (pass >= 0) Module['brask_passes'] = pass + 1;
    if (pass >= 0 && Module['brask_hold'] === pass) {
        await new Promise(function(resolve) {
            Module['brask_held'] = pass;
            Module['brask_release'] = function() {
                Module['brask_hold'] = -1;
                Module['brask_held'] = -1;
                resolve();
            };
        });
    }
    if (milliseconds > 0) {
        await new Promise(function(resolve) { setTimeout(resolve, milliseconds); });
    } else {
        if (!Module['brask_channel']) {
            var channel = new MessageChannel();
            Module['brask_channel'] = channel;
            Module['brask_wakers'] = [];
            channel.port1.onmessage = function() { Module['brask_wakers'].shift()(); };
        }
        await new Promise(function(resolve) {
            Module['brask_wakers'].push(resolve);
            Module['brask_channel'].port2.postMessage(0);
        });
    }
});

void web_yield(uint32_t milliseconds)
{
    web_end_pass(-1, static_cast<int>(milliseconds));
}

void web_frame_size(int& width, int& height)
{
    width = frame_width > 0 ? frame_width : created_width;
    height = frame_height > 0 ? frame_height : created_height;
}

void web_note_created_size(int width, int height)
{
    created_width = width;
    created_height = height;
}

bool platform_start_video(int width, int height)
{
    if (!web_window_open || width < 1 || height < 1 || width > 4096 || height > 4096) return false;
    if (!table_made) make_table();
    auto* pixels = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(width) * height * 4));
    if (pixels == nullptr) return false;
    std::free(rgba);
    rgba = pixels;
    frame_width = width;
    frame_height = height;
    web_size_canvas(width, height);
    pacer = start_pacing(0);
    set_pace_interval(pacer, asked_interval);
    return true;
}

void platform_stop_video()
{
    std::free(rgba);
    rgba = nullptr;
    frame_width = 0;
    frame_height = 0;
}

// Widens the frame into the RGBA picture and puts it on the canvas.
static void show_frame(const uint16_t* pixels, int width, int height, int pitch_bytes, int pass)
{
    if (rgba == nullptr || pixels == nullptr || web_window_closed) return;
    if (width != frame_width || height != frame_height || pitch_bytes < 2 * width) return;
    auto* out = reinterpret_cast<uint32_t*>(rgba);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint16_t*>(reinterpret_cast<const uint8_t*>(pixels) +
                                                            static_cast<size_t>(y) * pitch_bytes);
        for (int x = 0; x < width; ++x)
            out[x] = rgba_of[row[x]];
        out += width;
    }
    web_put_frame(rgba, width, height, pass);
}

void platform_present(const uint16_t* pixels, int width, int height, int pitch_bytes)
{
    const int pass = static_cast<int>(web_presents);
    ++web_presents;
    record_end_pass();
    web_keep_saved_files();
    pace_pass(pacer, web_now_us());
    if (web_refresh_came(pass)) show_frame(pixels, width, height, pitch_bytes, pass);
    web_feed_audio();
    // Waiting is yielding: the browser runs input, audio and painting.
    int64_t wait = pacer.due - web_now_us();
    web_end_pass(pass, wait > 0 ? static_cast<int>((wait + 500) / 1000) : 0);
}

void platform_set_pass_interval(int32_t microseconds)
{
    asked_interval = microseconds;
    set_pace_interval(pacer, microseconds);
}
