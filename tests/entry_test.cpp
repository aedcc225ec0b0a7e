#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/cp1251.h"
#include "input/input_latch.h"
#include "input/joystick.h"
#include "platform/headless/headless.h"
#include "render/colours.h"
#include "render/display.h"
#include "render/font.h"
#include "shell/entry.h"
#include "shell/shell.h"
#include "sound/sound.h"

// Doubles of the layers the entry starts: each records its call (with what
// it finds set up) in the headless trace, and can be made to fail.
int32_t screen_width = 1024;
int32_t screen_height = 768;
int32_t screen_pitch = 0;
int32_t colour_key = 0;

namespace {
bool display_fails = false;
bool sound_fails = false;
bool font_fails = false;

void note(const char* format, int a = 0, int b = 0, int c = 0)
{
    char entry[96];
    std::snprintf(entry, sizeof entry, format, a, b, c);
    headless_trace_note(entry);
}
}  // namespace

int32_t pack_colour(int32_t red, int32_t green, int32_t blue)
{
    return ((red & 0xF8) << 8) | ((green & 0xFC) << 3) | ((blue & 0xF8) >> 3);
}

bool start_display(int32_t window, int bits)
{
    note("start display %dx%d key %X", screen_width, screen_height, colour_key);
    note("depth %d window %d", bits, window);
    if (display_fails) {
        // The display reports its own inner step first.
        fatal_error(window, "SetDisplayMode");
        return false;
    }
    return true;
}
void release_display() { headless_trace_note("release display"); }
void init_colours() { headless_trace_note("init colours"); }
bool load_font()
{
    note("load font pitch %d", screen_pitch);
    return !font_fails;
}
void font_failure(const char*& file, const char*& reason)
{
    file = "data\\font\\smf.fn";
    reason = "the file cannot be opened";
}
bool start_sound(int32_t /*window*/)
{
    headless_trace_note("start sound");
    return !sound_fails;
}
void release_sound() { headless_trace_note("release sound"); }
void release_input() { headless_trace_note("release input"); }

