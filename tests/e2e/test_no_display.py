#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Started where no X display can be opened (DISPLAY unset, DISPLAY naming a server that is not
there, a Wayland session without XWayland that asks Qt for Wayland), the player says so itself in
one line on standard error, naming the display it tried, and exits 1: no abort, no core."""

import argparse
import glob
import os
import resource
import subprocess
import tempfile

NEEDS = "Zelko Player needs an X11 server or XWayland"


def free_display():
    """A display number no X server listens on here."""
    n = 99
    while os.path.exists(f"/tmp/.X11-unix/X{n}") or os.path.exists(f"/tmp/.X{n}-lock"):
        n += 1
    return f":{n}"


def start(player, folder, **env):
    clean = {k: v for k, v in os.environ.items()
             if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS")}
    clean.update(env, HOME=folder, XDG_RUNTIME_DIR=folder)
    # Cores allowed, so an abort would leave one behind.
    hard = resource.getrlimit(resource.RLIMIT_CORE)[1]
    allow_cores = lambda: resource.setrlimit(resource.RLIMIT_CORE, (hard, hard))
    return subprocess.run([player], cwd=folder, env=clean, capture_output=True, text=True, timeout=60,
                          preexec_fn=allow_cores)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--player", required=True)
    args, _ = parser.parse_known_args()
    gone = free_display()
    cases = [
        ("DISPLAY unset", {}, "no X display to open: DISPLAY is not set; " + NEEDS),
        (f"DISPLAY={gone}, no server", {"DISPLAY": gone},
         f'cannot open the X display "{gone}" (no X server there accepts a connection); ' + NEEDS),
        ("Wayland without XWayland, Qt asked for Wayland",
         {"WAYLAND_DISPLAY": "wayland-zelko-test", "QT_QPA_PLATFORM": "wayland"},
         "no X display to open: DISPLAY is not set, so this Wayland session (wayland-zelko-test) runs no "
         "XWayland; " + NEEDS),
    ]
    for what, env, said in cases:
        print(what, flush=True)
        with tempfile.TemporaryDirectory(prefix="zelko-nodisplay-") as folder:
            done = start(os.path.abspath(args.player), folder, **env)
            assert done.returncode == 1, f"{what}: exit {done.returncode}\n{done.stderr}"
            assert done.stderr == f"zelko-player: {said}\n", f"{what}: {done.stderr!r}"
            assert not glob.glob(os.path.join(folder, "core*")), f"{what}: a core was left"
    print("PASS")


if __name__ == "__main__":
    main()
