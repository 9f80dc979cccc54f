# SPDX-License-Identifier: GPL-3.0-or-later
"""What the end-to-end tests share: a private X server with a window manager, a private sound
server, the player as a process, real pointer and key events (xdotool), window screenshots (xwd,
read here) and the MCI trace the player writes when ZELKO_MCI_TRACE names a file.

Everything waits on a condition with a deadline; nothing sleeps to paper over a race.
"""

import array
import os
import re
import shutil
import signal
import struct
import subprocess
import tempfile
import time

TITLE = "Zelko Player 1.0"
SCREEN = (1280, 1024)

# The window's design places, in pixels (15 twips per pixel).
FORM_SIZE = (460, 238)
LIST1 = (7, 130, 221, 82)
METER31 = (7, 49, 217, 35)
LBCURRENTIME = (343, 90, 78, 22)
TOOLBAR1 = (7, 25, 386, 22)
TOOLBAR3 = (392, 0, 62, 22)
PICTURE1_TOP = 238

GREEN = (0, 255, 0)
DARK_GREEN = (0, 128, 0)


class Timeout(AssertionError):
    pass


def wait_until(predicate, timeout, what, interval=0.05):
    """Returns the first truthy value of predicate(), polling until the deadline."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Timeout(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


def run(args, env=None, check=True, timeout=30):
    return subprocess.run(args, env=env, check=check, timeout=timeout,
                          capture_output=True, text=True)


def terminate(proc, timeout=10):
    """Ends proc with SIGTERM, or SIGKILL when it has not ended within timeout seconds."""
    if proc is None or proc.poll() is not None:
        return
    proc.terminate()
    try:
        proc.wait(timeout)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


class XServer:
    """Xvfb on a display it chooses itself (-displayfd), with openbox managing its windows
    (started with wm_args, such as a --config-file of its own); `wrapper` runs Xvfb under
    another program (a profiler)."""

    def __init__(self, size=SCREEN, wm_args=(), wrapper=()):
        self.size, self.wm_args, self.wrapper = size, list(wm_args), list(wrapper)
        self.xvfb = None
        self.wm = None
        self.env = None
        self.runtime = None

    def __enter__(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            [*self.wrapper, "Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{self.size[0]}x{self.size[1]}x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    raise RuntimeError("Xvfb exited before naming its display")
                number += chunk
        self.env = dict(os.environ, DISPLAY=":" + number.decode().strip())
        self.env.pop("WAYLAND_DISPLAY", None)
        # No session bus either, unless a test brings its own: the players must not reach the
        # desktop of whoever runs the tests (its media applet, screen saver, notifications).
        self.env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        # A runtime folder of its own: the players' folder locks and sockets live there.
        self.runtime = tempfile.mkdtemp(prefix="zelko-run-")
        self.env["XDG_RUNTIME_DIR"] = self.runtime
        self.env["QT_QPA_PLATFORM"] = "xcb"
        self.wm = subprocess.Popen(["openbox", "--sm-disable"] + self.wm_args, env=self.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until(lambda: "window id" in run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"],
                                              self.env, check=False).stdout,
                   10, "openbox to manage the screen")
        return self

    def __exit__(self, *exc):
        terminate(self.wm)
        terminate(self.xvfb)
        if self.runtime:
            shutil.rmtree(self.runtime, ignore_errors=True)


class PulseServer:
    """A private PulseAudio with one null sink whose monitor the tests record."""

    SINK = "zelko_e2e"

    def __init__(self):
        self.dir = None
        self.proc = None
        self.env = None

    def __enter__(self):
        self.dir = tempfile.mkdtemp(prefix="zelko-pulse-")
        socket = os.path.join(self.dir, "native")
        config = os.path.join(self.dir, "default.pa")
        with open(config, "w") as f:
            f.write(f"load-module module-null-sink sink_name={self.SINK} rate=44100\n"
                    f"load-module module-native-protocol-unix auth-anonymous=1 socket={socket}\n"
                    f"set-default-sink {self.SINK}\n")
        runtime = os.path.join(self.dir, "runtime")
        os.mkdir(runtime)
        # As root PulseAudio wants --system; a per-user server of our own needs its runtime
        # and home moved to the private folder instead, and --system=false said outright.
        self.env = dict(os.environ, PULSE_RUNTIME_PATH=runtime, HOME=self.dir,
                        PULSE_SERVER="unix:" + socket, PULSE_STATE_PATH=runtime)
        self.start()
        return self

    def start(self):
        """Starts the server (again, after kill, on the same socket)."""
        config = os.path.join(self.dir, "default.pa")
        with open(os.path.join(self.dir, "log"), "a") as log:  # the server keeps its own copy
            self.proc = subprocess.Popen(
                ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                 "--system=false", "--use-pid-file=no", "-F", config],
                env=self.env, stdout=subprocess.DEVNULL, stderr=log)
        wait_until(lambda: self.proc.poll() is not None or
                   run(["pactl", "info"], self.env, check=False).returncode == 0,
                   15, "PulseAudio to answer")
        if self.proc.poll() is not None:
            raise RuntimeError("PulseAudio did not start:\n" + self.log())

    def kill(self):
        """Ends the server as a crash would (SIGKILL)."""
        self.proc.kill()
        self.proc.wait()

    def streams(self):
        """The streams playing into the server now (pactl's sink inputs)."""
        out = run(["pactl", "list", "short", "sink-inputs"], self.env, check=False).stdout
        return [line for line in out.splitlines() if line.strip()]

    def log(self):
        with open(os.path.join(self.dir, "log")) as f:
            return f.read()

    def record(self, path, rate=44100):
        """Starts recording the sink's monitor as raw mono s16le; stop with stop_recording."""
        return subprocess.Popen(
            ["parec", f"--device={self.SINK}.monitor", "--format=s16le", f"--rate={rate}",
             "--channels=1", "--raw", "--latency-msec=20", path],
            env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def __exit__(self, *exc):
        terminate(self.proc)
        shutil.rmtree(self.dir, ignore_errors=True)


def write_playlist(folder, titles, paths):
    """pl1.txt and pl2.txt as the player writes them: UTF-8, CR LF after every entry."""
    data1 = "".join(t + "\r\n" for t in titles).encode()
    data2 = "".join(p + "\r\n" for p in paths).encode()
    with open(os.path.join(folder, "pl1.txt"), "wb") as f:
        f.write(data1)
    with open(os.path.join(folder, "pl2.txt"), "wb") as f:
        f.write(data2)
    return data1, data2


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


class Trace:
    """The lines of the file named by ZELKO_MCI_TRACE: code TAB length TAB command text."""

    def __init__(self, path):
        self.path = path

    def lines(self):
        try:
            # Bytes that are not UTF-8 come back as os.fsdecode gives them, so a path compares
            # with the file's own name.
            raw = read_bytes(self.path).decode("utf-8", "surrogateescape")
        except FileNotFoundError:
            return []
        out = []
        for line in raw.split("\n"):
            parts = line.split("\t", 2)
            if len(parts) == 3 and parts[0].lstrip("-").isdigit():
                out.append((int(parts[0]), int(parts[1]), parts[2]))
        return out

    def commands(self, verb=None, start=0):
        """(code, length, text) from index start on, optionally only those of one verb."""
        out = self.lines()[start:]
        if verb:
            out = [c for c in out if c[2].split(" ", 1)[0].lower() == verb]
        return out

    def wait_for(self, predicate, timeout, what, start=0):
        """Waits for a trace line from index start on that predicate accepts; returns it."""
        def found():
            for entry in self.lines()[start:]:
                if predicate(entry):
                    return entry
            return None
        return wait_until(found, timeout, what)


class Image:
    """A window's pixels from an xwd dump (ZPixmap, 24 or 32 bits per pixel)."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    @staticmethod
    def from_xwd(data):
        header = struct.unpack(">25I", data[:100])
        (header_size, _version, pixmap_format, _depth, width, height, _xoffset, byte_order,
         _unit, _bit_order, _pad, bits_per_pixel, bytes_per_line, _visual_class, red_mask,
         green_mask, blue_mask, _bits_per_rgb, _cmap_entries, ncolors) = header[:20]
        if pixmap_format != 2 or bits_per_pixel not in (24, 32):
            raise ValueError(f"unexpected xwd format {pixmap_format}/{bits_per_pixel} bpp")
        offset = header_size + ncolors * 12
        step = bits_per_pixel // 8
        order = "little" if byte_order == 0 else "big"
        shifts = [(m, (m & -m).bit_length() - 1) for m in (red_mask, green_mask, blue_mask)]
        rgb = bytearray(width * height * 3)
        if step == 4 and order == "little" and (red_mask, green_mask, blue_mask) == \
                (0xFF0000, 0xFF00, 0xFF):
            # The usual TrueColor layout, B G R X in memory: slice whole planes at once.
            pixels = b"".join(data[offset + y * bytes_per_line:
                                   offset + y * bytes_per_line + width * 4] for y in range(height))
            rgb[0::3], rgb[1::3], rgb[2::3] = pixels[2::4], pixels[1::4], pixels[0::4]
            return Image(width, height, bytes(rgb))
        for y in range(height):
            row = data[offset + y * bytes_per_line: offset + y * bytes_per_line + width * step]
            for x in range(width):
                v = int.from_bytes(row[x * step:(x + 1) * step], order)
                i = (y * width + x) * 3
                rgb[i:i + 3] = bytes((v & m) >> s for m, s in shifts)
        return Image(width, height, bytes(rgb))

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def region(self, x, y, w, h):
        """The raw pixels of a rectangle, for comparing two screenshots."""
        return b"".join(self.rgb[((y + r) * self.width + x) * 3:((y + r) * self.width + x + w) * 3]
                        for r in range(h))

    def save_png(self, path):
        """A plain 8-bit RGB PNG, written without outside tools."""
        import zlib

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
        stride = self.width * 3
        raw = b"".join(b"\0" + self.rgb[y * stride:(y + 1) * stride] for y in range(self.height))
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" +
                    chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)) +
                    chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))

    def save_ppm(self, path):
        with open(path, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (self.width, self.height) + self.rgb)


def near(colour, expected, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


def runs(values, accept):
    """(start, end) of each run of consecutive values that accept() takes."""
    out, start = [], None
    for i, v in enumerate(values + [None]):
        ok = v is not None and accept(v)
        if ok and start is None:
            start = i
        elif not ok and start is not None:
            out.append((start, i))
            start = None
    return out


def led_pixels(image):
    """(lit, unlit) pixels of the LED bar along its middle row."""
    x, y, w, h = METER31
    row = [image.pixel(x + i, y + h // 2) for i in range(w)]
    return (sum(1 for c in row if near(c, GREEN, 40)),
            sum(1 for c in row if near(c, DARK_GREEN, 40)))


def led_level(image):
    """The LED bar's value (0 to 50) as the share of its segments that are lit."""
    lit, unlit = led_pixels(image)
    return round(50 * lit / (lit + unlit)) if lit + unlit else None


def text_clusters(image, rect, gap):
    """Horizontal (start, end) spans of green text in rect, split where gap columns are blank."""
    x, y, w, h = rect
    columns = [any(c[1] > 120 and c[1] > c[0] + 60 and c[1] > c[2] + 60
                   for c in (image.pixel(x + i, y + j) for j in range(h)))
               for i in range(w)]
    spans = runs(columns, bool)
    merged = []
    for s, e in spans:
        if merged and s - merged[-1][1] < gap:
            merged[-1] = (merged[-1][0], e)
        else:
            merged.append((s, e))
    return [(x + s, x + e) for s, e in merged]


def text_rows(image, rect):
    """Vertical (start, end) spans of rows that hold any lit pixel in rect (list entries)."""
    x, y, w, h = rect
    rows = [any(max(image.pixel(x + i, y + j)) > 90 for i in range(w)) for j in range(h)]
    return [(y + s, y + e) for s, e in runs(rows, bool)]


class Player:
    """The built zelko-player, started in a folder of its own, driven from outside."""

    def __init__(self, binary, folder, xserver, extra_env=None):
        self.binary, self.folder, self.x = binary, folder, xserver
        self.env = dict(xserver.env)
        self.env.update(extra_env or {})
        self.proc = None
        self.wid = None
        self.log_path = os.path.join(folder, "player.log")

    def start(self, timeout=30, args=(), launcher=()):
        """Starts the player (through `launcher`, a command that ends by running the rest of its
        command line in its own place, when one is given)."""
        self.started_at = time.monotonic()
        with open(self.log_path, "w") as log:  # the player keeps its own copy
            self.proc = subprocess.Popen([*launcher, self.binary, *args], cwd=self.folder, env=self.env,
                                         stdout=subprocess.DEVNULL, stderr=log)
        self.wid = wait_until(self._find_window, timeout, "the player's window")
        self.shown_at = time.monotonic()
        return self

    def _find_window(self):
        if self.proc.poll() is not None:
            raise AssertionError(f"the player exited with {self.proc.returncode}:\n{self.log()}")
        out = run(["xdotool", "search", "--onlyvisible", "--name", "^" + TITLE + "$"],
                  self.x.env, check=False).stdout.split()
        return out[0] if out else None

    def log(self):
        try:
            with open(self.log_path, errors="replace") as f:
                return f.read()[-4000:]
        except FileNotFoundError:
            return ""

    def alive(self):
        return self.proc.poll() is None

    def geometry(self):
        """(x, y, width, height) of the window on the screen."""
        out = run(["xwininfo", "-id", self.wid], self.x.env).stdout
        fields = {}
        for line in out.splitlines():
            if ":" in line:
                k, v = line.split(":", 1)
                fields[k.strip()] = v.strip()
        return (int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"]),
                int(fields["Width"]), int(fields["Height"]))

    def child_geometry(self, window):
        """(x, y, width, height) of another window, relative to the player's window."""
        out = run(["xwininfo", "-id", str(window)], self.x.env).stdout
        fields = dict(line.split(":", 1) for line in out.splitlines() if ":" in line)
        ax, ay, _, _ = self.geometry()
        return (int(fields["  Absolute upper-left X"]) - ax, int(fields["  Absolute upper-left Y"]) - ay,
                int(fields["  Width"]), int(fields["  Height"]))

    def wait_geometry(self, predicate, timeout, what):
        return wait_until(lambda: (lambda g: g if predicate(g) else None)(self.geometry()),
                          timeout, what)

    def screenshot(self):
        data = subprocess.run(["xwd", "-silent", "-id", self.wid], env=self.x.env,
                              capture_output=True, check=True, timeout=30).stdout
        return Image.from_xwd(data)

    def click(self, x, y, count=1):
        """A real pointer click (XTEST) at x, y inside the window."""
        args = ["xdotool", "mousemove", "--window", self.wid, str(x), str(y), "click"]
        if count > 1:
            args += ["--repeat", str(count), "--delay", "60"]
        run(args + ["1"], self.x.env)

    def key(self, *keys):
        """Real key presses (XTEST) to whatever has the focus, after activating the window."""
        run(["xdotool", "windowactivate", "--sync", self.wid], self.x.env, check=False)
        run(["xdotool", "key", "--delay", "40"] + list(keys), self.x.env)

    def toolbar_buttons(self, rect, count, gap=9):
        """Centres of a toolbar's buttons, found from their green captions on the screen."""
        def found():
            spans = text_clusters(self.screenshot(), rect, gap)
            return spans if len(spans) == count else None
        spans = wait_until(found, 10, f"{count} captions in the toolbar at {rect}")
        return [((s + e) // 2, rect[1] + rect[3] // 2) for s, e in spans]

    def list_rows(self):
        """Vertical centres of the entries shown in List1."""
        x, y, w, h = LIST1
        # Inside the dotted frame the list shows while it has the focus.
        spans = text_rows(self.screenshot(), (x + 2, y + 2, w - 20, h - 4))
        return [(s + e) // 2 for s, e in spans]

    def close_with_button(self, timeout=30):
        """Presses Close (asxToolbar3, button 1) and waits for the program to end."""
        (cx, cy), = self.toolbar_buttons(TOOLBAR3, 1)
        self.click(cx, cy)
        try:
            self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("the player did not end after Close")
        return self.proc.returncode

    def close_keeps_playlist(self, folder, data1, data2):
        """Presses Close and checks the program ended well and wrote pl1.txt and pl2.txt back
        byte for byte as data1 and data2."""
        code = self.close_with_button()
        assert code == 0, f"the player exited with {code}:\n{self.log()}"
        assert read_bytes(os.path.join(folder, "pl1.txt")) == data1, "pl1.txt changed"
        assert read_bytes(os.path.join(folder, "pl2.txt")) == data2, "pl2.txt changed"

    def stop(self):
        if self.proc is not None and self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(15)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def engine_host_pid(player_pid):
    """The player's engine host: the process named zelko-mci-host among its descendants (it runs
    under bubblewrap, or straight beneath the player without namespaces); None when none runs."""
    pending = [player_pid]
    while pending:
        pid = pending.pop()
        try:
            tasks = os.listdir(f"/proc/{pid}/task")
        except FileNotFoundError:
            continue
        for task in tasks:
            try:
                with open(f"/proc/{pid}/task/{task}/children") as f:
                    children = [int(c) for c in f.read().split()]
            except FileNotFoundError:
                continue
            for child in children:
                try:
                    with open(f"/proc/{child}/comm") as comm:
                        if comm.read().strip() == "zelko-mci-host":
                            return child
                except FileNotFoundError:
                    continue
                pending.append(child)
    return None


def proc_figures(pid):
    """Resident memory in kB, thread count and open descriptors of a process."""
    rss = 0
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                rss = int(line.split()[1])
    return {"rss_kb": rss,
            "threads": len(os.listdir(f"/proc/{pid}/task")),
            "fds": len(os.listdir(f"/proc/{pid}/fd"))}


def cpu_seconds(pid):
    """User plus system CPU time the process has used so far, in seconds."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    return (int(fields[11]) + int(fields[12])) / ticks


def read_s16(path):
    samples = array.array("h")
    with open(path, "rb") as f:
        samples.frombytes(f.read())
    return samples


class Context:
    """What a scenario gets: the paths from the command line, a temporary folder of its own,
    and a place to leave screenshots and logs when a step fails."""

    def __init__(self, args, folder):
        self.player_binary = os.path.abspath(args.player)
        self.clips = os.path.abspath(args.clips)
        self.e2e_clips = os.path.abspath(args.e2e_clips)
        self.artifacts = os.path.abspath(args.artifacts)
        self.folder = folder
        self.players = []
        self.started = time.monotonic()

    def clip(self, name):
        for folder in (self.clips, self.e2e_clips):
            path = os.path.join(folder, name)
            if os.path.exists(path):
                return path
        raise FileNotFoundError(name)

    def step(self, text):
        print(f"[{time.monotonic() - self.started:7.2f} s] {text}", flush=True)

    def player(self, folder=None, extra_env=None):
        p = Player(self.player_binary, folder or self.folder, self.x, extra_env)
        self.players.append(p)
        return p

    def keep_evidence(self):
        os.makedirs(self.artifacts, exist_ok=True)
        for i, p in enumerate(self.players):
            try:
                if p.wid and p.alive():
                    p.screenshot().save_ppm(os.path.join(self.artifacts, f"window{i}.ppm"))
            except Exception as e:  # the evidence is a courtesy; the failure is already known
                print(f"(no screenshot: {e})")
            with open(os.path.join(self.artifacts, f"player{i}.log"), "w") as f:
                f.write(p.log())
        for name in os.listdir(self.folder):
            if name.endswith((".txt", ".trace")):
                shutil.copy(os.path.join(self.folder, name), self.artifacts)
        print(f"evidence kept in {self.artifacts}")


def refused_calls(ctx):
    """Fails when an engine host was refused a system call: it names each one on standard error,
    which the player's log holds, and a call its filter does not know is one a kind of file or
    an output needs."""
    for p in ctx.players:
        if os.path.exists(p.log_path):
            with open(p.log_path, errors="replace") as f:
                refused = sorted(set(re.findall(r"zelko-mci-host: refused system call (\d+)", f.read())))
            assert not refused, f"the engine host was refused system calls {', '.join(refused)}"


def main(scenario, **server):
    """Runs scenario(ctx) with the paths given on the command line, in an XServer(**server);
    exits 0 when it passes."""
    import argparse
    import traceback
    parser = argparse.ArgumentParser()
    parser.add_argument("--player", required=True)
    parser.add_argument("--clips", required=True)
    parser.add_argument("--e2e-clips", required=True)
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    folder = tempfile.mkdtemp(prefix="zelko-e2e-")
    ctx = Context(args, folder)
    with XServer(**server) as x:
        ctx.x = x
        try:
            scenario(ctx)
            refused_calls(ctx)
        except Exception:
            traceback.print_exc()
            ctx.keep_evidence()
            code = 1
        else:
            print("PASS")
            code = 0
        finally:
            for p in ctx.players:
                p.stop()
    shutil.rmtree(folder, ignore_errors=True)
    raise SystemExit(code)


# The top two thirds of the clips' SMPTE test pattern: seven bars, each channel either on or off
# (the level of "on" depends on the encoder and the sink's colour conversion).
SMPTE_BARS = [(1, 1, 1), (1, 1, 0), (0, 1, 1), (0, 1, 0), (1, 0, 1), (1, 0, 0), (0, 0, 1)]


def bar_of(colour):
    """The on/off pattern of a pixel's channels, or None when a channel is neither."""
    out = []
    for c in colour:
        if c >= 140:
            out.append(1)
        elif c <= 60:
            out.append(0)
        else:
            return None
    return tuple(out)


def colour_bars_shown(image, left, top, width, height):
    """True when the rectangle shows the test pattern's seven bars, in order, across its
    whole width (sampled a quarter of the way down, inside the bars)."""
    y = top + height // 4
    if not (0 <= y < image.height and left >= 0 and left + width <= image.width):
        return False
    return all(bar_of(image.pixel(left + int((i + 0.5) * width / 7), y)) == bar
               for i, bar in enumerate(SMPTE_BARS))


def stable_for(sample, seconds, timeout, what, interval=0.15):
    """Waits until sample() has returned the same value for `seconds`; returns that value."""
    state = {"value": None, "since": None}

    def settled():
        value = sample()
        now = time.monotonic()
        if state["since"] is None or value != state["value"]:
            state["value"], state["since"] = value, now
            return None
        return (value,) if now - state["since"] >= seconds else None
    return wait_until(settled, timeout, what, interval)[0]


def padded(text, length):
    return text + " " * (length - len(text))


def absent_for(event, seconds, what, interval=0.1):
    """Watches for `seconds` that event() stays falsy; fails as soon as it is not."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        seen = event()
        if seen:
            raise AssertionError(f"unexpected {what}: {seen}")
        time.sleep(interval)
