#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The player as a user meets it: double-click an entry, watch the video, the LED bar and the
time label, pause and resume, go fullscreen and back with Esc, let a playlist play through on
its own, close with the Close button and find the playlist written back byte for byte. The MCI
trace of the same run shows the exact command texts the window sent."""

import os
import re
import time

import zelko_e2e as z
from zelko_e2e import wait_until


def check_open(entry, path):
    """An open command exactly as the media layer builds it, in its 255-character buffer."""
    code, length, text = entry
    m = re.fullmatch(r"open (.*) type MPEGVideo Alias movie parent (\d+) Style 1073741824 *", text)
    assert m, f"unexpected open text: {text!r}"
    assert m.group(1) == path, f"open names {m.group(1)!r}, not {path!r}"
    want = z.padded(f"open {path} type MPEGVideo Alias movie parent {m.group(2)} Style 1073741824", 255)
    assert (length, text) == (255, want), f"open not padded to 255: {length} {text!r}"
    assert int(m.group(2)) != 0, "open passed no parent window"
    assert code == 0, f"open answered {code}"


def check_play(entry, frames):
    """A play of the whole file, from 0 to `frames` (a number, or a range of them), in its
    128-character buffer."""
    code, length, text = entry
    m = re.fullmatch(r"play movie from 0 to (\d+) *", text)
    assert m and length == 128 and text == z.padded(text.rstrip(), 128), \
        f"unexpected play text: {length} {text!r}"
    allowed = frames if isinstance(frames, range) else range(frames, frames + 1)
    assert int(m.group(1)) in allowed, f"play to frame {m.group(1)}, expected {frames}"
    assert code == 0, f"play answered {code}"


def check_closed_first(trace, index):
    """The window closes every device before it opens the next: only "movie" is ever open."""
    before = trace.lines()[index - 1]
    assert before[2] == "Close All" and before[0] == 0, f"the open came after {before}"


def is_open_of(path):
    return lambda e: e[2].startswith("open ") and f" {path} " in e[2]


def is_play(e):
    return e[2].lower().startswith("play movie")


def after(trace, predicate, start, timeout, what):
    """The first trace entry from index start on that predicate takes, and its index."""
    entry = trace.wait_for(predicate, timeout, what, start)
    return entry, trace.lines().index(entry, start)


def play_first_entry(ctx, p, trace, rows, long_path):
    ctx.step("double-click the first entry (a 12 s 320x240 video)")
    p.click(z.LIST1[0] + 30, rows[0], count=2)
    opened, i = after(trace, is_open_of(long_path), 0, 20, "the open of long.mpg")
    check_open(opened, long_path)
    check_closed_first(trace, i)
    played, _ = after(trace, is_play, i, 20, "the play command")
    # GStreamer reckons an MPEG program stream's length from its bit rate: near 300 frames.
    check_play(played, range(270, 301))
    x, y, w, _ = p.wait_geometry(lambda g: g[3] == 499, 20, "the window to grow to 499 px")
    assert w == 460, f"window width {w} after growing"
    # The parent passed in the open is Picture1's own window: 320x240 at 70, 238 in the form.
    parent = re.search(r" parent (\d+) ", opened[2]).group(1)
    picture = p.child_geometry(parent)
    assert picture == (70, 238, 320, 240), f"the open's parent window is at {picture}"
    ctx.step("see the colour bars in Picture1 (70, 238, 320x240)")
    # The bars must show while this file plays, not only once the next one has been opened.
    wait_until(lambda: z.colour_bars_shown(p.screenshot(), 70, z.PICTURE1_TOP, 320, 240) or
               any(e[2].startswith("open ") for e in trace.lines()[i + 1:]),
               20, "the video's colour bars in Picture1")
    assert not any(e[2].startswith("open ") for e in trace.lines()[i + 1:]), \
        "long.mpg ended before its whole 320x240 picture showed in Picture1"
    return (x, y, w, 499)


def watch_monitor(ctx, p):
    ctx.step("the LED bar and the time label move on")
    first = p.screenshot()
    lit, unlit = z.led_pixels(first)
    assert lit + unlit >= 100, f"LED bar not drawn in lit/unlit greens ({lit} lit, {unlit} unlit px)"
    wait_until(lambda: (lambda s: s.region(*z.METER31) != first.region(*z.METER31) and
                        s.region(*z.LBCURRENTIME) != first.region(*z.LBCURRENTIME))(p.screenshot()),
               10, "both the LED bar and the time label to change")
    assert z.led_pixels(p.screenshot())[0] > 0, "no LED lit while playing"


def pause_and_resume(ctx, p, trace, transport):
    ctx.step("Pause: the LED bar and the time label hold")
    start = len(trace.lines())
    p.click(*transport[1])
    entry = trace.wait_for(lambda e: e[2] == "Pause movie", 5, "the pause command", start)
    assert entry[0] == 0, f"pause answered {entry[0]}"
    monitor = lambda: (lambda s: s.region(*z.METER31) + s.region(*z.LBCURRENTIME))(p.screenshot())
    z.stable_for(monitor, 2.0, 10, "the monitor to hold while paused")
    paused_level = z.led_level(p.screenshot())
    ctx.step(f"paused at LED level {paused_level}; Pause again resumes from there")
    start = len(trace.lines())
    p.click(*transport[1])
    entry = trace.wait_for(lambda e: e[2] == "Resume movie", 5, "the resume command", start)
    assert entry[0] == 0, f"resume answered {entry[0]}"
    resumed_level = wait_until(lambda: (lambda v: v if v != paused_level else None)(
        z.led_level(p.screenshot())), 5, "the LED bar to move after resuming")
    # 50 levels over 12 s: a device that had played on through the 2 s pause would be 8 ahead.
    assert paused_level < resumed_level <= paused_level + 5, \
        f"resumed at level {resumed_level} after pausing at {paused_level}"


def fullscreen_and_back(ctx, p, trace, transport, normal):
    ctx.step("Fullscreen: the window covers the screen with the video")
    p.click(*transport[4])
    p.wait_geometry(lambda g: g == (0, 0) + z.SCREEN, 10, "the window to cover the screen")
    wait_until(lambda: z.colour_bars_shown(p.screenshot(), 0, 0, *z.SCREEN), 10,
               "the colour bars across the whole screen")
    ctx.step("F2 twice in fullscreen pauses and resumes")
    start = len(trace.lines())
    p.key("F2")
    trace.wait_for(lambda e: e[2] == "Pause movie" and e[0] == 0, 5, "F2's pause", start)
    p.key("F2")
    trace.wait_for(lambda e: e[2] == "Resume movie" and e[0] == 0, 5, "F2's resume", start)
    ctx.step("Esc: the window comes back exactly")
    p.key("Escape")
    p.wait_geometry(lambda g: g == normal, 10, f"the window to return to {normal}")
    wait_until(lambda: z.colour_bars_shown(p.screenshot(), 70, z.PICTURE1_TOP, 320, 240), 10,
               "the video back in Picture1")
    level = z.led_level(p.screenshot())
    wait_until(lambda: z.led_level(p.screenshot()) != level, 5, "playback to go on after Esc")


def play_through(ctx, p, trace, rows, paths):
    ctx.step("double-click the second entry; the last three entries play through on their own")
    start = len(trace.lines())
    p.click(z.LIST1[0] + 30, rows[1], count=2)
    index = start
    # Audio has no frames: its play runs to the length in milliseconds, about 2000.
    played_at = None
    for path, frames, height in ((paths[1], 50, 499), (paths[2], range(1950, 2101), 238),
                                 (paths[3], range(1950, 2101), 238)):
        opened, index = after(trace, is_open_of(path), index, 20, f"the open of {path}")
        if played_at is not None:
            # Each clip lasts 2 s: the next one may not start before the last has played.
            took = time.monotonic() - played_at
            assert took >= 1.5, f"the entry before {os.path.basename(path)} ended after {took:.2f} s"
        check_open(opened, path)
        check_closed_first(trace, index)
        played, index = after(trace, is_play, index, 10, f"the play of {path}")
        played_at = time.monotonic()
        check_play(played, frames)
        p.wait_geometry(lambda g: g[3] == height, 10, f"the window {height} px high for {path}")
        ctx.step(f"  {os.path.basename(path)} plays")
    ctx.step("after the last entry ends, nothing more is opened")
    # The tune lasts 2 s: for that long and as long again no further open may come.
    z.absent_for(lambda: [e for e in trace.lines()[index:] if e[2].startswith("open ")], 4.0,
                 "an open after the last entry")


def scenario(ctx):
    long_path = ctx.clip("long.mpg")
    paths = [long_path, ctx.clip("video.mpg"), ctx.clip("tone.wav"), ctx.clip("tune.mid")]
    titles = [os.path.basename(x) for x in paths]
    data1, data2 = z.write_playlist(ctx.folder, titles, paths)
    trace = z.Trace(os.path.join(ctx.folder, "mci.trace"))
    p = ctx.player(extra_env={"ZELKO_MCI_TRACE": trace.path}).start()
    ctx.step("the window shows, frameless, 460x238, with four entries")
    x, y, w, h = p.geometry()
    assert (w, h) == z.FORM_SIZE, f"window is {w}x{h}, not 460x238"
    rows = wait_until(lambda: (lambda r: r if len(r) == 4 else None)(p.list_rows()), 10,
                      "four entries in List1")
    transport = p.toolbar_buttons(z.TOOLBAR1, 5)

    normal = play_first_entry(ctx, p, trace, rows, long_path)
    watch_monitor(ctx, p)
    pause_and_resume(ctx, p, trace, transport)
    fullscreen_and_back(ctx, p, trace, transport, normal)
    play_through(ctx, p, trace, rows, paths)

    ctx.step("Close: the program ends and writes both playlist files back unchanged")
    p.close_keeps_playlist(ctx.folder, data1, data2)


if __name__ == "__main__":
    z.main(scenario)
