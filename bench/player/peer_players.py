# SPDX-License-Identifier: GPL-3.0-or-later
"""The players bench/peers measures, each started, paused and closed the way a user does it:
the window with a double-click in its playlist and its Pause button, gst-play-1.0 from a
terminal and the space key on it, parole and mpv with the space key in their windows. What the
sound server says of their streams tells whether they play or are paused."""

import os
import pty
import shutil
import subprocess
import tempfile

import zelko_e2e as z


def install_peers():
    """parole and mpv, with apt, where they are missing."""
    missing = [p for p in ("parole", "mpv") if not shutil.which(p)]
    if not missing:
        return
    sudo = [] if os.geteuid() == 0 else ["sudo"]
    print(f"installing {' '.join(missing)} with apt ...", flush=True)
    subprocess.run(sudo + ["apt-get", "install", "-y", "--no-install-recommends", *missing],
                   check=True, stdout=subprocess.DEVNULL)


class SessionBus:
    """A private session bus (dbus-daemon), so players that offer MPRIS or keep settings on the
    bus do so as on a desktop, without reaching the caller's."""

    def __enter__(self):
        self.proc = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.address = self.proc.stdout.readline().strip()
        if not self.address:
            raise RuntimeError("dbus-daemon named no address")
        return self

    def __exit__(self, *exc):
        z.terminate(self.proc)


def corked(pulse_env):
    """Whether each stream into the sound server is paused (corked), in the server's order. A
    GStreamer or mpv player pauses its stream rather than ending it."""
    out = subprocess.run(["pactl", "list", "sink-inputs"], env=pulse_env,
                         capture_output=True, text=True).stdout
    return [line.split(":", 1)[1].strip() == "yes"
            for line in out.splitlines() if line.strip().startswith("Corked:")]


def sounding(pulse_env):
    """A stream plays (is not paused)."""
    return not all(corked(pulse_env))


def all_paused(pulse_env):
    """There are streams, and every one is paused."""
    state = corked(pulse_env)
    return bool(state) and all(state)


class Window:
    """The player's window: the file double-clicked in its playlist, paused with the transport
    bar's Pause button (its second, found by its caption on the screen before the file plays)."""

    def __init__(self, binary, x, env):
        self.binary, self.x, self.env = binary, x, env
        self.folder, self.player = None, None

    def start(self, path):
        self.folder = tempfile.mkdtemp(prefix="zelko-peers-")
        self.player = z.Player(self.binary, self.folder, self.x, self.env)
        z.write_playlist(self.folder, [os.path.basename(path)], [path])
        self.player.start()
        rows = z.wait_until(lambda: self.player.list_rows(), 10, "the entry")
        self.pause_button = self.player.toolbar_buttons(z.TOOLBAR1, 5)[1]
        self.player.click(z.LIST1[0] + 30, rows[0], count=2)
        return self.player.proc.pid

    def alive(self):
        return self.player.alive()

    def pause(self):
        self.player.click(*self.pause_button)

    def close(self):
        if self.player:
            self.player.stop()
        if self.folder:
            shutil.rmtree(self.folder, ignore_errors=True)


class Peer:
    """Another player, with a home of its own so it starts with its default settings. One run
    from a terminal (terminal=True) has a pty for its standard input and is paused by the space
    key on it; the others are paused by the space key in their window. Their output goes
    nowhere."""

    def __init__(self, args, env, terminal=False):
        self.args, self.terminal = args, terminal
        self.home = tempfile.mkdtemp(prefix="zelko-peers-home-")
        self.env = dict(env, HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        XDG_DATA_HOME=os.path.join(self.home, ".local/share"),
                        XDG_CACHE_HOME=os.path.join(self.home, ".cache"))
        self.keyboard, self.proc = None, None

    def start(self, path):
        stdin = subprocess.DEVNULL
        if self.terminal:
            self.keyboard, stdin = pty.openpty()
        try:
            self.proc = subprocess.Popen(self.args + [path], env=self.env, stdin=stdin,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                         start_new_session=True)
        finally:
            if self.terminal:
                os.close(stdin)
        return self.proc.pid

    def alive(self):
        return self.proc.poll() is None

    def pause(self):
        if self.terminal:
            os.write(self.keyboard, b" ")
            return
        window = z.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(self.proc.pid)],
                       self.env).stdout.split()[0]
        z.run(["xdotool", "windowactivate", "--sync", window], self.env)
        z.run(["xdotool", "key", "space"], self.env)

    def close(self):
        z.terminate(self.proc)
        if self.keyboard is not None:
            os.close(self.keyboard)
        shutil.rmtree(self.home, ignore_errors=True)


def players(binary, x, env):
    """Each player's name and how to make one ready to start."""
    return {
        "this window": lambda: Window(binary, x, env),
        "gst-play-1.0": lambda: Peer(["gst-play-1.0", "--videosink=ximagesink",
                                      "--audiosink=pulsesink"], env, terminal=True),
        "parole": lambda: Peer(["parole"], env),
        "mpv": lambda: Peer(["mpv", "--no-config", "--vo=x11", "--ao=pulse", "--force-window=yes"], env),
    }
