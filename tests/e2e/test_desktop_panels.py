#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Fullscreen on a desktop whose panels take part of the screen: openbox with a top and a
bottom margin, as panels make it. The maximized window gets the work area, and Picture1 and
the video follow what the window really got, also when the work area changes while it is
maximized; Esc brings the window back exactly."""

import os
import re
import tempfile

import zelko_e2e as z
from zelko_e2e import wait_until

CONFIG = os.path.join(tempfile.mkdtemp(prefix="zelko-openbox-"), "rc.xml")


def set_margins(top, bottom):
    """Openbox's own settings with the given screen margins, as panels would reserve them."""
    with open("/etc/xdg/openbox/rc.xml") as f:
        config = f.read()
    margins = f"<margins><top>{top}</top><bottom>{bottom}</bottom><left>0</left><right>0</right></margins>"
    with open(CONFIG, "w") as f:
        f.write(re.sub(r"<margins>.*?</margins>", margins, config, flags=re.S))


def check_fullscreen(ctx, p, trace, picture, work_area):
    x, y, w, h = work_area
    p.wait_geometry(lambda g: g == work_area, 10, f"the window to fill the work area {work_area}")
    wait_until(lambda: p.child_geometry(picture) == (0, 0, w, h), 10, f"Picture1 to fill {w}x{h}")
    put = f"put movie window at 0 0 {w} {h}"
    trace.wait_for(lambda e: e[2].rstrip() == put and e[0] == 0, 10, f"'{put}'")

    def whole_picture():
        # The bars in the top two thirds and, below them, the strip of reversed bars that starts
        # with blue: where the picture kept the screen's height, that row would still be white.
        shot = p.screenshot()
        return z.colour_bars_shown(shot, 0, 0, w, h) and \
            z.bar_of(shot.pixel(w // 14, int(h * 0.71))) == (0, 0, 1)
    wait_until(whole_picture, 10, f"the whole picture in the {w}x{h} window")
    ctx.step(f"  the window, Picture1 and the video are {w}x{h} at {x}, {y}")


def scenario(ctx):
    path = ctx.clip("long.mpg")
    z.write_playlist(ctx.folder, ["long.mpg"], [path])
    trace = z.Trace(os.path.join(ctx.folder, "mci.trace"))
    p = ctx.player(extra_env={"ZELKO_MCI_TRACE": trace.path}).start()
    rows = wait_until(lambda: (lambda r: r if len(r) == 1 else None)(p.list_rows()), 10, "the entry")
    transport = p.toolbar_buttons(z.TOOLBAR1, 5)

    ctx.step("double-click the entry: the window grows for the video")
    p.click(z.LIST1[0] + 30, rows[0], count=2)
    opened = trace.wait_for(lambda e: e[2].startswith("open "), 20, "the open")
    picture = re.search(r" parent (\d+) ", opened[2]).group(1)
    normal = p.wait_geometry(lambda g: g[2:] == (460, 499), 20, "the window to grow to 460x499")

    ctx.step("Fullscreen with panels of 40 px above and 30 px below")
    p.click(*transport[4])
    check_fullscreen(ctx, p, trace, picture, (0, 40, 1280, 954))

    ctx.step("the panels change while the window is maximized: the window manager answers again")
    set_margins(0, 60)
    z.run(["openbox", "--reconfigure"], p.x.env)
    check_fullscreen(ctx, p, trace, picture, (0, 0, 1280, 964))

    ctx.step("Esc: the window comes back exactly, the video in Picture1")
    p.key("Escape")
    p.wait_geometry(lambda g: g == normal, 10, f"the window back at {normal}")
    wait_until(lambda: p.child_geometry(picture) == (70, 238, 320, 240), 10, "Picture1 back in place")
    wait_until(lambda: z.colour_bars_shown(p.screenshot(), 70, z.PICTURE1_TOP, 320, 240), 10,
               "the video back in Picture1")


if __name__ == "__main__":
    set_margins(40, 30)
    z.main(scenario, wm_args=["--config-file", CONFIG])
