#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The window while a file takes its time to open: a MIDI file that hangs GStreamer's parser
keeps the engine host busy until the open's 7 s deadline. Each check begins with a fresh
double-click on that file, and is made while its open waits: the window must go on as if
nothing waited. Uncovered, it is painted again within 0.5 s; it can be dragged by its
background; a double-click on the next entry gives the waiting open up and plays that entry at
once; and Close takes the window away within 1 s and keeps the playlist. Every check is made
and told, and the test fails at the end when any did."""

import os
import shutil
import subprocess
import time

import zelko_e2e as z
from test_hostile_media import HOSTILE_MIDI

REPAINT_S, DRAG_S, PLAY_S, CLOSE_S = 0.5, 1.0, 3.0, 1.0


def make_playlist(ctx):
    media = os.path.join(ctx.folder, "media")
    os.makedirs(media)
    midi = os.path.join(media, "hostile.mid")
    with open(midi, "wb") as f:
        f.write(HOSTILE_MIDI)
    video = os.path.join(media, "video.mpg")
    shutil.copy(ctx.clip("video.mpg"), video)
    return z.write_playlist(ctx.folder, ["hostile.mid", "video.mpg", "tone.wav"], [midi, video, ctx.clip("tone.wav")])


def double_click_row(p, row):
    rows = z.wait_until(lambda: (lambda r: r if len(r) == 3 else None)(p.list_rows()), 10, "three entries")
    p.click(z.LIST1[0] + 30, rows[row], count=2)


def captions_shown(p):
    """The transport toolbar's five green captions are on the screen: the window is painted."""
    return len(z.text_clusters(p.screenshot(), z.TOOLBAR1, 9)) == 5


def repaints_when_uncovered(ctx, p):
    """A white window over the player's, then gone: the player paints what it uncovers."""
    x, y, w, h = p.geometry()
    cover = subprocess.Popen(["xclock", "-bg", "white", "-fg", "white", "-geometry", f"{w}x{h}+{x}+{y}"],
                             env=ctx.x.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        z.wait_until(lambda: not captions_shown(p), 5, "the white window over the player")
    finally:
        cover.terminate()
        cover.wait()
    began = time.monotonic()
    z.wait_until(lambda: captions_shown(p), 10, "the player painted again", interval=0.02)
    return time.monotonic() - began


def drags(ctx, p):
    """A press on the window's background, a move and a release: the window follows."""
    x0, y0, _, _ = p.geometry()
    bx, by = 440, 150  # the background right of the playlist
    env = ctx.x.env
    z.run(["xdotool", "mousemove", "--window", p.wid, str(bx), str(by), "mousedown", "1"], env)
    began = time.monotonic()
    z.run(["xdotool", "mousemove", "--sync", str(x0 + bx + 60), str(y0 + by + 40)], env, check=False)
    z.run(["xdotool", "mousemove", str(x0 + bx + 120), str(y0 + by + 80), "mouseup", "1"], env)
    try:
        p.wait_geometry(lambda g: (g[0], g[1]) != (x0, y0), 10, "the window to move")
    finally:
        # A press the window took only after the release may have left the window manager
        # moving it: a click ends that. It is made beside the window, not on its background,
        # where it would start another move the window manager could take after its release.
        x, y, w, h = p.geometry()
        z.run(["xdotool", "mousemove", "--sync", str(x + w + 40), str(y + h + 40), "click", "1"], env)
    return time.monotonic() - began


def next_entry_plays(ctx, p, trace):
    """A double-click on the video: its open and its play, both answered 0."""
    ctx.step("double-click the next entry while the open waits")
    start = len(trace.lines())
    began = time.monotonic()
    double_click_row(p, 1)
    opened = trace.wait_for(lambda e: e[2].startswith("open ") and "video.mpg" in e[2] and e[0] == 0, 20,
                            "the video opened", start)
    trace.wait_for(lambda e: e[2].startswith("play movie") and e[0] == 0, 20, "the video playing",
                   trace.lines().index(opened, start))
    return time.monotonic() - began


def hostile_open_waits(ctx, p, trace, attempts=6):
    """Double-clicks the hostile file until its open keeps the engine host busy: returns once
    its play request has closed the devices and its open has gone half a second without an
    answer (its trace line comes only with the answer). A host still loading its plugins fails
    the file at once instead; the tone is played first, so the host is up, and the hostile file
    is tried again."""
    for _ in range(attempts):
        start = len(trace.lines())
        double_click_row(p, 2)
        trace.wait_for(lambda e: e[2].startswith("play movie") and e[0] == 0, 30, "the tone playing", start)
        ctx.step("double-click the hostile MIDI file")
        start = len(trace.lines())
        double_click_row(p, 0)
        trace.wait_for(lambda e: e[2] == "Close All", 15, "the hostile file's play request", start)
        try:
            z.absent_for(lambda: [e for e in trace.lines()[start:] if "hostile.mid" in e[2]], 0.5,
                         "answer to the hostile open")
            return
        except AssertionError:
            ctx.step("the host failed the file at once; again")
    raise AssertionError(f"the hostile file never kept the host busy in {attempts} tries")


def check(ctx, failures, what, measure, limit):
    """Runs measure(), which gives the seconds something took; a wait that timed out in it is a
    failure like one that took too long."""
    try:
        took = measure()
    except z.Timeout as timeout:
        ctx.step(f"{what}: FAILED ({timeout})")
        failures.append(f"{what}: {timeout}")
        return
    ok = took <= limit
    ctx.step(f"{what}: {took:.2f} s (at most {limit} s) {'ok' if ok else 'TOO SLOW'}")
    if not ok:
        failures.append(f"{what} took {took:.2f} s, more than {limit} s")


def scenario(ctx):
    data1, data2 = make_playlist(ctx)
    trace = z.Trace(os.path.join(ctx.folder, "mci.trace"))
    p = ctx.player(extra_env={"ZELKO_MCI_TRACE": trace.path}).start()
    z.wait_until(lambda: captions_shown(p), 10, "the window painted")
    failures = []

    hostile_open_waits(ctx, p, trace)
    check(ctx, failures, "repaint after uncovering", lambda: repaints_when_uncovered(ctx, p), REPAINT_S)
    hostile_open_waits(ctx, p, trace)
    check(ctx, failures, "drag", lambda: drags(ctx, p), DRAG_S)
    hostile_open_waits(ctx, p, trace)
    check(ctx, failures, "the next entry playing", lambda: next_entry_plays(ctx, p, trace), PLAY_S)

    (cx, cy), = p.toolbar_buttons(z.TOOLBAR3, 1)
    hostile_open_waits(ctx, p, trace)
    ctx.step("Close while the open waits")
    p.click(cx, cy)
    began = time.monotonic()
    z.wait_until(lambda: not p.alive() or not z.run(["xdotool", "search", "--onlyvisible", "--name", z.TITLE],
                                                    ctx.x.env, check=False).stdout.split(),
                 15, "the window gone", interval=0.02)
    check(ctx, failures, "Close", lambda: time.monotonic() - began, CLOSE_S)
    code = p.proc.wait(15)
    assert code == 0, f"the player exited with {code}:\n{p.log()}"
    assert z.read_bytes(os.path.join(ctx.folder, "pl1.txt")) == data1, "pl1.txt changed"
    assert z.read_bytes(os.path.join(ctx.folder, "pl2.txt")) == data2, "pl2.txt changed"
    assert not failures, "; ".join(failures)


if __name__ == "__main__":
    z.main(scenario)
