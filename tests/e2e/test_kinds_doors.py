#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Every kind of today's files joins through every door a user has: named on the command line,
dropped on the window from another program (a real XDND drag, as from a file manager), handed
over by a later start, and typed by name into the file dialog, whose filter stays as it was; and
a phone's portrait video (1920x1080 stored, turned by its track's matrix) shows upright, 9:16,
as large as the desktop's work area allows."""

import os
import queue
import shutil
import subprocess
import threading
import time

import zelko_e2e as z
from kinds import KINDS, entries_file, opened, paths
from test_wide_video import find_picture, root_shot, work_area

TOOLBAR2 = (7, 105, 221, 22)  # Add to Playlist, Remove, Clear All
# The phone clip's corner boxes as it is shown: turned a quarter counterclockwise from the
# stored red, blue, yellow, cyan (ffmpeg's rotate=90, as ffmpeg shows it too).
PHONE_CORNERS = {"top left": (0, 0, 1), "top right": (0, 1, 1), "bottom left": (1, 0, 0),
                 "bottom right": (1, 1, 0)}


def refusals(p):
    return [line for line in p.log().splitlines() if line.startswith("zelko-player: not added: ")]


def saved(folder, count):
    """pl2.txt once it holds count entries (the player writes it within a second of a change)."""
    return z.wait_until(lambda: (lambda e: e if len(e) == count else None)(entries_file(folder, "pl2.txt")),
                        10, f"{count} entries in pl2.txt")


def command_line(ctx, files):
    ctx.step(f"command line: {len(files)} files of today's kinds and a text file")
    folder = os.path.join(ctx.folder, "command-line")
    os.mkdir(folder)
    z.write_playlist(folder, [], [])
    notes = os.path.join(folder, "notes.txt")
    open(notes, "w").close()
    trace = z.Trace(os.path.join(folder, "mci.trace"))
    p = ctx.player(folder, {"ZELKO_MCI_TRACE": trace.path}).start(args=[*files, notes])
    opened(trace, files[0], "the first file")
    assert saved(folder, len(files)) == files
    assert [r.split(": ")[2] for r in refusals(p)] == [notes], refusals(p)
    return p, folder, trace


def said(lines, word, timeout=10):
    """Whether the drag source prints `word` within `timeout` seconds (its lines in a queue)."""
    deadline = time.monotonic() + timeout
    try:
        while (line := lines.get(timeout=max(0, deadline - time.monotonic()))) is not None:
            if line.strip() == word:
                return True
    except queue.Empty:
        pass
    return False


