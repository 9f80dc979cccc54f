#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""`cpack -G DEB` makes zelko-player_<version>_<arch>.deb: its Depends name the libraries the
program links and what playback loads at run time on Debian 12, it holds the files that
`cmake --install` installs, under /usr, with the licence, changelog and manual page where Debian
keeps them, the program in it runs, and lintian finds no error and at most one warning."""

import argparse
import glob
import os
import re
import gzip
import shutil
import subprocess
import tempfile

from dist_common import ID, SHARE_FILES, run, step

# Each group is satisfied by any one of its packages (a Depends alternative).
NEEDED = [
    ["libqt6widgets6"], ["libqt6network6"], ["libgstreamer1.0-0"], ["libgstreamer-plugins-base1.0-0"],
    ["gstreamer1.0-plugins-base"], ["gstreamer1.0-plugins-good"], ["gstreamer1.0-plugins-bad"],
    ["gstreamer1.0-plugins-ugly"], ["gstreamer1.0-libav"], ["gstreamer1.0-x"],
    ["gstreamer1.0-pulseaudio", "gstreamer1.0-alsa"], ["fluid-soundfont-gm"],
]


def depends(deb):
    """The Depends field as groups of package names, versions dropped."""
    field = run(["dpkg-deb", "-f", deb, "Depends"])
    return [[re.sub(r"\s*\(.*\)", "", alt).strip() for alt in group.split("|")]
            for group in field.strip().split(",")]


def lintian(deb):
    """lintian's errors and warnings on the package, as its tag lines."""
    done = subprocess.run(["lintian", "--tag-display-limit", "0", deb], capture_output=True, text=True, timeout=300)
    step(done.stdout + done.stderr)
    assert done.returncode in (0, 1, 2), f"lintian did not run:\n{done.stderr}"
    tags = [line for line in done.stdout.splitlines() if re.match(r"[EW]: ", line)]
    return [t for t in tags if t.startswith("E: ")], [t for t in tags if t.startswith("W: ")]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    scratch = tempfile.mkdtemp(prefix="zelko-package-")
    try:
        run(["cpack", "-G", "DEB", "-B", scratch, "--config", os.path.join(args.build, "CPackConfig.cmake")])
        arch = run(["dpkg", "--print-architecture"]).strip()
        debs = glob.glob(os.path.join(scratch, "*.deb"))
        assert [os.path.basename(d) for d in debs] == [f"zelko-player_1.0-1_{arch}.deb"], debs
        deb = debs[0]
        step(run(["dpkg-deb", "-I", deb]))

        groups = depends(deb)
        for needed in NEEDED:
            assert any(set(needed) & set(group) for group in groups), f"Depends lacks {' | '.join(needed)}"

        listing = run(["dpkg-deb", "-c", deb])
        paths = {line.split()[-1] for line in listing.splitlines()}
        docs = ["doc/zelko-player/copyright", "doc/zelko-player/changelog.Debian.gz", "man/man1/zelko-player.1.gz"]
        wanted = {"./usr/bin/zelko-player", "./usr/libexec/zelko-player/zelko-mci-host"} | {"./usr/share/" + f for f in SHARE_FILES + docs}
        assert wanted <= paths, f"missing from the package: {sorted(wanted - paths)}"
        assert not [p for p in paths if "/usr/local/" in p or "/tests/" in p], "stray files in the package"

        root = os.path.join(scratch, "root")
        run(["dpkg-deb", "-x", deb, root])
        version = run([os.path.join(root, "usr/bin/zelko-player"), "--version"]).strip()
        assert version == "zelko-player 1.0", version
        run(["desktop-file-validate", os.path.join(root, f"usr/share/applications/{ID}.desktop")])
        maintainer = run(["dpkg-deb", "-f", deb, "Maintainer"]).strip()
        assert re.fullmatch(r"[^<>]+ <[^@<>\s]+@[^@<>\s]+\.[a-z]+>", maintainer), maintainer
        with open(os.path.join(root, "usr/share/doc/zelko-player/copyright")) as f:
            assert "License: GPL-3.0-or-later" in f.read()
        with gzip.open(os.path.join(root, "usr/share/man/man1/zelko-player.1.gz"), "rt") as f:
            manual = f.read().replace("\\-", "-")
        for said in ("--playlist-dir", "--user-playlist", "pl1.txt", "pl2.txt", "F1", "F4", "Esc"):
            assert said in manual, f"the manual page does not name {said}"

        errors, warnings = lintian(deb)
        assert not errors and len(warnings) <= 1, f"lintian: {errors + warnings}"
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("PASS")


if __name__ == "__main__":
    main()
