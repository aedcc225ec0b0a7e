// Where the frame goes in a window of another size: the largest rectangle of
// the frame's proportions, centred, with black bars beside it; and the way
// back from a window point to a frame pixel. No SDL here, so tests link it.
#pragma once

// A rectangle in window (or output) pixels.
struct letterbox_rect {
    int x, y, w, h;
};

// The frame's place in an output of output_w x output_h: scaled to fill one
// dimension, centred in the other. Empty when either size is not positive.
letterbox_rect letterbox(int output_w, int output_h, int frame_w, int frame_h);

// The frame pixel under a window point, clamped to the frame, so that a
// point on a bar (or outside the window) gives the nearest edge pixel.
void window_to_frame(int window_x, int window_y, const letterbox_rect& place, int frame_w, int frame_h, int& frame_x,
                     int& frame_y);
