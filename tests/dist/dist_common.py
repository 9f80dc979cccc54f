# SPDX-License-Identifier: GPL-3.0-or-later
"""What the install and package tests share: the desktop entry's id, the files that install
under share/, and running a tool with its output kept for the failure message."""

import subprocess

# The id others name the player by (window matching, a media-player bus name): it must not move.
ID = "io.github.zelko.ZelkoPlayer"
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

SHARE_FILES = ([f"applications/{ID}.desktop", f"metainfo/{ID}.metainfo.xml",
                f"mime/packages/{ID}.xml", f"icons/hicolor/scalable/apps/{ID}.svg"] +
               [f"icons/hicolor/{n}x{n}/apps/{ID}.png" for n in ICON_SIZES])


def run(args, env=None, cwd=None, timeout=300):
    """Runs a tool; fails with its output when it exits non-zero. Returns its standard output."""
    done = subprocess.run(args, env=env, cwd=cwd, timeout=timeout, capture_output=True, text=True)
    assert done.returncode == 0, f"{' '.join(args)} exited {done.returncode}:\n{done.stdout}{done.stderr}"
    return done.stdout + done.stderr


def step(text):
    print(text, flush=True)
