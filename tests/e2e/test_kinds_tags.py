#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What plays is shown by its own tags in today's containers as in MP3's, on a private session
bus (run under dbus-run-session): Vorbis comments of FLAC, Ogg Vorbis and Opus, MP4 atoms of
M4A, ASF attributes of WMA, and the covers FLAC and M4A carry, through MPRIS and playerctl; and
the notification of a file that cannot play for want of its decoder names it by its tags (Vorbis
comments, ASF attributes) and names the decoder."""

import os
import subprocess

import zelko_e2e as z
from test_desktop_bus import Bus, DesktopStub, command

# name, encoder options, the cover it carries (None: none)
FILES = [
    ("tagged.flac", ["-c:a", "flac"], "cover.png"),
    ("tagged.m4a", ["-c:a", "aac"], "cover.jpg"),
    ("tagged.ogg", ["-c:a", "libvorbis"], None),
    ("tagged.opus", ["-c:a", "libopus"], None),
    ("tagged.wma", ["-c:a", "wmav2"], None),
]
ARTIST, ALBUM, GENRE, TRACK = "The Testers", "Sine Album", "Ambient", 3


def title_of(name):
    return "Blue Tone " + name.split(".")[1].upper()


def make_tagged(folder):
    """The files, each with its own title, the same artist, album, genre and number, and the
    covers, made by ffmpeg."""
    for cover, colour in (("cover.png", "red"), ("cover.jpg", "blue")):
        z.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", f"color=c={colour}:s=48x48", "-frames:v", "1",
               os.path.join(folder, cover)])
    paths = []
    for name, codec, cover in FILES:
        path = os.path.join(folder, name)
        picture = ["-i", os.path.join(folder, cover), "-map", "0", "-map", "1", "-c:v", "copy",
                   "-disposition:v", "attached_pic", "-metadata:s:v", "comment=Cover (front)"] if cover else []
        tags = {"title": title_of(name), "artist": ARTIST, "album": ALBUM, "genre": GENRE, "track": str(TRACK)}
        z.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=2", *picture,
               *codec, *[a for k, v in tags.items() for a in ("-metadata", f"{k}={v}")], path], timeout=60)
        paths.append(path)
    return paths


def playerctl(*args):
    done = subprocess.run(["playerctl", "--player=zelko_player", *args], capture_output=True, text=True,
                          timeout=15)
    assert done.returncode == 0, done.stderr
    return done.stdout


def shown_tags(ctx, bus, stub, trace, folder, paths, cache):
    bus.call("Play")
    at = 0
    for (name, _, cover), path in zip(FILES, paths):
        command(trace, "open " + path, f"{name}'s open")
        at, changed = stub.wait_changed(f"{name}'s tags", lambda c: c.get("Metadata", {}).get(
            "xesam:title") == title_of(name), at)
        meta = changed["Metadata"]
        ctx.step(f"{name}: {meta}")
        assert meta.get("xesam:artist") == [ARTIST] and meta.get("xesam:album") == ALBUM, meta
        assert meta.get("xesam:trackNumber") == TRACK, meta
        # GStreamer 1.22's ASF demuxer reads WM/Genre but does not pass it on.
        if not name.endswith(".wma"):
            assert meta.get("xesam:genre") == [GENRE], meta
        if cover:
            art = meta["mpris:artUrl"]
            assert art.startswith("file://" + cache + "/zelko-player/"), art
            with open(art[len("file://"):], "rb") as f, open(os.path.join(folder, cover), "rb") as g:
                assert f.read() == g.read(), f"{name}: the cover file is not the file's picture"
        if name.endswith(".flac"):
            shown = playerctl("metadata")
            ctx.step("playerctl metadata:\n" + shown)
            for said in (title_of(name), ARTIST, ALBUM, "mpris:artUrl"):
                assert said in shown, said


def failure_named(ctx, paths, env):
    ctx.step("an Ogg Vorbis and a WMA without their decoders: each notification names the file by its "
             "tags and the missing decoder")
    stub = DesktopStub(ctx.folder, "notifications")
    folder = os.path.join(ctx.folder, "nodecoder")
    os.mkdir(folder)
    hidden = {"GST_PLUGIN_FEATURE_RANK": "vorbisdec:NONE,avdec_vorbis:NONE,avdec_wmav2:NONE"}
    ogg, wma = (next(p for p in paths if p.endswith(ending)) for ending in (".ogg", ".wma"))
    p = ctx.player(folder, extra_env=dict(env, **hidden)).start(args=[ogg])
    # The second reaches the same player from a later start, which plays it.
    stub.wait_calls("Notify", 1, "the first notification")
    subprocess.run([ctx.player_binary, wma], cwd=folder, env=dict(p.env), timeout=60, check=True)
    notes = stub.wait_calls("Notify", 2, "the second notification")
    for note, name, decoder in zip(notes, ("tagged.ogg", "tagged.wma"), ("Vorbis", "Windows Media Audio")):
        ctx.step(f"  {note['args'][3]}: {note['args'][4]}")
        assert note["args"][3] == "Cannot play " + title_of(name), note
        assert note["args"][4].startswith("this kind of file needs a decoder") and decoder in note["args"][4], note
    p.stop()
    stub.stop()


def scenario(ctx):
    bus = Bus()
    paths = make_tagged(ctx.folder)
    z.write_playlist(ctx.folder, [os.path.basename(x) for x in paths], paths)
    cache = os.path.join(ctx.folder, "cache")
    trace = z.Trace(os.path.join(ctx.folder, "mci.trace"))
    stub = DesktopStub(ctx.folder, "watch")
    env = {"DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"], "XDG_CACHE_HOME": cache,
           "ZELKO_MCI_TRACE": trace.path}
    p = ctx.player(extra_env=env).start()
    z.wait_until(bus.owned, 15, "the player's name on the bus")
    shown_tags(ctx, bus, stub, trace, ctx.folder, paths, cache)
    assert p.close_with_button() == 0
    stub.stop()
    failure_named(ctx, paths, env)


if __name__ == "__main__":
    z.main(scenario)
