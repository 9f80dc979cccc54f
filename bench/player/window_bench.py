#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Whole-process figures for the player's window, each beside its reference, measured side by
side in one run under a private Xvfb + openbox and a private PulseAudio (null sink):

- CPU per second of playback and peak resident memory, the window vs gst-play-1.0 with the
  same real sinks (X11 images, PulseAudio), and vs mpv (same sinks, and --vo=null --ao=null)
  when mpv is installed, on a 720p MPEG-2 program stream and an MP3: rounds of all of them
  in turn, so a change in the machine's load reaches every one alike;
- the first double-click after start against later ones: `Close All` to `play movie`;
- the window's start (process start to its list on the screen) and its CPU while idle;
- double-click to the first video pixels in Picture1;
- a 32,767-entry playlist: start to a filled list, and Close to exit, each minus the same with
  an empty playlist.

    window_bench.py PLAYER CLIPS_DIR BENCH_MEDIA_DIR [--quick] [--only SECTION,...]

SECTION: playback, first-play, start, first-frame, playlist (all of them by default).
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
import zelko_e2e as z  # noqa: E402
from bench_figures import cpu_between, peak_rss_kb, ratios, read_text, spread, thread_cpu_ns  # noqa: E402

ENTRIES = 32767
# A playing file is measured over one whole period of the title scroller (a pass starts every
# 5 s once playback has begun), from 5.0 s to 9.8 s: the 10 s files have ended just after.
MEASURE_FROM, MEASURE_TO = 5.0, 9.8
MIB = 1024


def cpu_and_peak(pid, began):
    """CPU seconds per wall second over the measured part of the playback that began at
    `began` (monotonic), and the peak resident memory in KiB at its end."""
    wait_until_time(began + MEASURE_FROM)
    c0, t0 = thread_cpu_ns(pid), time.monotonic()
    wait_until_time(began + MEASURE_TO)
    cpu = cpu_between(c0, thread_cpu_ns(pid)) / (time.monotonic() - t0)
    return cpu, peak_rss_kb(pid)


def wait_until_time(when):
    while (left := when - time.monotonic()) > 0:
        time.sleep(min(left, 0.25))


def playback_began(pid, timeout=30):
    """When the process started playing: its audio output thread appears as the pipeline
    prerolls, a few milliseconds before it plays (no trace is written while measuring)."""
    def audio_thread():
        try:
            return any(read_text(f"/proc/{pid}/task/{t}/comm").strip() == "aqueue:src"
                       for t in os.listdir(f"/proc/{pid}/task"))
        except OSError:
            return False
    z.wait_until(audio_thread, timeout, "the audio output thread", interval=0.005)
    return time.monotonic()


def window_playback(binary, x, pulse_env, path):
    folder = tempfile.mkdtemp(prefix="zelko-bench-")
    p = z.Player(binary, folder, x, pulse_env)
    try:
        z.write_playlist(folder, [os.path.basename(path)], [path])
        p.start()
        rows = z.wait_until(lambda: p.list_rows(), 10, "the entry")
        p.click(z.LIST1[0] + 30, rows[0], count=2)
        return cpu_and_peak(p.proc.pid, playback_began(p.proc.pid))
    finally:
        p.stop()
        shutil.rmtree(folder, ignore_errors=True)


