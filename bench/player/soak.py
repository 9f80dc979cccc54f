#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Soak run of the window: CYCLES rounds of Play, Stop and moving to the next entry (Down, or
Home after the last) through a playlist of short clips, driven from outside with real clicks
and keys, the way a user would. Prints the process's resident memory, threads and open file
descriptors, clip by clip, for the pass half way through and for the last full pass, and fails
on growth beyond the bounds below, on a command that failed, or on a sanitizer report at exit.

    soak.py PLAYER CLIPS_DIR [CYCLES]     (CYCLES at least 21: three passes)
"""

import os
import shutil
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
import zelko_e2e as z  # noqa: E402

CLIPS = ["tone.wav", "video.mpg", "tone.mp3", "tune.mid", "video.avi", "tone.aiff", "video.vob"]
# The first passes load every plugin and sink, and fill the allocator's caches (and the
# AddressSanitizer's quarantine); the pass half way through the run is taken as steady state,
# and the last full pass may not grow past it by more than these bounds. A leak of any size
# per cycle grows steadily over the second half of 500 cycles.
MAX_RSS_GROWTH_KB = 64 * 1024
MAX_THREAD_GROWTH = 4
MAX_FD_GROWTH = 4


def main():
    binary, clips = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    cycles = int(sys.argv[3]) if len(sys.argv) > 3 else 500
    folder = tempfile.mkdtemp(prefix="zelko-soak-")
    try:
        return soak(binary, clips, cycles, folder)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def soak(binary, clips, cycles, folder):
    paths = [os.path.join(clips, c) for c in CLIPS]
    data1, data2 = z.write_playlist(folder, CLIPS, paths)
    trace = z.Trace(os.path.join(folder, "mci.trace"))
    env = {"ZELKO_MCI_TRACE": trace.path,
           # A smaller quarantine than the default 256 MB fills sooner, so it does not pass
           # for growth; freed memory is still held back long enough to catch late uses.
           "ASAN_OPTIONS": "detect_leaks=1:quarantine_size_mb=64",
           "LSAN_OPTIONS": "suppressions=" + os.path.join(HERE, "..", "..", "tests", "sanitizers",
                                                          "lsan.supp") + ":print_suppressions=0"}
    with z.XServer() as x:
        p = z.Player(binary, folder, x, env)
        try:
            p.start(60)
            failures, passes, at_start, began = drive(p, trace, cycles)
            last = z.proc_figures(p.proc.pid)
            code = p.close_with_button(120)
            log = p.log()
        finally:
            p.stop()  # SIGTERM, then SIGKILL: never left running when a step fails
    saved = (z.read_bytes(os.path.join(folder, "pl1.txt")) == data1 and
             z.read_bytes(os.path.join(folder, "pl2.txt")) == data2)
    full = [k for k, v in passes.items() if len(v) == len(CLIPS)]
    warm, final = passes[full[len(full) // 2]], passes[full[-1]]
    print(f"after cycle 1: {at_start}")
    print(f"after cycle {cycles}: {last}")
    print(f"by clip, after its stop: pass {full[len(full) // 2] + 1} (half way) -> "
          f"pass {full[-1] + 1} (the last full one)")
    growth = {"rss_kb": 0, "threads": 0, "fds": 0}
    for i, name in enumerate(CLIPS):
        print(f"  {name:10} RSS {warm[i]['rss_kb']:7d} -> {final[i]['rss_kb']:7d} kB, threads "
              f"{warm[i]['threads']:2d} -> {final[i]['threads']:2d}, fds {warm[i]['fds']:2d} -> "
              f"{final[i]['fds']:2d}")
        for key in growth:
            growth[key] = max(growth[key], final[i][key] - warm[i][key])
    print(f"largest growth: RSS {growth['rss_kb']} kB, threads {growth['threads']}, "
          f"fds {growth['fds']}")
    print(f"exit code {code}; playlist saved intact: {saved}; "
          f"{time.monotonic() - began:.0f} s for {cycles} cycles")
    problems = failures[:10]
    if growth["rss_kb"] > MAX_RSS_GROWTH_KB:
        problems.append("resident memory grew")
    if growth["threads"] > MAX_THREAD_GROWTH:
        problems.append("threads grew")
    if growth["fds"] > MAX_FD_GROWTH:
        problems.append("file descriptors grew")
    if code != 0 or "ERROR: AddressSanitizer" in log or "runtime error" in log:
        problems.append(f"exit code {code}:\n{log[-3000:]}")
    if not saved:
        problems.append("the playlist files changed")
    for problem in problems:
        print("SOAK FAILURE: " + problem)
    return 1 if problems else 0



def drive(p, trace, cycles):
    """Plays, stops and moves on `cycles` times; returns (failures, figures by pass and clip,
    figures after the first cycle, the start time)."""
    failures = []
    transport = p.toolbar_buttons(z.TOOLBAR1, 5)
    rows = z.wait_until(lambda: (lambda r: r if len(r) >= 5 else None)(p.list_rows()), 20,
                        "the playlist")
    p.click(z.LIST1[0] + 30, rows[0])
    passes = {}
    at_start = None
    began = time.monotonic()
    for cycle in range(cycles):
        mark = len(trace.lines())
        p.click(*transport[0])
        played = trace.wait_for(lambda e: e[2].lower().startswith("play movie"), 60,
                                f"play in cycle {cycle}", mark)
        p.click(*transport[2])
        stopped = trace.wait_for(lambda e: e[2] == "Stop movie", 60,
                                 f"stop in cycle {cycle}", mark)
        if played[0] != 0 or stopped[0] != 0:
            failures.append(f"cycle {cycle}: play {played[0]}, stop {stopped[0]}")
        p.key("Home" if cycle % len(CLIPS) == len(CLIPS) - 1 else "Down")
        figures = z.proc_figures(p.proc.pid)
        if cycle == 0:
            at_start = figures
        # The figures depend on which clip was open last, so each pass is kept by clip and
        # the last full pass is compared with the one after warming up, clip by clip.
        passes.setdefault(cycle // len(CLIPS), {})[cycle % len(CLIPS)] = figures
        if cycle % 50 == 49:
            print(f"cycle {cycle + 1}: {figures}  ({time.monotonic() - began:.0f} s)", flush=True)
    return failures, passes, at_start, began


if __name__ == "__main__":
    sys.exit(main())
