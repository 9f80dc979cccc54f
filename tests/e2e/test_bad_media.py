#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Bad entries in the playlist: a missing file, a 0-byte file, a truncated MPEG, a text file
named .avi, a name with blanks, quotes and a non-ASCII letter, and a path longer than 255
characters. Each either plays or fails with an error code (how long each took is printed); the window
keeps answering, a good entry still plays afterwards, and Close writes both playlist files
back intact."""

import os
import shutil
import time

import zelko_e2e as z

# (title, how the file is made, whether it must play)
CASES = [
    ("missing.mp3", None, False),
    ("empty.mp3", "empty.mp3", False),
    ("truncated.mpg", "truncated.mpg", False),
    ("notes.avi", "text.mp3", False),
    ("a b 'c' \"d\" \u00e9.wav", "tone.wav", True),
    ("tone.wav (long path)", "tone.wav", None),  # either plays or fails; must not hang
    ("video.mpg", "video.mpg", True),
]


def make_files(ctx):
    """The files of CASES in the scenario's folder; returns their absolute paths."""
    paths = []
    for title, source, _ in CASES:
        if title.endswith("(long path)"):
            folder = ctx.folder
            while len(folder) < 270:
                folder = os.path.join(folder, "a_rather_long_folder_name_" + str(len(folder)))
            os.makedirs(folder)
            path = os.path.join(folder, "tone.wav")
        else:
            path = os.path.join(ctx.folder, "media", title)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if source:
            shutil.copy(ctx.clip(source), path)
        paths.append(path)
    assert len(paths[5]) > 255
    return paths


def play_entry(ctx, p, trace, transport, index, path):
    """Selects entry `index` with the keyboard and presses Play; returns the open's and the
    play's codes and how long the window took to send both."""
    rows = p.list_rows()
    p.click(z.LIST1[0] + 30, rows[0])
    p.key("Home", *(["Down"] * index))
    start = len(trace.lines())
    began = time.monotonic()
    p.click(*transport[0])
    opened = trace.wait_for(lambda e: e[2].startswith("open "), 30, f"the open of entry {index}",
                            start)
    at = trace.lines().index(opened, start)
    played = trace.wait_for(lambda e: e[2].lower().startswith("play movie"), 30,
                            f"the play of entry {index}", at)
    took = time.monotonic() - began
    # A missing file has no short form, so its open names no file at all.
    if path.isascii() and len(path) < 200 and os.path.exists(path):
        assert f" {path} " in opened[2], f"entry {index} opened {opened[2].strip()!r}"
    return opened[0], played[0], took


def scenario(ctx):
    paths = make_files(ctx)
    titles = [c[0] for c in CASES]
    data1, data2 = z.write_playlist(ctx.folder, titles, paths)
    trace = z.Trace(os.path.join(ctx.folder, "mci.trace"))
    p = ctx.player(extra_env={"ZELKO_MCI_TRACE": trace.path}).start()
    transport = p.toolbar_buttons(z.TOOLBAR1, 5)
    for index, ((title, _, must_play), path) in enumerate(zip(CASES, paths)):
        open_code, play_code, took = play_entry(ctx, p, trace, transport, index, path)
        ctx.step(f"{title!r}: open {open_code}, play {play_code}, {took:.2f} s")
        assert p.alive(), f"the player died on {title!r}:\n{p.log()}"
        if must_play is True:
            assert (open_code, play_code) == (0, 0), f"{title!r} did not play"
        elif must_play is False:
            assert open_code != 0 and play_code != 0, f"{title!r} reported success"
        # The window still answers: Pause sends its command at once.
        start = len(trace.lines())
        p.click(*transport[1])
        trace.wait_for(lambda e: e[2] == "Pause movie", 10, "the window to answer Pause", start)
        p.click(*transport[1])
        trace.wait_for(lambda e: e[2] == "Resume movie", 10, "the window to answer Resume", start)
    p.close_keeps_playlist(ctx.folder, data1, data2)


if __name__ == "__main__":
    z.main(scenario)
