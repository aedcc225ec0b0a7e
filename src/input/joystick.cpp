// The joystick layer over the platform's raw joystick: our own axis
// properties (range, dead zone, saturation) turn the raw -32768..32767 axes
// into screen positions, as a joystick driver's calibration would.

#include "input/joystick.h"

#include <cstdio>

#include "core/cp1251.h"
#include "core/fatal.h"
#include "core/screen.h"
#include "platform/platform.h"

int32_t joy_x = 0;
int32_t joy_y = 0;
bool joy_left = false;
bool joy_right = false;
bool joy_up = false;
bool joy_down = false;
bool joy_button[joystick_button_flags] = {};
char error_text[255] = {};

namespace {

// The properties of one axis, as setup_joystick sets them.
struct axis_properties {
    int32_t low;          // value at the far left or top
    int32_t high;         // value at the far right or bottom
    int32_t dead_zone;    // ten-thousandths of the half range read as centred
    int32_t saturation;   // ten-thousandths of the half range beyond which the end is read
};

}  // namespace

// The device found by joystick_found, and whether it is open and acquired.
static bool device_found = false;
static int32_t found_device = -1;
static bool device_open = false;
static bool acquired = false;

// X and Y; a fresh device reads the raw range unscaled.
static axis_properties axes[joystick_axes] = {
    {-32768, 32767, 0, 10000},
    {-32768, 32767, 0, 10000},
};

// The milliseconds poll_joystick sleeps after a successful read.
constexpr uint32_t poll_sleep_ms = 50;

static bool set_range(int axis, int32_t low, int32_t high)
{
    if (low >= high) return false;
    axes[axis].low = low;
    axes[axis].high = high;
    return true;
}

static bool set_dead_zone(int axis, int32_t value)
{
    if (value < 0 || value > 10000) return false;
    axes[axis].dead_zone = value;
    return true;
}

static bool set_saturation(int axis, int32_t value)
{
    if (value < 0 || value > 10000) return false;
    axes[axis].saturation = value;
    return true;
}

// A raw axis reading through the axis's dead zone, saturation and range.
// The raw centre lies between -1 and 0, so the reading is measured in
// half-steps (2 raw + 1, -65535..65535) to keep both sides alike.
static int32_t scale_axis(int axis, int32_t raw)
{
    const axis_properties& p = axes[axis];
    constexpr int64_t full = 65535;
    int64_t d = 2 * static_cast<int64_t>(raw) + 1;
    int64_t a = d < 0 ? -d : d;
    int64_t dead = full * p.dead_zone / 10000;
    int64_t saturated = full * p.saturation / 10000;
    // The part of the way from the centre to the end: num / den.
    int64_t num, den;
    if (a <= dead) {
        num = 0;
        den = 1;
    } else if (a >= saturated || saturated <= dead) {
        num = 1;
        den = 1;
    } else {
        num = a - dead;
        den = saturated - dead;
    }
    int64_t span = static_cast<int64_t>(p.high) - p.low;
    // low + (1 + sign * num/den) * span / 2, rounded to nearest.
    int64_t x = (den + (d < 0 ? -num : num)) * span;
    return static_cast<int32_t>(p.low + (x + den) / (2 * den));
}

bool joystick_found(int32_t device)
{
    found_device = device;
    device_found = true;
    return false;
}

static bool fail(int32_t window, const char* step)
{
    std::snprintf(error_text, sizeof error_text, "%s", step);
    fatal_error(window, error_text);
    return false;
}

bool start_joystick(int32_t window)
{
    // The platform opens the first attached joystick; that is the one found.
    device_found = false;
    if (!device_open && platform_open_joystick()) {
        device_open = true;
        joystick_found(0);
    } else if (device_open) {
        joystick_found(found_device);
    }
    if (!device_found) return fail(window, "Joystick отсутствует"_cp);
    if (!setup_joystick()) {
        fatal_error(window, error_text);
        return false;
    }
    acquire_joystick(1);
    return true;
}

bool setup_joystick()
{
    const int32_t w = screen_width;
    const int32_t h = screen_height;
    // The first failing property names the failure.
    const char* failed = nullptr;
    if (!set_range(0, -w / 2, w / 2)) failed = "Calibrate X error";
    else if (!set_range(1, -h / 2, h / 2)) failed = "Calibrate Y error";
    else if (!set_dead_zone(0, joystick_dead_zone)) failed = "Dead zone X error";
    else if (!set_dead_zone(1, joystick_dead_zone)) failed = "Dead zone Y error";
    else if (!set_saturation(0, joystick_saturation)) failed = "Saturation Error";
    else if (!set_saturation(1, joystick_saturation)) failed = "Saturation Error";
    if (failed == nullptr) return true;
    std::snprintf(error_text, sizeof error_text, "%s", failed);
    return false;
}

void acquire_joystick(int32_t flag)
{
    if (!device_open) return;
    acquired = flag != 0;
}

// One read of the acquired device; a lost device is opened again and read
// once more.
static bool read_state(int32_t raw[joystick_axes], uint8_t buttons[joystick_buttons])
{
    if (!device_open || !acquired) return false;
    if (platform_read_joystick(raw, buttons)) return true;
    platform_close_joystick();
    if (!platform_open_joystick()) return false;
    return platform_read_joystick(raw, buttons);
}

void poll_joystick()
{
    int32_t raw[joystick_axes] = {};
    uint8_t buttons[joystick_buttons] = {};
    if (!read_state(raw, buttons)) return;

    const int32_t w = screen_width;
    const int32_t h = screen_height;
    joy_x = w / 2 + scale_axis(0, raw[0]);
    joy_y = h / 2 + scale_axis(1, raw[1]);
    // A quarter of the screen width away from the centre, on both axes.
    const int32_t q = w / 4;
    joy_left = joy_x < w / 2 - q;
    joy_right = joy_x > w / 2 + q;
    joy_up = joy_y < h / 2 - q;
    joy_down = joy_y > h / 2 + q;
    for (int i = 0; i < joystick_button_flags; ++i) joy_button[i] = buttons[i] != 0;
    platform_sleep(poll_sleep_ms);
}

void release_input()
{
    if (device_open) {
        acquired = false;
        platform_close_joystick();
        device_open = false;
    }
    device_found = false;
    found_device = -1;
}