def drop(ctx, files):
    ctx.step("a drop of every kind from another program's window")
    folder = os.path.join(ctx.folder, "drop")
    os.mkdir(folder)
    z.write_playlist(folder, [], [])
    trace = z.Trace(os.path.join(folder, "mci.trace"))
    p = ctx.player(folder, {"ZELKO_MCI_TRACE": trace.path}).start()
    source = subprocess.Popen([os.environ["ZELKO_DRAG_SOURCE"], *files], env=ctx.x.env,
                              stdout=subprocess.PIPE, text=True)
    lines = queue.Queue()
    threading.Thread(target=lambda: [*map(lines.put, source.stdout), lines.put(None)], daemon=True).start()
    try:
        found = z.wait_until(lambda: z.run(["xdotool", "search", "--onlyvisible", "--name",
                                            "^zelko-e2e-drag-source$"], ctx.x.env, check=False).stdout.split(),
                             10, "the drag source's window")
        info = z.run(["xwininfo", "-id", found[0]], ctx.x.env).stdout
        sx = int(info.split("Absolute upper-left X:")[1].split()[0]) + 60
        sy = int(info.split("Absolute upper-left Y:")[1].split()[0]) + 40
        wx, wy, _, _ = p.geometry()
        tx, ty = wx + z.LIST1[0] + 60, wy + z.LIST1[1] + 30
        # Pressed in the source, moved over the playlist in steps as a hand moves, released there.
        z.run(["xdotool", "mousemove", str(sx), str(sy), "mousedown", "1"], ctx.x.env)
        for step in range(1, 9):
            z.run(["xdotool", "mousemove", "--sync", str(sx + (tx - sx) * step // 8),
                   str(sy + (ty - sy) * step // 8)], ctx.x.env)
        # Released once the player has answered that it takes the files: on a busy machine its
        # answer can come after the last move, and a release before it is a drop refused.
        assert said(lines, "accepted"), "the player did not answer the drag"
        z.run(["xdotool", "mouseup", "1"], ctx.x.env)
        assert said(lines, "dropped"), "the player did not take the drag"
        opened(trace, files[0], "the first file dropped")
        assert saved(folder, len(files)) == files
        assert refusals(p) == [], refusals(p)
    finally:
        z.terminate(source)
    p.stop()


def hand_over(ctx, p, folder, trace, files):
    ctx.step("a later start in the same folder hands two more over")
    more = [ctx.clip("kind-vp9.webm"), ctx.clip("kind-opus.opus")]
    start = len(trace.lines())
    done = subprocess.run([ctx.player_binary, *more], cwd=folder, env=ctx.x.env, capture_output=True,
                          text=True, timeout=60)
    assert done.returncode == 0 and done.stderr == "", done.stderr
    opened(trace, more[0], "the first file handed over", start)
    assert saved(folder, len(files) + 2)[-2:] == more


def dialog(ctx, p, folder, count):
    ctx.step("the file dialog: its filter lists the old kinds; a new kind is reached by typing its name")
    buttons = p.toolbar_buttons(TOOLBAR2, 3)
    p.click(*buttons[0])
    found = z.wait_until(lambda: z.run(["xdotool", "search", "--onlyvisible", "--name", "^Open$"], ctx.x.env,
                                       check=False).stdout.split(), 10, "the file dialog")
    typed = os.path.join(folder, "typed name.flac")
    shutil.copy(ctx.clip("kind-flac.flac"), typed)
    z.run(["xdotool", "windowactivate", "--sync", found[0]], ctx.x.env, check=False)
    z.run(["xdotool", "type", "--delay", "5", typed], ctx.x.env)
    z.run(["xdotool", "key", "Return"], ctx.x.env)
    assert saved(folder, count + 1)[-1] == typed
    assert entries_file(folder, "pl1.txt")[-1] == "typed name.flac"


def phone(ctx):
    ctx.step("a phone's portrait video: upright, 9:16, as large as the work area allows")
    folder = os.path.join(ctx.folder, "phone")
    os.mkdir(folder)
    z.write_playlist(folder, [], [])
    trace = z.Trace(os.path.join(folder, "mci.trace"))
    p = ctx.player(folder, {"ZELKO_MCI_TRACE": trace.path}).start(args=[ctx.clip("phone.mp4")])
    opened(trace, ctx.clip("phone.mp4"), "the phone clip")
    area = work_area(ctx.x.env)
    window = z.stable_for(p.geometry, 0.6, 20, "the grown window to settle")
    state = {}

    def shown():
        state["shot"] = root_shot(ctx.x.env)
        return find_picture(state["shot"], window, 238, PHONE_CORNERS)
    try:
        left, top, right, bottom = z.wait_until(shown, 20, "the upright picture with its four corners")
    finally:
        if "shot" in state:
            os.makedirs(ctx.artifacts, exist_ok=True)
            state["shot"].save_png(os.path.join(ctx.artifacts, "phone.png"))
    width, height = right - left + 1, bottom - top + 1
    ax, ay, aw, ah = area
    x, y, w, h = window
    ctx.step(f"  window {window}, picture {width}x{height} at {left}, {top}, work area {area}")
    assert abs(width / height / (9 / 16) - 1) <= 0.04, f"the picture's shape is {width}x{height}"
    assert ax <= x and ay <= y and x + w <= ax + aw and y + h <= ay + ah, "the window leaves the work area"
    assert y + h >= ay + ah - 4, "the picture could be larger"
    p.stop()


def scenario(ctx):
    files = paths(ctx)
    assert len(files) == len(KINDS)
    p, folder, trace = command_line(ctx, files)
    hand_over(ctx, p, folder, trace, files)
    dialog(ctx, p, folder, len(files) + 2)
    assert p.close_with_button() == 0
    drop(ctx, files)
    phone(ctx)


if __name__ == "__main__":
    z.main(scenario)
