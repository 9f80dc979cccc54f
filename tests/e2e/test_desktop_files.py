#!/usr/bin/env python3
"""The player as a desktop starts it: files on the command line join the playlist and the
first plays; a later start in the same playlist folder hands its files to the running player
(which comes to the front) and ends, so one window remains and the saved playlist holds
everything; a player killed outright does not block the next start; --user-playlist and
--playlist-dir keep the playlist away from the folder the player was started in."""

import glob
import os
import shutil
import signal
import subprocess
import tempfile

import zelko_e2e as z


def later_start(ctx, args, cwd=None, extra_env=None):
    """A second zelko-player run to its end; returns its standard error."""
    env = dict(ctx.x.env, **(extra_env or {}))
    done = subprocess.run([ctx.player_binary, *args], cwd=cwd or ctx.folder, env=env,
                          capture_output=True, text=True, timeout=60)
    assert done.returncode == 0, f"the later start exited {done.returncode}:\n{done.stderr}"
    return done.stderr


def windows(ctx):
    return z.run(["xdotool", "search", "--onlyvisible", "--name", "^" + z.TITLE + "$"],
                 ctx.x.env, check=False).stdout.split()


def stacking(ctx):
    out = z.run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"], ctx.x.env).stdout
    return [int(w, 16) for w in out.split("#", 1)[1].replace(",", " ").split()]


def above(ctx, upper, lower):
    order = stacking(ctx)
    return int(upper) in order and int(lower) in order and order.index(int(upper)) > order.index(int(lower))


def plays(trace, path, start):
    """Waits for an open of path that succeeds and a play after it that succeeds."""
    opened = trace.wait_for(lambda e: e[2].startswith("open " + path + " ") and e[0] == 0, 20,
                            f"the open of {path}", start)
    at = trace.lines().index(opened)
    trace.wait_for(lambda e: e[2].startswith("play movie") and e[0] == 0, 20, f"{path} playing", at)


def check_command_line(ctx, trace):
    done = subprocess.run([ctx.player_binary, "--help"], capture_output=True, text=True, timeout=30,
                          env={k: v for k, v in os.environ.items() if k != "DISPLAY"})
    assert done.returncode == 0 and "--playlist-dir <DIR>" in done.stdout, done.stdout + done.stderr
    done = subprocess.run([ctx.player_binary, "--version"], capture_output=True, text=True, timeout=30)
    assert done.stdout == "zelko-player 1.0\n", done.stdout

    ctx.step("files on the command line: the offered kinds join the playlist, the first plays")
    notes = os.path.join(ctx.folder, "notes.txt")
    with open(notes, "w") as f:
        f.write("not media\n")
    wav = ctx.clip("tone.wav")
    p = ctx.player(extra_env={"ZELKO_MCI_TRACE": trace.path})
    p.start(args=[os.path.relpath(wav, ctx.folder), "missing.mp3", notes])
    plays(trace, wav, 0)
    refusals = [line for line in p.log().splitlines() if line.startswith("zelko-player: not added: ")]
    assert len(refusals) == 2 and "missing.mp3: no such file" in refusals[0] and \
        notes + ": not one of the offered kinds" in refusals[1], p.log()
    z.wait_until(lambda: len(p.list_rows()) == 2, 10, "two entries in the list")
    return p


