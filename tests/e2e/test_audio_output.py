#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The player really makes sound: through a private PulseAudio whose only output is a null
sink, play the 440 Hz tone and then the MIDI tune from the playlist, record the sink's monitor,
and find 440 Hz in the first and sound in the second."""

import math
import os
import time

import zelko_e2e as z

RATE = 44100


def rms(samples):
    return math.sqrt(sum(s * s for s in samples) / len(samples)) if samples else 0.0


def dominant_frequency(samples):
    """Frequency from the rising zero crossings (with a small dead band against noise)."""
    crossings, armed = [], False
    for i, s in enumerate(samples):
        if s < -200:
            armed = True
        elif s > 200 and armed:
            crossings.append(i)
            armed = False
    if len(crossings) < 2:
        return 0.0
    return (len(crossings) - 1) * RATE / (crossings[-1] - crossings[0])


def first_loud(samples, start, threshold=1500):
    for i in range(start, len(samples)):
        if abs(samples[i]) > threshold:
            return i
    return None


def scenario(ctx):
    with z.PulseServer() as pulse:
        paths = [ctx.clip("tone.wav"), ctx.clip("tune.mid")]
        z.write_playlist(ctx.folder, [os.path.basename(p) for p in paths], paths)
        trace = z.Trace(os.path.join(ctx.folder, "mci.trace"))
        env = {k: pulse.env[k] for k in ("PULSE_SERVER", "PULSE_RUNTIME_PATH")}
        env["ZELKO_MCI_TRACE"] = trace.path
        p = ctx.player(extra_env=env).start()
        rows = z.wait_until(lambda: (lambda r: r if len(r) == 2 else None)(p.list_rows()), 10,
                            "two entries in List1")
        recording = os.path.join(ctx.folder, "monitor.raw")
        recorder = pulse.record(recording)
        try:
            z.wait_until(lambda: os.path.exists(recording), 10, "the recorder to start")
            ctx.step("double-click the tone; the tune follows on its own")
            p.click(z.LIST1[0] + 30, rows[0], count=2)
            entry = trace.wait_for(lambda e: e[2].startswith("play movie"), 15, "the tone's play")
            assert entry[0] == 0, f"play answered {entry[0]}"
            entry = trace.wait_for(lambda e: e[2].startswith("open ") and "tune.mid" in e[2], 15,
                                   "the tune's open")
            assert entry[0] == 0, f"the tune's open answered {entry[0]}"
            start = trace.lines().index(entry)
            trace.wait_for(lambda e: e[2].startswith("play movie"), 10, "the tune's play", start)
            # The tune lasts 2 s; record until end-of-media polling has seen it through.
            played = time.monotonic()
            z.wait_until(lambda: time.monotonic() - played > 2.5 and
                         len(z.read_s16(recording)) > 5 * RATE, 20, "five seconds of recording")
        finally:
            recorder.terminate()
            recorder.wait(10)
        samples = z.read_s16(recording)
        ctx.step(f"recorded {len(samples) / RATE:.1f} s from the null sink's monitor")
        begin = first_loud(samples, 0)
        assert begin is not None, f"only silence reached the sound server:\n{pulse.log()[-2000:]}"
        tone = samples[begin + RATE // 5: begin + RATE // 5 + RATE]
        frequency = dominant_frequency(tone)
        ctx.step(f"tone: {frequency:.1f} Hz, RMS {rms(tone):.0f}")
        assert abs(frequency - 440) < 8, f"the tone came out at {frequency:.1f} Hz, not 440 Hz"
        after_tone = samples[begin + 2 * RATE + RATE // 4:]
        tune_start = first_loud(after_tone, 0, 500)
        assert tune_start is not None, "the MIDI tune made no sound"
        tune = after_tone[tune_start:tune_start + RATE // 2]
        ctx.step(f"tune: RMS {rms(tune):.0f}")
        # The synthesizer's piano is quiet (RMS about 300 of 32767) but far above silence.
        assert rms(tune) > 100, f"the MIDI tune is nearly silent (RMS {rms(tune):.0f})"
        assert p.close_with_button() == 0


if __name__ == "__main__":
    z.main(scenario)
