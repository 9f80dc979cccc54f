#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Real small file systems (tmpfs, mounted by the test, which runs as root): the playlist folder
on a full one, where a save can write nothing, keeps both files byte for byte and says why; and
with a read-only runtime folder, where the usual lock cannot be made, a second player on the same
folder still finds the first and ends. Skipped (exit 77) only where nothing may be mounted."""

import os
import signal
import subprocess

import zelko_e2e as z

SKIPPED = 77


def mount(options, where):
    done = subprocess.run(["mount", "-t", "tmpfs", "-o", options, "zelko-e2e", where],
                          capture_output=True, text=True)
    return done.returncode == 0, done.stderr.strip()


def fill(folder):
    with open(os.path.join(folder, "filler"), "wb", buffering=0) as f:
        try:
            while True:
                f.write(b"x" * 512)
        except OSError:
            pass


def full_disk(ctx, folder):
    titles = [f"tone{i}.wav" for i in range(20)]
    data1, data2 = z.write_playlist(folder, titles, [f"/music/{t}" for t in titles])
    fill(folder)
    p = ctx.player(folder)
    p.log_path = os.path.join(ctx.folder, "full-disk.log")  # not on the full disk
    p.start()
    p.proc.send_signal(signal.SIGTERM)
    assert p.proc.wait(30) == 0, p.log()
    assert z.read_bytes(os.path.join(folder, "pl1.txt")) == data1, "pl1.txt changed"
    assert z.read_bytes(os.path.join(folder, "pl2.txt")) == data2, "pl2.txt changed"
    assert sorted(os.listdir(folder)) == ["filler", "pl1.txt", "pl2.txt"], os.listdir(folder)
    for name in ("pl1.txt", "pl2.txt"):
        line = f"zelko-player: {name} was not saved: No space left on device; the file is left as it was"
        assert line in p.log(), p.log()


def read_only_runtime(ctx, runtime):
    folder = os.path.join(ctx.folder, "shared")
    os.mkdir(folder)
    env = {"XDG_RUNTIME_DIR": runtime}
    first = ctx.player(folder, extra_env=env).start()
    second = subprocess.run([ctx.player_binary], cwd=folder, env=dict(first.env), timeout=60,
                            capture_output=True, text=True)
    assert second.returncode == 1, f"a second player ran on the same folder:\n{second.stderr}"
    assert "another player uses " + folder in second.stderr, second.stderr
    assert first.alive(), first.log()


def scenario(ctx):
    disk = os.path.join(ctx.folder, "disk")
    runtime = os.path.join(ctx.folder, "runtime")
    os.mkdir(disk)
    os.mkdir(runtime)
    mounted, why = mount("size=64k,mode=0755", disk)
    if not mounted:
        print(f"SKIPPED: cannot mount a small tmpfs ({why}); the full-disk cases need root")
        raise SystemExit(SKIPPED)
    try:
        ctx.step("a full file system under the playlist")
        full_disk(ctx, disk)
        assert mount("ro,mode=0700", runtime)[0], "a read-only tmpfs could not be mounted"
        try:
            ctx.step("a read-only runtime folder, two players on one playlist folder")
            read_only_runtime(ctx, runtime)
        finally:
            for p in ctx.players:
                p.stop()
            subprocess.run(["umount", "-l", runtime])
    finally:
        for p in ctx.players:
            p.stop()
        subprocess.run(["umount", "-l", disk])


if __name__ == "__main__":
    z.main(scenario)
