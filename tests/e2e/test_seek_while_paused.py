#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A seek while paused plays on, and the window and the bus say so: after a click on the
slider's rail, and after SetPosition over the bus, the time label moves on, the Pause button is
up and MPRIS reports Playing. Runs on a private session bus (under dbus-run-session)."""

import os

import zelko_e2e as z
from test_desktop_bus import Bus, command
from zelko_e2e import wait_until

LATCHED = (0, 72, 0)  # the back of a latched toolbar button
SLIDER_RAIL = (170, 94)


def pause_latched(p, button):
    """True when the Pause button shows latched: pixels of the latched back around its caption."""
    shot = p.screenshot()
    x, y = button
    return any(shot.pixel(x + dx, y + dy) == LATCHED for dx in range(-20, 21, 2) for dy in (-8, -7, 7, 8))


def time_label(p):
    return p.screenshot().region(*z.LBCURRENTIME)


def pause(p, bus, trace, transport):
    start = len(trace.lines())
    p.click(*transport[1])
    command(trace, "Pause movie", "the pause", start)
    wait_until(lambda: bus.get("PlaybackStatus") == "Paused", 10, "PlaybackStatus Paused")
    wait_until(lambda: pause_latched(p, transport[1]), 5, "the Pause button latched")
    z.stable_for(lambda: time_label(p), 1.2, 10, "the time label to hold while paused")


def plays_on(ctx, p, bus, trace, transport, start, what):
    command(trace, "seek movie to ", f"{what}'s seek", start)
    command(trace, "Play movie", f"the play after {what}'s seek", start)
    wait_until(lambda: bus.get("PlaybackStatus") == "Playing", 10, f"PlaybackStatus Playing after {what}")
    wait_until(lambda: not pause_latched(p, transport[1]), 5, f"the Pause button up after {what}")
    label = time_label(p)
    wait_until(lambda: time_label(p) != label, 5, f"the time label to move on after {what}")
    ctx.step(f"  after {what}: playing, Pause up, the time label moving")


def scenario(ctx):
    bus = Bus()
    path = ctx.clip("long.mpg")
    data = z.write_playlist(ctx.folder, ["long.mpg"], [path])
    trace = z.Trace(os.path.join(ctx.folder, "mci.trace"))
    p = ctx.player(extra_env={"ZELKO_MCI_TRACE": trace.path,
                              "DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"]}).start()
    wait_until(bus.owned, 15, "the player's name on the bus")
    transport = p.toolbar_buttons(z.TOOLBAR1, 5)
    rows = wait_until(lambda: (lambda r: r if len(r) == 1 else None)(p.list_rows()), 10, "the entry")

    ctx.step("play the 12 s clip, pause it, click the slider's rail")
    p.click(z.LIST1[0] + 30, rows[0], count=2)
    command(trace, "play movie", "the play")
    wait_until(lambda: bus.get("PlaybackStatus") == "Playing", 10, "PlaybackStatus Playing")
    pause(p, bus, trace, transport)
    start = len(trace.lines())
    p.click(*SLIDER_RAIL)
    plays_on(ctx, p, bus, trace, transport, start, "the slider")

    ctx.step("pause again, then SetPosition over the bus")
    pause(p, bus, trace, transport)
    start = len(trace.lines())
    bus.call("SetPosition", "(ox)", (bus.get("Metadata")["mpris:trackid"], 2000000))
    plays_on(ctx, p, bus, trace, transport, start, "SetPosition")

    ctx.step("Pause now pauses, as after a resume")
    pause(p, bus, trace, transport)
    p.close_keeps_playlist(ctx.folder, *data)


if __name__ == "__main__":
    z.main(scenario)
