#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A video of today's size (1280x720, written by ffmpeg) on a desktop whose panels take part of
the screen, at scales 1 and 2: the whole picture shows, with its shape, inside the work area,
in the largest size that fits; the engine is told the fitted size; fullscreen and Esc come back
to it."""

import os
import subprocess

import zelko_e2e as z
from test_desktop_panels import CONFIG, set_margins
from zelko_e2e import wait_until

GREY = (180, 180, 180)
CORNERS = {"top left": (1, 0, 0), "top right": (0, 0, 1), "bottom left": (1, 1, 0),
           "bottom right": (0, 1, 1)}


def work_area(env):
    """(x, y, width, height) of the desktop's work area, as the window manager publishes it."""
    out = z.run(["xprop", "-root", "_NET_WORKAREA"], env).stdout
    return tuple(int(v) for v in out.split("=", 1)[1].split(",")[:4])


def root_shot(env):
    data = subprocess.run(["xwd", "-silent", "-root"], env=env, capture_output=True, check=True,
                          timeout=30).stdout
    return z.Image.from_xwd(data)


def grey(colour):
    return z.near(colour, GREY, 35) and max(colour) - min(colour) <= 25


def span(values):
    """First and last index of the longest run of grey values."""
    found = z.runs(values, grey)
    return max(found, key=lambda r: r[1] - r[0]) if found else None


def find_picture(shot, window, video_top, corners=CORNERS):
    """(left, top, right, bottom), inclusive, of the grey picture in the window's video area, or
    None while it does not show with all four corners in their colours."""
    x, y, w, h = window
    column = x + w // 2
    vertical = span([shot.pixel(column, j) for j in range(y + video_top, min(y + h, shot.height))])
    if not vertical:
        return None
    top, bottom = y + video_top + vertical[0], y + video_top + vertical[1] - 1
    row = (top + bottom) // 2
    horizontal = span([shot.pixel(i, row) for i in range(max(x, 0), min(x + w, shot.width))])
    if not horizontal:
        return None
    left, right = max(x, 0) + horizontal[0], max(x, 0) + horizontal[1] - 1
    inset = 4
    at = {"top left": (left + inset, top + inset), "top right": (right - inset, top + inset),
          "bottom left": (left + inset, bottom - inset), "bottom right": (right - inset, bottom - inset)}
    if any(z.bar_of(shot.pixel(*at[name])) != bar for name, bar in corners.items()):
        return None
    return (left, top, right, bottom)


def check_picture(ctx, p, scale, area, expected_put):
    trace = p.trace
    trace.wait_for(lambda e: e[2].rstrip() == expected_put and e[0] == 0, 20, f"'{expected_put}'")
    window = z.stable_for(p.geometry, 0.6, 20, "the grown window to settle")
    ax, ay, aw, ah = area
    x, y, w, h = window
    assert ax <= x and ay <= y and x + w <= ax + aw and y + h <= ay + ah, \
        f"the window {window} is not inside the work area {area}"
    state = {}

    def shown():
        state["shot"] = root_shot(p.x.env)
        return find_picture(state["shot"], window, 238 * scale)
    try:
        left, top, right, bottom = wait_until(shown, 20, "the whole picture with its four corners")
    finally:
        if "shot" in state:
            os.makedirs(ctx.artifacts, exist_ok=True)
            state["shot"].save_png(os.path.join(ctx.artifacts, f"wide-at-{scale}.png"))
    width, height = right - left + 1, bottom - top + 1
    ctx.step(f"  window {window}; picture {width}x{height} at {left}, {top} in the work area {area}")
    assert ax <= left and ay <= top and right < ax + aw and bottom < ay + ah, "picture off the work area"
    assert abs(width / height / (16 / 9) - 1) <= 0.04, f"the picture's shape is {width}x{height}"
    # Centred on the window's mid-line, and as large as the picture area's width or the work
    # area's height allows.
    assert abs((left + right + 1) / 2 - (x + w / 2)) <= 2 * scale, "the picture is not centred"
    assert width >= w - 4 * scale or y + h >= ay + ah - 4 * scale, "the picture could be larger"
    return window, (left, top, right, bottom)


def play_at(ctx, scale, expected_put, fullscreen):
    path = ctx.clip("wide.mpg")
    ctx.step(f"at scale {scale}: the 1280x720 clip, named on the command line, plays")
    # A playlist folder of its own at each scale, empty at the start.
    folder = os.path.join(ctx.folder, f"at-{scale}")
    os.mkdir(folder)
    z.write_playlist(folder, [], [])
    trace = z.Trace(os.path.join(folder, "mci.trace"))
    p = ctx.player(folder, extra_env={"ZELKO_MCI_TRACE": trace.path, "QT_SCALE_FACTOR": str(scale)})
    p.trace = trace
    p.start(args=[path])
    area = work_area(p.x.env)
    window, picture = check_picture(ctx, p, scale, area, expected_put)
    if fullscreen:
        ctx.step("  Fullscreen, then Esc: back to the fitted window and picture")
        transport = p.toolbar_buttons(z.TOOLBAR1, 5)
        p.click(*transport[4])
        p.wait_geometry(lambda g: g == area, 10, f"the window to fill the work area {area}")
        p.key("Escape")
        p.wait_geometry(lambda g: g == window, 10, f"the window back at {window}")
        _, again = check_picture(ctx, p, scale, area, expected_put)
        assert again == picture, f"the picture came back at {again}, not {picture}"
    p.stop()


def scenario(ctx):
    # 460 px wide: the picture area's width binds, 460x259.
    play_at(ctx, 1, "put movie window at 0 0 460 259", fullscreen=True)
    # 477 logical pixels of work area: its height binds, 386x217 logical pixels.
    play_at(ctx, 2, "put movie window at 0 0 386 217", fullscreen=False)


if __name__ == "__main__":
    set_margins(40, 30)
    z.main(scenario, wm_args=["--config-file", CONFIG])
