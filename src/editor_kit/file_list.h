// The list of existing files under an open dialog: the names of one kind in
// one folder, to click instead of typing them, scrolled when long.
#pragma once

#include <cstdint>

#include "core/file_access.h"

// The most names listed (the first in alphabetical order), and the rows
// shown at once.
constexpr int file_list_capacity = 512;
constexpr int file_list_rows = 12;
// The list's height on the screen.
constexpr int32_t file_list_height = 26 + 16 * file_list_rows;

// Reads the names of the files in folder ending in extension (list_files:
// code page 1251 names, alphabetical) and scrolls to the top. The open
// dialogs call it as they open.
void open_file_list(const char* folder, const char* extension);

// Draws the list at (x, y), w wide and file_list_height high, in the
// editors' box style: a header with the count, the names of the rows shown
// (the one equal to current marked in blue), "^" and "v" buttons that
// scroll a page, the up and down arrows a row. Returns the name clicked in
// this pass (the dialog puts it into its name field), or null. The open
// dialogs call it once a pass.
const char* file_list_pass(int32_t x, int32_t y, int32_t w, const char* current);

// The names read by the last open_file_list (tests and the monkey).
int32_t file_list_count();
const char* file_list_name(int32_t i);
// The first row shown.
int32_t file_list_top();
