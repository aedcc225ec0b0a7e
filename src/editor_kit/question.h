// The editors' question box: a question in the editors' box style with two
// or three buttons, asked as a modal loop over the editor's last picture.
#pragma once

#include <cstdint>

constexpr int max_question_buttons = 3;

// Asks a question: a blue title bar with title, up to two lines of text
// (line2 may be null), and count buttons (2 or 3) labelled by labels, the
// first outlined as the one Enter chooses; Escape chooses the last, which
// callers make the cancel. Each key counts only once pressed after the box
// opened, and the box stays until it is let go again, so a key held from
// the step before neither answers nor leaks into the loop returned to.
// Returns the index of the button chosen, or -1 when quit_requested ended
// the box first. Texts are code page 1251. The editors call it before a
// change would discard unsaved work and before a save replaces a file.
int32_t ask_question(const char* title, const char* line1, const char* line2, const char* const* labels,
                     int32_t count);

// True while a question box is up (tests look at it from their pass hooks).
bool question_showing();

// The title of the last question asked and the label of its answer
// ("не отвечен" when quit_requested ended it), "" before any. The headless
// runner's summary prints them.
const char* last_question();
const char* last_answer();

// Forgets the last question (tests and the editors' start).
void forget_last_question();
