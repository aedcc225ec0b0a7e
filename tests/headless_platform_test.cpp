#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/code_page.h"
#include "core/cp1251.h"
#include "platform/headless/headless.h"
#include "platform/png_writer.h"

namespace {

struct HeadlessTest : ::testing::Test {
    void SetUp() override
    {
        headless_reset();
        headless_echo_boxes(false);
        ASSERT_TRUE(platform_create_window("game", 1024, 768));
    }
    // Every message now waiting, as "message:position:character" lines.
    std::string drain()
    {
        std::string out;
        platform_message m {};
        while (platform_next_message(m))
            out += std::to_string(m.message) + ":" + std::to_string(m.position) + ":" + std::to_string(m.character) + " ";
        return out;
    }
    void present()
    {
        static uint16_t pixels[4] = {0, 0, 0, 0};
        platform_present(pixels, 2, 2, 4);
    }
    bool load(const char* script)
    {
        int line = 0;
        const char* error = nullptr;
        return headless_load_script(script, line, error);
    }
};

std::string msg(uint32_t message, uint32_t position = 0, uint32_t character = 0)
{
    return std::to_string(message) + ":" + std::to_string(position) + ":" + std::to_string(character) + " ";
}

// --- Script format -------------------------------------------------------------

TEST_F(HeadlessTest, ScriptEventsBecomeMessagesAtTheirPass)
{
    ASSERT_TRUE(load("# a comment line\n"
                     "0 move 10 20\n"
                     "\n"
                     "0 ldown   # trailing comment\n"
                     "0 lup\n"
                     "1 ldouble\n"
                     "1 rdown\n"
                     "1 rup\n"
                     "1 rdouble\n"
                     "2 char 233\n"
                     "2 click 3 4\n"
                     "2 rclick 5 6\r\n"
                     "3 key down backspace\n"
                     "3 key down enter\n"));
    EXPECT_EQ(drain(), msg(WM_MOUSEMOVE, 10 | (20 << 16)) + msg(WM_LBUTTONDOWN) + msg(WM_LBUTTONUP));
    present();
    EXPECT_EQ(drain(), msg(WM_LBUTTONDBLCLK) + msg(WM_RBUTTONDOWN) + msg(WM_RBUTTONUP) + msg(WM_RBUTTONDBLCLK));
    present();
    EXPECT_EQ(drain(), msg(WM_CHAR, 0, 233) + msg(WM_MOUSEMOVE, 3 | (4 << 16)) + msg(WM_LBUTTONDOWN) +
                           msg(WM_LBUTTONUP) + msg(WM_MOUSEMOVE, 5 | (6 << 16)) + msg(WM_RBUTTONDOWN) +
                           msg(WM_RBUTTONUP));
    present();
    EXPECT_EQ(drain(), msg(WM_CHAR, 0, 8) + msg(WM_CHAR, 0, 13));
    EXPECT_TRUE(platform_key_held(key_enter));
    EXPECT_EQ(headless_pending_events(), 0);
}

TEST_F(HeadlessTest, TypedTextArrivesInCodePage1251OneCharacterAPass)
{
    // From pass 2 on, one character a pass, beside another event of pass 3.
    ASSERT_TRUE(load("2 type Ёж  и ёлка\n3 lup\n"));
    present();
    present();
    const char* text = "Ёж  и ёлка"_cp;
    for (int i = 0; text[i] != 0; ++i) {
        std::string expected = msg(WM_CHAR, 0, static_cast<uint8_t>(text[i]));
        if (i == 1) expected += msg(WM_LBUTTONUP);
        EXPECT_EQ(drain(), expected) << "character " << i;
        present();
    }
    EXPECT_EQ(headless_pending_events(), 0);
}

TEST_F(HeadlessTest, HeldKeysFollowTheScript)
{
    ASSERT_TRUE(load("0 key down escape\n0 key down left\n1 key up escape\n"));
    EXPECT_TRUE(platform_key_held(key_escape));
    EXPECT_TRUE(platform_key_held(key_left));
    EXPECT_FALSE(platform_key_held(key_delete));
    present();
    EXPECT_FALSE(platform_key_held(key_escape));
    EXPECT_TRUE(platform_key_held(key_left));
}

// A tap within one pass reads as down once, whether asked in its pass or
// after that pass's present (where the loops read Escape); a tap no one asks
// about is forgotten once the next pass is presented.
TEST_F(HeadlessTest, AKeyTapReadsAsDownOnceWithinItsPass)
{
    ASSERT_TRUE(load("0 key down escape\n0 key up escape\n"
                     "2 key down delete\n2 key up delete\n"
                     "4 key down up\n4 key up up\n"));
    const struct {
        held_key key;
        int asked_at;  // the pass of the first read
        bool down;     // what that read gives
    } cases[] = {{key_escape, 0, true}, {key_delete, 3, true}, {key_up, 6, false}};
    for (const auto& c : cases) {
        while (headless_pass() < c.asked_at) {
            drain();
            present();
        }
        EXPECT_EQ(platform_key_held(c.key), c.down) << c.key;
        EXPECT_FALSE(platform_key_held(c.key)) << c.key << ": once";
    }
}

TEST_F(HeadlessTest, EventsOutOfOrderAreSortedByPassKeepingTheirOrderWithin)
{
    ASSERT_TRUE(load("1 char 66\n0 char 65\n1 char 67\n0 char 68\n"));
    EXPECT_EQ(drain(), msg(WM_CHAR, 0, 65) + msg(WM_CHAR, 0, 68));
    present();
    EXPECT_EQ(drain(), msg(WM_CHAR, 0, 66) + msg(WM_CHAR, 0, 67));
}

TEST_F(HeadlessTest, BadScriptLinesAreRefusedWithTheirLineAndNothingIsAdded)
{
    struct {
        const char* script;
        int line;
    } cases[] = {
        {"move 1 2\n", 1},                    // no pass
        {"-1 close\n", 1},                    // negative pass
        {"0 move 1\n", 1},                    // missing coordinate
        {"0 move 1 2 3\n", 1},                // extra argument
        {"0 move 70000 2\n", 1},              // coordinate out of range
        {"0 move x 2\n", 1},                  // not a number
        {"0 char 256\n", 1},                  // not a byte
        {"0 ldown\n0 fly\n", 2},              // unknown event
        {"0 key sideways escape\n", 1},
        {"0 key down capslock\n", 1},         // unknown key
        {"0 type\n", 1},                      // nothing to type
        {"0 type \xE2\x82\xBD\n", 1},         // a rouble sign has no byte
        {"2147483646 type abc\n", 1},         // runs past the last pass
        {"0 axis 2 0\n", 1},                  // no such axis
        {"0 axis 0 40000\n", 1},
        {"0 button 32 1\n", 1},
        {"0 button 0 2\n", 1},
        {"0 joystick maybe\n", 1},
        {"0 close now\n", 1},
        {"\n\n0 dump\n", 3},
        {"0\n", 1},
    };
    for (const auto& c : cases) {
        int line = 0;
        const char* error = nullptr;
        EXPECT_FALSE(headless_load_script(c.script, line, error)) << c.script;
        EXPECT_EQ(line, c.line) << c.script;
        EXPECT_NE(error, nullptr);
        EXPECT_NE(std::string(error), "");
        EXPECT_EQ(headless_pending_events(), 0) << c.script;
    }
    std::string long_line = "0 dump " + std::string(2000, 'a') + "\n";
    EXPECT_FALSE(load(long_line.c_str()));
}

// A script is refused at the line whose event or dump would not be kept:
// no dump may overwrite another's file, and room taken by earlier events
// (delivered ones included) and dumps counts.
TEST_F(HeadlessTest, AScriptThatWouldLoseAnEventOrADumpIsRefusedAtItsLine)
{
    struct {
        const char* script;
        int events_before;  // added and delivered before the script
        int dumps_before;   // added before the script (files d0.png, d1.png, ...)
        int line;
        const char* error;
    } cases[] = {
        {"1 dump a.png\n2 dump b.png\n3 dump a.png\n", 0, 0, 3, "another dump already writes that file"},
        {"0 move 1 1\n5 dump d1.png\n", 0, 2, 2, "another dump already writes that file"},
        {"0 dump x.png\n1 dump y.png\n", 0, headless_max_dumps - 1, 2,
         "the dump path is too long or there are too many dumps"},
        {"0 move 1 1\n1 click 2 2\n", headless_max_events - 3, 0, 2, "too many events"},
    };
    for (const auto& c : cases) {
        headless_reset();
        ASSERT_TRUE(platform_create_window("game", 1024, 768));
        for (int i = 0; i < c.events_before; ++i)
            ASSERT_TRUE(headless_add_event({0, event_char, 0, 0, 65}));
        drain();
        for (int i = 0; i < c.dumps_before; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "d%d.png", i);
            ASSERT_TRUE(headless_add_dump(9, name));
        }
        int line = 0;
        const char* error = nullptr;
        EXPECT_FALSE(headless_load_script(c.script, line, error)) << c.script;
        EXPECT_EQ(line, c.line) << c.script;
        EXPECT_STREQ(error, c.error) << c.script;
        EXPECT_EQ(headless_pending_events(), 0) << c.script;
        EXPECT_EQ(headless_dumps_asked(), c.dumps_before) << c.script;
        if (c.dumps_before > 0) {
            EXPECT_FALSE(headless_add_dump(3, "d0.png")) << c.script;
        }
    }
}

