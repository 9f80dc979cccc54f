#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""`cmake --install` into a temporary prefix: the program, and a desktop entry, AppStream
metainfo, MIME package and icons that pass the validators desktops use. The MIME database built
from the package in a temporary XDG_DATA_HOME maps a .rmi file to the new type, by its name and
by its content, and every offered kind to a type the desktop entry lists."""

import argparse
import configparser
import os
import re
import shutil
import struct
import subprocess
import tempfile

from dist_common import ICON_SIZES, ID, SHARE_FILES, run, step

RIFF_MIDI = "audio/x-riff-midi"
CLIPS = ("tone.mp3", "tone.mp2", "tone.wav", "tune.mid", "tune.rmi", "tone.au", "tone.aiff",
         "video.mpg", "video.avi", "video.vob", "aifc-none.aifc",
         "kind-mp4.mp4", "kind-m4v.m4v", "kind-mov.mov", "kind-3gp.3gp", "kind-aac.m4a", "kind-alac.m4a",
         "kind-av1.mkv", "kind-vorbis.mka", "kind-vp9.webm", "kind-vorbis.ogg", "kind-flac.oga",
         "kind-theora.ogv", "kind-opus.opus", "kind-flac.flac", "kind-wma.wma", "kind-wmv.wmv", "kind-asf.asf",
         "kind-adts.aac", "kind-ac3.ac3")


def content_type(path, data_home=None):
    env = dict(os.environ, XDG_DATA_DIRS="/usr/share")
    env.pop("XDG_DATA_HOME", None)
    if data_home:
        env["XDG_DATA_HOME"] = data_home
    out = run(["gio", "info", "-a", "standard::content-type", path], env=env)
    return re.search(r"standard::content-type: (\S+)", out).group(1)


def check_desktop_entry(share):
    path = os.path.join(share, "applications", ID + ".desktop")
    out = run(["desktop-file-validate", path])
    assert out.strip() == "", f"desktop-file-validate complains:\n{out}"
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(path)
    entry = entry["Desktop Entry"]
    assert entry["Icon"] == ID
    # The menu starts the player with its playlist in the data folder, and hands it the files.
    assert entry["Exec"].split() == ["zelko-player", "--user-playlist", "%F"], entry["Exec"]
    return [t for t in entry["MimeType"].split(";") if t]


def check_mime(share, clips, listed, scratch):
    run(["update-mime-database", os.path.join(share, "mime")])
    rmi = os.path.join(clips, "tune.rmi")
    unnamed = os.path.join(scratch, "tune-without-extension")
    shutil.copy(rmi, unnamed)
    step(f"without the package, tune.rmi is {content_type(rmi)}")
    assert content_type(rmi, share) == RIFF_MIDI, "a .rmi name does not give the type"
    assert content_type(unnamed, share) == RIFF_MIDI, "RIFF....RMID content does not give the type"
    for clip in CLIPS:
        kind = content_type(os.path.join(clips, clip), share)
        step(f"{clip}: {kind}")
        assert kind in listed, f"{clip} is {kind}, which the desktop entry does not offer to open"


def check_icons(share, scratch):
    for n in ICON_SIZES:
        with open(os.path.join(share, f"icons/hicolor/{n}x{n}/apps/{ID}.png"), "rb") as f:
            header = f.read(24)
        assert header[:8] == b"\x89PNG\r\n\x1a\n" and struct.unpack(">II", header[16:24]) == (n, n), n
    # The SVG is the same design as the PNGs: drawn at 256 pixels it matches the 256 PNG.
    drawn = os.path.join(scratch, "svg256.png")
    run(["rsvg-convert", "-w", "256", "-h", "256", "-o", drawn,
         os.path.join(share, f"icons/hicolor/scalable/apps/{ID}.svg")])
    png = os.path.join(share, f"icons/hicolor/256x256/apps/{ID}.png")
    done = subprocess.run(["compare", "-metric", "RMSE", png, drawn, "null:"], capture_output=True, text=True)
    error = float(re.search(r"\(([0-9.e-]+)\)", done.stderr).group(1))
    step(f"SVG against the 256-pixel PNG: RMSE {error:.4f}")
    assert error < 0.05, f"the SVG and the PNG icons differ (RMSE {error})"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--clips", required=True)
    args = parser.parse_args()
    scratch = tempfile.mkdtemp(prefix="zelko-install-")
    try:
        prefix = os.path.join(scratch, "prefix")
        run(["cmake", "--install", args.build, "--prefix", prefix])
        share = os.path.join(prefix, "share")
        assert os.access(os.path.join(prefix, "bin", "zelko-player"), os.X_OK), "no bin/zelko-player"
        assert os.access(os.path.join(prefix, "libexec", "zelko-player", "zelko-mci-host"), os.X_OK), \
            "no libexec/zelko-player/zelko-mci-host"
        missing = [f for f in SHARE_FILES if not os.path.isfile(os.path.join(share, f))]
        assert not missing, f"not installed: {missing}"

        listed = check_desktop_entry(share)
        run(["appstreamcli", "validate", "--no-net", os.path.join(share, "metainfo", ID + ".metainfo.xml")])
        check_mime(share, args.clips, listed, scratch)
        check_icons(share, scratch)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("PASS")


if __name__ == "__main__":
    main()
