#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The player as a desktop starts it: files on the command line join the playlist and the
first plays; a later start in the same playlist folder hands its files to the running player
(which comes to the front) and ends, so one window remains and the saved playlist holds all
of them; a player killed outright does not block the next start; --user-playlist and
--playlist-dir keep the playlist away from the folder the player was started in."""

import glob
import os
import shutil
import signal
import subprocess
import tempfile

import zelko_e2e as z


def later_start(ctx, args, cwd=None, env=None):
    """A further zelko-player run to its end; it must end well and say nothing."""
    done = subprocess.run([ctx.player_binary, *args], cwd=cwd or ctx.folder, env=dict(ctx.x.env, **(env or {})),
                          capture_output=True, text=True, timeout=60)
    assert done.returncode == 0 and done.stderr == "", f"the later start ended {done.returncode}:\n{done.stderr}"


def windows(ctx):
    return z.run(["xdotool", "search", "--onlyvisible", "--name", "^" + z.TITLE + "$"], ctx.x.env,
                 check=False).stdout.split()


def windows_of_class(ctx, name):
    return z.run(["xdotool", "search", "--onlyvisible", "--class", name], ctx.x.env, check=False).stdout.split()


def above(ctx, upper, lower):
    out = z.run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"], ctx.x.env).stdout
    order = [int(w, 16) for w in out.split("#", 1)[1].replace(",", " ").split()]
    return order.index(int(upper)) > order.index(int(lower))


def plays(trace, path):
    """Waits for an open of path that succeeds, then a play that succeeds."""
    opened = trace.wait_for(lambda e: e[2].startswith(f"open {path} ") and e[0] == 0, 20, f"{path} opened")
    trace.wait_for(lambda e: e[2].startswith("play movie") and e[0] == 0, 20, f"{path} playing",
                   trace.lines().index(opened))


def entries(titles_paths):
    return ("".join(t + "\r\n" for t, _ in titles_paths).encode(),
            "".join(p + "\r\n" for _, p in titles_paths).encode())


def command_line_and_hand_over(ctx, playlist):
    done = subprocess.run([ctx.player_binary, "--version"], capture_output=True, text=True, timeout=30,
                          env={k: v for k, v in os.environ.items() if k != "DISPLAY"})
    assert done.stdout == "zelko-player 1.0\n", done.stdout + done.stderr

    ctx.step("files on the command line: the offered kinds join the playlist, the first plays")
    notes = os.path.join(ctx.folder, "notes.txt")
    open(notes, "w").close()
    wav = ctx.clip("tone.wav")
    trace = z.Trace(os.path.join(ctx.folder, "first.trace"))
    p = ctx.player(extra_env={"ZELKO_MCI_TRACE": trace.path})
    p.start(args=[os.path.relpath(wav, ctx.folder), "missing.mp3", notes])
    plays(trace, wav)
    refusals = [line for line in p.log().splitlines() if line.startswith("zelko-player: not added: ")]
    assert len(refusals) == 2 and "missing.mp3: no such file" in refusals[0] and \
        notes + ": not one of the offered kinds" in refusals[1], p.log()
    playlist.append(("tone.wav", wav))

    ctx.step("a later start hands its files over and ends; the window comes to the front")
    x, y, w, h = p.geometry()
    clock = subprocess.Popen(["xclock", "-geometry", f"{w}x{h}+{x}+{y}"], env=ctx.x.env)
    try:
        cover = z.wait_until(lambda: windows_of_class(ctx, "xclock"), 10, "xclock")[0]
        z.wait_until(lambda: above(ctx, cover, p.wid), 10, "xclock over the player")
        blank = os.path.join(ctx.folder, "my song.au")
        shutil.copy(ctx.clip("tone.au"), blank)
        later_start(ctx, [ctx.clip("video.mpg"), blank])
        plays(trace, ctx.clip("video.mpg"))
        assert windows(ctx) == [p.wid], windows(ctx)
        z.wait_until(lambda: above(ctx, p.wid, cover), 10, "the player over xclock")
    finally:
        clock.terminate()
        clock.wait()
    playlist += [("video.mpg", ctx.clip("video.mpg")), ("my song.au", blank)]
    opens = len(trace.commands("open"))
    later_start(ctx, [])  # without files it only raises the window
    assert windows(ctx) == [p.wid] and len(trace.commands("open")) == opens
    p.close_keeps_playlist(ctx.folder, *entries(playlist))


def crash_takeover(ctx, playlist):
    ctx.step("a player killed outright leaves its socket; the next start takes the folder over")
    crashed = ctx.player().start()
    crashed.proc.send_signal(signal.SIGKILL)
    crashed.proc.wait(15)
    assert glob.glob(os.path.join(ctx.x.runtime, "zelko-player-*.socket")), "no socket was left behind"
    trace = z.Trace(os.path.join(ctx.folder, "taken.trace"))
    p = ctx.player(extra_env={"ZELKO_MCI_TRACE": trace.path}).start(args=[ctx.clip("tune.rmi")])
    plays(trace, ctx.clip("tune.rmi"))
    later_start(ctx, [ctx.clip("tone.aiff")])
    plays(trace, ctx.clip("tone.aiff"))
    assert windows(ctx) == [p.wid]
    playlist += [("tune.rmi", ctx.clip("tune.rmi")), ("tone.aiff", ctx.clip("tone.aiff"))]
    p.close_keeps_playlist(ctx.folder, *entries(playlist))


def playlist_folders(ctx, playlist):
    ctx.step("--user-playlist keeps the playlist in the data folder; --playlist-dir names it too")
    data = tempfile.mkdtemp(prefix="zelko-data-")
    try:
        env = {"XDG_DATA_HOME": data}
        p = ctx.player(extra_env=env).start(args=["--user-playlist", ctx.clip("tone.mp2")])
        # From elsewhere, naming the same folder its own way, a start reaches the same player.
        later_start(ctx, ["--playlist-dir", os.path.join(data, ".", "zelko-player"), ctx.clip("tone.mp3")],
                    cwd="/", env=env)
        assert windows(ctx) == [p.wid]
        p.close_keeps_playlist(os.path.join(data, "zelko-player"),
                               *entries([("tone.mp2", ctx.clip("tone.mp2")), ("tone.mp3", ctx.clip("tone.mp3"))]))
        assert z.read_bytes(os.path.join(ctx.folder, "pl1.txt")) == entries(playlist)[0]
    finally:
        shutil.rmtree(data, ignore_errors=True)


def scenario(ctx):
    playlist = [("tone.mp3", ctx.clip("tone.mp3"))]
    z.write_playlist(ctx.folder, *zip(*playlist))
    command_line_and_hand_over(ctx, playlist)
    crash_takeover(ctx, playlist)
    playlist_folders(ctx, playlist)


if __name__ == "__main__":
    z.main(scenario)
