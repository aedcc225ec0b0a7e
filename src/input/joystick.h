// The joystick layer. No main loop starts it; shutdown releases it.
#pragma once

// Releases the joystick and the input device; harmless when none is started.
void release_input();
