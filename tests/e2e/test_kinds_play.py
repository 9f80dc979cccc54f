#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Every kind of today's files plays in the window, one after another from the keyboard, with
Auto Replay ticked so each is seen through to its end: it opens and plays, the sound server hears
its tone (5.1 AAC too, on a stereo output), a video shows its whole picture (10-bit HEVC and AV1
too) at its size, and the entry plays again only once its whole length has passed."""

import math
import os
import time

import zelko_e2e as z
from kinds import FORM_HEIGHT_WITH_PICTURE, KINDS, PICTURE, opened, paths

CHECK_BOX = (251, 97)  # Auto Replay's tick box
RATE = 44100


def rms(samples):
    return math.sqrt(sum(s * s for s in samples) / len(samples)) if samples else 0.0


def heard(recording, start):
    """RMS of the sound from 0.2 to 1.0 s after sample start, once that much is recorded."""
    z.wait_until(lambda: len(z.read_s16(recording)) > start + RATE, 10, "a second of recording")
    return rms(z.read_s16(recording)[start + RATE // 5:start + RATE])


def picture_shown(p):
    """The test pattern across the picture at its place, and the window grown to its height."""
    x, y, w, h = PICTURE
    return p.geometry()[3] == FORM_HEIGHT_WITH_PICTURE and z.colour_bars_shown(p.screenshot(), x, y, w, h)


def play_each(ctx, p, trace, recording):
    for i, (name, seconds, picture) in enumerate(KINDS):
        path = ctx.clip(name)
        start = len(trace.lines())
        # The first entry is selected by the click on it; each next one by Down.
        p.key(*(["Return"] if i == 0 else ["Down", "Return"]))
        play = opened(trace, path, name, start)
        played_at = time.monotonic()
        sound = heard(recording, len(z.read_s16(recording)))
        shown = picture and z.wait_until(lambda: picture_shown(p), 10, f"{name}: its picture")
        # Auto Replay opens it again at its end, and not before.
        again = trace.wait_for(lambda e: e[2].startswith(f"open {path} "), 20, f"{name}: its replay", play)
        assert again[0] == 0, f"{name}: the replay's open answered {again[0]}"
        lasted = time.monotonic() - played_at
        ctx.step(f"{name}: sound RMS {sound:.0f}, picture {'shown' if shown else '-'}, "
                 f"replayed after {lasted:.2f} s ({seconds:.3f} s long)")
        assert sound > 500, f"{name}: no sound reached the sound server (RMS {sound:.0f})"
        assert lasted >= seconds - 0.1, f"{name}: played again after {lasted:.2f} s of {seconds:.3f} s"


def scenario(ctx):
    with z.PulseServer() as pulse:
        files = paths(ctx)
        z.write_playlist(ctx.folder, [os.path.basename(f) for f in files], files)
        trace = z.Trace(os.path.join(ctx.folder, "mci.trace"))
        env = {k: pulse.env[k] for k in ("PULSE_SERVER", "PULSE_RUNTIME_PATH")}
        env["ZELKO_MCI_TRACE"] = trace.path
        p = ctx.player(extra_env=env).start()
        rows = z.wait_until(lambda: p.list_rows() or None, 10, "the playlist")
        p.click(*CHECK_BOX)
        p.click(z.LIST1[0] + 30, rows[0])
        recording = os.path.join(ctx.folder, "monitor.raw")
        recorder = pulse.record(recording)
        try:
            z.wait_until(lambda: os.path.exists(recording), 10, "the recorder to start")
            play_each(ctx, p, trace, recording)
        finally:
            recorder.terminate()
            recorder.wait(10)
        assert p.close_with_button() == 0


if __name__ == "__main__":
    z.main(scenario)
