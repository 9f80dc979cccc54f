#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The window with the keyboard alone: Tab reaches the buttons in reading order and shows where
it stands, Space and Enter press them, Enter plays an entry, F2 and F3 pause and stop in the
normal window, the slider's keys seek, Delete removes an entry, and Close closes. What the
player does is read from the MCI commands it sends."""

import os
import re
import shutil

import zelko_e2e as z


def sent(trace, test, what, start):
    """The first command from index start on that test() accepts: (index, entry)."""
    def found():
        lines = trace.lines()
        return next(((i, lines[i]) for i in range(start, len(lines)) if test(lines[i][2].rstrip())), None)
    return z.wait_until(found, 15, what)


def plays(trace, path, what, start):
    index, entry = sent(trace, lambda c: c.startswith("open " + path + " "), what + " (open)", start)
    assert entry[0] == 0, entry
    index, entry = sent(trace, lambda c: c.startswith("play movie"), what + " (play)", index)
    assert entry[0] == 0, entry
    return index


def seek_target(trace, what, start):
    index, entry = sent(trace, lambda c: c.startswith("seek movie to "), what, start)
    return index, int(re.match(r"seek movie to (-?\d+)", entry[2]).group(1))


def scenario(ctx):
    long_path = ctx.clip("long.mpg")
    paths = [os.path.join(ctx.folder, n) for n in ("a.mpg", "b.mpg")] + [ctx.clip("tone.wav")]
    for copy in paths[:2]:
        shutil.copy(long_path, copy)
    titles = [os.path.basename(x) for x in paths]
    z.write_playlist(ctx.folder, titles, paths)
    trace = z.Trace(os.path.join(ctx.folder, "mci.trace"))
    p = ctx.player(extra_env={"ZELKO_MCI_TRACE": trace.path}).start()
    z.wait_until(lambda: len(p.list_rows()) == 3, 10, "three entries in the playlist")
    transport = p.toolbar_buttons(z.TOOLBAR1, 5)

    ctx.step("the playlist has the focus at start: Down selects the first entry")
    p.key("Down")
    ctx.step("Tab twice goes to Close, then to Play, which shows the focus mark")
    x, y, w, h = z.TOOLBAR1
    play_area = (x, y, transport[1][0] - transport[0][0] - 2, h)
    before = p.screenshot().region(*play_area)
    p.key("Tab", "Tab")
    z.wait_until(lambda: p.screenshot().region(*play_area) != before, 5, "a focus mark on Play")
    shot = os.path.join(ctx.artifacts, "focus-on-play.png")
    os.makedirs(ctx.artifacts, exist_ok=True)
    p.screenshot().save_png(shot)
    ctx.step(f"  (window kept as {shot})")

    ctx.step("Space presses Play: the first entry plays")
    p.key("space")
    index = plays(trace, paths[0], "a.mpg from Play", 0)

    ctx.step("Shift+Tab five times from the playlist reaches the slider: Home, then Right seek")
    p.key(*["shift+Tab"] * 5)
    p.key("Home")
    index, target = seek_target(trace, "the seek to the start", index)
    assert target == 0, f"Home sought frame {target}"
    p.key("Right")
    index, target = seek_target(trace, "the seek 5 % on", index + 1)
    # 5 % of about 300 frames, from where the monitor put the thumb after the seek to 0.
    assert 10 <= target <= 40, f"Right sought frame {target}"

    ctx.step("F2 pauses and F3 stops in the normal window")
    p.key("F2")
    index, _ = sent(trace, lambda c: c == "Pause movie", "F2's pause", index)
    p.key("F3")
    index, _ = sent(trace, lambda c: c == "Stop movie", "F3's stop", index)

    ctx.step("Down and Enter on the playlist play the second entry")
    p.key("Down", "Return")
    index = plays(trace, paths[1], "b.mpg from Enter", index)
    p.key("F3")
    index, _ = sent(trace, lambda c: c == "Stop movie", "F3's stop of b.mpg", index)

    ctx.step("Up and Delete remove the first entry; Tab and Enter on Close close the player")
    p.key("Up", "Delete", "Tab", "Return")
    try:
        code = p.proc.wait(30)
    except Exception:
        raise AssertionError("the player did not end after Enter on Close")
    assert code == 0, f"the player exited with {code}:\n{p.log()}"
    kept = z.read_bytes(os.path.join(ctx.folder, "pl1.txt"))
    assert kept == "".join(t + "\r\n" for t in titles[1:]).encode(), kept


if __name__ == "__main__":
    z.main(scenario)
