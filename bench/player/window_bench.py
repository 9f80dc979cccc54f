#!/usr/bin/env python3
"""Whole-process figures for the player's window, measured side by side in one run under a
private Xvfb + openbox and a private PulseAudio (null sink):

- CPU per second of playback, the window vs gst-play-1.0 with the same real sinks (X11 video,
  PulseAudio), and vs mpv (same sinks, and --vo=null --ao=null) when mpv is installed, on a
  720p MPEG-2 program stream and an MP3;
- the window's CPU while idle for 20 s;
- open-to-first-frame latency: a double-click on a video entry to its first pixels in Picture1;
- a 32,767-entry playlist: start to a filled list, and Close to exit, each minus the same with
  an empty playlist.

    window_bench.py PLAYER CLIPS_DIR BENCH_MEDIA_DIR [--quick]
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
import zelko_e2e as z  # noqa: E402

ENTRIES = 32767


def cpu_over(pid, seconds):
    """CPU seconds per wall second that the process used over the next `seconds`."""
    c0, t0 = z.cpu_seconds(pid), time.monotonic()
    deadline = t0 + seconds
    while time.monotonic() < deadline:
        time.sleep(min(0.25, deadline - time.monotonic()))
    return (z.cpu_seconds(pid) - c0) / (time.monotonic() - t0)


def window_playback_cpu(binary, x, pulse_env, path, seconds):
    folder = tempfile.mkdtemp(prefix="zelko-bench-")
    try:
        z.write_playlist(folder, [os.path.basename(path)], [path])
        trace = z.Trace(os.path.join(folder, "mci.trace"))
        p = z.Player(binary, folder, x, dict(pulse_env, ZELKO_MCI_TRACE=trace.path)).start()
        try:
            rows = z.wait_until(lambda: p.list_rows(), 10, "the entry")
            p.click(z.LIST1[0] + 30, rows[0], count=2)
            trace.wait_for(lambda e: e[2].lower().startswith("play movie"), 30, "the play")
            # Skip the first half second, where decoders and sinks start.
            time.sleep(0.5)
            return cpu_over(p.proc.pid, seconds)
        finally:
            p.stop()
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def command_playback_cpu(args, env, seconds):
    proc = subprocess.Popen(args, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        time.sleep(0.5)
        if proc.poll() is not None:
            return None
        return cpu_over(proc.pid, seconds)
    finally:
        proc.terminate()
        proc.wait(10)


def idle_cpu(binary, x, clips, seconds):
    folder = tempfile.mkdtemp(prefix="zelko-bench-")
    try:
        names = ["video.mpg", "tone.mp3", "tune.mid"]
        z.write_playlist(folder, names, [os.path.join(clips, n) for n in names])
        p = z.Player(binary, folder, x).start()
        try:
            z.wait_until(lambda: p.list_rows(), 10, "the list")
            return cpu_over(p.proc.pid, seconds)
        finally:
            p.stop()
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def first_frame_latency(binary, x, clips, rounds):
    """Double-click on the video entry to the first bar of its picture in Picture1; between
    rounds an audio entry plays, which shrinks the window and hides the old picture."""
    folder = tempfile.mkdtemp(prefix="zelko-bench-")
    out = []
    try:
        z.write_playlist(folder, ["tone.wav", "video.mpg"],
                         [os.path.join(clips, "tone.wav"), os.path.join(clips, "video.mpg")])
        p = z.Player(binary, folder, x).start()
        try:
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
                out.append(time.monotonic() - began)
        finally:
            p.stop()
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return out


def playlist_times(binary, x, clips, entries, rounds):
    """(start to a filled list, Close to exit) in seconds, medians over rounds."""
    starts, closes = [], []
    for _ in range(rounds):
        folder = tempfile.mkdtemp(prefix="zelko-bench-")
        try:
            tone = os.path.join(clips, "tone.wav")
            z.write_playlist(folder, [f"entry {i:05d}" for i in range(entries)], [tone] * entries)
            p = z.Player(binary, folder, x)
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
            shutil.rmtree(folder, ignore_errors=True)
    return statistics.median(starts), statistics.median(closes)


def main():
    binary, clips, media = (os.path.abspath(a) for a in sys.argv[1:4])
    quick = "--quick" in sys.argv
    play_s = 3.0 if quick else 5.5
    rounds = 2 if quick else 5
    files = {"720p MPEG-2 PS": os.path.join(media, "720p.mpg"),
             "MP3": os.path.join(media, "song.mp3")}
    mpv = shutil.which("mpv")
    print(f"zelko-player: {binary}")
    with z.XServer() as x, z.PulseServer() as pulse:
        pulse_env = {k: pulse.env[k] for k in ("PULSE_SERVER", "PULSE_RUNTIME_PATH")}
        env = dict(x.env, **pulse_env)
        print(f"\nCPU per second of playback ({play_s} s each; 1.00 = one core)")
        for label, path in files.items():
            row = {"window": window_playback_cpu(binary, x, pulse_env, path, play_s),
                   "gst-play-1.0": command_playback_cpu(
                       ["gst-play-1.0", "--no-interactive", "--videosink=ximagesink",
                        "--audiosink=pulsesink", path], env, play_s)}
            if mpv:
                row["mpv x11/pulse"] = command_playback_cpu(
                    [mpv, "--no-config", "--vo=x11", "--ao=pulse", path], env, play_s)
                row["mpv null"] = command_playback_cpu(
                    [mpv, "--no-config", "--vo=null", "--ao=null", path], env, play_s)
            base = row["gst-play-1.0"]
            text = ", ".join(f"{k} {v:.3f}" if v is not None else f"{k} failed"
                             for k, v in row.items())
            ratio = f"; window / gst-play-1.0 = {row['window'] / base:.2f}" if base else ""
            print(f"  {label}: {text}{ratio}")
        idle_s = 5.0 if quick else 20.0
        idle = idle_cpu(binary, x, clips, idle_s)
        print(f"\nwindow idle over {idle_s:.0f} s: {idle * 100:.2f} % of a core")
        latency = first_frame_latency(binary, x, clips, rounds)
        print(f"\ndouble-click to first video pixels in Picture1: median "
              f"{statistics.median(latency) * 1000:.0f} ms "
              f"(of {', '.join(f'{v * 1000:.0f}' for v in latency)} ms)")
        empty = playlist_times(binary, x, clips, 0, 3 if not quick else 1)
        full = playlist_times(binary, x, clips, ENTRIES, 3 if not quick else 1)
        print(f"\n{ENTRIES}-entry playlist: load {full[0] - empty[0]:.3f} s, save and exit "
              f"{full[1] - empty[1]:.3f} s beyond an empty playlist "
              f"(empty: start {empty[0]:.3f} s, close {empty[1]:.3f} s)")


if __name__ == "__main__":
    main()
