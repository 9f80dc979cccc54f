#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Where the window's time goes while an MP3 plays and the title scrolls, counted in
instructions (callgrind), which a busy machine does not move the way it moves CPU times.

    profile_title_pass.py PLAYER MP3 OUT_DIR [SECONDS [START]]

Plays MP3 in the player under callgrind in a private Xvfb + openbox and PulseAudio, and counts
from 4.5 s after its sound stream appears (just before the first title pass, which starts 5 s
into playback) for SECONDS (8 by default), so one whole pass is in it; START moves the
beginning (14.5 counts the third pass, when the font and glyph caches are warm). Writes callgrind's files,
one per thread, into OUT_DIR and prints the main thread's inclusive costs of the parts that
matter, per call and per second.
"""

import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
import zelko_e2e as z  # noqa: E402

PARTS = [
    ("title pass start", r"basScroller::ScrollText\("),
    ("  frames made", r"PictureFilm::record\("),
    ("  frames handed over", r"PictureFilm::run\("),
    ("title step", r"QFunctorSlotObject<zelko::basScroller::\(anonymous namespace\)::ScrollPass"),
    ("  printing", r"PictureBox::Print\("),
    ("  repaint and flush", r"PictureBox::Refresh\(\) \["),
    ("end poll", r"Form1::TimerAtEndFile_Timer"),
    ("monitor", r"Form1::TimerMisc_Timer"),
    ("timer events", r"QTimerInfoList::activateTimers"),
    ("paint events", r"QWidgetRepaintManager::paintAndFlush"),
    ("backing store flush", r"QXcbBackingStore::flush"),
]


def stream_playing(env):
    return bool(subprocess.run(["pactl", "list", "short", "sink-inputs"], env=env,
                               capture_output=True, text=True).stdout.strip())


def inclusive_costs(path):
    out = subprocess.run(["callgrind_annotate", "--inclusive=yes", "--threshold=100", path],
                         capture_output=True, text=True).stdout
    rows = []
    for line in out.splitlines():
        m = re.match(r"\s*([\d,]+)\s+\(\s*[\d.]+%\)\s+(.*)", line)
        if m:
            rows.append((int(m.group(1).replace(",", "")), m.group(2)))
    return rows


def calls_of(path, symbol):
    """How often symbol was called, from the calls= lines of callgrind's file."""
    count, wanted = 0, False
    with open(path, errors="replace") as f:
        for line in f:
            if line.startswith("cfn="):
                wanted = re.search(symbol, line) is not None
            elif line.startswith("calls=") and wanted:
                count += int(line.split("=")[1].split()[0])
                wanted = False
    return count


def main():
    binary, mp3, out_dir = (os.path.abspath(a) for a in sys.argv[1:4])
    seconds = float(sys.argv[4]) if len(sys.argv) > 4 else 8.0
    start = float(sys.argv[5]) if len(sys.argv) > 5 else 4.5
    os.makedirs(out_dir, exist_ok=True)
    for old in glob.glob(os.path.join(out_dir, "callgrind.out*")):
        os.remove(old)
    folder = tempfile.mkdtemp(prefix="zelko-profile-")
    wrapper = os.path.join(folder, "under-callgrind")
    # libhwy (under libjxl, under libavcodec) times itself with rdtscp when it loads, which
    # valgrind cannot run: a preloaded stand-in answers instead.
    shim = os.path.join(folder, "hwy-timer.so")
    subprocess.run(["g++", "-shared", "-fPIC", "-O2", "-x", "c++", "-o", shim, "-"], check=True,
                   input="namespace hwy::platform { double TimerResolution() { return 1e-9; } "
                   "double InvariantTicksPerSecond() { return 1e9; } }", text=True)
    with open(wrapper, "w") as f:
        f.write(f"#!/bin/sh\nLD_PRELOAD={shim} exec valgrind --tool=callgrind --instr-atstart=no --separate-threads=yes --compress-strings=no "
                f"--callgrind-out-file={out_dir}/callgrind.out.%p {binary} \"$@\"\n")
    os.chmod(wrapper, 0o755)
    with z.XServer() as x, z.PulseServer() as pulse:
        env = {k: pulse.env[k] for k in ("PULSE_SERVER", "PULSE_RUNTIME_PATH")}
        p = z.Player(wrapper, folder, x, env)
        try:
            z.write_playlist(folder, [os.path.basename(mp3)], [mp3])
            p.start(timeout=180)
            rows = z.wait_until(lambda: p.list_rows(), 120, "the entry", interval=0.5)
            time.sleep(15)  # start-up work settles (the warm-up runs once the window shows)
            if not p.alive():
                sys.exit("the player ended; its log:\n" + p.log())
            p.click(z.LIST1[0] + 30, rows[0], count=2)
            try:
                z.wait_until(lambda: stream_playing(pulse.env), 120, "the sound stream", interval=0.01)
            except z.Timeout:
                sys.exit("no sound stream; the player's log:\n" + p.log())
            began = time.monotonic()
            time.sleep(max(0.0, began + start - time.monotonic()))
            subprocess.run(["callgrind_control", "-i", "on", str(p.proc.pid)], check=True,
                           capture_output=True)
            on = time.monotonic()
            time.sleep(seconds)
            subprocess.run(["callgrind_control", "-i", "off", str(p.proc.pid)], check=True,
                           capture_output=True)
            counted = time.monotonic() - on
        finally:
            p.stop()
            shutil.rmtree(folder, ignore_errors=True)
    files = sorted(glob.glob(os.path.join(out_dir, "callgrind.out.*-01")))
    if not files:
        sys.exit("callgrind wrote no file for the main thread")
    main_thread = files[0]
    print(f"main thread, {counted:.1f} s counted: {main_thread}")
    costs = inclusive_costs(main_thread)
    total = costs[0][0] if costs else 0
    print(f"  all of it: {total / 1e6:.1f} M instructions, {total / counted / 1e6:.2f} M/s")
    for label, symbol in PARTS:
        found = [c for c, name in costs if re.search(symbol, name)]
        if not found:
            print(f"  {label:22} not seen")
            continue
        calls = calls_of(main_thread, symbol)
        per = f", {found[0] / calls / 1e3:.0f} k per call ({calls} calls)" if calls else ""
        print(f"  {label:22} {found[0] / 1e6:8.1f} M  {100 * found[0] / total:5.1f} %{per}")
    others = sorted(glob.glob(os.path.join(out_dir, "callgrind.out.*")))
    for other in others:
        if other != main_thread:
            c = inclusive_costs(other)
            if c and c[0][0] > total / 50:
                print(f"  thread file {os.path.basename(other)}: {c[0][0] / 1e6:.1f} M")


if __name__ == "__main__":
    main()