def check_hand_over(ctx, p, trace):
    ctx.step("a later start hands its files over, ends, and the window comes to the front")
    gx, gy, gw, gh = p.geometry()
    clock = subprocess.Popen(["xclock", "-geometry", f"{gw}x{gh}+{gx}+{gy}"], env=ctx.x.env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        cover = z.wait_until(lambda: z.run(["xdotool", "search", "--onlyvisible", "--class", "xclock"],
                                           ctx.x.env, check=False).stdout.split(), 10, "xclock")[0]
        z.wait_until(lambda: above(ctx, cover, p.wid), 10, "xclock over the player")
        video = ctx.clip("video.mpg")
        blank = os.path.join(ctx.folder, "my song.au")
        shutil.copy(ctx.clip("tone.au"), blank)
        start = len(trace.lines())
        assert later_start(ctx, [video, blank]) == ""
        plays(trace, video, start)
        assert windows(ctx) == [p.wid], f"windows after the hand-over: {windows(ctx)}"
        z.wait_until(lambda: above(ctx, p.wid, cover), 10, "the player over xclock")
    finally:
        clock.terminate()
        clock.wait()

    ctx.step("a later start without files only raises the window")
    start = len(trace.lines())
    later_start(ctx, [])
    assert windows(ctx) == [p.wid]
    assert not trace.commands("open", start), "a start without files opened something"
    assert p.alive()
    return ["tone.mp3", "tone.wav", "video.mpg", "my song.au"], \
        [ctx.clip("tone.mp3"), ctx.clip("tone.wav"), video, blank]


def check_crash_takeover(ctx, trace, titles, paths):
    ctx.step("a player killed outright leaves its socket; the next start takes the folder over")
    crashed = ctx.player().start()
    crashed.proc.send_signal(signal.SIGKILL)
    crashed.proc.wait(15)
    assert glob.glob(os.path.join(ctx.x.runtime, "zelko-player-*.socket")), "no socket was left behind"
    rmi, aiff = ctx.clip("tune.rmi"), ctx.clip("tone.aiff")
    start = len(trace.lines())
    p = ctx.player(extra_env={"ZELKO_MCI_TRACE": trace.path}).start(args=[rmi])
    plays(trace, rmi, start)
    start = len(trace.lines())
    later_start(ctx, [aiff])
    plays(trace, aiff, start)
    assert windows(ctx) == [p.wid]
    p.close_keeps_playlist(ctx.folder, "".join(t + "\r\n" for t in titles + ["tune.rmi", "tone.aiff"]).encode(),
                           "".join(x + "\r\n" for x in paths + [rmi, aiff]).encode())


def check_playlist_folders(ctx):
    ctx.step("--user-playlist keeps the playlist in the data folder; --playlist-dir names it too")
    data_home = tempfile.mkdtemp(prefix="zelko-data-")
    before = z.read_bytes(os.path.join(ctx.folder, "pl1.txt"))
    try:
        env = {"XDG_DATA_HOME": data_home}
        mp2, mp3 = ctx.clip("tone.mp2"), ctx.clip("tone.mp3")
        p = ctx.player(extra_env=env).start(args=["--user-playlist", mp2])
        z.wait_until(lambda: len(p.list_rows()) == 1, 10, "one entry")
        # Another start from elsewhere naming the same folder its own way reaches the same player.
        later_start(ctx, ["--playlist-dir", os.path.join(data_home, ".", "zelko-player"), mp3], cwd="/",
                    extra_env=env)
        assert windows(ctx) == [p.wid]
        p.close_keeps_playlist(os.path.join(data_home, "zelko-player"), b"tone.mp2\r\ntone.mp3\r\n",
                               (mp2 + "\r\n" + mp3 + "\r\n").encode())
        assert z.read_bytes(os.path.join(ctx.folder, "pl1.txt")) == before, "the start folder's playlist changed"
    finally:
        shutil.rmtree(data_home, ignore_errors=True)


def scenario(ctx):
    z.write_playlist(ctx.folder, ["tone.mp3"], [ctx.clip("tone.mp3")])
    trace = z.Trace(os.path.join(ctx.folder, "run.trace"))
    p = check_command_line(ctx, trace)
    titles, paths = check_hand_over(ctx, p, trace)
    ctx.step("closing writes what every start added")
    p.close_keeps_playlist(ctx.folder, "".join(t + "\r\n" for t in titles).encode(),
                           "".join(x + "\r\n" for x in paths).encode())
    check_crash_takeover(ctx, trace, titles, paths)
    check_playlist_folders(ctx)


if __name__ == "__main__":
    z.main(scenario)
