#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The desktop talks to the player over a private session bus (run under dbus-run-session):
media keys and the sound menu through MPRIS, the window and the bus agreeing both ways, the
screen kept awake while a video plays (the screen saver, then the portal when there is none),
a notification for each file that does not play, and the player on a machine without a bus.
A stub (desktop_stub.py) plays the desktop's side and logs what reaches it."""

import json
import math
import os
import subprocess
import sys
import urllib.parse

from gi.repository import Gio, GLib

import zelko_e2e as z

MPRIS = "org.mpris.MediaPlayer2.zelko_player"
PATH = "/org/mpris/MediaPlayer2"
ROOT = "org.mpris.MediaPlayer2"
PLAYER = "org.mpris.MediaPlayer2.Player"
STUB = os.path.join(os.path.dirname(os.path.abspath(__file__)), "desktop_stub.py")
RATE = 44100


class Bus:
    """Calls on the session bus, as a desktop's media applet makes them."""

    def __init__(self):
        self.conn = Gio.bus_get_sync(Gio.BusType.SESSION, None)

    def call(self, method, signature=None, args=(), interface=PLAYER):
        params = GLib.Variant(signature, args) if signature else None
        reply = self.conn.call_sync(MPRIS, PATH, interface, method, params, None,
                                    Gio.DBusCallFlags.NONE, 10000, None)
        return reply.unpack() if reply else None

    def get(self, name, interface=PLAYER):
        return self.call("Get", "(ss)", (interface, name), "org.freedesktop.DBus.Properties")[0]

    def get_all(self, interface=PLAYER):
        return self.call("GetAll", "(s)", (interface,), "org.freedesktop.DBus.Properties")[0]

    def set(self, name, value):
        self.call("Set", "(ssv)", (PLAYER, name, value), "org.freedesktop.DBus.Properties")

    def set_root(self, name, value):
        self.call("Set", "(ssv)", (ROOT, name, GLib.Variant("b", value)), "org.freedesktop.DBus.Properties")

    def owned(self, name=MPRIS):
        return self.conn.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                   "org.freedesktop.DBus", "NameHasOwner", GLib.Variant("(s)", (name,)),
                                   None, Gio.DBusCallFlags.NONE, 5000, None).unpack()[0]


class DesktopStub:
    """desktop_stub.py as a process, and the JSON lines it logs."""

    def __init__(self, folder, *roles):
        self.path = os.path.join(folder, "stub-" + "-".join(roles) + ".log")
        self.proc = subprocess.Popen([sys.executable, STUB, *("--" + r for r in roles)],
                                     stdout=open(self.path, "w"))
        z.wait_until(lambda: self.entries() or self.proc.poll() is not None, 10, "the stub")
        assert self.proc.poll() is None, "the desktop stub did not start"

    def entries(self):
        with open(self.path) as f:
            return [json.loads(line) for line in f if line.endswith("\n")]

    def calls(self, method):
        return [e for e in self.entries() if e.get("call") == method]

    def wait_calls(self, method, count, what):
        return z.wait_until(lambda: (lambda c: c if len(c) >= count else None)(self.calls(method)),
                            15, what)

    def wait_changed(self, what, test, start=0):
        """The first PropertiesChanged from index start on whose changes test() accepts:
        (index, changes)."""
        def found():
            for i, e in enumerate(self.entries()[start:], start):
                if e.get("signal") == "PropertiesChanged" and test(e["args"][1]):
                    return (i, e["args"][1])
            return None
        return z.wait_until(found, 15, what)

    def seeks(self):
        return [e["args"][0] for e in self.entries() if e.get("signal") == "Seeked"]

    def stop(self):
        z.terminate(self.proc)


def title_is(name):
    return lambda changed: changed.get("Metadata", {}).get("xesam:title") == name


def holds(name, value):
    return lambda changed: changed.get(name) == value


def command(trace, prefix, what, start=0):
    """Waits for a traced command from index start on that starts with prefix; returns
    (index, entry)."""
    def found():
        lines = trace.lines()
        return next(((i, lines[i]) for i in range(start, len(lines)) if lines[i][2].startswith(prefix)),
                    None)
    return z.wait_until(found, 15, what)


