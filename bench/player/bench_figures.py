"""Small helpers the window benchmark shares: how a set of runs is told, and what the kernel
says of a process."""

import os
import statistics


def spread(values, fmt):
    """'median [min-max]' of the values, or 'failed' when there are none."""
    if not values:
        return "failed"
    if len(values) == 1:
        return format(values[0], fmt)
    return (f"{format(statistics.median(values), fmt)} "
            f"[{format(min(values), fmt)}-{format(max(values), fmt)}]")


def ratios(pairs):
    """a / b of each (a, b) pair measured side by side, where b is not 0."""
    return [a / b for a, b in pairs if b]


def read_text(path):
    with open(path) as f:
        return f.read()


def peak_rss_kb(pid):
    """The largest resident memory the process has had (VmHWM), in KiB."""
    for line in read_text(f"/proc/{pid}/status").splitlines():
        if line.startswith("VmHWM:"):
            return int(line.split()[1])
    return 0


def cpu_seconds(pid):
    """CPU seconds the process's threads have run, from the scheduler's nanosecond counts
    (the tick-based figures in /proc/PID/stat are too coarse for a player that uses a
    hundredth of a core). Threads that ended are left out: a playing pipeline keeps its own."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            total += int(read_text(f"/proc/{pid}/task/{task}/schedstat").split()[0])
        except (OSError, ValueError, IndexError):
            pass
    return total / 1e9
