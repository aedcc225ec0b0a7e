#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/cp1251.h"
#include "input/joystick.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "render/display.h"
#include "shell/shell.h"

namespace {

// The text of the last message box, which fatal_error shows.
std::string last_fatal()
{
    int n = headless_box_count();
    return n > 0 ? headless_box_text(n - 1) : "";
}

// The scripted joystick: attached or not, its raw axes and buttons.
void script_joystick(bool attached, int32_t x = 0, int32_t y = 0, const uint8_t* buttons = nullptr)
{
    headless_set_joystick(attached);
    headless_set_joystick_axis(0, x);
    headless_set_joystick_axis(1, y);
    for (int i = 0; i < joystick_buttons; ++i) headless_set_joystick_button(i, buttons != nullptr ? buttons[i] : 0);
}

void set_screen(int32_t width, int32_t height)
{
    screen_width = width;
    screen_height = height;
}

class Joystick : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless_reset();
        install_fatal_report(fatal_report);
        headless_echo_boxes(false);
        release_input();
        set_screen(1024, 768);
        script_joystick(true);
    }
    void TearDown() override
    {
        release_input();
        set_screen(1024, 768);
    }

    // Polls once at the given raw position.
    static void poll_at(int32_t x, int32_t y)
    {
        script_joystick(true, x, y);
        poll_joystick();
    }
};

TEST_F(Joystick, ReleaseWithNothingStartedDoesNothing)
{
    joy_x = 77;
    release_input();
    release_input();
    uint32_t before = platform_milliseconds();
    poll_joystick();
    EXPECT_LT(platform_milliseconds() - before, 10u);  // no read, no sleep
    EXPECT_EQ(joy_x, 77);
}

TEST_F(Joystick, NoJoystickEndsTheStartWithItsText)
{
    script_joystick(false);
    EXPECT_FALSE(start_joystick(0));
    EXPECT_STREQ(error_text, "Joystick отсутствует"_cp);
    EXPECT_NE(last_fatal().find("Joystick отсутствует"_cp), std::string::npos);
}

TEST_F(Joystick, SetupFailuresNameTheirAxis)
{
    struct row {
        int32_t w, h;
        const char* text;
    };
    const row rows[] = {{0, 768, "Calibrate X error"}, {1, 768, "Calibrate X error"}, {1024, 1, "Calibrate Y error"}};
    for (const row& r : rows) {
        release_input();
        set_screen(r.w, r.h);
        EXPECT_FALSE(start_joystick(0));
        EXPECT_STREQ(error_text, r.text);
        EXPECT_NE(last_fatal().find(r.text), std::string::npos);
    }
}

// Dead zone, saturation and the linear part between, on the X axis of a
// 1024-wide screen (range -512..512, so joy_x runs 0..1024).
TEST_F(Joystick, AxesHaveADeadZoneAndSaturate)
{
    ASSERT_TRUE(start_joystick(0));
    struct row {
        int32_t raw;
        int32_t x;
    };
    const row rows[] = {
        {0, 512},       {-1, 512},     // the raw centre lies between -1 and 0
        {3276, 512},    {-3277, 512},  // 10 % of the half range: still centred
        {16383, 768},   {-16384, 256}, // halfway between dead zone and saturation
        {29491, 1024},  {-29492, 0},   // 90 %: the end of the range
        {32767, 1024},  {-32768, 0},
    };
    for (const row& r : rows) {
        poll_at(r.raw, 0);
        EXPECT_EQ(joy_x, r.x) << r.raw;
    }
    poll_at(3276 + 200, 0);
    EXPECT_GT(joy_x, 512);
    poll_at(29000, 0);
    EXPECT_LT(joy_x, 1024);
}

// At W = 1024, H = 768: up below 128, down above 640, left below 256,
// right above 768; every raw position of both axes is checked.
TEST_F(Joystick, DirectionFlagsAtTheirBoundaries)
{
    ASSERT_TRUE(start_joystick(0));
    int seen_x[1025] = {};
    int seen_y[769] = {};
    int32_t last_x = -1, last_y = -1;
    for (int32_t raw = -32768; raw <= 32767; ++raw) {
        poll_at(raw, raw);
        ASSERT_GE(joy_x, last_x);  // never backwards
        ASSERT_GE(joy_y, last_y);
        ASSERT_TRUE(joy_x >= 0 && joy_x <= 1024 && joy_y >= 0 && joy_y <= 768) << raw;
        ASSERT_EQ(joy_left, joy_x < 256) << joy_x;
        ASSERT_EQ(joy_right, joy_x > 768) << joy_x;
        ASSERT_EQ(joy_up, joy_y < 128) << joy_y;
        ASSERT_EQ(joy_down, joy_y > 640) << joy_y;
        ++seen_x[joy_x];
        ++seen_y[joy_y];
        last_x = joy_x;
        last_y = joy_y;
    }
    // The boundary values themselves were reached.
    for (int v : {255, 256, 768, 769}) EXPECT_GT(seen_x[v], 0) << v;
    for (int v : {127, 128, 640, 641}) EXPECT_GT(seen_y[v], 0) << v;
}

TEST_F(Joystick, ElevenButtonsAreReported)
{
    ASSERT_TRUE(start_joystick(0));
    uint8_t buttons[joystick_buttons] = {};
    for (int i = 0; i < joystick_buttons; ++i) buttons[i] = (i % 3 == 0) ? 1 : 0;
    script_joystick(true, 0, 0, buttons);
    poll_joystick();
    for (int i = 0; i < joystick_button_flags; ++i) EXPECT_EQ(joy_button[i], i % 3 == 0) << i;
    script_joystick(true, 0, 0, nullptr);
    poll_joystick();
    for (bool b : joy_button) EXPECT_FALSE(b);
}

TEST_F(Joystick, FailedReadsLeaveTheStateAndALostDeviceIsOpenedAgain)
{
    ASSERT_TRUE(start_joystick(0));
    poll_at(-32768, 32767);
    ASSERT_EQ(joy_x, 0);
    ASSERT_EQ(joy_y, 768);

    // A successful poll sleeps 50 ms.
    uint32_t before = platform_milliseconds();
    poll_at(0, 0);
    uint32_t spent = platform_milliseconds() - before;
    EXPECT_GE(spent, 50u);
    EXPECT_LT(spent, 60u);

    // Lost and back again (unplugged and plugged in between two polls): the
    // failed read opens the device again and reads once more.
    headless_set_joystick(false);
    script_joystick(true, 32767, 0);
    poll_joystick();
    EXPECT_EQ(joy_x, 1024);

    // Gone: the poll gives up, changing nothing and without sleeping.
    script_joystick(false, -32768, -32768);
    before = platform_milliseconds();
    poll_joystick();
    EXPECT_LT(platform_milliseconds() - before, 10u);
    EXPECT_EQ(joy_x, 1024);
    EXPECT_EQ(joy_y, 384);
    EXPECT_FALSE(joy_up);
}

TEST_F(Joystick, OnlyAnAcquiredDeviceIsRead)
{
    ASSERT_TRUE(start_joystick(0));
    poll_at(0, 0);
    acquire_joystick(0);
    poll_at(32767, 32767);
    EXPECT_EQ(joy_x, 512);
    acquire_joystick(1);
    poll_at(32767, 32767);
    EXPECT_EQ(joy_x, 1024);

    release_input();
    poll_at(-32768, 0);
    EXPECT_EQ(joy_x, 1024);
    acquire_joystick(1);  // nothing without a device
    poll_at(-32768, 0);
    EXPECT_EQ(joy_x, 1024);
}

}  // namespace