TEST_F(HeadlessTest, CloseEndsTheWindowWithDestroyAsItsLastMessage)
{
    ASSERT_TRUE(load("0 move 1 1\n0 close\n0 move 2 2\n1 char 65\n"));
    EXPECT_EQ(drain(), msg(WM_MOUSEMOVE, 1 | (1 << 16)) + msg(WM_DESTROY));
    EXPECT_FALSE(platform_window_exists());
    present();
    EXPECT_EQ(drain(), "");
}

TEST_F(HeadlessTest, NothingIsDeliveredBeforeTheWindowExists)
{
    headless_reset();
    ASSERT_TRUE(load("0 char 65\n"));
    EXPECT_EQ(drain(), "");
    ASSERT_TRUE(platform_create_window("game", 1024, 768));
    EXPECT_EQ(drain(), msg(WM_CHAR, 0, 65));
}

// --- Passes, hook, clock, joystick ----------------------------------------------

TEST_F(HeadlessTest, HookSeesEveryEndedPass)
{
    std::vector<int32_t> seen;
    headless_set_pass_hook([](int32_t pass, void* user) { static_cast<std::vector<int32_t>*>(user)->push_back(pass); },
                           &seen);
    for (int i = 0; i < 3; ++i)
        present();
    EXPECT_EQ(seen, (std::vector<int32_t> {0, 1, 2}));
    EXPECT_EQ(headless_pass(), 3);
}

