// Test play from the map editor (F5): the map being edited is played in the
// game's own loop at the game's 800 x 600, and the editor comes back as it
// was when the game ends with Escape.
#pragma once

#include <cstdint>

// The name test play saves the map under in data\map\, with a number
// after it when a file of that name exists already. '_' is no character
// of the editor's name field, so no map saved from the editor is ever
// written over; the file is removed when the game ends.
constexpr const char* test_play_name = "_test_play";

// Once a pass: on a press of F5 (held, it acts once), runs test_play. Called
// by the map editor's loop after drain_messages.
void test_play_on_f5();

// Saves the map to a scratch file, runs the game on it in the same window
// at 800 x 600 until Escape (and until Escape is let go), and gives the
// editor back everything as it was: the map's size, name and both layers,
// the unit table and count, the camera, the random generator, the image
// slots and the tables of tiles, trees and unit sheets, the screen at
// 1024 x 768, the sound slots (the game's music stops). A map that cannot
// be saved, or a game that cannot start (its report is shown in a box,
// without ending the editor), changes nothing. Returns whether the game ran.
bool test_play();

// The times test play has run the game since the program started (tests).
int32_t test_plays_run();
