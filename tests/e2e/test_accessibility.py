#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The window as a screen reader sees it: the AT-SPI tree (on a private session bus, run under
dbus-run-session) names every control that shows with its role, and every toolbar, leaves out
the hidden ones and those outside the window, and lets the reader select an entry, press Play,
follow playback on the slider, the LED bar, the time label and the title strip, hear Pause and
Slow Motion latch and release as switches, seek by setting the slider's value, and press
Close."""

import os
import re

import pyatspi
from gi.repository import GLib

import zelko_e2e as z

BUTTONS = [("Close", "Close"), ("Play", "Play   F1"), ("Pause", "Pause   F2"), ("Stop", "Stop   F3"),
           ("Slow Motion", "Slow Motion  F4"), ("Fullscreen", "Fullscreen"),
           ("Add to Playlist", "Add media to playlist"), ("Remove", "Remove meddia from playlist"),
           ("Clear All", "Clear Playlist")]


def find_window():
    for app in pyatspi.Registry.getDesktop(0):
        for i in range(app.childCount if app else 0):
            if app[i] is not None and app[i].name == z.TITLE:
                return app[i]
    return None


def tree(window):
    """Every node below the window, read afresh: (role name, name, node)."""
    window.clearCache()
    out, todo = [], [window]
    while todo:
        node = todo.pop(0)
        for i in range(node.childCount):
            child = node[i]
            if child is not None:
                out.append((child.getRoleName(), child.name, child))
                todo.append(child)
    return out


def only(nodes, role, name=None):
    found = [n for r, nm, n in nodes if r == role and (name is None or nm == name)]
    assert len(found) == 1, f"{len(found)} nodes {role!r} {name!r} in {[(r, nm) for r, nm, _ in nodes]}"
    return found[0]


def states(node):
    """The states a reader announces for a button. Qt 6.4's bridge does not pass on "checkable"
    (later ones do), so a released switch may read as a plain button."""
    state = node.getState()
    return {name for name, s in (("checkable", pyatspi.STATE_CHECKABLE), ("checked", pyatspi.STATE_CHECKED),
                                 ("pressed", pyatspi.STATE_PRESSED)) if state.contains(s)}


class StateEvents:
    """The "checked" changes the reader is told of, as (button name, checked)."""

    def __init__(self):
        self.seen = []
        pyatspi.Registry.registerEventListener(self._heard, "object:state-changed:checked")

    def _heard(self, event):
        self.seen.append((event.source.name, bool(event.detail1)))

    def wait_for(self, change, what):
        def heard():
            while GLib.MainContext.default().iteration(False):
                pass
            return change in self.seen
        z.wait_until(heard, 10, what)


def values(node):
    v = node.queryValue()
    return v.minimumValue, v.currentValue, v.maximumValue


def look_at_start(ctx, window, titles):
    ctx.step("at start: nine push buttons named without padding, the tooltip as description")
    nodes = tree(window)
    buttons = [(n.name, n.description) for r, _, n in nodes if r == "push button"]
    assert buttons == BUTTONS, buttons
    ctx.step("Pause and Slow Motion are switches, released; the other buttons are no switches")
    for role, name, node in nodes:
        if role == "push button":
            allowed = {"checkable"} if name in ("Pause", "Slow Motion") else set()
            assert states(node) <= allowed, (name, states(node))
    ctx.step("the toolbars are named")
    toolbars = sorted(nm for r, nm, _ in nodes if r == "tool bar")
    assert toolbars == ["Playback", "Playlist editing", "Window"], toolbars
    ctx.step("the slider, the LED bar, Auto Replay, the labels and the playlist with its entries")
    assert values(only(nodes, "slider", "Position")) == (-1, -1, 100)
    assert values(only(nodes, "progress bar")) == (0, 0, 100)
    only(nodes, "check box", "Auto Replay")
    playlist = only(nodes, "list", "Playlist")
    assert [playlist[i].name for i in range(playlist.childCount)] == titles
    labels = sorted(nm for r, nm, _ in nodes if r == "label")
    # The title, the time label and the title strip (both empty until a file plays).
    assert labels == ["", "", z.TITLE], labels
    ctx.step("nothing hidden or outside the window: no List2, no hidden label, no txtfull, no video")
    roles = {r for r, _, _ in nodes}
    assert roles == {"push button", "tool bar", "slider", "progress bar", "check box", "list",
                     "list item", "label"}, roles
    return playlist


def play_and_follow(ctx, window, playlist, trace, path):
    ctx.step("select the first entry and press Play through their accessible actions")
    assert playlist.queryTable().addRowSelection(0)
    play = only(tree(window), "push button", "Play")
    action = play.queryAction()
    assert action.getName(0) == "Press", action.getName(0)
    action.doAction(0)
    opened = trace.wait_for(lambda e: e[2].startswith("open " + path + " "), 15, "the open")
    assert opened[0] == 0, opened
    trace.wait_for(lambda e: e[2].startswith("play movie") and e[0] == 0, 15, "the play")

    ctx.step("the slider, the LED bar, the time label and the title strip follow playback")

    def moved():
        nodes = tree(window)
        slider = values(only(nodes, "slider", "Position"))[1]
        percent = values(only(nodes, "progress bar"))[1]
        labels = [nm for r, nm, _ in nodes if r == "label"]
        strip = os.path.basename(path) in labels
        times = any(re.fullmatch(r"\d+:\d\d / 0:1[12]", nm) for nm in labels)
        video = any(r == "image" and nm == "Video" for r, nm, _ in nodes)
        # txtfull is inside the grown window now, but under the video.
        assert "text" not in {r for r, _, _ in nodes}, [(r, nm) for r, nm, _ in nodes]
        return (slider, percent) if slider > 0 and percent > 0 and strip and times and video else None
    slider, percent = z.wait_until(moved, 15, "the slider, LED bar, labels and video area")
    ctx.step(f"  slider at {slider}, LED bar at {percent} %")
    assert percent % 2 == 0 and abs(percent - slider) <= 4, (slider, percent)


def latch_and_release(ctx, window, trace, events):
    for name, latch, release in (("Pause", "Pause movie", "Resume movie"),
                                 ("Slow Motion", "set movie speed 400", "set movie speed 1000")):
        for command, checked in ((latch, True), (release, False)):
            ctx.step(f"press {name}: it is {'checked and pressed' if checked else 'released'}, and the reader hears so")
            start = len(trace.lines())
            only(tree(window), "push button", name).queryAction().doAction(0)
            entry = trace.wait_for(lambda e: e[2].startswith(command), 10, command, start)
            assert entry[0] == 0, entry
            want = {"checked", "pressed"} if checked else set()
            z.wait_until(lambda: states(only(tree(window), "push button", name)) - {"checkable"} == want, 10,
                         f"{name} to read {sorted(want)}")
            events.wait_for((name, checked), f"the change of {name} to be told")


def seek_by_value(ctx, window, trace):
    ctx.step("setting the slider's value to 50 seeks to the middle, as moving the thumb does")
    start = len(trace.lines())
    only(tree(window), "slider", "Position").queryValue().currentValue = 50
    entry = trace.wait_for(lambda e: e[2].startswith("seek movie to "), 10, "the seek", start)
    frame = int(entry[2].split()[3])
    # Half of the stream's length in frames, which GStreamer puts near 300.
    assert 135 <= frame <= 150, entry
    z.wait_until(lambda: values(only(tree(window), "slider", "Position"))[1] >= 50, 10,
                 "the slider to stand at 50 or beyond")


def scenario(ctx):
    path = ctx.clip("long.mpg")
    paths = [path, ctx.clip("tone.wav")]
    titles = [os.path.basename(x) for x in paths]
    data1, data2 = z.write_playlist(ctx.folder, titles, paths)
    trace = z.Trace(os.path.join(ctx.folder, "mci.trace"))
    p = ctx.player(extra_env={"ZELKO_MCI_TRACE": trace.path, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                              "DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"]}).start()
    window = z.wait_until(find_window, 20, "the window in the AT-SPI tree")
    assert window.getRoleName() == "frame", window.getRoleName()
    events = StateEvents()
    playlist = look_at_start(ctx, window, titles)
    play_and_follow(ctx, window, playlist, trace, path)
    latch_and_release(ctx, window, trace, events)
    seek_by_value(ctx, window, trace)
    ctx.step("Close through its accessible action: the player ends and keeps the playlist")
    only(tree(window), "push button", "Close").queryAction().doAction(0)
    assert p.proc.wait(30) == 0, p.log()
    assert z.read_bytes(os.path.join(ctx.folder, "pl1.txt")) == data1
    assert z.read_bytes(os.path.join(ctx.folder, "pl2.txt")) == data2


if __name__ == "__main__":
    z.main(scenario)
