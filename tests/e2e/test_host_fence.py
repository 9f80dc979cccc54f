#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The engine host holds nothing of the user's. While it plays a video with sound, under a
session bus, calls are made from inside the running host: gdb attaches to it and calls the C
library there, so the host's own fence answers each one. They try to read, list and write in
the user's home, read the playlist files and the window's environment, open IPv4 and IPv6
sockets, connect to the session bus, and read by its path the very file it plays (it holds
only the descriptor the window handed over): every one is refused (or the host killed for
it), while the same calls on the host's own system files and a Unix socket succeed, so the
attempts are real. The host goes on playing after them. In three fences: its own namespaces (bubblewrap);
the fallback asked for with ZELKO_MCI_HOST_FENCE=landlock; and the fallback the kernel forces
when it refuses user namespaces: the player runs in a user namespace of the test's own whose
max_user_namespaces is 0, so bubblewrap meets the refusal a hardened kernel gives (the
machine's own setting is left alone, for the tests running beside this one).

Needs root (gdb attaches to processes in other namespaces); says so and is skipped elsewhere."""

import os
import re
import shutil
import subprocess

import zelko_e2e as z

SKIPPED = 77
# Runs the rest of its command line where no user namespace can be made.
NO_USER_NAMESPACES = ["unshare", "--user", "--map-root-user", "--", "sh", "-c",
                      'echo 0 > /proc/sys/user/max_user_namespaces && exec "$0" "$@"']
# The calls, typed: libc has no debug information for gdb.
OPEN = "((int(*)(const char*, int, ...))open)"
OPENDIR = "((void*(*)(const char*))opendir)"
SOCKET = "((int(*)(int, int, int))socket)"
MALLOC = "((void*(*)(unsigned long))malloc)"
MEMSET = "((void*(*)(void*, int, unsigned long))memset)"
STRCPY = "((char*(*)(char*, const char*))strcpy)"
CONNECT = "((int(*)(int, void*, unsigned int))connect)"
O_WRONLY_CREAT = 0o101
AF_UNIX, AF_INET, AF_INET6 = 1, 2, 10
SOCK_STREAM, SOCK_DGRAM = 1, 2


def connect_to(address):
    """An expression that connects a new Unix socket to a D-Bus address (path= or abstract=)."""
    fields = dict(part.split("=", 1) for part in address.split(":", 1)[1].split(","))
    offset, name = (2, fields["path"]) if "path" in fields else (3, fields["abstract"])
    return (f"($za = {MALLOC}(128), {MEMSET}($za, 0, 128), *(unsigned short*)$za = {AF_UNIX}, "
            f"{STRCPY}((char*)$za + {offset}, \"{name}\"), "
            f"{CONNECT}({SOCKET}({AF_UNIX}, {SOCK_STREAM}, 0), $za, 110))")


def inside(pid, expressions):
    """Evaluates each C expression in process `pid` (on its main thread, which gdb stops and then
    lets go on); returns (value, errno) for each."""
    args = ["gdb", "-p", str(pid), "-batch", "-nx", "-iex", "set auto-solib-add off",
            "-ex", "sharedlibrary libc\\.so", "-ex", "set unwindonsignal on",
            "-ex", "handle SIGSYS nostop noprint pass"]
    for expression in expressions:
        args += ["-ex", f"print (long)({expression})", "-ex", "print *(int*)__errno_location()"]
    out = subprocess.run(args, capture_output=True, text=True, timeout=180).stdout
    values = [int(v) for v in re.findall(r"^\$\d+ = (-?\d+)", out, re.M)]
    assert len(values) == 2 * len(expressions), f"gdb did not make every call:\n{out[-3000:]}"
    return list(zip(values[0::2], values[1::2]))


def attempts(ctx, folder, home, player_pid):
    """(what, expression, refused-when) for each attempt, then the controls that must succeed."""
    bus = os.environ["DBUS_SESSION_BUS_ADDRESS"]
    failed, null = (lambda v: v == -1), (lambda v: v == 0)
    return [
        ("read a file in the home", f'{OPEN}("{home}/secret.txt", 0)', failed),
        ("list the home", f'{OPENDIR}("{home}")', null),
        ("create a file in the home", f'{OPEN}("{home}/planted.txt", {O_WRONLY_CREAT}, 420)', failed),
        ("read the playlist's titles", f'{OPEN}("{folder}/pl1.txt", 0)', failed),
        ("read the playlist's paths", f'{OPEN}("{folder}/pl2.txt", 0)', failed),
        ("read the playing file by its path", f'{OPEN}("{folder}/long.mpg", 0)', failed),
        ("read the window's environment", f'{OPEN}("/proc/{player_pid}/environ", 0)', failed),
        ("open an IPv4 socket", f"{SOCKET}({AF_INET}, {SOCK_STREAM}, 0)", failed),
        ("open an IPv6 socket", f"{SOCKET}({AF_INET6}, {SOCK_DGRAM}, 0)", failed),
        ("connect to the session bus", connect_to(bus), failed),
    ], [
        ("read the General MIDI sound font", f'{OPEN}("/usr/share/sounds/sf2/FluidR3_GM.sf2", 0)',
         lambda v: v >= 0),
        ("list /usr/share", f'{OPENDIR}("/usr/share")', lambda v: v != 0),
        ("open a Unix socket", f"{SOCKET}({AF_UNIX}, {SOCK_STREAM}, 0)", lambda v: v >= 0),
    ]


def play_and_attempt(ctx, pulse, name, extra_env, fence_words, launcher=()):
    folder = os.path.join(ctx.folder, name)
    home = os.path.join(folder, "home")
    os.makedirs(home)
    with open(os.path.join(home, "secret.txt"), "w") as f:
        f.write("the user's own\n")
    # The clip lies beside the playlist, in the user's folder: the host reads it only through
    # the descriptor the window hands over.
    clip = os.path.join(folder, "long.mpg")
    shutil.copy(ctx.clip("long.mpg"), clip)
    z.write_playlist(folder, ["long.mpg"], [clip])
    trace = z.Trace(os.path.join(folder, "mci.trace"))
    env = {k: pulse.env[k] for k in ("PULSE_SERVER", "PULSE_RUNTIME_PATH", "PULSE_STATE_PATH")}
    env.update({"ZELKO_MCI_TRACE": trace.path, "HOME": home,
                "DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"], "ZELKO_MCI_HOST_FENCE": ""},
               **extra_env)
    p = ctx.player(folder, extra_env=env).start(args=[clip], launcher=launcher)
    z.wait_until(lambda: fence_words in p.log(), 20, f"the host to say it runs {fence_words!r}")
    trace.wait_for(lambda e: e[2].lower().startswith("play movie") and e[0] == 0, 20, "the clip playing")
    # Both servers reached: the picture in the window, the sound in the sound server.
    z.wait_until(lambda: z.colour_bars_shown(p.screenshot(), 70, z.PICTURE1_TOP, 320, 240), 20,
                 "the video's colour bars in Picture1")
    z.wait_until(pulse.streams, 10, "the host's sound stream in the sound server")
    host = z.wait_until(lambda: z.engine_host_pid(p.proc.pid), 10, "the engine host")
    ctx.step(f"{name}: host {host} plays; {p.log().strip().splitlines()[-1]}")

    tries, controls = attempts(ctx, folder, home, p.proc.pid)
    results = inside(host, [expression for _, expression, _ in tries + controls])
    for (what, _, refused), (value, error) in zip(tries, results):
        ctx.step(f"  {what}: {value} ({os.strerror(error)})")
        assert refused(value), f"{name}: the host could {what}"
    for (what, _, succeeded), (value, _) in zip(controls, results[len(tries):]):
        assert succeeded(value), f"{name}: the host could not {what}, so the attempts prove nothing"
    assert not os.path.exists(os.path.join(home, "planted.txt")), f"{name}: a file appeared in the home"

    # Still the same host, still answering the window's queries.
    assert z.engine_host_pid(p.proc.pid) == host, f"{name}: the host was lost"
    start = len(trace.lines())
    trace.wait_for(lambda e: e[2].startswith("status movie position") and e[0] == 0, 10,
                   "the host answering after the attempts", start)
    p.stop()


def scenario(ctx):
    with z.PulseServer() as pulse:
        play_and_attempt(ctx, pulse, "namespaces", {}, "fenced in its own namespaces (bubblewrap)")
        play_and_attempt(ctx, pulse, "landlock", {"ZELKO_MCI_HOST_FENCE": "landlock"},
                         "no namespaces: ZELKO_MCI_HOST_FENCE=landlock")
        play_and_attempt(ctx, pulse, "refused", {}, "no namespaces: bubblewrap could not make them",
                         launcher=NO_USER_NAMESPACES)


if __name__ == "__main__":
    if os.geteuid() != 0 or shutil.which("gdb") is None:
        print("skipped: needs root and gdb")
        raise SystemExit(SKIPPED)
    z.main(scenario)
