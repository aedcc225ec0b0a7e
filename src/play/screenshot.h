// Screenshots of the game (F12): the frame as drawn, a PNG file in the
// folder screenshots/ beside data/.
#pragma once

#include <cstdint>

// The folder screenshots go to, in the working folder (which holds data/).
constexpr const char* screenshot_folder = "screenshots";
// Screenshots are numbered 0001 .. this.
constexpr int32_t last_screenshot_number = 9999;

// Saves draw_surface as screenshots/brask-NNNN.png, NNNN the first number
// whose file does not exist yet, making the folder when it is missing. True
// with the file's name in name; false when the folder cannot be made, every
// number is taken, the frame is not 5:6:5 or the file cannot be written,
// with the name tried (or the folder) in name. Called by draw_comforts.
bool save_screenshot(char* name, int32_t capacity);
