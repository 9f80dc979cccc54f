#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A playlist carried over from Windows, of files named on other systems: pl1.txt holds
Windows-1252 titles and pl2.txt paths whose names are not UTF-8, one with blanks and quotes (it
opens through a short link made from its bytes) and one that goes into the opening command as
it is. Each plays in the real window and Close writes both files back byte for byte."""

import os
import re
import shutil

import zelko_e2e as z


def opened(trace, start, what):
    """The next open after trace index start, its code and the path it names."""
    code, _, text = trace.wait_for(lambda e: e[2].startswith("open "), 20, what, start)
    m = re.fullmatch(r"open (\S+) type MPEGVideo Alias movie parent \d+ Style 1073741824 *", text)
    assert m, f"unexpected open text: {text!r}"
    assert code == 0, f"{what} answered {code}: {text!r}"
    return os.fsencode(m.group(1))


def played(trace, start, what):
    code, _, text = trace.wait_for(lambda e: e[2].lower().startswith("play movie"), 20, what, start)
    assert code == 0, f"{what} answered {code}: {text!r}"


def scenario(ctx):
    folder = os.fsencode(ctx.folder)
    names = [b"caf\xe9 \x93quoted\x94.mpg", b"na\xefve.wav", "\u00e9t\u00e9.wav".encode()]
    paths = [os.path.join(folder, n) for n in names]
    for clip, path in zip(("long.mpg", "tone.wav", "tone.wav"), paths):
        shutil.copy(ctx.clip(clip), path)
    data1 = b"".join(n + b"\r\n" for n in names)
    data2 = b"".join(p + b"\r\n" for p in paths)
    for name, data in ((b"pl1.txt", data1), (b"pl2.txt", data2)):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    trace = z.Trace(os.path.join(ctx.folder, "mci.trace"))
    p = ctx.player(extra_env={"ZELKO_MCI_TRACE": trace.path}).start()
    # The accents and quotes run the rows' pixels together, so the rows are not told apart on
    # the screen: the first is double-clicked near the list's top, the others reached with Down.
    z.wait_until(p.list_rows, 10, "the entries in List1")
    transport = p.toolbar_buttons(z.TOOLBAR1, 5)

    ctx.step("double-click the video named in Windows-1252 with blanks and quotes")
    p.click(z.LIST1[0] + 30, z.LIST1[1] + 8, count=2)
    link = opened(trace, 0, "the open of the video")
    assert os.readlink(link) == paths[0], f"the open names {link!r}, a link to {os.readlink(link)!r}"
    played(trace, 0, "the play of the video")
    p.wait_geometry(lambda g: g[3] == 499, 20, "the window to grow to the video")
    z.wait_until(lambda: z.colour_bars_shown(p.screenshot(), 70, z.PICTURE1_TOP, 320, 240), 20,
                 "the video's colour bars in Picture1")
    os.makedirs(ctx.artifacts, exist_ok=True)
    p.screenshot().save_png(os.path.join(ctx.artifacts, "playing.png"))

    for row in (1, 2):
        ctx.step(f"Down and Play: entry {row + 1}'s path goes into the open as it is")
        start = len(trace.lines())
        p.key("Down")
        p.click(*transport[0])
        assert opened(trace, start, f"the open of entry {row + 1}") == paths[row]
        played(trace, start, f"the play of entry {row + 1}")

    ctx.step("Close: both playlist files come back byte for byte")
    p.close_keeps_playlist(ctx.folder, data1, data2)


if __name__ == "__main__":
    z.main(scenario)
