#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The X server's side of the scrolling title, counted in instructions (callgrind), for one or
more builds of the player in one run:

    profile_title_server.py MP3 OUT_DIR NAME=PLAYER [NAME=PLAYER ...]

Xvfb runs under callgrind (with openbox and a private PulseAudio); each player plays MP3 in
turn and the server is counted twice: during the second title pass (10.1 to 12.4 s after the
sound stream appears; the pass starts 10 s into playback and lasts about 2.5 s) and in the
quiet stretch after it (12.9 to 14.8 s), where only the timers draw. The difference, per second
and per step of 30 ms, is what the title asks of the server; the callgrind files stay in OUT_DIR.
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
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
import zelko_e2e as z  # noqa: E402
from title_cost import stream_playing  # noqa: E402

PASS = (10.1, 12.4)
QUIET = (12.9, 14.8)
STEP_S = 0.030
PARTS = [("copies (fbCopyArea)", r"^fbCopyArea\b"), ("image puts (fbPutImage)", r"^fbPutImage\b"),
         ("waiting (WaitForSomething)", r"^WaitForSomething\b")]


def control(pid, *args):
    subprocess.run(["callgrind_control", *args, str(pid)], check=True, capture_output=True, timeout=120)


def newest_dump(out_dir, pid, known):
    dumps = set(glob.glob(os.path.join(out_dir, f"callgrind.out.{pid}.*"))) - known
    if not dumps:
        raise RuntimeError("callgrind wrote no dump")
    return max(dumps, key=os.path.getmtime)


def totals(path):
    with open(path, errors="replace") as f:
        for line in f:
            if line.startswith(("totals:", "summary:")):
                return int(line.split()[1])
    return 0


def part_costs(path):
    out = subprocess.run(["callgrind_annotate", "--inclusive=yes", "--threshold=100", path],
                         capture_output=True, text=True).stdout
    costs = {}
    for line in out.splitlines():
        m = re.match(r"\s*([\d,]+)\s+\(\s*[\d.]+%\)\s+\S*?:?(\S+)", line)
        if not m:
            continue
        name = m.group(2).split(":")[-1]
        for label, symbol in PARTS:
            if re.search(symbol, name) and label not in costs:
                costs[label] = int(m.group(1).replace(",", ""))
    return costs


def measure(binary, x, pulse, mp3, out_dir, server):
    env = {k: pulse.env[k] for k in ("PULSE_SERVER", "PULSE_RUNTIME_PATH")}
    folder = tempfile.mkdtemp(prefix="zelko-server-")
    p = z.Player(binary, folder, x, env)
    try:
        z.write_playlist(folder, [os.path.basename(mp3)], [mp3])
        p.start(timeout=300)
        rows = z.wait_until(lambda: p.list_rows(), 120, "the entry", interval=0.5)
        time.sleep(2.0)
        p.click(z.LIST1[0] + 30, rows[0], count=2)
        z.wait_until(lambda: stream_playing(pulse.env), 60, "the sound stream", interval=0.01)
        began = time.monotonic()
        windows = {}
        time.sleep(max(0.0, began + PASS[0] - 1.0 - time.monotonic()))
        control(server, "-i", "on")
        for label, (start, end) in (("pass", PASS), ("quiet", QUIET)):
            time.sleep(max(0.0, began + start - time.monotonic()))
            known = set(glob.glob(os.path.join(out_dir, f"callgrind.out.{server}.*")))
            control(server, "-z")
            t0 = time.monotonic()
            time.sleep(max(0.0, began + end - time.monotonic()))
            control(server, "-d")
            seconds = time.monotonic() - t0
            dump = newest_dump(out_dir, server, known)
            windows[label] = (totals(dump) / seconds, {k: v / seconds for k, v in part_costs(dump).items()})
        control(server, "-i", "off")
        return windows
    finally:
        p.stop()
        shutil.rmtree(folder, ignore_errors=True)


def main():
    mp3, out_dir = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    builds = dict(b.split("=", 1) for b in sys.argv[3:])
    os.makedirs(out_dir, exist_ok=True)
    for old in glob.glob(os.path.join(out_dir, "callgrind.out*")):
        os.remove(old)
    # Counted only while measuring, so the server keeps up with the players' start meanwhile.
    wrapper = ["valgrind", "--tool=callgrind", "--instr-atstart=no", "--compress-strings=no",
               f"--callgrind-out-file={out_dir}/callgrind.out.%p"]
    results = {}
    with z.XServer(size=(800, 600), wrapper=wrapper) as x, z.PulseServer() as pulse:
        server = x.xvfb.pid
        for name, binary in builds.items():
            results[name] = measure(os.path.abspath(binary), x, pulse, mp3, out_dir, server)
    print("the X server, instructions per second (M/s): during a title pass, after it, and the"
          " difference per 30 ms step")
    for name, windows in results.items():
        during, after = windows["pass"][0], windows["quiet"][0]
        print(f"  {name:10} pass {during / 1e6:7.2f}  quiet {after / 1e6:7.2f}  "
              f"title {(during - after) / 1e6:7.2f} M/s = {(during - after) * STEP_S / 1e3:7.1f} k per step")
        for label, _ in PARTS:
            d = windows["pass"][1].get(label, 0)
            q = windows["quiet"][1].get(label, 0)
            print(f"      {label:28} pass {d / 1e6:7.3f}  quiet {q / 1e6:7.3f} M/s")


if __name__ == "__main__":
    main()
