#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What the desktop's media controls show and drive beyond the transport, on a private session
bus (run under dbus-run-session): Auto Replay as the loop status (LoopStatus), fullscreen mode
(Fullscreen), and what plays as the file's own tags say it, with its cover (xesam:*,
mpris:artUrl), on MP3s tagged by ffmpeg, also in the notification of one that cannot play; and
playerctl, as a user's desktop would run it. The tags come from the engine host: the window maps
no parser of media, after a file of every offered kind and a hostile one."""

import os
import re
import subprocess
import time

from gi.repository import GLib

import zelko_e2e as z
from test_desktop_bus import PATH, ROOT, Bus, DesktopStub, command, holds
from test_hostile_media import HOSTILE_MIDI

CHECK_BOX = (251, 97)  # Auto Replay's tick box
TAGS = {"title": "Blue Tone", "artist": "The Testers", "album": "Sine Album", "track": "3",
        "genre": "Ambient"}


def make_tagged(folder):
    """Two MP3s with ID3 tags and the same attached PNG cover, and the cover, made by ffmpeg."""
    cover = os.path.join(folder, "cover.png")
    z.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "color=c=red:s=48x48", "-frames:v", "1",
           cover])
    paths = []
    for name, seconds, title in (("tagged.mp3", 2, TAGS["title"]), ("other.mp3", 30, "Other Tone")):
        path = os.path.join(folder, name)
        tags = dict(TAGS, title=title)
        z.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", f"sine=frequency=440:duration={seconds}",
               "-i", cover, "-map", "0", "-map", "1", "-c:a", "libmp3lame", "-c:v", "copy",
               "-id3v2_version", "3", "-metadata:s:v", "comment=Cover (front)",
               *[a for k, v in tags.items() for a in ("-metadata", f"{k}={v}")], path], timeout=60)
        paths.append(path)
    return cover, paths


def playerctl(*args):
    done = subprocess.run(["playerctl", "--player=zelko_player", *args], capture_output=True, text=True,
                          timeout=15)
    print(f"$ playerctl {' '.join(args)}\n{done.stdout}{done.stderr}", flush=True)
    assert done.returncode == 0, done.stderr
    return done.stdout


def old_covers(cache, count):
    """A cache folder already full of pictures from long ago."""
    folder = os.path.join(cache, "zelko-player")
    os.makedirs(folder)
    for i in range(count):
        path = os.path.join(folder, f"old{i:03}.png")
        with open(path, "wb") as f:
            f.write(b"\x89PNG old picture %d" % i)
        os.utime(path, (time.time() - 86400 * 30 + i,) * 2)
    return folder


def loop_status(ctx, bus, stub, p):
    ctx.step("LoopStatus follows the Auto Replay box; playerctl loop Track ticks it")
    assert bus.get("LoopStatus") == "None"
    p.click(*CHECK_BOX)
    ticked, _ = stub.wait_changed("LoopStatus Track after the click", holds("LoopStatus", "Track"))
    p.click(*CHECK_BOX)
    cleared, _ = stub.wait_changed("LoopStatus None after the click", holds("LoopStatus", "None"), ticked)
    playerctl("loop", "Track")
    stub.wait_changed("LoopStatus Track from playerctl", holds("LoopStatus", "Track"), cleared)
    assert playerctl("loop").strip() == "Track"

    ctx.step("Playlist is refused: the loop status stays Track and is told again")
    start = len(stub.entries())
    playerctl("loop", "Playlist")
    stub.wait_changed("LoopStatus Track told again", holds("LoopStatus", "Track"), start)
    assert playerctl("loop").strip() == "Track"


def tags_shown(ctx, bus, stub, trace, cover, paths, cache):
    ctx.step("the tagged MP3 shows its title, artist, album, number, genre and cover")
    bus.call("Play")
    first, _ = command(trace, "open " + paths[0], "the tagged file's open")
    _, changed = stub.wait_changed("the tags", lambda c: "xesam:artist" in c.get("Metadata", {}))
    meta = changed["Metadata"]
    assert {k: meta.get(k) for k in ("xesam:title", "xesam:artist", "xesam:album", "xesam:trackNumber",
                                     "xesam:genre")} == {
        "xesam:title": "Blue Tone", "xesam:artist": ["The Testers"], "xesam:album": "Sine Album",
        "xesam:trackNumber": 3, "xesam:genre": ["Ambient"]}, meta
    art = meta["mpris:artUrl"]
    assert art.startswith("file://" + cache + "/zelko-player/") and art.endswith(".png"), art
    with open(art[len("file://"):], "rb") as f, open(cover, "rb") as g:
        assert f.read() == g.read(), "the cover file is not the file's picture"
    assert bus.get("Metadata")["xesam:album"] == "Sine Album"
    ctx.step("playerctl metadata shows them")
    shown = playerctl("metadata")
    for said in ("xesam:artist", "The Testers", "xesam:album", "Sine Album", "mpris:artUrl", art):
        assert said in shown, said

    ctx.step("with LoopStatus Track the 2-second file plays again at its end; None moves on")
    command(trace, "open " + paths[0], "the replay", first + 1)
    bus.set("LoopStatus", GLib.Variant("s", "None"))
    at, _ = stub.wait_changed("LoopStatus None", holds("LoopStatus", "None"))
    command(trace, "open " + paths[1], "the next entry after the replayed one", first + 1)
    _, changed = stub.wait_changed("the other file's tags", lambda c: c.get("Metadata", {}).get(
        "xesam:title") == "Other Tone" and "mpris:artUrl" in c["Metadata"], at)
    assert changed["Metadata"]["mpris:artUrl"] == art, "the same cover was stored twice"
    return art


def fullscreen(ctx, bus, stub, p, transport):
    ctx.step("Fullscreen follows the Fullscreen button and Esc, and drives them")
    root = bus.get_all(ROOT)
    assert (root["Fullscreen"], root["CanSetFullscreen"]) == (False, True), root
    normal = p.geometry()
    start = len(stub.entries())
    bus.set_root("Fullscreen", True)
    p.wait_geometry(lambda g: g == (0, 0) + z.SCREEN, 10, "the window to cover the screen")
    at, _ = stub.wait_changed("Fullscreen true", holds("Fullscreen", True), start)
    assert stub.entries()[at]["args"][0] == ROOT
    p.key("Escape")
    p.wait_geometry(lambda g: g == normal, 10, f"the window back at {normal}")
    at, _ = stub.wait_changed("Fullscreen false after Esc", holds("Fullscreen", False), at)
    p.click(*transport[4])
    at, _ = stub.wait_changed("Fullscreen true after the button", holds("Fullscreen", True), at)
    bus.set_root("Fullscreen", False)
    p.wait_geometry(lambda g: g == normal, 10, f"the window back at {normal} from the bus")
    stub.wait_changed("Fullscreen false from the bus", holds("Fullscreen", False), at)


def untagged_and_cache(ctx, bus, stub, trace, paths, art, covers):
    ctx.step("an untagged file shows its entry's title; the cover cache stays bounded")
    bus.call("Next")
    command(trace, "open " + paths[2], "the untagged file's open")
    _, changed = stub.wait_changed("the untagged file", lambda c: c.get("Metadata", {}).get(
        "xesam:title") == "tone.wav")
    assert not {"xesam:artist", "mpris:artUrl"} & set(changed["Metadata"]), changed
    files = os.listdir(covers)
    assert len(files) <= 64 and os.path.basename(art) in files, files
    assert "old000.png" not in files, "the oldest pictures were kept"


def failure_named_by_tags(ctx, tagged, env):
    ctx.step("a tagged MP3 without its decoder: the notification names it by its tags' title")
    stub = DesktopStub(ctx.folder, "notifications")
    folder = os.path.join(ctx.folder, "nodecoder")
    os.mkdir(folder)
    rank = {"GST_PLUGIN_FEATURE_RANK": "mpg123audiodec:NONE,avdec_mp3:NONE,avdec_mp3float:NONE"}
    p = ctx.player(folder, extra_env=dict(env, **rank)).start(args=[tagged])
    note = stub.wait_calls("Notify", 1, "the notification")[0]
    assert note["args"][3] == "Cannot play Blue Tone", note
    assert note["args"][4].startswith("this kind of file needs a decoder"), note
    p.stop()
    stub.stop()


# What parses media: GStreamer's plugins (demuxers, parsers, decoders and the rest), GStreamer
# itself, libav's formats and codecs.
PARSERS = re.compile(r"/gstreamer-1\.0/|/libgst[^/]*\.so|/libav(format|codec|filter|device)\.so")


def window_parses_nothing(ctx, env):
    ctx.step("a file of every offered kind and a hostile MIDI, and the window maps no parser of media")
    folder = os.path.join(ctx.folder, "kinds")
    os.mkdir(folder)
    hostile = os.path.join(folder, "hostile.mid")
    with open(hostile, "wb") as f:
        f.write(HOSTILE_MIDI)
    paths = [ctx.clip(name) for name in ("tone.mp3", "tone.mp2", "tone.wav", "tune.mid", "tune.rmi", "tone.au",
                                         "tone.aiff", "video.mpg", "video.avi", "video.vob")] + [hostile]
    z.write_playlist(folder, [os.path.basename(x) for x in paths], paths)
    trace = z.Trace(os.path.join(folder, "mci.trace"))
    bus = Bus()
    p = ctx.player(folder, extra_env=dict(env, ZELKO_MCI_TRACE=trace.path)).start()
    z.wait_until(bus.owned, 15, "the player's name on the bus")
    bus.call("Play")
    at = 0
    for index, path in enumerate(paths):
        at, entry = command(trace, "open " + path, f"the open of {os.path.basename(path)}", at)
        ctx.step(f"{os.path.basename(path)}: open {entry[0]}")
        if index + 1 < len(paths):
            bus.call("Next")
    with open(f"/proc/{p.proc.pid}/maps") as f:
        mapped = sorted({line.split()[-1] for line in f if PARSERS.search(line)})
    assert not mapped, "the window maps " + ", ".join(mapped)
    assert p.close_with_button() == 0


def scenario(ctx):
    bus = Bus()
    cover, (tagged, other) = make_tagged(ctx.folder)
    paths = [tagged, other, ctx.clip("tone.wav")]
    z.write_playlist(ctx.folder, [os.path.basename(x) for x in paths], paths)
    cache = os.path.join(ctx.folder, "cache")
    covers = old_covers(cache, 70)
    trace = z.Trace(os.path.join(ctx.folder, "mci.trace"))
    stub = DesktopStub(ctx.folder, "watch")
    env = {"DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"], "XDG_CACHE_HOME": cache,
           "ZELKO_MCI_TRACE": trace.path}
    p = ctx.player(extra_env=env).start()
    z.wait_until(bus.owned, 15, "the player's name on the bus")
    transport = p.toolbar_buttons(z.TOOLBAR1, 5)
    loop_status(ctx, bus, stub, p)
    art = tags_shown(ctx, bus, stub, trace, cover, paths, cache)
    fullscreen(ctx, bus, stub, p, transport)
    untagged_and_cache(ctx, bus, stub, trace, paths, art, covers)
    assert p.close_with_button() == 0
    stub.stop()
    failure_named_by_tags(ctx, tagged, env)
    window_parses_nothing(ctx, env)


if __name__ == "__main__":
    z.main(scenario)
