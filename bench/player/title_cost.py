#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""What the scrolling title costs the playing window, one build beside another in one run:
while an MP3 plays (its title scrolls one pass every 5 s), the CPU and the context switches per
second of the window's own process, of its engine host and of the X server, over SECONDS from
the moment the sound stream appears, in rounds of every build in turn so a change in the
machine's load reaches all of them alike.

    title_cost.py MP3 NAME=PLAYER [NAME=PLAYER ...] [--rounds N] [--seconds S] [--shots DIR]
                  [--parole] [--from S]

Each player runs in the same private Xvfb with openbox and a PulseAudio of its own with one
null sink. Context switches are the kernel's counts (voluntary and not) summed over each
process's threads: every time a thread sleeps and is woken again is one. --shots writes a
picture of the title strip every 0.4 s of the second pass of the first round, per build.
--from starts counting S seconds after the sound stream appears (0 by default; 8 leaves out
the first title pass, which makes the title's frames). --parole measures parole (a GTK/GStreamer desktop player, installed with apt where missing) in
the same rounds, its process and its children as one, beside each build's window and host.
"""

import argparse
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
from bench_figures import cpu_between, descendants, sample, spread  # noqa: E402

STRIP = (224, 49, 232, 35)  # Picture2 in the window, pixels


def stream_playing(pulse_env):
    out = subprocess.run(["pactl", "list", "short", "sink-inputs"], env=pulse_env,
                         capture_output=True, text=True).stdout
    return bool(out.strip())


def shoot(player, x, folder, name):
    """The title strip of the second pass (it starts 10 s into playback), every 0.4 s."""
    os.makedirs(folder, exist_ok=True)
    for i in range(7):
        path = os.path.join(folder, f"{name}-{i}.png")
        subprocess.run(["import", "-window", player.wid, "-crop",
                        f"{STRIP[2]}x{STRIP[3]}+{STRIP[0]}+{STRIP[1]}", path], env=x.env, check=False)
        time.sleep(0.4)


def play(binary, x, pulse, mp3, seconds, shots=None, name="", start=0.0):
    env = {k: pulse.env[k] for k in ("PULSE_SERVER", "PULSE_RUNTIME_PATH")}
    folder = tempfile.mkdtemp(prefix="zelko-title-")
    p = z.Player(binary, folder, x, env)
    try:
        z.write_playlist(folder, [os.path.basename(mp3)], [mp3])
        p.start()
        rows = z.wait_until(lambda: p.list_rows(), 30, "the entry")
        time.sleep(1.0)  # the engine host has started and readied its plugins
        p.click(z.LIST1[0] + 30, rows[0], count=2)
        z.wait_until(lambda: stream_playing(pulse.env), 30, "the sound stream", interval=0.01)
        began = time.monotonic()
        time.sleep(start)
        window = p.proc.pid
        host = descendants(window) - {window}
        server = x.xvfb.pid
        before = {k: sample(v) for k, v in (("window", [window]), ("host", host), ("X server", [server]))}
        t0 = time.monotonic()
        if shots:
            time.sleep(max(0.0, began + 10.2 - time.monotonic()))
            shoot(p, x, shots, name)
        time.sleep(max(0.0, t0 + seconds - time.monotonic()))
        after = {k: sample(v) for k, v in (("window", [window]), ("host", host), ("X server", [server]))}
        wall = time.monotonic() - t0
        if not p.alive():
            raise RuntimeError("the player ended:\n" + p.log())
        figures = {}
        for part in before:
            cpu = cpu_between(before[part][0], after[part][0]) / wall * 100
            ctx = sum(v - before[part][1].get(k, 0) for k, v in after[part][1].items()) / wall
            figures[part] = (cpu, ctx)
        return figures
    finally:
        p.stop()
        shutil.rmtree(folder, ignore_errors=True)


def play_parole(x, pulse, mp3, seconds, start=0.0):
    """parole on the MP3, with a session bus of its own (it keeps its settings there), which is
    not counted with it."""
    env = dict(x.env, **{k: pulse.env[k] for k in ("PULSE_SERVER", "PULSE_RUNTIME_PATH")})
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
    home = tempfile.mkdtemp(prefix="zelko-title-parole-")
    env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_DATA_HOME=os.path.join(home, ".local/share"), XDG_CACHE_HOME=os.path.join(home, ".cache"))
    proc = subprocess.Popen(["parole", mp3], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        z.wait_until(lambda: stream_playing(pulse.env), 30, "parole's sound stream", interval=0.01)
        time.sleep(start)
        family = descendants(proc.pid)
        before = (sample(family), sample([x.xvfb.pid]))
        t0 = time.monotonic()
        time.sleep(seconds)
        after = (sample(family), sample([x.xvfb.pid]))
        wall = time.monotonic() - t0
        figures = {}
        for part, b, a in (("whole", before[0], after[0]), ("X server", before[1], after[1])):
            figures[part] = (cpu_between(b[0], a[0]) / wall * 100,
                             sum(v - b[1].get(k, 0) for k, v in a[1].items()) / wall)
        return figures
    finally:
        z.terminate(proc)
        z.terminate(bus)
        shutil.rmtree(home, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mp3")
    parser.add_argument("builds", nargs="+", help="NAME=PLAYER")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--seconds", type=float, default=20.0)
    parser.add_argument("--shots")
    parser.add_argument("--parole", action="store_true")
    parser.add_argument("--from", dest="start", type=float, default=0.0)
    args = parser.parse_args()
    if args.parole and not shutil.which("parole"):
        sudo = [] if os.geteuid() == 0 else ["sudo"]
        subprocess.run(sudo + ["apt-get", "install", "-y", "--no-install-recommends", "parole"], check=True,
                       stdout=subprocess.DEVNULL)
    builds = dict(b.split("=", 1) for b in args.builds)
    print(f"load average {os.getloadavg()[0]:.2f} at the start; {args.rounds} rounds of "
          f"{args.seconds:.0f} s of {os.path.basename(args.mp3)}, from {args.start:.0f} s after its first "
          f"sound", flush=True)
    runs = {name: [] for name in builds}
    peer = []
    with z.XServer() as x, z.PulseServer() as pulse:
        for r in range(args.rounds):
            for name, binary in builds.items():
                shots = args.shots if r == 0 else None
                runs[name].append(play(os.path.abspath(binary), x, pulse, os.path.abspath(args.mp3),
                                       args.seconds, shots, name, args.start))
                f = runs[name][-1]
                print(f"  round {r + 1} {name}: " + "; ".join(
                    f"{part} {cpu:.2f} % {ctx:.0f}/s" for part, (cpu, ctx) in f.items()), flush=True)
            if args.parole:
                peer.append(play_parole(x, pulse, os.path.abspath(args.mp3), args.seconds, args.start))
                print(f"  round {r + 1} parole: " + "; ".join(
                    f"{part} {cpu:.2f} % {ctx:.0f}/s" for part, (cpu, ctx) in peer[-1].items()), flush=True)
    print(f"\n% of a core and context switches per second, median [min-max] of {args.rounds}:")
    for part in ("window", "host", "X server"):
        print(f"  {part}:")
        for name in builds:
            cpu = [f[part][0] for f in runs[name]]
            ctx = [f[part][1] for f in runs[name]]
            print(f"    {name:10} CPU {spread(cpu, '.2f')} %   switches {spread(ctx, '.0f')} /s")
    print("  window and host together, beside parole (its process and children):")
    for name in builds:
        cpu = [f["window"][0] + f["host"][0] for f in runs[name]]
        ctx = [f["window"][1] + f["host"][1] for f in runs[name]]
        print(f"    {name:10} CPU {spread(cpu, '.2f')} %   switches {spread(ctx, '.0f')} /s")
    if peer:
        print(f"    {'parole':10} CPU {spread([f['whole'][0] for f in peer], '.2f')} %   "
              f"switches {spread([f['whole'][1] for f in peer], '.0f')} /s   (X server "
              f"{spread([f['X server'][0] for f in peer], '.2f')} %, "
              f"{spread([f['X server'][1] for f in peer], '.0f')} /s)")
    print(f"load average {os.getloadavg()[0]:.2f} at the end")


if __name__ == "__main__":
    main()
