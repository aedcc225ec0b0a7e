// The web backend's audio and joystick. Audio: an AudioContext at 44,100
// Hz whose AudioWorklet plays a queue of samples that the main thread
// keeps filled from the mixer, at every present and from a short timer
// while the loop yields. The context may only start on a user's gesture,
// so sound begins with the first key or button. The joystick is the first
// gamepad the browser knows.
#include <emscripten.h>
#include <emscripten/html5.h>

#include "platform/platform.h"
#include "platform/web/web_state.h"

// What the queue holds ahead of the output, in frames: the longest the main
// thread goes without a top-up while sound may play (a pass of the game or
// of an editor and the browser's painting: under 20 ms, measured in
// headless Chromium on two cores), some 15 ms for the worklet's quanta and
// the messages to it, and as much again for a slower machine. Loading
// the game's images and sounds stalls longer (some 130 ms at test play's
// start), but before its sounds start.
static constexpr int queue_frames = 2646;  // 60 ms
// The most frames one top-up mixes.
static constexpr int most_frames = 8192;
// The timer's period while the loop yields, in milliseconds.
static constexpr int timer_ms = 10;

// What fills the queue; nullptr while no device is open.
static audio_pull audio_source = nullptr;
static void* audio_source_user = nullptr;
// Nesting of platform_lock_audio: no top-up inside it.
static int lock_depth = 0;
// Mixed frames on their way to the worklet.
static int16_t mixed[2 * most_frames];

// The open gamepad (-1: none).
static int gamepad = -1;

// Makes the context and its worklet (which starts once the worklet's code
// has loaded); 0 when the browser has no AudioWorklet. The worklet keeps
// a ring of stereo samples and plays silence when it runs dry.
EM_JS(int, web_audio_open, (int rate, int timer_ms), {
    var Context = window.AudioContext || window.webkitAudioContext;
    if (!Context || !window.AudioWorkletNode) return 0;
    var context;
    try { context = new Context({sampleRate: rate, latencyHint: 'interactive'}); } catch (e) { return 0; }
    if (!context.audioWorklet) return 0;
    var audio = {context: context, node: null, sent: 0, timer: 0, lastFeed: 0, longestGap: 0};
    Module['brask_audio'] = audio;
    var code =
        "class BraskFeed extends AudioWorkletProcessor {" +
        " constructor() { super(); this.ring = new Float32Array(1 << 18); this.read = 0; this.write = 0;" +
        "  this.port.onmessage = (e) => { const d = e.data, mask = this.ring.length - 1;" +
        "   if (this.write - this.read + d.length > this.ring.length) this.read = this.write + d.length - this.ring.length;" +
        "   for (let i = 0; i < d.length; ++i) this.ring[(this.write + i) & mask] = d[i];" +
        "   this.write += d.length; }; }" +
        " process(inputs, outputs) { const out = outputs[0], left = out[0], right = out[1] || out[0];" +
        "  const mask = this.ring.length - 1;" +
        "  for (let i = 0; i < left.length; ++i) {" +
        "   if (this.read + 2 <= this.write) { left[i] = this.ring[this.read & mask]; right[i] = this.ring[(this.read + 1) & mask]; this.read += 2; }" +
        "   else { left[i] = 0; right[i] = 0; } }" +
        "  return true; } }" +
        "registerProcessor('brask-feed', BraskFeed);";
    var url = URL.createObjectURL(new Blob([code], {type: 'application/javascript'}));
    context.audioWorklet.addModule(url).then(function() {
        audio.node = new AudioWorkletNode(context, 'brask-feed', {outputChannelCount: [2]});
        audio.node.connect(context.destination);
    }).catch(function(e) { console.log('audio worklet: ' + e); });
    audio.timer = setInterval(function() { _web_audio_timer(); }, timer_ms);
    return 1;
});

// Frames the queue wants to be full again (0 while the context is not
// running or the worklet not ready). Frames played are reckoned from the
// context's clock; a queue that ran dry starts again from now.
EM_JS(int, web_audio_room, (int queue_frames, int most, int rate), {
    var audio = Module['brask_audio'];
    if (!audio || !audio.node || audio.context.state !== 'running') return 0;
    var now = performance.now();
    if (audio.lastFeed > 0) audio.longestGap = Math.max(audio.longestGap, now - audio.lastFeed);
    audio.lastFeed = now;
    var played = Math.floor(audio.context.currentTime * rate);
    if (audio.sent < played) audio.sent = played;
    var room = queue_frames - (audio.sent - played);
    return room < 128 ? 0 : Math.min(room, most);
});