def rms_windows(samples, width=RATE // 10):
    return [math.sqrt(sum(s * s for s in samples[i:i + width]) / width)
            for i in range(0, len(samples) - width + 1, width)]


def median(values):
    values = sorted(values)
    return values[len(values) // 2] if values else 0.0


def look_at_start(ctx, bus):
    ctx.step("the bus names the player, its desktop entry and what it plays")
    root = bus.get_all(ROOT)
    assert {k: root[k] for k in ("Identity", "DesktopEntry", "CanQuit", "CanRaise", "HasTrackList",
                                 "SupportedUriSchemes")} == {
        "Identity": "Zelko Player", "DesktopEntry": "io.github.zelko.ZelkoPlayer", "CanQuit": True,
        "CanRaise": True, "HasTrackList": False, "SupportedUriSchemes": ["file"]}, root
    offered = {"audio/mpeg", "audio/x-wav", "audio/midi", "audio/x-riff-midi", "audio/basic",
               "audio/x-aiff", "video/mpeg", "video/x-msvideo"}
    assert offered <= set(root["SupportedMimeTypes"]), root["SupportedMimeTypes"]
    player = bus.get_all()
    assert player == {"PlaybackStatus": "Stopped", "LoopStatus": "None", "Metadata": {}, "Rate": 1.0, "MinimumRate": 0.4,
                      "MaximumRate": 1.0, "Volume": 1.0, "Position": 0, "CanGoNext": True,
                      "CanGoPrevious": False, "CanPlay": True, "CanPause": False, "CanSeek": False,
                      "CanControl": True}, player


def play_and_next(ctx, bus, stub, trace, paths):
    ctx.step("Play with nothing selected plays the first entry; audio leaves the screen saver be")
    bus.call("Play")
    index, entry = command(trace, "open " + paths[0], "the first entry's open")
    assert entry[0] == 0, entry
    _, changed = stub.wait_changed("Playing with tone.wav", title_is("tone.wav"))
    assert changed["PlaybackStatus"] == "Playing", changed
    assert changed["Metadata"]["xesam:url"] == "file://" + urllib.parse.quote(paths[0]), changed
    assert changed["Metadata"]["mpris:length"] == 2000000, changed
    assert changed["CanPause"] and changed["CanSeek"], changed

    ctx.step("Next plays the video: the screen is kept awake")
    bus.call("Next")
    command(trace, "open " + paths[1], "the video's open", index)
    shown, _ = stub.wait_changed("the video's metadata", title_is("long.mpg"))
    stub.wait_calls("Inhibit", 1, "Inhibit for the video")
    first = next(i for i, e in enumerate(stub.entries()) if e.get("call") == "Inhibit")
    assert first > shown, "the screen saver was held for the audio file"
    assert stub.calls("Inhibit")[0]["args"][0] == "Zelko Player"
    assert bus.get("CanGoPrevious") is True


def volume_reaches_the_sound(ctx, bus, stub, trace, pulse):
    ctx.step("Volume 0.25 goes to the engine and the sound drops to a quarter")
    recording = os.path.join(ctx.folder, "monitor.raw")
    recorder = pulse.record(recording)
    try:
        z.wait_until(lambda: os.path.exists(recording) and len(z.read_s16(recording)) > RATE * 0.8,
                     15, "0.8 s of recording")
        at = len(z.read_s16(recording))
        bus.set("Volume", GLib.Variant("d", 0.25))
        _, entry = command(trace, "setaudio movie volume to 250", "the volume command")
        assert entry[0] == 0, entry
        stub.wait_changed("Volume 0.25", holds("Volume", 0.25))
        z.wait_until(lambda: len(z.read_s16(recording)) > at + RATE, 15, "a second more of recording")
    finally:
        recorder.terminate()
        recorder.wait(10)
    samples = z.read_s16(recording)
    before = median(rms_windows(samples[at - RATE // 2: at - RATE // 10]))
    after = median(rms_windows(samples[at + RATE * 4 // 10: at + RATE]))
    ctx.step(f"RMS {before:.0f} before, {after:.0f} after")
    assert before > 3000 and 0.18 < after / before < 0.32, (before, after)


def pause_both_ways(ctx, bus, stub, trace, transport, p):
    ctx.step("PlayPause pauses and releases the screen; the window's Pause button resumes")
    start = len(trace.lines())
    bus.call("PlayPause")
    command(trace, "Pause movie", "the bus's pause", start)
    paused, _ = stub.wait_changed("Paused", holds("PlaybackStatus", "Paused"))
    stub.wait_calls("UnInhibit", 1, "UnInhibit at pause")
    p.click(*transport[1])  # latched by the bus's pause: this click resumes
    command(trace, "Resume movie", "the button's resume", start)
    stub.wait_changed("Playing after the click", holds("PlaybackStatus", "Playing"), paused)
    stub.wait_calls("Inhibit", 2, "Inhibit again when playing on")

    ctx.step("Pause and Play over the bus pause and resume")
    start = len(trace.lines())
    bus.call("Pause")
    command(trace, "Pause movie", "the second pause", start)
    stub.wait_calls("UnInhibit", 2, "UnInhibit at the second pause")
    bus.call("Play")
    command(trace, "Resume movie", "Play resumes", start)
    stub.wait_calls("Inhibit", 3, "Inhibit at resume")


def seek_both_ways(ctx, bus, stub, trace, p):
    ctx.step("SetPosition and Seek go through the window's seek; the slider's seek reaches the bus")
    track = bus.get("Metadata")["mpris:trackid"]
    start = len(trace.lines())
    bus.call("SetPosition", "(ox)", ("/io/github/zelko/ZelkoPlayer/Track/999", 1000000))  # stale
    bus.call("SetPosition", "(ox)", (track, 6000000))
    _, entry = command(trace, "seek movie to ", "the seek to 6 s", start)
    frame = int(entry[2].split()[-1])
    assert abs(frame - 150) <= 2, entry  # 25 frames a second
    z.wait_until(lambda: stub.seeks(), 15, "Seeked")
    assert 5500000 <= stub.seeks()[0] <= 7000000, stub.seeks()
    start = len(trace.lines())
    bus.call("Seek", "(x)", (2000000,))
    _, entry = command(trace, "seek movie to ", "the seek 2 s on", start)
    assert 45 <= int(entry[2].split()[-1]) - frame <= 80, entry
    assert bus.get("Position") >= 7800000
    slider_y = 94  # the rail of cpvSlider1
    p.click(170, slider_y)
    z.wait_until(lambda: len(stub.seeks()) >= 3, 15, "Seeked after the slider's seek")


def rate_both_ways(ctx, bus, stub, trace, transport, p):
    ctx.step("Rate 0.4 is Slow Motion; the window's Slow Motion button sets it back to 1")
    start = len(trace.lines())
    bus.set("Rate", GLib.Variant("d", 0.4))
    command(trace, "set movie speed 400 ", "slow motion", start)
    slow, _ = stub.wait_changed("Rate 0.4", holds("Rate", 0.4))
    p.click(*transport[3])
    command(trace, "set movie speed 1000 ", "normal speed", start)
    stub.wait_changed("Rate 1 after the click", holds("Rate", 1.0), slow)


def previous_stop_and_play(ctx, bus, stub, trace, transport, p, paths):
    ctx.step("Previous plays the audio file at the kept volume and lets the screen saver be")
    start = len(trace.lines())
    bus.call("Previous")
    index, _ = command(trace, "open " + paths[0], "the audio file's open", start)
    assert trace.lines()[index + 1][2] == "setaudio movie volume to 250", trace.lines()[index + 1]
    stub.wait_calls("UnInhibit", 3, "UnInhibit for the audio file")
    assert bus.get("CanGoPrevious") is False

    ctx.step("Next, Stop over the bus, then the window's Play button")
    bus.call("Next")
    stub.wait_calls("Inhibit", 4, "Inhibit for the video again")
    start = len(trace.lines())
    bus.call("Stop")
    command(trace, "Stop movie", "the bus's stop", start)
    stub.wait_calls("UnInhibit", 4, "UnInhibit at stop")
    stopped = len(stub.entries()) - 1
    assert bus.get("PlaybackStatus") == "Stopped"
    p.click(*transport[0])
    command(trace, "open " + paths[1], "the Play button's open", start)
    stub.wait_changed("Playing after the Play button", holds("PlaybackStatus", "Playing"), stopped)
    stub.wait_calls("Inhibit", 5, "Inhibit after the Play button")


def failures_are_told(ctx, bus, stub, trace, paths):
    ctx.step("a short video ends, the next entry is missing: the screen is let go, the user told")
    bus.call("Next")
    command(trace, "open " + paths[2], "the short video's open")
    notes = stub.wait_calls("Notify", 1, "the first notification")
    stub.wait_calls("UnInhibit", 5, "UnInhibit after the failed open")
    assert len(stub.calls("Inhibit")) == 5, "the short video took a hold of its own"
    app, replaces, icon, summary, body = notes[0]["args"][:5]
    assert (app, replaces, icon) == ("Zelko Player", 0, "io.github.zelko.ZelkoPlayer"), notes[0]
    assert (summary, body) == ("Cannot play gone.mp3", "file not found"), notes[0]
    assert bus.get("PlaybackStatus") == "Stopped"

    ctx.step("a text file and a MIDI file without its synthesizer: each told once, with why")
    bus.call("Next")
    stub.wait_calls("Notify", 2, "the text file's notification")
    bus.call("Next")
    notes = stub.wait_calls("Notify", 3, "the MIDI file's notification")
    assert notes[1]["args"][3:5] == ["Cannot play text.mp3", "not a media file"], notes[1]
    assert notes[2]["args"][3] == "Cannot play tune.mid", notes[2]
    body = notes[2]["args"][4]
    assert body.startswith("this kind of file needs a decoder that is not installed (GStreamer's ") \
        and "midi" in body and body.endswith(")"), body
    assert bus.get("CanGoNext") is False


def open_raise_quit(ctx, bus, stub, trace, p, paths, folder):
    ctx.step("OpenUri appends and plays; a file it does not offer is refused")
    bus.call("OpenUri", "(s)", ("file://" + urllib.parse.quote(paths[2]),))
    stub.wait_calls("Inhibit", 6, "Inhibit for the opened video")
    try:
        bus.call("OpenUri", "(s)", ("file:///etc/hostname",))
        raise AssertionError("OpenUri took a file it does not offer")
    except GLib.Error as e:
        assert "not added" in e.message, e.message

    ctx.step("Raise brings the minimized window back; Quit closes it as Close does")
    z.run(["xdotool", "windowminimize", "--sync", p.wid], p.x.env)
    assert not p._find_window(), "the window did not minimize"
    bus.call("Raise", interface=ROOT)
    z.wait_until(p._find_window, 15, "the raised window")
    bus.call("Quit", interface=ROOT)
    assert p.proc.wait(30) == 0, p.log()
    assert len(stub.calls("UnInhibit")) == 6, "the hold outlived the window"
    assert len(stub.calls("Notify")) == 3, stub.calls("Notify")
    titles = z.read_bytes(os.path.join(folder, "pl1.txt")).split(b"\r\n")
    assert titles[-2:] == [b"video.mpg", b""], "the opened file was not saved"


def portal_when_no_screen_saver(ctx, bus, env):
    ctx.step("without a screen saver the portal keeps the screen awake, until the video ends")
    stub = DesktopStub(ctx.folder, "portal")
    folder = os.path.join(ctx.folder, "portal")
    os.mkdir(folder)
    p = ctx.player(folder, extra_env=env).start(args=[ctx.clip("video.mpg")])
    held = stub.wait_calls("Inhibit", 1, "the portal's Inhibit")[0]
    window, flags, options = held["args"]
    assert window.startswith("x11:") and flags == 8 and options == {"reason": "Playing a video"}, held
    closed = stub.wait_calls("Close", 1, "the request closed at the end")[0]
    assert closed["path"].startswith("/org/freedesktop/portal/desktop/request/"), closed
    p.stop()
    stub.stop()


def no_bus(ctx, env):
    ctx.step("without a session bus the player plays as ever and says so once")
    folder = os.path.join(ctx.folder, "nobus")
    os.mkdir(folder)
    trace = z.Trace(os.path.join(folder, "mci.trace"))
    p = ctx.player(folder, extra_env={"ZELKO_MCI_TRACE": trace.path}).start(args=[ctx.clip("tone.wav")])
    assert "DBUS_SESSION_BUS_ADDRESS" not in p.env
    _, entry = command(trace, "play movie", "the play")
    assert entry[0] == 0, entry
    assert p.close_with_button() == 0
    assert p.log().count("desktop integration is off") == 1, p.log()


def scenario(ctx):
    bus = Bus()
    gone = os.path.join(ctx.folder, "gone.mp3")
    paths = [ctx.clip("tone.wav"), ctx.clip("long.mpg"), ctx.clip("video.mpg"), gone,
             ctx.clip("text.mp3"), ctx.clip("tune.mid")]
    z.write_playlist(ctx.folder, [os.path.basename(x) for x in paths], paths)
    trace = z.Trace(os.path.join(ctx.folder, "mci.trace"))
    stub = DesktopStub(ctx.folder, "screensaver", "notifications", "watch")
    bus_env = {"DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"],
               # MIDI without its synthesizer: a file whose decoder is missing.
               "GST_PLUGIN_FEATURE_RANK": "fluiddec:NONE"}
    with z.PulseServer() as pulse:
        env = dict(bus_env, ZELKO_MCI_TRACE=trace.path,
                   **{k: pulse.env[k] for k in ("PULSE_SERVER", "PULSE_RUNTIME_PATH")})
        p = ctx.player(extra_env=env).start()
        z.wait_until(bus.owned, 15, "the player's name on the bus")
        transport = p.toolbar_buttons(z.TOOLBAR1, 5)
        look_at_start(ctx, bus)
        play_and_next(ctx, bus, stub, trace, paths)
        volume_reaches_the_sound(ctx, bus, stub, trace, pulse)
        pause_both_ways(ctx, bus, stub, trace, transport, p)
        seek_both_ways(ctx, bus, stub, trace, p)
        rate_both_ways(ctx, bus, stub, trace, transport, p)
        previous_stop_and_play(ctx, bus, stub, trace, transport, p, paths)
        failures_are_told(ctx, bus, stub, trace, paths)
        open_raise_quit(ctx, bus, stub, trace, p, paths, ctx.folder)
    stub.stop()
    portal_when_no_screen_saver(ctx, bus, bus_env)
    no_bus(ctx, {})


if __name__ == "__main__":
    z.main(scenario)
