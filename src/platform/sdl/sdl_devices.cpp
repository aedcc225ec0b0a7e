// The SDL backend's audio device, pulling mixed samples from the sound
// layer, and the joystick's raw state.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "platform/sdl/sdl_state.h"

// The open output device (0: none), and what fills its buffers.
static SDL_AudioDeviceID audio_device = 0;
static audio_pull audio_source = nullptr;
static void* audio_source_user = nullptr;

// The open joystick.
static SDL_Joystick* joystick = nullptr;

// Runs on SDL's audio thread: the device asks for len bytes of 16-bit
// stereo frames.
static void fill_audio(void* /*user*/, Uint8* stream, int len)
{
    int frames = len / (2 * static_cast<int>(sizeof(int16_t)));
    if (audio_source != nullptr) audio_source(reinterpret_cast<int16_t*>(stream), frames, audio_source_user);
    else std::memset(stream, 0, static_cast<size_t>(len));
}

// Standard error while the audio device is probed: on a machine without a
// sound card the system's sound library prints a screenful of complaints,
// where the sound layer's one line says all there is to say.
static int saved_stderr = -1;

static void mute_stderr()
{
    std::fflush(stderr);
    saved_stderr = dup(STDERR_FILENO);
    int null = open("/dev/null", O_WRONLY);
    if (saved_stderr >= 0 && null >= 0) dup2(null, STDERR_FILENO);
    if (null >= 0) close(null);
}

static void restore_stderr()
{
    if (saved_stderr < 0) return;
    std::fflush(stderr);
    dup2(saved_stderr, STDERR_FILENO);
    close(saved_stderr);
    saved_stderr = -1;
}

// Starts SDL's audio part and opens the default device for want; 0 when
// there is none.
static SDL_AudioDeviceID open_device(const SDL_AudioSpec& want)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
    SDL_AudioSpec have {};
    // No changes allowed: SDL converts to the device's own format, so the
    // mixer always makes 44,100 Hz stereo 16-bit.
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return device;
}

bool platform_open_audio(audio_pull pull, void* user)
{
    if (audio_device != 0) platform_close_audio();
    audio_source = pull;
    audio_source_user = user;
    SDL_AudioSpec want {};
    want.freq = audio_rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;  // about 23 ms a buffer
    want.callback = fill_audio;
    mute_stderr();
    audio_device = open_device(want);
    restore_stderr();
    if (audio_device == 0) {
        audio_source = nullptr;
        return false;
    }
    SDL_PauseAudioDevice(audio_device, 0);
    return true;
}

void platform_close_audio()
{
    if (audio_device == 0) return;
    SDL_CloseAudioDevice(audio_device);
    audio_device = 0;
    audio_source = nullptr;
    audio_source_user = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void platform_lock_audio()
{
    if (audio_device != 0) SDL_LockAudioDevice(audio_device);
}

void platform_unlock_audio()
{
    if (audio_device != 0) SDL_UnlockAudioDevice(audio_device);
}

bool platform_open_joystick()
{
    if (joystick != nullptr) return true;
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
    if (SDL_NumJoysticks() > 0) joystick = SDL_JoystickOpen(0);
    if (joystick == nullptr) {
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        return false;
    }
    return true;
}

void platform_close_joystick()
{
    if (joystick == nullptr) return;
    SDL_JoystickClose(joystick);
    joystick = nullptr;
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

bool platform_read_joystick(int32_t axes[joystick_axes], uint8_t buttons[joystick_buttons])
{
    if (joystick == nullptr) return false;
    SDL_JoystickUpdate();
    if (!SDL_JoystickGetAttached(joystick)) return false;
    int axis_count = SDL_JoystickNumAxes(joystick);
    int button_count = SDL_JoystickNumButtons(joystick);
    for (int i = 0; i < joystick_axes; ++i)
        axes[i] = i < axis_count ? SDL_JoystickGetAxis(joystick, i) : 0;
    for (int i = 0; i < joystick_buttons; ++i)
        buttons[i] = i < button_count && SDL_JoystickGetButton(joystick, i) != 0 ? 1 : 0;
    return true;
}

void sdl_close_devices()
{
    platform_close_audio();
    platform_close_joystick();
}