// Sends frames mixed stereo frames to the worklet as floats.
EM_JS(void, web_audio_send, (const int16_t* samples, int frames), {
    var audio = Module['brask_audio'];
    var data = new Float32Array(frames * 2);
    var start = samples >> 1;
    for (var i = 0; i < frames * 2; ++i) data[i] = HEAP16[start + i] / 32768;
    audio.node.port.postMessage(data, [data.buffer]);
    audio.sent += frames;
});

// Starts the context on a gesture (the browser allows it only then).
EM_JS(void, web_audio_resume, (), {
    var audio = Module['brask_audio'];
    if (audio && audio.context.state === 'suspended') audio.context.resume();
});

EM_JS(void, web_audio_close, (), {
    var audio = Module['brask_audio'];
    if (!audio) return;
    clearInterval(audio.timer);
    audio.context.close();
    Module['brask_audio'] = null;
});

void web_feed_audio()
{
    if (audio_source == nullptr || lock_depth > 0) return;
    int frames = web_audio_room(queue_frames, most_frames, audio_rate);
    if (frames <= 0) return;
    audio_source(mixed, frames, audio_source_user);
    web_audio_send(mixed, frames);
}

// The short timer: the queue is topped up while the loop yields.
extern "C" EMSCRIPTEN_KEEPALIVE void web_audio_timer()
{
    web_feed_audio();
}

void web_user_gesture()
{
    if (audio_source != nullptr) web_audio_resume();
}

bool platform_open_audio(audio_pull pull, void* user)
{
    if (audio_source != nullptr) platform_close_audio();
    if (pull == nullptr || !web_audio_open(audio_rate, timer_ms)) return false;
    audio_source = pull;
    audio_source_user = user;
    return true;
}

void platform_close_audio()
{
    if (audio_source == nullptr) return;
    web_audio_close();
    audio_source = nullptr;
    audio_source_user = nullptr;
}

// One thread runs both the loop and the top-ups, so the lock only keeps a
// top-up from starting inside a change (none can: the loop never yields
// there).
void platform_lock_audio()
{
    ++lock_depth;
}

void platform_unlock_audio()
{
    if (lock_depth > 0) --lock_depth;
}

// --- Joystick --------------------------------------------------------------

bool platform_open_joystick()
{
    if (gamepad >= 0) return true;
    if (emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return false;
    int count = emscripten_get_num_gamepads();
    for (int i = 0; i < count; ++i) {
        EmscriptenGamepadEvent state;
        if (emscripten_get_gamepad_status(i, &state) == EMSCRIPTEN_RESULT_SUCCESS && state.connected) {
            gamepad = i;
            return true;
        }
    }
    return false;
}

void platform_close_joystick()
{
    gamepad = -1;
}

bool platform_read_joystick(int32_t axes[joystick_axes], uint8_t buttons[joystick_buttons])
{
    if (gamepad < 0 || emscripten_sample_gamepad_data() != EMSCRIPTEN_RESULT_SUCCESS) return false;
    EmscriptenGamepadEvent state;
    if (emscripten_get_gamepad_status(gamepad, &state) != EMSCRIPTEN_RESULT_SUCCESS || !state.connected) return false;
    // The browser gives axes as -1..1: the raw range of the platform.
    for (int i = 0; i < joystick_axes; ++i) {
        double value = i < state.numAxes ? state.axis[i] : 0.0;
        if (value < -1.0) value = -1.0;
        if (value > 1.0) value = 1.0;
        axes[i] = value < 0 ? static_cast<int32_t>(value * 32768.0) : static_cast<int32_t>(value * 32767.0);
    }
    for (int i = 0; i < joystick_buttons; ++i)
        buttons[i] = i < state.numButtons && state.digitalButton[i] ? 1 : 0;
    return true;
}

void web_close_devices()
{
    platform_close_audio();
    platform_close_joystick();
}
