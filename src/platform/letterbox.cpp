// The letterbox rectangle and the mapping of window points into the frame.
#include "platform/letterbox.h"

#include <cstdint>

letterbox_rect letterbox(int output_w, int output_h, int frame_w, int frame_h)
{
    if (output_w <= 0 || output_h <= 0 || frame_w <= 0 || frame_h <= 0) return {0, 0, 0, 0};
    int64_t w = output_w, h = output_h;
    // Compare the aspect ratios without division: the side that binds first
    // is filled, the other is rounded to the nearest pixel.
    if (static_cast<int64_t>(output_w) * frame_h <= static_cast<int64_t>(output_h) * frame_w)
        h = (static_cast<int64_t>(output_w) * frame_h * 2 + frame_w) / (2 * static_cast<int64_t>(frame_w));
    else
        w = (static_cast<int64_t>(output_h) * frame_w * 2 + frame_h) / (2 * static_cast<int64_t>(frame_h));
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    return {static_cast<int>((output_w - w) / 2), static_cast<int>((output_h - h) / 2), static_cast<int>(w),
            static_cast<int>(h)};
}

// One axis: the frame pixel whose scaled span holds the point, clamped.
static int map_axis(int point, int start, int length, int frame_length)
{
    if (length <= 0 || frame_length <= 0) return 0;
    int64_t offset = static_cast<int64_t>(point) - start;
    if (offset < 0) return 0;
    int64_t pixel = offset * frame_length / length;
    return pixel >= frame_length ? frame_length - 1 : static_cast<int>(pixel);
}

void window_to_frame(int window_x, int window_y, const letterbox_rect& place, int frame_w, int frame_h, int& frame_x,
                     int& frame_y)
{
    frame_x = map_axis(window_x, place.x, place.w, frame_w);
    frame_y = map_axis(window_y, place.y, place.h, frame_h);
}
