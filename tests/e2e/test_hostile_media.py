#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Hostile files and a lost engine host: a MIDI file that hangs GStreamer's parser for good, a
WAV padded with 256 MB of zeros, a 2 GB MPEG stream that is holes after its first 64 KB, and the
engine host killed while a video plays. Each either plays or fails by its open's deadline
(GStreamer's own WAV and MPEG-PS parsers walk the zeros too, past the 5 s preroll); after each
the window answers at once (Pause sends its command), the next entry plays, and Close keeps
the playlist. The clips are made here from bytes and holes."""

import os
import shutil
import signal

import zelko_e2e as z
from test_bad_media import play_entry

HOSTILE_MIDI = (b"MThd\0\0\0\6\0\0\0\1\0\140MTrk\377\377\377\370\0\220\74\100\140\200\74\100"
                b"\0\377\57\0")
MIB = 1024 * 1024


def make_files(ctx):
    media = os.path.join(ctx.folder, "media")
    os.makedirs(media)

    def made(name, source=None, keep=None, size=None, data=None):
        path = os.path.join(media, name)
        if source:
            shutil.copy(ctx.clip(source), path)
        else:
            with open(path, "wb") as f:
                f.write(data)
        if keep is not None:
            os.truncate(path, keep)
        if size is not None:
            os.truncate(path, size)  # a hole: the file system stores none of it
        return path

    return [
        ("hostile.mid", made("hostile.mid", data=HOSTILE_MIDI), None),
        ("tone.wav", made("tone.wav", "tone.wav"), True),
        ("padded.wav", made("padded.wav", "tone.wav", size=256 * MIB), None),
        ("video.mpg", made("video.mpg", "video.mpg"), True),
        ("sparse.mpg", made("sparse.mpg", "video.mpg", keep=64 * 1024, size=2048 * MIB), None),
        ("tone again.wav", made("tone2.wav", "tone.wav"), True),
        ("long.mpg", made("long.mpg", "long.mpg"), True),
        ("video again.mpg", made("video2.mpg", "video.mpg"), True),
    ]


def answers_pause(p, trace, transport):
    start = len(trace.lines())
    p.click(*transport[1])
    trace.wait_for(lambda e: e[2] == "Pause movie", 5, "the window to answer Pause", start)


def scenario(ctx):
    entries = make_files(ctx)
    data1, data2 = z.write_playlist(ctx.folder, [e[0] for e in entries], [e[1] for e in entries])
    trace = z.Trace(os.path.join(ctx.folder, "mci.trace"))
    p = ctx.player(extra_env={"ZELKO_MCI_TRACE": trace.path}).start()
    transport = p.toolbar_buttons(z.TOOLBAR1, 5)
    killed = None
    for index, (title, path, must_play) in enumerate(entries):
        open_code, play_code, took = play_entry(ctx, p, trace, transport, index, path)
        ctx.step(f"{title!r}: open {open_code}, play {play_code}, {took:.2f} s")
        assert p.alive(), f"the player died on {title!r}:\n{p.log()}"
        if must_play:
            assert (open_code, play_code) == (0, 0), f"{title!r} did not play"
        if title == "long.mpg":
            # The host dies while the video plays: this entry is lost, and nothing else.
            pid = z.engine_host_pid(p.proc.pid)
            os.kill(pid, signal.SIGKILL)
            ctx.step(f"killed the engine host {pid} during {title!r}")
            killed = pid
        answers_pause(p, trace, transport)
    p.close_keeps_playlist(ctx.folder, data1, data2)
    ctx.step("the log names the host's death, its cause and its successor")
    log = p.log()
    assert f"zelko.channels: the engine host (pid {killed}) died of signal 9" in log, log
    assert f"in place of pid {killed}" in log, log


if __name__ == "__main__":
    z.main(scenario)