TEST_F(HeadlessTest, ClockAdvancesOneMillisecondPerReadAndSleepsVirtually)
{
    EXPECT_EQ(platform_milliseconds(), 0u);
    EXPECT_EQ(platform_milliseconds(), 1u);
    platform_sleep(50);
    EXPECT_EQ(platform_milliseconds(), 52u);
    headless_set_clock(0xFFFFFFFFu);
    EXPECT_EQ(platform_milliseconds(), 0xFFFFFFFFu);
    EXPECT_EQ(platform_milliseconds(), 0u);
}

TEST_F(HeadlessTest, ScriptedJoystick)
{
    int32_t axes[joystick_axes] = {};
    uint8_t buttons[joystick_buttons] = {};
    EXPECT_FALSE(platform_open_joystick());
    ASSERT_TRUE(load("0 joystick on\n0 axis 0 -32768\n0 axis 1 1200\n0 button 31 1\n1 joystick off\n"));
    ASSERT_TRUE(platform_open_joystick());
    ASSERT_TRUE(platform_read_joystick(axes, buttons));
    EXPECT_EQ(axes[0], -32768);
    EXPECT_EQ(axes[1], 1200);
    EXPECT_EQ(buttons[31], 1);
    EXPECT_EQ(buttons[0], 0);
    present();
    EXPECT_FALSE(platform_read_joystick(axes, buttons));
    EXPECT_FALSE(platform_open_audio(nullptr, nullptr));
}

TEST_F(HeadlessTest, MessageBoxesAreRecorded)
{
    platform_message_box("Brask", "one");
    platform_message_box("Other", "two");
    EXPECT_EQ(headless_box_count(), 2);
    EXPECT_STREQ(headless_box_caption(1), "Other");
    EXPECT_STREQ(headless_box_text(0), "one");
    EXPECT_STREQ(headless_box_text(5), "");
}

// --- Code page 1251 -------------------------------------------------------------

TEST(CodePage, ConversionTable)
{
    struct {
        uint32_t code;
        int byte;  // -1: none
    } cases[] = {
        {'A', 'A'},      {0x7F, 0x7F},   {0x0410, 0xC0}, {0x042F, 0xDF}, {0x0430, 0xE0}, {0x044F, 0xFF},
        {0x0401, 0xA8},  {0x0451, 0xB8}, {0x2116, 0xB9}, {0x2014, 0x97}, {0x00AB, 0xAB}, {0x20AC, 0x88},
        {0x0490, 0xA5},  {0x00A0, 0xA0}, {0x0080, -1},   {0x00E9, -1},   {0x20BD, -1},   {0x1F600, -1},
        {0x0000FFFD, -1},
    };
    for (const auto& c : cases) {
        uint8_t byte = 0;
        bool found = unicode_to_cp1251(c.code, byte);
        EXPECT_EQ(found, c.byte >= 0) << std::hex << c.code;
        if (found) {
            EXPECT_EQ(byte, c.byte) << std::hex << c.code;
            EXPECT_EQ(cp1251_to_unicode(byte), c.code);
        }
    }
    // Every byte but the unassigned 0x98 goes there and back.
    for (int b = 1; b < 256; ++b) {
        uint32_t code = cp1251_to_unicode(static_cast<uint8_t>(b));
        uint8_t back = 0;
        if (b == 0x98) {
            EXPECT_EQ(code, 0u);
            continue;
        }
        ASSERT_TRUE(unicode_to_cp1251(code, back)) << b;
        EXPECT_EQ(back, b);
    }
}

