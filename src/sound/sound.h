// Sound: the device, music and effects in static buffers.
#pragma once

#include <cstdint>

// Starts the sound device; false on failure (after its own report).
bool start_sound(int32_t window);

// Releases every buffer and the device; harmless when nothing is started.
void release_sound();
