// Scripted sessions of the sprite editor on the headless backend: a
// 1024 x 768 display with the data set's font, test images in
// data/images, a script built pass by pass, and a hook that looks at the
// editor after chosen passes.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/headless/headless.h"
#include "render_fixture.h"
#include "shell/shell.h"
#include "sprite_editor/sprite_editor.h"

namespace sprite_session {

// Where the controls are clicked.
constexpr int open_image_x = 60, open_image_y = 32;
constexpr int mode_x[3] = {48, 126, 204};
constexpr int mode_y = 77;
constexpr int file_button_y = 112;
constexpr int new_x = 50, open_x = 127, save_x = 204;

// A script of input events, built in pass order.
struct script {
    std::string text;

    void line(int pass, const std::string& event) { text += std::to_string(pass) + " " + event + "\n"; }
    void click(int pass, int x, int y) { line(pass, "click " + std::to_string(x) + " " + std::to_string(y)); }
    void move(int pass, int x, int y) { line(pass, "move " + std::to_string(x) + " " + std::to_string(y)); }
    // A right press at (x, y) and its release one pass later, as a hand
    // makes it.
    void right_click(int pass, int x, int y)
    {
        move(pass, x, y);
        line(pass, "rdown");
        line(pass + 1, "rup");
    }
    // A left drag from one point to another over three passes.
    void drag(int pass, int x0, int y0, int x1, int y1)
    {
        move(pass, x0, y0);
        line(pass, "ldown");
        move(pass + 1, x1, y1);
        line(pass + 2, "lup");
    }
    // One character a pass, as the latch keeps one character; returns the
    // next free pass.
    int type(int pass, const std::string& chars)
    {
        for (unsigned char c : chars)
            line(pass++, "char " + std::to_string(c));
        return pass;
    }
    // Holds a key for the given number of passes.
    void hold(int pass, const char* key, int passes)
    {
        line(pass, std::string("key down ") + key);
        line(pass + passes, std::string("key up ") + key);
    }
    // Enter held for one pass; returns the next free pass.
    int enter(int pass)
    {
        hold(pass, "enter", 1);
        return pass + 1;
    }
    // "open image", the name typed, Enter; returns the first pass after.
    int open_image(int pass, const std::string& name)
    {
        click(pass, open_image_x, open_image_y);
        return enter(type(pass + 1, name)) + 1;
    }
};

// The run's settings, seen by the pass hook.
struct run_state {
    int32_t passes;
    std::function<void(int32_t)> after_pass;
};

inline void pass_hook(int32_t pass, void* user)
{
    run_state& state = *static_cast<run_state*>(user);
    if (state.after_pass) state.after_pass(pass);
    if (pass + 1 >= state.passes) quit_requested = 1;
}

// Runs the editor's loop over the script for the given number of passes,
// calling after_pass at the end of each.
inline void run(const script& s, int32_t passes, std::function<void(int32_t)> after_pass = {})
{
    int line = 0;
    const char* error = "";
    ASSERT_TRUE(headless_load_script(s.text.c_str(), line, error)) << "line " << line << ": " << error;
    run_state state{passes, std::move(after_pass)};
    headless_set_pass_hook(pass_hook, &state);
    sprite_editor_loop();
    headless_set_pass_hook(nullptr, nullptr);
}

// The kept frame's pixel at (x, y).
inline uint16_t frame_pixel(int x, int y)
{
    int w = 0, h = 0;
    const uint16_t* frame = headless_frame(w, h);
    if (frame == nullptr || x < 0 || y < 0 || x >= w || y >= h) return 0;
    return frame[y * w + x];
}

// True when the kept frame shows a name dialog's blue title bar.
inline bool name_dialog_shown()
{
    return frame_pixel(382, 170) == static_cast<uint16_t>(colour_blue);
}

// Copies a file of the generated data set into the working folder.
inline void copy_data_file(const char* relative)
{
    std::filesystem::path to = std::filesystem::path("data") / relative;
    std::filesystem::create_directories(to.parent_path());
    std::filesystem::copy_file(std::filesystem::path(BRASK_DATA_DIR) / relative, to,
                               std::filesystem::copy_options::overwrite_existing);
}

// Sets frame i's rectangle.
inline void set_frame(int i, int32_t x, int32_t y, int32_t w, int32_t h)
{
    frame_table[i].x = x;
    frame_table[i].y = y;
    frame_table[i].width = w;
    frame_table[i].height = h;
}

// A session: the display as the entry starts it, the font of the data set,
// the images the tests open, and every piece of editor state as at start.
class Session : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        copy_data_file("font/smf.fn");
        copy_data_file("font/smallb.bmp");
        copy_data_file("font/smallw.bmp");
        copy_data_file("images/grant.bmp");
        copy_data_file("images/footman.bmp");
        // An image large enough to scroll, and a small one.
        render_test::write_bmp24("data/images/wide.bmp", 800, 800,
                                 [](int x, int y) { return static_cast<uint32_t>((x & 255) | (y & 255) << 8 | 0x400000); });
        render_test::write_bmp24("data/images/small.bmp", 100, 80,
                                 [](int x, int y) { return static_cast<uint32_t>(x * 2 | (y * 3) << 8); });
    }

    void SetUp() override
    {
        // A fresh platform (start makes it) that keeps every frame.
        ASSERT_TRUE(render_test::start(1024, 768));
        headless_keep_frames(true);
        ASSERT_TRUE(load_font());
        reset_sprite_editor();
        clear_sprites();
        total_delay = initial_total_delay;
        current_slot = 0;
    }

    void TearDown() override
    {
        release_display();
        headless_reset();
        install_fatal_report(fatal_report);
    }
};

}  // namespace sprite_session
