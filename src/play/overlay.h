// What the game's comforts draw over the world in the panel's own style
// (its face, its bevel, the white font): the help overlay, the pause line
// and the notice of the last comfort key.
#pragma once

#include <cstdint>

// A raised panel of the heads-up panel's face and bevel, with a second,
// sunken bevel inside. The overlays and the overview draw on it.
void draw_overlay_panel(int32_t x, int32_t y, int32_t w, int32_t h);

// The help: the aim of the game, the mouse and every key, on a panel in the
// middle of the world's part of the screen. Called by draw_comforts while
// F1 has it shown.
void draw_help_overlay();

// "Пауза" and how to go on, on a small panel in the middle of the world.
// Called by draw_comforts while the game is paused (and no help shows).
void draw_pause_line();

// One line of text on a small panel at the top of the screen, centred.
// Called by draw_comforts while a notice shows.
void draw_notice(const char* text);