TEST(CodePage, TextConversionMatchesTheCompileTimeLiterals)
{
    char bytes[64];
    EXPECT_EQ(utf8_to_cp1251("Ошибка в Ёлке №1", bytes, sizeof bytes), 16);
    EXPECT_STREQ(bytes, "Ошибка в Ёлке №1"_cp);
    char utf8[64];
    cp1251_to_utf8("Программа прервана"_cp, utf8, sizeof utf8);
    EXPECT_STREQ(utf8, "Программа прервана");
}

TEST(CodePage, UnmappedAndMalformedInputIsDropped)
{
    char bytes[32];
    // é has no byte, \xFF is not UTF-8, \xD0 alone is a cut sequence.
    utf8_to_cp1251("a\xC3\xA9" "b\xFF" "c\xD0", bytes, sizeof bytes);
    EXPECT_STREQ(bytes, "abc");
    // An overlong encoding of '/' is refused.
    utf8_to_cp1251("\xC0\xAFx", bytes, sizeof bytes);
    EXPECT_STREQ(bytes, "x");
}

TEST(CodePage, OutputIsCutToCapacityAtAWholeCharacter)
{
    char bytes[4];
    EXPECT_EQ(utf8_to_cp1251("абвгд", bytes, sizeof bytes), 3);
    EXPECT_STREQ(bytes, "абв"_cp);
    char utf8[6];
    EXPECT_EQ(cp1251_to_utf8("абв"_cp, utf8, sizeof utf8), 4);  // two letters of two bytes
    EXPECT_EQ(std::string(utf8), "аб");
}

// --- PNG ---------------------------------------------------------------------------

// A frame read back through libpng's own reader: its size and RGB bytes,
// and the file's size.
struct read_image {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgb;  // three bytes a pixel, rows packed
    long file_bytes = 0;
};

bool read_png(const char* path, read_image& out)
{
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path)) return false;
    image.format = PNG_FORMAT_RGB;
    out.width = image.width;
    out.height = image.height;
    out.rgb.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr)) return false;
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return false;
    std::fseek(f, 0, SEEK_END);
    out.file_bytes = std::ftell(f);
    std::fclose(f);
    return true;
}

