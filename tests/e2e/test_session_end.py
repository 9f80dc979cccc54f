#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The system ends the player (SIGTERM at log-out, SIGHUP when its terminal goes, SIGINT from
Ctrl+C) while it plays: the window closes through the same steps as the Close button, so the
playlist is written back. The files given to it end their lines with a bare LF, so a rewrite
(CR LF after every entry) shows that the save really ran."""

import os
import signal

import zelko_e2e as z


def scenario(ctx):
    paths = [ctx.clip("video.mpg"), ctx.clip("tone.wav")]
    titles = [os.path.basename(p) for p in paths]
    for sig in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT):
        with open(os.path.join(ctx.folder, "pl1.txt"), "wb") as f:
            f.write("".join(t + "\n" for t in titles).encode())
        with open(os.path.join(ctx.folder, "pl2.txt"), "wb") as f:
            f.write("".join(p + "\n" for p in paths).encode())
        trace = z.Trace(os.path.join(ctx.folder, f"{sig.name}.trace"))
        p = ctx.player(extra_env={"ZELKO_MCI_TRACE": trace.path}).start()
        rows = z.wait_until(lambda: (lambda r: r if len(r) == 2 else None)(p.list_rows()), 10,
                            "two entries")
        p.click(z.LIST1[0] + 30, rows[0], count=2)
        trace.wait_for(lambda e: e[2].startswith("play movie") and e[0] == 0, 15, "playback")
        ctx.step(f"{sig.name} while the video plays")
        p.proc.send_signal(sig)
        code = p.proc.wait(30)
        assert code == 0, f"after {sig.name} the player exited with {code}:\n{p.log()}"
        closes = [e for e in trace.lines() if e[2] == "Close All"]
        assert len(closes) >= 2, f"after {sig.name} the devices were not closed"
        want1 = "".join(t + "\r\n" for t in titles).encode()
        want2 = "".join(x + "\r\n" for x in paths).encode()
        assert z.read_bytes(os.path.join(ctx.folder, "pl1.txt")) == want1, "pl1.txt not saved"
        assert z.read_bytes(os.path.join(ctx.folder, "pl2.txt")) == want2, "pl2.txt not saved"


if __name__ == "__main__":
    z.main(scenario)
