#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The sound server ends while a file plays (killed outright, as a crash would end it): the file
plays on without sound in real time, so the next entry starts when the first would have ended,
and once the server is back the next file is heard through it again."""

import os
import shutil
import subprocess
import time

import zelko_e2e as z

LONG_S = 5.0  # seconds of the first entry


def make_tone(path, seconds):
    buffers = int(seconds * 100)  # 441 samples at 44100 Hz each
    subprocess.run(["gst-launch-1.0", "-q", "audiotestsrc", "freq=440", "samplesperbuffer=441",
                    f"num-buffers={buffers}", "!", "audio/x-raw,rate=44100,channels=2", "!",
                    "wavenc", "!", "filesink", f"location={path}"],
                   check=True, timeout=60, stdout=subprocess.DEVNULL)


def scenario(ctx):
    first = os.path.join(ctx.folder, "first.wav")
    third = os.path.join(ctx.folder, "third.wav")
    make_tone(first, LONG_S)
    shutil.copy(first, third)
    paths = [first, ctx.clip("tone.wav"), third]
    z.write_playlist(ctx.folder, [os.path.basename(p) for p in paths], paths)
    trace = z.Trace(os.path.join(ctx.folder, "mci.trace"))
    with z.PulseServer() as pulse:
        env = {k: pulse.env[k] for k in ("PULSE_SERVER", "PULSE_RUNTIME_PATH", "PULSE_STATE_PATH")}
        env["ZELKO_MCI_TRACE"] = trace.path
        p = ctx.player(extra_env=env).start()
        rows = z.wait_until(lambda: (lambda r: r if len(r) == 3 else None)(p.list_rows()), 10,
                            "three entries")
        p.click(z.LIST1[0] + 30, rows[0], count=2)
        trace.wait_for(lambda e: e[2].startswith("play movie") and e[0] == 0, 15, "the first entry playing")
        started = time.monotonic()
        z.wait_until(pulse.streams, 10, "the player's stream in the sound server")

        ctx.step("the sound server is killed mid-play")
        pulse.kill()
        opens = len(trace.commands("open"))
        second = trace.wait_for(lambda e: e[2].lower().startswith("open") and "tone.wav" in e[2], 30,
                                "the second entry's open", start=len(trace.lines()))
        took = time.monotonic() - started
        ctx.step(f"the second entry opened {took:.2f} s after the first began ({LONG_S} s long)")
        assert second[0] == 0, f"the second entry did not open: {second}"
        assert LONG_S - 1.0 <= took <= LONG_S + 3.0, \
            f"the first entry did not play on in real time: the next began after {took:.2f} s"
        assert len(trace.commands("open")) == opens + 1

        ctx.step("the sound server comes back; the next file is heard through it")
        pulse.start()
        trace.wait_for(lambda e: e[2].lower().startswith("open") and "third.wav" in e[2], 15,
                       "the third entry's open")
        z.wait_until(pulse.streams, 4, "the third entry's stream in the restarted sound server")
        assert p.alive(), p.log()


if __name__ == "__main__":
    z.main(scenario)
