#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A playlist of 40,000 entries, beyond the 32,767 a 16-bit entry index counts: it loads whole,
scrolls with Page Down and End, plays its last entry and is written back whole at Close. How long
each step took is printed, not judged; bench/player measures it properly."""

import os
import time

import zelko_e2e as z

ENTRIES = 40000
WAIT_S = 60.0  # only how long to wait before giving up


def timed(what, action, figures):
    began = time.monotonic()
    result = action()
    took = time.monotonic() - began
    figures[what] = took
    return result


def scenario(ctx):
    tone, video = ctx.clip("tone.wav"), ctx.clip("video.mpg")
    titles = [f"entry {i:05d} tone.wav" for i in range(1, ENTRIES)] + ["last entry video.mpg"]
    paths = [tone] * (ENTRIES - 1) + [video]
    data1, data2 = z.write_playlist(ctx.folder, titles, paths)
    trace = z.Trace(os.path.join(ctx.folder, "mci.trace"))
    figures = {}
    p = ctx.player(extra_env={"ZELKO_MCI_TRACE": trace.path})
    timed("start to a filled list", lambda: (p.start(), z.wait_until(
        lambda: len(p.list_rows()) >= 5, WAIT_S, "the list's first rows")), figures)

    rows = p.list_rows()
    p.click(z.LIST1[0] + 30, rows[0])
    listed = lambda: p.screenshot().region(*z.LIST1)
    top = z.stable_for(listed, 0.3, WAIT_S, "the list to settle at its top")
    timed("Page Down shown", lambda: (p.key("Next"), z.wait_until(
        lambda: listed() != top, WAIT_S, "the list to page down")), figures)
    paged = z.stable_for(listed, 0.3, WAIT_S, "the list to settle a page down")
    timed("End to the last entry shown", lambda: (p.key("End"), z.wait_until(
        lambda: listed() != paged, WAIT_S, "the list to scroll to its end")), figures)
    z.stable_for(listed, 0.3, WAIT_S, "the list to settle at its end")

    transport = p.toolbar_buttons(z.TOOLBAR1, 5)
    start = len(trace.lines())

    def play_last():
        p.click(*transport[0])
        return trace.wait_for(lambda e: e[2].lower().startswith("play movie"), WAIT_S,
                              "the play of the last entry", start)
    played = timed("Play to the play command", play_last, figures)
    opened = [e for e in trace.lines()[start:] if e[2].startswith("open ")]
    assert opened and f" {video} " in opened[0][2], f"the last entry did not open: {opened}"
    assert opened[0][0] == 0 and played[0] == 0, f"the last entry failed: {opened[0]} {played}"

    code = timed("Close to the end of the program", p.close_with_button, figures)
    assert code == 0, f"the player exited with {code}:\n{p.log()}"
    assert z.read_bytes(os.path.join(ctx.folder, "pl1.txt")) == data1, "pl1.txt changed"
    assert z.read_bytes(os.path.join(ctx.folder, "pl2.txt")) == data2, "pl2.txt changed"
    for what, took in figures.items():
        ctx.step(f"{what}: {took:.3f} s")


if __name__ == "__main__":
    z.main(scenario)
