# SPDX-License-Identifier: GPL-3.0-or-later
"""Small helpers the window benchmarks share: how a set of runs is told, and what the kernel
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


def thread_cpu_ns(pid):
    """Nanoseconds each thread of the process has run, by thread id, from the scheduler's
    counts (the tick-based figures in /proc/PID/stat are too coarse for a player that uses a
    hundredth of a core)."""
    out = {}
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            out[task] = int(read_text(f"/proc/{pid}/task/{task}/schedstat").split()[0])
        except (OSError, ValueError, IndexError):
            pass
    return out


def cpu_between(before, after):
    """CPU seconds run between two thread_cpu_ns samples: each thread alive at the second
    counts from the first (or from its start); a thread that ended in between is left out."""
    return sum(ns - before.get(task, 0) for task, ns in after.items()) / 1e9


def descendants(pid):
    """pid and every process below it, from the parent links in /proc."""
    parents = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                parents[int(entry)] = int(read_text(f"/proc/{entry}/stat").rsplit(")", 1)[1].split()[1])
            except (OSError, ValueError, IndexError):
                pass
    family, grew = {pid}, True
    while grew:
        below = {p for p, parent in parents.items() if parent in family} - family
        family |= below
        grew = bool(below)
    return family


def tree_cpu_ns(pid):
    """thread_cpu_ns of pid and of its children, keyed by process and thread, so a player that
    decodes in a helper process is counted whole."""
    out = {}
    for member in descendants(pid):
        try:
            out.update({f"{member}/{t}": ns for t, ns in thread_cpu_ns(member).items()})
        except OSError:
            pass
    return out


def thread_switches(pid):
    """Context switches of each thread of the process so far (voluntary and not: every time a
    thread sleeps and is woken again, or is put off the core), by thread id."""
    out = {}
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            fields = dict(line.split(":", 1) for line in
                          read_text(f"/proc/{pid}/task/{task}/status").splitlines() if ":" in line)
            out[task] = int(fields["voluntary_ctxt_switches"]) + int(fields["nonvoluntary_ctxt_switches"])
        except (OSError, KeyError, ValueError):
            pass
    return out


def sample(pids):
    """(cpu, switches) of a set of processes: thread_cpu_ns and thread_switches, keyed by
    process and thread."""
    cpu, ctx = {}, {}
    for pid in pids:
        try:
            cpu.update({f"{pid}/{t}": v for t, v in thread_cpu_ns(pid).items()})
            ctx.update({f"{pid}/{t}": v for t, v in thread_switches(pid).items()})
        except OSError:
            pass
    return cpu, ctx


def rates(before, after, wall):
    """(% of a core, context switches per second) between two samples taken wall seconds
    apart, and how many of the first sample's threads had ended by the second (their counts
    since the first are lost, so a figure with ended threads is low)."""
    cpu = cpu_between(before[0], after[0]) / wall * 100
    ctx = sum(n - before[1].get(task, 0) for task, n in after[1].items()) / wall
    return cpu, ctx, len(set(before[1]) - set(after[1]))