def command_playback(args, env):
    proc = subprocess.Popen(args, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        began = time.monotonic()
        wait_until_time(began + 0.3)
        if proc.poll() is not None:
            return None
        return cpu_and_peak(proc.pid, began)
    finally:
        z.terminate(proc)


def playback_section(binary, x, pulse, files, rounds):
    pulse_env = {k: pulse.env[k] for k in ("PULSE_SERVER", "PULSE_RUNTIME_PATH")}
    env = dict(x.env, **pulse_env)
    mpv = shutil.which("mpv")
    print(f"\nCPU per second of playback (1.00 = one core), {MEASURE_FROM:.1f} s to "
          f"{MEASURE_TO:.1f} s into the file, {rounds} rounds of each in turn; median [min-max]")
    for label, path in files.items():
        players = {"window": lambda: window_playback(binary, x, pulse_env, path),
                   "gst-play-1.0": lambda: command_playback(
                       ["gst-play-1.0", "--no-interactive", "--videosink=ximagesink",
                        "--audiosink=pulsesink", path], env)}
        if mpv:
            players["mpv x11/pulse"] = lambda: command_playback(
                [mpv, "--no-config", "--vo=x11", "--ao=pulse", path], env)
            players["mpv null"] = lambda: command_playback(
                [mpv, "--no-config", "--vo=null", "--ao=null", path], env)
        runs = {name: [] for name in players}
        for _ in range(rounds):
            for name, play in players.items():
                runs[name].append(play())
        cpu = {k: [r[0] for r in v if r] for k, v in runs.items()}
        peak = {k: [r[1] for r in v if r] for k, v in runs.items()}
        print(f"  {label}:")
        for name in players:
            print(f"    {name:14} CPU {spread(cpu[name], '.3f')}   peak RSS "
                  f"{spread([v / MIB for v in peak[name]], '.1f')} MiB")
        pairs = [(w[0], g[0]) for w, g in zip(runs["window"], runs["gst-play-1.0"]) if w and g]
        goal = 1.15 if "MPEG" in label else 1.5
        print(f"    window / gst-play-1.0 CPU, round by round: {spread(ratios(pairs), '.2f')} "
              f"(goal <= {goal})")
        if "MPEG" in label:
            extra = [(w[1] - g[1]) / MIB for w, g in zip(runs["window"], runs["gst-play-1.0"])
                     if w and g]
            print(f"    window's peak RSS beyond gst-play-1.0's: {spread(extra, '.1f')} MiB "
                  f"(goal <= 30)")


def watch_trace(path, start, wanted, timeout=30):
    """Reads the trace from byte `start` until lines beginning with each of `wanted` (in that
    order) have come; returns when each came (polled every half millisecond) and the offset."""
    times, pending = [], b""
    deadline = time.monotonic() + timeout
    with open(path, "rb") as f:
        f.seek(start)
        while len(times) < len(wanted):
            chunk = f.read()
            now = time.monotonic()
            pending += chunk
            while b"\n" in pending:
                line, pending = pending.split(b"\n", 1)
                text = line.split(b"\t", 2)[-1].decode(errors="replace").lower()
                if len(times) < len(wanted) and text.startswith(wanted[len(times)]):
                    times.append(now)
            if not chunk:
                if now > deadline:
                    raise z.Timeout(f"timed out waiting for {wanted[len(times)]!r}")
                time.sleep(0.0005)
        return times, f.tell()


def first_play_section(binary, x, pulse, path, starts, later_per_start):
    """`Close All` to `play movie` for the first double-click after start (a second after the
    list shows, as a user reads it first) and for later double-clicks on the same entry."""
    pulse_env = {k: pulse.env[k] for k in ("PULSE_SERVER", "PULSE_RUNTIME_PATH")}
    first, later = [], []
    for _ in range(starts):
        folder = tempfile.mkdtemp(prefix="zelko-bench-")
        trace = os.path.join(folder, "mci.trace")
        p = z.Player(binary, folder, x, dict(pulse_env, ZELKO_MCI_TRACE=trace))
        try:
            z.write_playlist(folder, [os.path.basename(path)], [path])
            p.start()
            rows = z.wait_until(lambda: p.list_rows(), 10, "the entry")
            time.sleep(1.0)
            offset = os.path.getsize(trace) if os.path.exists(trace) else 0
            for i in range(1 + later_per_start):
                p.click(z.LIST1[0] + 30, rows[0], count=2)
                (closed, played), offset = watch_trace(trace, offset, ["close all", "play movie"])
                (later if i else first).append((played - closed) * 1000)
                time.sleep(0.7)
        finally:
            p.stop()
            shutil.rmtree(folder, ignore_errors=True)
    print(f"\nfirst double-click after start vs later ones, `Close All` to `play movie` "
          f"({os.path.basename(path)}; ms, median [min-max])")
    print(f"  first {spread(first, '.0f')} of {starts} starts; later {spread(later, '.0f')}; "
          f"first / later {statistics.median(first) / statistics.median(later):.2f} "
          f"(goal <= 1.2, later < 60 ms)")


def start_and_idle_section(binary, x, clips, starts, idle_s):
    """Process start to the list on the screen, over fresh starts; then the idle CPU."""
    folder = tempfile.mkdtemp(prefix="zelko-bench-")
    shown = []
    try:
        names = ["video.mpg", "tone.mp3", "tune.mid"]
        z.write_playlist(folder, names, [os.path.join(clips, n) for n in names])
        for i in range(starts):
            p = z.Player(binary, folder, x)
            try:
                began = time.monotonic()
                p.start()
                z.wait_until(lambda: len(p.list_rows()) == 3, 10, "the list", interval=0.002)
                shown.append((time.monotonic() - began) * 1000)
                if i == starts - 1:
                    wait_until_time(time.monotonic() + 1.0)  # the warm-up has ended
                    c0, t0 = thread_cpu_ns(p.proc.pid), time.monotonic()
                    wait_until_time(t0 + idle_s)
                    idle = cpu_between(c0, thread_cpu_ns(p.proc.pid)) / (time.monotonic() - t0)
            finally:
                p.stop()
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    print(f"\nstart to the list on the screen: {spread(shown, '.0f')} ms")
    print(f"window idle over {idle_s:.0f} s: {idle * 100:.2f} % of a core (goal < 0.5 %)")


def first_frame_latency(binary, x, clips, rounds):
    """Double-click on the video entry to the first bar of its picture in Picture1; between
    rounds an audio entry plays, which shrinks the window and hides the old picture."""
    folder = tempfile.mkdtemp(prefix="zelko-bench-")
    out = []
    p = z.Player(binary, folder, x)
    try:
        z.write_playlist(folder, ["tone.wav", "video.mpg"],
                         [os.path.join(clips, "tone.wav"), os.path.join(clips, "video.mpg")])
        p.start()
        rows = z.wait_until(lambda: (lambda r: r if len(r) == 2 else None)(p.list_rows()),
                            10, "two entries")
        for _ in range(rounds):
            p.click(z.LIST1[0] + 30, rows[0], count=2)
            p.wait_geometry(lambda g: g[3] == 238, 10, "the audio entry")
            began = time.monotonic()
            p.click(z.LIST1[0] + 30, rows[1], count=2)

            def white_bar():
                shot = p.screenshot()
                return (shot.height >= 499 and
                        z.bar_of(shot.pixel(80, z.PICTURE1_TOP + 40)) == (1, 1, 1))
            z.wait_until(white_bar, 10, "the first video pixels", interval=0.005)
            out.append((time.monotonic() - began) * 1000)
    finally:
        p.stop()
        shutil.rmtree(folder, ignore_errors=True)
    print(f"\ndouble-click to first video pixels in Picture1: {spread(out, '.0f')} ms")


def playlist_times(binary, x, clips, entries, rounds):
    """(start to a filled list, Close to exit) in seconds, medians over rounds."""
    starts, closes = [], []
    for _ in range(rounds):
        folder = tempfile.mkdtemp(prefix="zelko-bench-")
        p = z.Player(binary, folder, x)
        try:
            tone = os.path.join(clips, "tone.wav")
            z.write_playlist(folder, [f"entry {i:05d}" for i in range(entries)], [tone] * entries)
            began = time.monotonic()
            p.start()
            if entries:
                z.wait_until(lambda: p.list_rows(), 30, "the list's rows", interval=0.01)
            starts.append(time.monotonic() - began)
            (cx, cy), = p.toolbar_buttons(z.TOOLBAR3, 1)
            began = time.monotonic()
            p.click(cx, cy)
            p.proc.wait(60)
            closes.append(time.monotonic() - began)
        finally:
            p.stop()
            shutil.rmtree(folder, ignore_errors=True)
    return statistics.median(starts), statistics.median(closes)


def main():
    binary, clips, media = (os.path.abspath(a) for a in sys.argv[1:4])
    quick = "--quick" in sys.argv
    only = sys.argv[sys.argv.index("--only") + 1].split(",") if "--only" in sys.argv else None
    wanted = lambda section: only is None or section in only  # noqa: E731
    files = {"720p MPEG-2 PS": os.path.join(media, "720p.mpg"),
             "MP3": os.path.join(media, "song.mp3")}
    print(f"zelko-player: {binary}; load average {os.getloadavg()[0]:.2f} at the start")
    with z.XServer() as x, z.PulseServer() as pulse:
        if wanted("playback"):
            playback_section(binary, x, pulse, files, 1 if quick else 3)
        if wanted("first-play"):
            first_play_section(binary, x, pulse, files["720p MPEG-2 PS"], 2 if quick else 5, 3)
        if wanted("start"):
            start_and_idle_section(binary, x, clips, 3 if quick else 7, 5.0 if quick else 20.0)
        if wanted("first-frame"):
            first_frame_latency(binary, x, clips, 2 if quick else 5)
        if wanted("playlist"):
            empty = playlist_times(binary, x, clips, 0, 1 if quick else 3)
            full = playlist_times(binary, x, clips, ENTRIES, 1 if quick else 3)
            print(f"\n{ENTRIES}-entry playlist: load {full[0] - empty[0]:.3f} s, save and exit "
                  f"{full[1] - empty[1]:.3f} s beyond an empty playlist "
                  f"(empty: start {empty[0]:.3f} s, close {empty[1]:.3f} s)")
    print(f"load average {os.getloadavg()[0]:.2f} at the end")

if __name__ == "__main__":
    main()