namespace {

void recording_loop()
{
    note("main loop %dx%d", screen_width, screen_height);
}

// A loop that meets a fatal loading failure of its own, as the game's does
// without its map.
void failing_loop()
{
    note("main loop %dx%d", screen_width, screen_height);
    fatal_error(main_window, "загрузке карты"_cp);
}

// A loop that runs until quit_requested, as every real one does.
void polling_loop()
{
    while (!quit_requested) {
        drain_messages();
        static uint16_t frame[4];
        platform_present(frame, 2, 2, 4);
        ASSERT_LT(headless_pass(), 100);
    }
}

const configuration game = {"game", 800, 600, recording_loop};
const configuration editor = {"map_editor", 1024, 768, recording_loop};

const std::string releases = "release display;release sound;release input;";

struct EntryTest : ::testing::Test {
    void SetUp() override
    {
        headless_reset();
        headless_echo_boxes(false);
        reset_input_latch();
        quit_requested = 0;
        main_window = 0;
        display_fails = sound_fails = font_fails = false;
        screen_width = 1024;
        screen_height = 768;
        screen_pitch = 0;
        colour_key = 0;
    }
};

TEST_F(EntryTest, StartUpOrderOfTheGame)
{
    EXPECT_EQ(run_entry(game), 0);
    // The window at 1024 x 768, then everything at the configuration's size.
    EXPECT_EQ(std::string(headless_trace()),
              "create 1024x768;show 1;start display 800x600 key F81F;depth 16 window 1;start sound;"
              "init colours;load font pitch 800;main loop 800x600;");
    EXPECT_EQ(headless_box_count(), 0);
    // WM_CLOSE waits in the queue; the entry does not pump it.
    platform_message m {};
    ASSERT_TRUE(platform_next_message(m));
    EXPECT_EQ(m.message, WM_CLOSE);
    EXPECT_TRUE(platform_window_exists());
}

TEST_F(EntryTest, EditorConfigurationKeepsTheWindowSize)
{
    run_entry(editor);
    std::string trace = headless_trace();
    EXPECT_NE(trace.find("start display 1024x768"), std::string::npos);
    EXPECT_NE(trace.find("load font pitch 1024;main loop 1024x768;"), std::string::npos);
}

// At the process's end the posted WM_CLOSE destroys the window, which
// releases the devices in their order.
TEST_F(EntryTest, EndOfProcessHandlesThePostedClose)
{
    run_entry(game);
    headless_trace_note("--");
    end_process();
    std::string trace = headless_trace();
    EXPECT_EQ(trace.substr(trace.find("--;") + 3), releases + "destroy;shutdown;");
    EXPECT_EQ(main_window, 0);
}

TEST_F(EntryTest, FailedDisplayIsReportedTwice)
{
    display_fails = true;
    EXPECT_EQ(run_entry(game), 1);
    EXPECT_EQ(std::string(headless_trace()),
              "create 1024x768;show 1;start display 800x600 key F81F;depth 16 window 1;" + releases +
                  "show 0;box Brask;" + releases + "destroy;" + releases + "box Brask;");
    ASSERT_EQ(headless_box_count(), 2);
    EXPECT_STREQ(headless_box_text(0), "Программа прервана\nОшибка в SetDisplayMode"_cp);
    EXPECT_STREQ(headless_box_text(1), "Программа прервана\nОшибка в InitDirectDraw"_cp);
}

TEST_F(EntryTest, FailedSoundStopsBeforeTheColours)
{
    sound_fails = true;
    EXPECT_EQ(run_entry(game), 1);
    std::string trace = headless_trace();
    EXPECT_NE(trace.find("start sound;" + releases + "show 0;box Brask;" + releases + "destroy;"), std::string::npos);
    EXPECT_EQ(trace.find("init colours"), std::string::npos);
    EXPECT_EQ(trace.find("main loop"), std::string::npos);
    ASSERT_EQ(headless_box_count(), 1);
    EXPECT_STREQ(headless_box_text(0), "Программа прервана\nОшибка в InitDirectSound"_cp);
}

// Without the font no text shows: the failure is reported with the file
// and the reason, and the loop never runs.
TEST_F(EntryTest, MissingFontIsReportedWithoutTheLoop)
{
    font_fails = true;
    EXPECT_EQ(run_entry(game), 1);
    std::string trace = headless_trace();
    EXPECT_NE(trace.find("load font pitch 800;" + releases + "show 0;box Brask;" + releases + "destroy;"),
              std::string::npos);
    EXPECT_EQ(trace.find("main loop"), std::string::npos);
    ASSERT_EQ(headless_box_count(), 1);
    EXPECT_STREQ(headless_box_text(0),
                 "Программа прервана\nОшибка в загрузке шрифта data\\font\\smf.fn: the file cannot be opened"_cp);
    platform_message m {};
    EXPECT_FALSE(platform_next_message(m));  // no WM_CLOSE either
    // The report took the window and the devices down already.
    headless_trace_note("--");
    end_process();
    trace = headless_trace();
    EXPECT_EQ(trace.substr(trace.find("--;") + 3), "shutdown;");
}

// The exit status: 0 after a normal end, 1 after a loop's own fatal report;
// a new run starts with no report remembered.
TEST_F(EntryTest, ExitStatusSaysWhetherAFatalReportWasShown)
{
    const configuration failing = {"game", 800, 600, failing_loop};
    const struct {
        const configuration* config;
        int status;
    } runs[] = {{&game, 0}, {&failing, 1}, {&game, 0}};
    for (const auto& r : runs) {
        headless_reset();
        quit_requested = 0;
        main_window = 0;
        EXPECT_EQ(run_entry(*r.config), r.status) << r.config->name;
        end_process();
    }
}

TEST_F(EntryTest, NoWindowNoStartUp)
{
    headless_fail_window(true);
    EXPECT_EQ(run_entry(game), 1);
    EXPECT_EQ(std::string(headless_trace()), "");
    EXPECT_EQ(main_window, 0);
}

// The window closed from outside while the loop runs: the loop ends at
// once, the devices are released once, and the entry's WM_CLOSE finds no
// window.
TEST_F(EntryTest, WindowClosedFromOutsideEndsTheLoop)
{
    const configuration polling = {"game", 800, 600, polling_loop};
    headless_add_event({3, event_close, 0, 0, 0});
    run_entry(polling);
    EXPECT_EQ(headless_pass(), 4);
    std::string trace = headless_trace();
    EXPECT_NE(trace.find("closed;" + releases), std::string::npos);
    end_process();
    trace = headless_trace();
    EXPECT_EQ(trace.substr(trace.find("closed;")), "closed;" + releases + "shutdown;");
}

}  // namespace
