#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The longest time the window's thread stays away from its event loop (goal: under 50 ms, a
frame's work), measured by the application itself (ZELKO_STALL_METER, app/metered_application.h):

- over the end-to-end tests' playback and hostile files: tests/e2e/test_window_playback.py and
  test_hostile_media.py run as CTest runs them, on the product's channel to zelko-mci-host;
- the window driven through its Player interface (bench/window_stall_driver) over the same
  clips and hostile files, once on the engine host and once on the engine in the window's own
  process, each file playing for a few seconds in turn.

    stall_bench.py BUILD_DIR [--rounds N]
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.abspath(os.path.join(HERE, "..", ".."))
E2E = os.path.join(SOURCE, "tests", "e2e")
sys.path.insert(0, E2E)
from test_hostile_media import HOSTILE_MIDI  # noqa: E402

LINE = re.compile(r"([0-9.]+) ms longest away from the event loop \((.*)\); (\d+) events, (\d+) over")
MIB = 1024 * 1024


def figures(report):
    """Each run's (longest ms, what, events over 50 ms) from a report file."""
    runs = []
    if os.path.exists(report):
        with open(report) as f:
            for line in f:
                m = LINE.match(line)
                if m:
                    runs.append((float(m.group(1)), m.group(2), int(m.group(4))))
    return runs


def show(name, runs, note=""):
    if not runs:
        print(f"{name:44} no figure (the window did not reach the end of its event loop) {note}")
        return
    worst = max(runs)
    print(f"{name:44} {worst[0]:9.1f} ms  ({worst[1]}; {sum(r[2] for r in runs)} events over 50 ms,"
          f" {len(runs)} run(s)) {note}")


def hostile_files(folder, clips):
    os.makedirs(folder, exist_ok=True)
    midi = os.path.join(folder, "hostile.mid")
    with open(midi, "wb") as f:
        f.write(HOSTILE_MIDI)
    padded = os.path.join(folder, "padded.wav")
    shutil.copy(os.path.join(clips, "tone.wav"), padded)
    os.truncate(padded, 256 * MIB)
    sparse = os.path.join(folder, "sparse.mpg")
    shutil.copy(os.path.join(clips, "video.mpg"), sparse)
    os.truncate(sparse, 64 * 1024)
    os.truncate(sparse, 2048 * MIB)
    return [midi, padded, sparse]


def e2e(build, script, work):
    report = os.path.join(work, script + ".stalls")
    env = dict(os.environ, ZELKO_STALL_METER=report)
    result = subprocess.run(
        [sys.executable, os.path.join(E2E, script), "--player", os.path.join(build, "zelko-player"),
         "--clips", os.path.join(build, "tests", "clips"), "--e2e-clips", os.path.join(build, "tests", "e2e-clips"),
         "--artifacts", os.path.join(work, "artifacts", script)],
        env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=600)
    show(f"e2e {script}", figures(report), "" if result.returncode == 0 else "(the test failed)")


def driver(build, engine, files, work, name, seconds=4):
    report = os.path.join(work, f"{engine}-{name}.stalls")
    env = dict(os.environ, ZELKO_STALL_METER=report, ZELKO_MCI_HOST=os.path.join(build, "zelko-mci-host"))
    note = ""
    # In a session of its own, so that a driver that never ends goes with its X server.
    run = subprocess.Popen(["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24 -nolisten tcp",
                            os.path.join(build, "bench", "window_stall_driver"), "--engine", engine,
                            "--seconds", str(seconds), *files],
                           env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        run.wait(timeout=120)
    except subprocess.TimeoutExpired:
        note = "(did not end within 120 s)"
        os.killpg(run.pid, signal.SIGKILL)
        run.wait()
    show(f"{engine:10} {name}", figures(report), note)


def main():
    build = os.path.abspath(sys.argv[1])
    clips = os.path.join(build, "tests", "clips")
    e2e_clips = os.path.join(build, "tests", "e2e-clips")
    work = tempfile.mkdtemp(prefix="zelko-stall-")
    try:
        hostile = hostile_files(os.path.join(work, "media"), clips)
        playback = [os.path.join(clips, n) for n in ("video.mpg", "tone.wav", "tune.mid", "tone.mp3")]
        playback.append(os.path.join(e2e_clips, "long.mpg"))
        print(f"{'':44} {'longest':>12}")
        for engine in ("host", "in-process"):
            driver(build, engine, playback, work, "playback")
            driver(build, engine, hostile[1:], work, "padded WAV, sparse MPEG")
            # The tone first: an engine still loading its plugins may fail the MIDI file at once.
            driver(build, engine, [playback[1], hostile[0]], work, "tone, then hostile MIDI", seconds=9)
        for script in ("test_window_playback.py", "test_hostile_media.py"):
            e2e(build, script, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
