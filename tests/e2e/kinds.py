# SPDX-License-Identifier: GPL-3.0-or-later
"""The files people have today, one of each kind, as scripts/make-clips writes them with ffmpeg,
and what the end-to-end tests of the kinds share about them."""

import os

# file, length in seconds (ffprobe's; the player's within 0.05 s of it), picture
KINDS = [
    ("kind-mp4.mp4", 2.0, True), ("kind-m4v.m4v", 2.0, True), ("kind-mov.mov", 2.0, True),
    ("kind-3gp.3gp", 2.0, True), ("kind-aac.m4a", 2.0, False), ("kind-alac.m4a", 2.0, False),
    ("kind-surround.m4a", 2.0, False), ("kind-av1.mkv", 2.008, True), ("kind-hevc10.mkv", 2.023, True),
    ("kind-subtitles.mkv", 2.023, True), ("kind-vorbis.mka", 2.003, False), ("kind-vp9.webm", 2.008, True),
    ("kind-vorbis.ogg", 2.0, False), ("kind-flac.oga", 2.0, False), ("kind-theora.ogv", 2.0, True),
    ("kind-opus.opus", 2.0, False), ("kind-flac.flac", 2.0, False), ("kind-wma.wma", 2.042, False),
    ("kind-wmv.wmv", 2.046, True), ("kind-asf.asf", 2.046, True), ("kind-adts.aac", 2.043, False),
    ("kind-ac3.ac3", 2.02, False),
]

# Where the window puts a 320x240 picture: centred below the normal form, 15 twips a pixel.
PICTURE = (3450 // 15 - 160, 238, 320, 240)
# The form's height with a picture of that height below it and the 315-twip margin.
FORM_HEIGHT_WITH_PICTURE = 238 + 240 + 21


def paths(ctx):
    return [ctx.clip(name) for name, _, _ in KINDS]


def opened(trace, path, what, start=0):
    """Waits for a successful open of path, then a successful play, from index start on; returns
    the index of the play."""
    entry = trace.wait_for(lambda e: e[2].startswith(f"open {path} "), 20, f"{what}: the open", start)
    assert entry[0] == 0, f"{what}: the open answered {entry[0]}"
    at = trace.lines().index(entry, start)
    entry = trace.wait_for(lambda e: e[2].startswith("play movie"), 20, f"{what}: the play", at)
    assert entry[0] == 0, f"{what}: the play answered {entry[0]}"
    return trace.lines().index(entry, at)


def entries_file(folder, name):
    """The lines of pl1.txt or pl2.txt, without their CR LF."""
    with open(os.path.join(folder, name), "rb") as f:
        return [line for line in f.read().decode().split("\r\n") if line]
