#include <gtest/gtest.h>

#include <string>

#include "core/cp1251.h"
#include "input/input_latch.h"
#include "platform/headless/headless.h"
#include "shell/shell.h"

// The shutdown's releases, recorded instead of run.
void release_display() { headless_trace_note("release display"); }
void release_sound() { headless_trace_note("release sound"); }
void release_input() { headless_trace_note("release input"); }

namespace {

const std::string releases = "release display;release sound;release input;";

struct ShellTest : ::testing::Test {
    void SetUp() override
    {
        headless_reset();
        install_fatal_report(fatal_report);
        headless_echo_boxes(false);
        reset_input_latch();
        quit_requested = 0;
        main_window = 0;
    }
    void open_window()
    {
        ASSERT_TRUE(platform_create_window("game", 1024, 768));
        main_window = 1;
        platform_show_window(true);
    }
    // The trace after the window was opened.
    std::string trace_since_open() const
    {
        std::string t = headless_trace();
        return t.substr(std::string("create 1024x768;show 1;").size());
    }
};

TEST_F(ShellTest, FatalErrorReleasesHidesReportsAndDestroys)
{
    open_window();
    fatal_error(main_window, "InitDirectSound");
    // Releases, hide, box, then the destruction whose WM_DESTROY releases
    // once more.
    EXPECT_EQ(trace_since_open(), releases + "show 0;box Brask;" + releases + "destroy;");
    ASSERT_EQ(headless_box_count(), 1);
    EXPECT_STREQ(headless_box_caption(0), "Brask");
    EXPECT_STREQ(headless_box_text(0), "Программа прервана\nОшибка в InitDirectSound"_cp);
    EXPECT_FALSE(platform_window_exists());
    EXPECT_EQ(main_window, 0);
    EXPECT_EQ(quit_requested, 1);
}

// The display start-up path: the inner step reports, then the entry reports
// "InitDirectDraw" with the window already gone.
TEST_F(ShellTest, SecondFatalErrorAfterTheWindowIsGone)
{
    open_window();
    fatal_error(main_window, "SetDisplayMode");
    fatal_error(main_window, "InitDirectDraw");
    EXPECT_EQ(trace_since_open(),
              releases + "show 0;box Brask;" + releases + "destroy;" + releases + "box Brask;");
    ASSERT_EQ(headless_box_count(), 2);
    EXPECT_STREQ(headless_box_text(0), "Программа прервана\nОшибка в SetDisplayMode"_cp);
    EXPECT_STREQ(headless_box_text(1), "Программа прервана\nОшибка в InitDirectDraw"_cp);
    EXPECT_STREQ(headless_box_caption(1), "Brask");
}

TEST_F(ShellTest, FatalErrorBeforeAnyWindowOnlyReleasesAndReports)
{
    fatal_error(0, "загрузке растра"_cp);
    EXPECT_EQ(std::string(headless_trace()), releases + "box Brask;");
    EXPECT_STREQ(headless_box_text(0), "Программа прервана\nОшибка в загрузке растра"_cp);
    EXPECT_EQ(quit_requested, 0);
}

TEST_F(ShellTest, FatalErrorTextIsCutToItsBuffer)
{
    std::string where(400, 'x');
    fatal_error(0, where.c_str());
    std::string text = headless_box_text(0);
    EXPECT_EQ(text.size(), 255u);
    EXPECT_EQ(text.substr(0, std::string("Программа прервана\nОшибка в "_cp).size()),
              std::string("Программа прервана\nОшибка в "_cp));
}

TEST_F(ShellTest, DestroyFromOutsideEndsTheLoopAndReleases)
{
    open_window();
    headless_add_event({0, event_close, 0, 0, 0});
    drain_messages();
    EXPECT_EQ(quit_requested, 1);
    EXPECT_EQ(main_window, 0);
    EXPECT_FALSE(platform_window_exists());
    EXPECT_EQ(trace_since_open(), "closed;" + releases);
    // Nothing more arrives from a closed window.
    headless_add_event({0, event_move, 5, 5, 0});
    drain_messages();
    EXPECT_EQ(cursor_x, 0);
}

TEST_F(ShellTest, CloseMessageDestroysTheWindow)
{
    open_window();
    platform_post_message(WM_CLOSE);
    drain_messages();
    EXPECT_EQ(trace_since_open(), releases + "destroy;");
    EXPECT_FALSE(platform_window_exists());
    EXPECT_EQ(quit_requested, 1);
}

TEST_F(ShellTest, QuitMessageDoesNotStopTheDrain)
{
    open_window();
    platform_post_message(WM_QUIT);
    // Script events of the pass arrive behind the posted message.
    headless_add_event({0, event_move, 7, 9, 0});
    headless_add_event({0, event_char, 0, 0, 'a'});
    drain_messages();
    EXPECT_EQ(cursor_x, 7);
    EXPECT_EQ(cursor_y, 9);
    EXPECT_EQ(typed_char, 'a');
    EXPECT_EQ(quit_requested, 0);
    EXPECT_TRUE(platform_window_exists());
    platform_message m {};
    EXPECT_FALSE(platform_next_message(m));
}

TEST_F(ShellTest, DrainOnAnEmptyQueueReturnsAtOnce)
{
    open_window();
    drain_messages();
    EXPECT_EQ(trace_since_open(), "");
    EXPECT_EQ(cursor_x, 0);
}

// Messages reach the latch in arrival order: the click lands where the move
// before it left the cursor.
TEST_F(ShellTest, DrainKeepsArrivalOrder)
{
    open_window();
    headless_add_event({0, event_move, 10, 10, 0});
    headless_add_event({0, event_left_down, 0, 0, 0});
    headless_add_event({0, event_move, 20, 20, 0});
    headless_add_event({0, event_left_up, 0, 0, 0});
    headless_add_event({0, event_move, 30, 30, 0});
    drain_messages();
    EXPECT_EQ(left_press_x, 10);
    EXPECT_EQ(left_release_x, 20);
    EXPECT_EQ(cursor_x, 30);
}

// Typed characters reach the latch one a pass, in the order typed: a reader
// that takes each gets every one; one left unread gives way to the next
// waiting; with none waiting it stays; past the queue's room they drop.
TEST_F(ShellTest, TypedCharactersArriveOneAPassInOrder)
{
    open_window();
    for (char c : std::string("abc"))
        headless_add_event({0, event_char, 0, 0, c});
    headless_add_event({3, event_char, 0, 0, 'd'});
    headless_add_event({3, event_char, 0, 0, 'e'});
    struct {
        bool take;      // the pass's reader takes the character
        uint8_t typed;  // typed_char after the pass's drain
        uint8_t ready;  // char_ready after it
    } passes[] = {
        {true, 'a', 1},   {true, 'b', 1},  {false, 'c', 1},  // "c" is left unread
        {true, 'd', 1},                                      // and gives way to "d"
        {false, 'e', 1},  {false, 'e', 1},                   // nothing waits: "e" stays
        {true, 'e', 1},   {true, 'e', 0},
    };
    for (const auto& p : passes) {
        SCOPED_TRACE(headless_pass());
        drain_messages();
        EXPECT_EQ(typed_char, p.typed);
        EXPECT_EQ(char_ready, p.ready);
        if (p.take) char_ready = 0;
        platform_present(nullptr, 0, 0, 0);
    }
    // More than the queue holds, in one pass: the first typed_queue_size come.
    for (int i = 0; i < typed_queue_size + 10; ++i)
        headless_add_event({headless_pass(), event_char, 0, 0, i & 0xFF});
    int arrived = 0;
    for (int pass = 0; pass < typed_queue_size + 10; ++pass) {
        drain_messages();
        if (char_ready) {
            EXPECT_EQ(typed_char, arrived & 0xFF);
            ++arrived;
        }
        char_ready = 0;
        platform_present(nullptr, 0, 0, 0);
    }
    EXPECT_EQ(arrived, typed_queue_size);
}

// A button pressed and let go within one pass reads as held for that pass
// (its click latched at once) and as up from the next; a click a control
// takes lets the button go at once; a release of a press from an earlier
// pass is at once.
TEST_F(ShellTest, QuickClicksReadAsHeldForTheirPass)
{
    open_window();
    const headless_event_kind down[2] = {event_left_down, event_right_down};
    const headless_event_kind up[2] = {event_left_up, event_right_up};
    const uint8_t* held[2] = {&left_down, &right_down};
    for (int b = 0; b < 2; ++b) {
        SCOPED_TRACE(b == 0 ? "left" : "right");
        int32_t p = headless_pass();
        headless_add_event({p, event_move, 40, 50, 0});
        headless_add_event({p, down[b], 0, 0, 0});
        headless_add_event({p, up[b], 0, 0, 0});
        headless_add_event({p + 2, down[b], 0, 0, 0});
        headless_add_event({p + 3, up[b], 0, 0, 0});
        const uint8_t expected[] = {1, 0, 1, 0};
        for (uint8_t e : expected) {
            drain_messages();
            EXPECT_EQ(*held[b], e) << "pass " << headless_pass() - p;
            platform_present(nullptr, 0, 0, 0);
        }
        EXPECT_EQ(b == 0 ? left_press_x : right_press_x, 40);
    }
    EXPECT_EQ(left_release_x, 40);
    // Taken by a control, the quick click is over within its pass.
    headless_add_event({headless_pass(), event_left_down, 0, 0, 0});
    headless_add_event({headless_pass(), event_left_up, 0, 0, 0});
    drain_messages();
    EXPECT_EQ(left_down, 1);
    EXPECT_TRUE(hit_left_release(30, 40, 20, 20));
    EXPECT_EQ(left_down, 0);
}

}  // namespace