TEST(Png, FrameRoundTripsCompressed)
{
    // A frame of the program's kind: a few flat areas and a pattern, with a
    // pitch longer than a row.
    const int w = 200, h = 120, pitch = 2 * w + 8;
    std::vector<uint8_t> storage(static_cast<size_t>(pitch) * h, 0xAA);
    auto pixel = [&](int x, int y) -> uint16_t& { return *reinterpret_cast<uint16_t*>(&storage[y * pitch + 2 * x]); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixel(x, y) = y < 60 ? 0x0480 : static_cast<uint16_t>((x / 8 * 7 + y / 8 * 131) & 0xFFFF);
    pixel(0, 0) = 0xFFFF;  // white widens to 255, 255, 255
    pixel(1, 0) = 0xF800;  // pure red
    pixel(2, 0) = 0x0000;
    ASSERT_TRUE(write_png_565("png_round_trip.png", reinterpret_cast<uint16_t*>(storage.data()), w, h, pitch));

    read_image image;
    ASSERT_TRUE(read_png("png_round_trip.png", image));
    EXPECT_EQ(image.width, 200u);
    EXPECT_EQ(image.height, 120u);
    auto rgb = [&](int x, int y, int channel) { return image.rgb[(y * w + x) * 3 + channel]; };
    EXPECT_EQ(rgb(0, 0, 0), 255);
    EXPECT_EQ(rgb(0, 0, 2), 255);
    EXPECT_EQ(rgb(1, 0, 0), 255);
    EXPECT_EQ(rgb(1, 0, 1), 0);
    EXPECT_EQ(rgb(2, 0, 0), 0);
    bool all_match = true;
    for (int y = 0; y < h; ++y) {
        for (int x = 3; x < w; ++x) {
            uint16_t p = pixel(x, y);
            int r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
            if (rgb(x, y, 0) != ((r << 3) | (r >> 2)) || rgb(x, y, 1) != ((g << 2) | (g >> 4)) ||
                rgb(x, y, 2) != ((b << 3) | (b >> 2)))
                all_match = false;
        }
    }
    EXPECT_TRUE(all_match);
    // Compressed: far below the 72,120 bytes of the raw rows.
    EXPECT_LT(image.file_bytes, 72120 / 4);
}

TEST(Png, RefusesSizesItCannotWrite)
{
    uint16_t pixel = 0;
    EXPECT_FALSE(write_png_565("png_refused.png", &pixel, 0, 1, 2));
    EXPECT_FALSE(write_png_565("png_refused.png", &pixel, 1, 5000, 2));
    EXPECT_FALSE(write_png_565("png_refused.png", &pixel, 2, 1, 2));  // pitch shorter than a row
    EXPECT_FALSE(write_png_565("no_such_folder/x.png", &pixel, 1, 1, 2));
}

TEST_F(HeadlessTest, DumpWritesTheFrameOfItsPassAndKeepsIt)
{
    ASSERT_TRUE(load("1 dump headless_dump.png\n"));
    headless_keep_frames(true);
    uint16_t first[6] = {1, 2, 3, 4, 5, 6};
    uint16_t second[6] = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0, 0};
    std::remove("headless_dump.png");
    platform_present(first, 3, 2, 6);
    EXPECT_EQ(headless_dumps_written(), 0);
    platform_present(second, 3, 2, 6);
    EXPECT_EQ(headless_dumps_written(), 1);
    read_image image;
    ASSERT_TRUE(read_png("headless_dump.png", image));
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.rgb[0], 255);  // red of the second frame's first pixel
    int w = 0, h = 0;
    const uint16_t* kept = headless_frame(w, h);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(kept[3], 0xFFFF);
}

// Checkpoints are passes only: kept in pass order, one a pass, and the frame
// of a checkpoint's pass is kept for the hook even when frames are not.
TEST_F(HeadlessTest, ACheckpointKeepsTheFrameOfItsPassForTheHook)
{
    int line = 0;
    const char* error = nullptr;
    EXPECT_FALSE(headless_load_script("2 check\n1 check\n2 check\n", line, error));
    EXPECT_EQ(line, 3);
    EXPECT_EQ(headless_checkpoint_count(), 0);
    ASSERT_TRUE(load("2 check\n1 check\n"));
    EXPECT_FALSE(headless_add_checkpoint(1));
    ASSERT_EQ(headless_checkpoint_count(), 2);
    EXPECT_EQ(headless_checkpoint_pass(0), 1);
    EXPECT_EQ(headless_checkpoint_pass(1), 2);

    // The hook notes, after each pass, the first pixel of the frame it sees.
    std::vector<int> seen;
    headless_set_pass_hook(
        [](int32_t pass, void* user) {
            int w = 0, h = 0;
            const uint16_t* frame = headless_frame(w, h);
            int first = frame != nullptr ? frame[0] : -1;
            static_cast<std::vector<int>*>(user)->push_back(headless_checkpoint_at(pass) >= 0 ? first : -2);
        },
        &seen);
    for (uint16_t p = 10; p < 14; ++p) {
        uint16_t pixels[4] = {p, p, p, p};
        platform_present(pixels, 2, 2, 4);
    }
    EXPECT_EQ(seen, (std::vector<int> {-2, 11, 12, -2}));
}

// A frame larger than the kept frame, or none at all, leaves none kept, not
// the one before it; a dump of a frame the PNG writer refuses counts as
// failed.
TEST_F(HeadlessTest, AFrameTooLargeToKeepOrToDumpIsNotPassedOffAsKept)
{
    headless_keep_frames(true);
    ASSERT_TRUE(headless_add_dump(1, "headless_too_wide.png"));
    present();
    int w = 0, h = 0;
    ASSERT_NE(headless_frame(w, h), nullptr);
    std::vector<uint16_t> wide(5000, 0x1234);
    platform_present(wide.data(), 5000, 1, 10000);
    EXPECT_EQ(headless_frame(w, h), nullptr);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(headless_dumps_written(), 0);
    EXPECT_EQ(headless_dumps_failed(), 1);
    present();
    EXPECT_NE(headless_frame(w, h), nullptr);
    platform_present(nullptr, 2, 2, 4);
    EXPECT_EQ(headless_frame(w, h), nullptr);
}

}  // namespace
