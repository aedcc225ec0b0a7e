#!/usr/bin/python3
"""The web pages in headless Chromium, driven through the DevTools protocol.

Each page's first frame equals the headless runner's first frame, pixel for
pixel; a right click in the game moves the hero (the game's record, read
out of the page, replays headless to the world hash the page printed); F12
and the game's end hand the screenshot and the record over as downloads; a
paint stroke saved in the map editor survives a reload, and the game page
plays that map to the same first frame as the headless runner does.

    tests/web_pages.py WEB_DIR BUILD_DIR

WEB_DIR holds the pages (scripts/web builds them into build-web/), BUILD_DIR
a native build with bin/headless_run and data/. Exit status 0 when all is
well, 1 on a failure, 77 when Chromium or the pages are missing.
"""
import base64
import functools
import http.server
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

try:
    import websocket
except ImportError:
    websocket = None

# Seconds a page may take to load, hold its first frame or end.
PAGE_TIMEOUT = 60
MAP_NAME = "webtest"


class Failure(Exception):
    pass


def serve(folder):
    """An HTTP server on a free port of 127.0.0.1 for the pages, quiet."""

    class Handler(http.server.SimpleHTTPRequestHandler):
        extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map, **{".wasm": "application/wasm"})

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


class Browser:
    """Headless Chromium with one page, talking DevTools over a websocket."""

    def __init__(self, profile):
        self.process = subprocess.Popen(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--no-default-browser-check", "--remote-debugging-address=127.0.0.1", "--remote-debugging-port=0",
             "--user-data-dir=" + profile, "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        port_file = os.path.join(profile, "DevToolsActivePort")
        deadline = time.time() + 30
        while not (os.path.exists(port_file) and len(open(port_file).read().split("\n")) >= 2):
            if time.time() > deadline or self.process.poll() is not None:
                raise Failure("Chromium did not start")
            time.sleep(0.1)
        port, path = open(port_file).read().split("\n")[:2]
        self.socket = websocket.create_connection("ws://127.0.0.1:%s%s" % (port, path), timeout=PAGE_TIMEOUT,
                                                  suppress_origin=True)
        self.next_id = 0
        self.events = []
        self.console = []
        self.dialogs = []
        target = self.command("Target.createTarget", url="about:blank")["targetId"]
        self.session = self.command("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]
        for domain in ("Page.enable", "Runtime.enable"):
            self.command(domain, session=True)

    def close(self):
        try:
            self.socket.close()
        except Exception:
            pass
        if self.process.poll() is None:
            os.killpg(self.process.pid, 15)
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, 9)
                self.process.wait()

    def _note(self, message):
        method = message.get("method")
        params = message.get("params", {})
        if method == "Runtime.consoleAPICalled":
            self.console.append(" ".join(str(a.get("value", "")) for a in params.get("args", [])))
        elif method == "Page.javascriptDialogOpening":
            # A message box: noted (a failure of the run) and answered.
            self.dialogs.append(params.get("message", ""))
            self.send("Page.handleJavaScriptDialog", accept=True)

    def send(self, method, session=True, **params):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params}
        if session:
            message["sessionId"] = self.session
        self.socket.send(json.dumps(message))
        return self.next_id

    def command(self, method, session=False, **params):
        number = self.send(method, session=session, **params)
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == number:
                if "error" in message:
                    raise Failure("%s: %s" % (method, message["error"]))
                return message.get("result", {})
            self._note(message)

    def page(self, method, **params):
        return self.command(method, session=True, **params)

    def evaluate(self, expression):
        result = self.page("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            details = result["exceptionDetails"]
            raise Failure("page script failed: %s %s (%s)" % (details.get("text"), details.get("exception", {}).get(
                "description", ""), expression[:80]))
        return result["result"].get("value")

    def wait_for(self, expression, what, timeout=PAGE_TIMEOUT):
        deadline = time.time() + timeout
        while time.time() < deadline:
            value = self.evaluate(expression)
            if value:
                return value
            if self.dialogs:
                raise Failure("a message box while waiting for %s: %s" % (what, self.dialogs))
            time.sleep(0.1)
        raise Failure("timed out waiting for %s" % what)

    def open(self, url, width, height):
        self.page("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=1,
                  mobile=False)
        self.page("Page.navigate", url=url)
        self.wait_for("typeof Module !== 'undefined' && Module.brask_passes > 0 || "
                      "typeof Module !== 'undefined' && Module.brask_held === 0", "the page to start")

    def mouse(self, kind, x, y, button="none"):
        self.page("Input.dispatchMouseEvent", type=kind, x=x, y=y, button=button,
                  clickCount=1 if button != "none" else 0)

    def key(self, code, key, key_code):
        for kind in ("keyDown", "keyUp"):
            self.page("Input.dispatchKeyEvent", type=kind, code=code, key=key, windowsVirtualKeyCode=key_code)

    def type_text(self, text):
        for ch in text:
            self.page("Input.dispatchKeyEvent", type="keyDown", key=ch, text=ch, code="Key" + ch.upper())
            self.page("Input.dispatchKeyEvent", type="keyUp", key=ch, code="Key" + ch.upper())


# The canvas's pixels as 5:6:5 bytes (little-endian), or an error naming the
# first pixel that is no widened 5:6:5 pixel.
CANVAS_TO_565 = """(() => {
  const c = Module.canvas, d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
  const out = new Uint8Array(c.width * c.height * 2);
  for (let i = 0, o = 0; i < d.length; i += 4, o += 2) {
    const r = d[i] >> 3, g = d[i + 1] >> 2, b = d[i + 2] >> 3;
    if (d[i] !== ((r << 3) | (r >> 2)) || d[i + 1] !== ((g << 2) | (g >> 4)) ||
        d[i + 2] !== ((b << 3) | (b >> 2)) || d[i + 3] !== 255)
      return 'pixel ' + (i / 4) + ' is no widened 5:6:5 pixel';
    const p = (r << 11) | (g << 5) | b;
    out[o] = p & 255; out[o + 1] = p >> 8;
  }
  let s = '';
  for (let i = 0; i < out.length; i += 32768) s += String.fromCharCode.apply(null, out.subarray(i, i + 32768));
  return c.width + 'x' + c.height + ':' + btoa(s);
})()"""


def fnv1a64(data):
    h = 0xCBF29CE484222325
    for b in data:
        h = ((h ^ b) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return "%016x" % h


def headless(build, data, config, script_text, extra=()):
    """Runs the headless runner on a script; returns its output."""
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as script:
        script.write(script_text)
    try:
        result = subprocess.run([os.path.join(build, "bin", "headless_run"), "--config", config, "--data", data,
                                 "--script", script.name] + list(extra),
                                capture_output=True, text=True, timeout=120)
    finally:
        os.unlink(script.name)
    return result.stdout + result.stderr


def field(output, prefix):
    for line in output.splitlines():
        if line.startswith(prefix):
            return line[len(prefix):].strip()
    return None


def checkpoint_field(output, name):
    """The hash after name in the line of checkpoint 0."""
    words = (field(output, "checkpoint 0:") or "").split()
    return words[words.index(name) + 1] if name in words else None


def check_first_frame(browser, build, data, config, size, extra=()):
    """The held first frame on the canvas equals the runner's pass 0 frame."""
    browser.wait_for("Module.brask_held === 0", "the first frame of " + config)
    value = browser.evaluate(CANVAS_TO_565)
    if ":" not in value:
        raise Failure("%s: %s" % (config, value))
    shape, pixels = value.split(":", 1)
    if shape != "%dx%d" % size:
        raise Failure("%s: the canvas is %s" % (config, shape))
    page_hash = fnv1a64(base64.b64decode(pixels))
    output = headless(build, data, config, "0 check\n", ["--passes", "1"] + list(extra))
    checkpoint = field(output, "checkpoint 0:")
    runner_hash = checkpoint.split(" frame ")[1] if checkpoint and " frame " in checkpoint else None
    if page_hash != runner_hash:
        raise Failure("%s: the first frame differs from the runner's (%s, runner %s)" % (config, page_hash,
                                                                                         runner_hash))
    browser.evaluate("Module.brask_release()")
    print("web_pages: %s: first frame equals the runner's (%s)" % (config, page_hash))


def measure(browser, seconds):
    """Passes and frames put on the canvas a second, over seconds."""
    start = browser.evaluate("[Module.brask_passes, Module.brask_shown, performance.now()]")
    time.sleep(seconds)
    end = browser.evaluate("[Module.brask_passes, Module.brask_shown, performance.now()]")
    elapsed = (end[2] - start[2]) / 1000.0
    return (end[0] - start[0]) / elapsed, (end[1] - start[1]) / elapsed


# A file of the page's file system as base64.
def file_base64(path):
    return ("(() => { const d = FS.readFile('%s'); let s = ''; for (let i = 0; i < d.length; i += 32768) "
            "s += String.fromCharCode.apply(null, d.subarray(i, i + 32768)); return btoa(s); })()" % path)


ASYNCIFY_USED = ("(() => { const d = Asyncify.currData; "
                 "return d ? HEAP32[d >> 2] - (d + 12) : 0; })()")


def downloaded(folder, name, what):
    """The bytes of a finished download, waited for."""
    path = os.path.join(folder, name)
    deadline = time.time() + PAGE_TIMEOUT
    while not os.path.exists(path):
        if time.time() > deadline:
            raise Failure("no download of %s (%s holds %s)" % (what, folder, os.listdir(folder)))
        time.sleep(0.1)
    with open(path, "rb") as f:
        return f.read()


def game(browser, base, build, data, downloads):
    browser.command("Browser.setDownloadBehavior", behavior="allow", downloadPath=downloads)
    browser.open(base + "game.html?--record&/session.txt&hold=0", 800, 600)
    check_first_frame(browser, build, data, "game", (800, 600))
    browser.wait_for("Module.brask_passes > 30", "the game to run")
    passes, frames = measure(browser, 3)
    stack = browser.evaluate(ASYNCIFY_USED)
    # An order: walk to the right of the hero.
    browser.mouse("mouseMoved", 500, 200)
    time.sleep(0.2)
    browser.mouse("mousePressed", 500, 200, "right")
    browser.mouse("mouseReleased", 500, 200, "right")
    time.sleep(1.5)
    # A screenshot: the picture reaches the user as a download.
    browser.key("F12", "F12", 123)
    shot = downloaded(downloads, "brask-0001.png", "the screenshot")
    if shot[:8] != b"\x89PNG\r\n\x1a\n" or shot[16:24] != (800).to_bytes(4, "big") + (600).to_bytes(4, "big"):
        raise Failure("the downloaded screenshot is no 800x600 PNG")
    audio = browser.evaluate("Module.brask_audio ? [Module.brask_audio.context.state, "
                             "Module.brask_audio.longestGap, Module.brask_audio.sent] : null")
    browser.key("Escape", "Escape", 27)
    browser.wait_for("document.getElementById('status').dataset.ended === '1'", "the game to end")
    printed = next((l.split(":", 1)[1].strip() for l in browser.console if l.startswith("world hash:")), None)
    record = browser.evaluate("FS.readFile('/session.txt', {encoding: 'utf8'})")
    if " rdown" not in record or " rup" not in record:
        raise Failure("the game's record has no right click:\n" + record)
    if downloaded(downloads, "session.txt", "the record").decode() != record:
        raise Failure("the downloaded record differs from the one the page wrote")
    # In a scratch copy of the data set: the replayed F12 writes a screenshot.
    replay = headless(build, data, "game", record, ["--scratch"])
    if printed is None or field(replay, "world hash:") != printed:
        raise Failure("the record replays to world hash %s, the page printed %s" % (field(replay, "world hash:"),
                                                                                  printed))
    passes_run = field(replay, "passes run:")
    still = headless(build, data, "game", "", ["--passes", passes_run])
    if field(replay, "hero:") == field(still, "hero:"):
        raise Failure("the hero did not move: %s" % field(replay, "hero:"))
    print("web_pages: game: the right click moved the hero (%s), the record replays to %s; the screenshot and "
          "the record were downloaded" % (field(replay, "hero:"), printed))
    print("web_pages: game: %.1f passes and %.1f frames a second; audio %s; ASYNCIFY stack in use %d bytes" %
          (passes, frames, audio, stack))


def map_editor(browser, base, build, data, scratch):
    browser.open(base + "map_editor.html?hold=0", 1024, 768)
    check_first_frame(browser, build, data, "map_editor", (1024, 768))
    browser.wait_for("Module.brask_passes > 10", "the map editor to run")
    passes, frames = measure(browser, 2)
    # Sand (the palette's third tool), a stroke across the view.
    browser.mouse("mouseMoved", 125, 217)
    browser.mouse("mousePressed", 125, 217, "left")
    time.sleep(0.2)
    browser.mouse("mouseReleased", 125, 217, "left")
    time.sleep(0.2)
    browser.mouse("mouseMoved", 400, 300)
    browser.mouse("mousePressed", 400, 300, "left")
    for x in range(400, 720, 16):
        browser.mouse("mouseMoved", x, 300 + (x - 400) // 4, "left")
        time.sleep(0.05)
    browser.mouse("mouseReleased", 720, 380, "left")
    time.sleep(0.3)
    # Test play (F5) on it and back with Escape: the game's loop inside the
    # editor's, the deepest the loops go.
    browser.key("F5", "F5", 116)
    browser.wait_for("Module.canvas.width === 800", "test play")
    time.sleep(1.5)
    nested = browser.evaluate(ASYNCIFY_USED)
    browser.key("Escape", "Escape", 27)
    browser.wait_for("Module.canvas.width === 1024", "the editor after test play")
    time.sleep(0.5)
    syncs = browser.evaluate("Module.brask_files.syncs")
    # The save dialog: erase the name, type ours, "Да".
    browser.mouse("mouseMoved", 195, 71)
    browser.mouse("mousePressed", 195, 71, "left")
    time.sleep(0.2)
    browser.mouse("mouseReleased", 195, 71, "left")
    time.sleep(0.3)
    for _ in range(8):
        browser.key("Backspace", "Backspace", 8)
        time.sleep(0.08)
    for ch in MAP_NAME:
        browser.type_text(ch)
        time.sleep(0.08)
    stack = browser.evaluate(ASYNCIFY_USED)
    browser.mouse("mouseMoved", 420, 247)
    browser.mouse("mousePressed", 420, 247, "left")
    time.sleep(0.2)
    browser.mouse("mouseReleased", 420, 247, "left")
    path = "/data/map/%s.map" % MAP_NAME
    browser.wait_for("FS.analyzePath('%s').exists && Module.brask_files.syncs > %d" % (path, syncs),
                     "the saved map to reach IndexedDB")
    saved = browser.evaluate(file_base64(path))
    gap = browser.evaluate("Module.brask_audio ? Module.brask_audio.longestGap : -1")
    # Reload: the map comes back from IndexedDB.
    browser.open(base + "map_editor.html", 1024, 768)
    again = browser.wait_for("FS.analyzePath('%s').exists && %s" % (path, file_base64(path)),
                             "the saved map after the reload", timeout=10)
    if again != saved:
        raise Failure("the map after the reload is not the saved one")
    with open(os.path.join(scratch, "data", "map", MAP_NAME + ".map"), "wb") as out:
        out.write(base64.b64decode(saved))
    layers = checkpoint_field(headless(build, scratch, "game", "0 check\n", ["--map", MAP_NAME, "--passes", "1"]),
                              "layers")
    plain = checkpoint_field(headless(build, scratch, "map_editor", "0 check\n", ["--passes", "1"]), "layers")
    if layers is None or layers == plain:
        raise Failure("the saved map holds no stroke (layers hash %s, a new map's %s)" % (layers, plain))
    print("web_pages: map_editor: the painted map saved as %s survived the reload (layers %s)" % (MAP_NAME, layers))
    print("web_pages: map_editor: %.1f passes and %.1f frames a second; ASYNCIFY stack in use in test play %d "
          "bytes, in the save dialog %d bytes; longest gap between audio top-ups %.1f ms" %
          (passes, frames, nested, stack, gap))
    # The game page plays the kept map to the runner's first frame.
    browser.open(base + "game.html?%s&hold=0" % MAP_NAME, 800, 600)
    check_first_frame(browser, build, scratch, "game", (800, 600), ["--map", MAP_NAME])


def missing_map(browser, base):
    """A map that is not there ends the game with the report in a box."""
    browser.page("Page.navigate", url=base + "game.html?nothere")
    deadline = time.time() + PAGE_TIMEOUT
    while not browser.dialogs and time.time() < deadline:
        browser.evaluate("1")
        time.sleep(0.1)
    if not any("data\\map\\nothere.map" in d and "Программа прервана" in d for d in browser.dialogs):
        raise Failure("no box names the missing map: %s" % browser.dialogs)
    browser.dialogs.clear()
    browser.wait_for("document.getElementById('status').dataset.ended === '1'", "the game to end after its box")
    print("web_pages: game: a missing map is reported in a box")


def sprite_editor(browser, base, build, data):
    browser.open(base + "sprite_editor.html?hold=0", 1024, 768)
    check_first_frame(browser, build, data, "sprite_editor", (1024, 768))


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    web, build = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    if websocket is None or shutil.which("chromium") is None:
        print("web_pages: chromium or python3-websocket missing: the pages are not tried")
        return 77
    if not all(os.path.exists(os.path.join(web, p + ".html")) for p in ("game", "map_editor", "sprite_editor")):
        print("web_pages: no pages in %s (scripts/web builds them)" % web)
        return 77
    work = tempfile.mkdtemp(prefix="web_pages.")
    server = serve(web)
    browser = None
    try:
        scratch = os.path.join(work, "scratch")
        shutil.copytree(os.path.join(build, "data"), os.path.join(scratch, "data"))
        browser = Browser(os.path.join(work, "profile"))
        base = "http://127.0.0.1:%d/" % server.server_address[1]
        downloads = os.path.join(work, "downloads")
        os.mkdir(downloads)
        game(browser, base, build, build, downloads)
        map_editor(browser, base, build, build, scratch)
        sprite_editor(browser, base, build, build)
        missing_map(browser, base)
        if browser.dialogs:
            raise Failure("message boxes: %s" % browser.dialogs)
    except (Failure, websocket.WebSocketException, OSError) as failure:
        print("web_pages: FAILED: %s" % failure)
        if browser is not None:
            print("web_pages: the page's console:\n  " + "\n  ".join(browser.console[-20:]))
        return 1
    finally:
        if browser is not None:
            browser.close()
        server.shutdown()
        shutil.rmtree(work, ignore_errors=True)
    print("web_pages: all pages passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
