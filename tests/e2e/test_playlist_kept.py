#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Nothing the user did is lost when the player does not end through Close: an entry handed to
it by a second start is in pl1.txt and pl2.txt within a moment, before SIGKILL or the death of
its X server. Playlist files that are not files (a FIFO, a link to /dev/zero) neither stop the
start nor get written over. A file name that is not UTF-8 is added from the command line as it
is; one with a line break is refused by name. A held F1 in fullscreen opens the file once."""

import os
import shutil
import signal
import stat
import subprocess
import time

import zelko_e2e as z


def subfolder(ctx, name):
    folder = os.path.join(ctx.folder, name)
    os.mkdir(folder)
    return folder


def hand_over(ctx, folder, env, path):
    """A second start in the folder, as a file manager's "Open with" runs it."""
    later = subprocess.run([ctx.player_binary, path], cwd=folder, env=env, timeout=60,
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    assert later.returncode == 0, f"the second start failed: {later.stderr}"


def edit_then_lose_the_player(ctx, name, lose):
    """One entry in the files, a second handed over, the files awaited, then lose(player)."""
    folder = subfolder(ctx, name)
    tone, video = ctx.clip("tone.wav"), ctx.clip("video.mpg")
    data1, data2 = z.write_playlist(folder, ["tone.wav"], [tone])
    p, env = lose.start(ctx, folder)
    hand_over(ctx, folder, env, video)
    handed = time.monotonic()
    want1, want2 = data1 + b"video.mpg\r\n", data2 + video.encode() + b"\r\n"
    pl1, pl2 = os.path.join(folder, "pl1.txt"), os.path.join(folder, "pl2.txt")
    z.wait_until(lambda: z.read_bytes(pl1) == want1 and z.read_bytes(pl2) == want2, 5,
                 "the handed-over entry in pl1.txt and pl2.txt while the player runs")
    ctx.step(f"{name}: the edit is in the files {time.monotonic() - handed:.2f} s after the hand-over; "
             f"now {lose.__doc__}")
    lose.end(p)
    assert z.read_bytes(pl1) == want1 and z.read_bytes(pl2) == want2, "the files changed"


class Killed:
    """SIGKILL"""

    @staticmethod
    def start(ctx, folder):
        p = ctx.player(folder).start()
        return p, p.env

    @staticmethod
    def end(p):
        p.proc.send_signal(signal.SIGKILL)
        p.proc.wait(30)


class XServerGone:
    """the X server is killed"""
    x = None

    @classmethod
    def start(cls, ctx, folder):
        cls.x = z.XServer().__enter__()
        p = z.Player(ctx.player_binary, folder, cls.x)
        ctx.players.append(p)
        return p.start(), cls.x.env

    @classmethod
    def end(cls, p):
        cls.x.xvfb.kill()
        code = p.proc.wait(30)
        assert code != 0 or "X11 connection" in p.log(), "the player did not notice its X server go"
        cls.x.__exit__(None, None, None)


def files_that_are_not_files(ctx):
    folder = subfolder(ctx, "not-files")
    os.mkfifo(os.path.join(folder, "pl1.txt"))
    os.symlink("/dev/zero", os.path.join(folder, "pl2.txt"))
    p = ctx.player(folder).start(timeout=20)
    log = p.log()
    for name in ("pl1.txt", "pl2.txt"):
        assert f"zelko-player: {name} was not read: not a regular file; it is left as it is" in log, log
    assert p.close_with_button() == 0, p.log()
    assert stat.S_ISFIFO(os.lstat(os.path.join(folder, "pl1.txt")).st_mode), "the FIFO was replaced"
    assert os.readlink(os.path.join(folder, "pl2.txt")) == "/dev/zero", "the link was replaced"


def names_as_bytes(ctx):
    folder = subfolder(ctx, "names")
    foreign = os.path.join(folder.encode(), b"caf\xe9.wav")
    shutil.copy(ctx.clip("tone.wav"), foreign)
    broken = os.path.join(folder.encode(), b"two\nlines.wav")
    shutil.copy(ctx.clip("tone.wav"), broken)
    trace = z.Trace(os.path.join(folder, "mci.trace"))
    p = ctx.player(folder, extra_env={"ZELKO_MCI_TRACE": trace.path}).start(args=[b"caf\xe9.wav", broken])
    trace.wait_for(lambda e: e[2].startswith("play movie") and e[0] == 0, 15, "caf\\xe9.wav playing")
    assert "not added: " + folder + "/two\\nlines.wav: contains a line break" in p.log(), p.log()
    assert p.close_with_button() == 0, p.log()
    assert z.read_bytes(os.path.join(folder, "pl1.txt")) == b"caf\xe9.wav\r\n"
    assert z.read_bytes(os.path.join(folder, "pl2.txt")) == foreign + b"\r\n"


def held_f1(ctx):
    folder = subfolder(ctx, "held-f1")
    z.write_playlist(folder, ["video.mpg"], [ctx.clip("video.mpg")])
    trace = z.Trace(os.path.join(folder, "mci.trace"))
    p = ctx.player(folder, extra_env={"ZELKO_MCI_TRACE": trace.path}).start()
    rows = z.wait_until(p.list_rows, 10, "the entry")
    p.click(z.LIST1[0] + 30, rows[0])
    buttons = p.toolbar_buttons(z.TOOLBAR1, 5)
    p.click(*buttons[4])  # Fullscreen
    p.wait_geometry(lambda g: g[2] > 1000, 10, "fullscreen")
    z.run(["xdotool", "windowactivate", "--sync", p.wid], p.env, check=False)
    z.run(["xdotool", "keydown", "F1"], p.env)
    trace.wait_for(lambda e: e[2].startswith("play movie") and e[0] == 0, 15, "F1 playing the entry")
    time.sleep(1.5)  # the user holds the key: the X server repeats it about 20 times meanwhile
    z.run(["xdotool", "keyup", "F1"], p.env)
    # F2 after the repeats: once it has paused, every repeat before it has been handled.
    z.run(["xdotool", "key", "F2"], p.env)
    trace.wait_for(lambda e: e[2].lower().startswith("pause movie"), 15, "F2 pausing")
    opens = trace.commands("open")
    assert len(opens) == 1, f"a held F1 opened the file {len(opens)} times"


def scenario(ctx):
    for name, lose in (("killed", Killed), ("x-server-gone", XServerGone)):
        edit_then_lose_the_player(ctx, name, lose)
    ctx.step("playlist files that are not files")
    files_that_are_not_files(ctx)
    ctx.step("names as bytes")
    names_as_bytes(ctx)
    ctx.step("a held F1")
    held_f1(ctx)


if __name__ == "__main__":
    z.main(scenario)
