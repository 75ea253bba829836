#!/usr/bin/env python3
"""From a measuring command to the still frame shown, on a compositor without layer shell
(mutter), read from Spanlet's own trace (SPANLET_TRACE).

  latency_stillframe.py <spanlet> <remote_input> <trace> <runs> X,Y

Each run sends `spanlet --command toggleSnapping` and waits for the first live measurement on
the frame, then ends measuring with the same command (Spanlet handles commands in the order
sent). The frame is shown by then: a still-frame window measures from the moment the compositor
puts it under the pointer (its pointer enter), on the frame it shows. While it waits the pointer
(the remote input, at X,Y) moves by one pixel and back, so that a measurement follows at once.
Prints p50/p95 of command sent -> first live measurement on the frame, and how much of that the
command-line client took to start and hand the command over.

Both clocks are CLOCK_MONOTONIC, so the trace's times compare with ours.
"""
import subprocess
import sys
import time

# The pointer driver's protocol and the percentiles, as the Wayland latency driver has them.
from latency_wayland import percentile, send, start


def report(what, values):
    print(f"  {what}: p50 {percentile(values, 50):.1f} ms, p95 {percentile(values, 95):.1f} ms "
          f"({len(values)} runs)")


def wait_for(trace, pointer, at, after):
    """The time (ns) of the first live measurement published after `after`, read as the trace
    grows; None when none came within 10 s."""
    nudge = 0
    last_nudge = time.monotonic()
    deadline = last_nudge + 10
    while time.monotonic() < deadline:
        line = trace.readline()
        if not line:
            if time.monotonic() - last_nudge > 0.05:
                nudge = 1 - nudge
                send(pointer, f"move {at[0] + nudge} {at[1]}")
                last_nudge = time.monotonic()
            time.sleep(0.0005)
            continue
        fields = line.split()
        if len(fields) == 4 and fields[0] == "published" and int(fields[3]) > after:
            return int(fields[3])
    return None


def command(spanlet):
    subprocess.run([spanlet, "--command", "toggleSnapping"], check=True)


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    spanlet, driver, trace_path, runs = sys.argv[1:5]
    at = tuple(float(v) for v in sys.argv[5].split(","))
    pointer = start(driver)
    send(pointer, f"move {at[0]} {at[1]}")
    measured, client = [], []
    missed = 0
    with open(trace_path) as trace:
        trace.seek(0, 2)
        for _ in range(int(runs)):
            sent = time.monotonic_ns()
            command(spanlet)
            client.append((time.monotonic_ns() - sent) / 1e6)
            published = wait_for(trace, pointer, at, sent)
            if published is None:
                missed += 1
            else:
                measured.append((published - sent) / 1e6)
            command(spanlet)
    if not measured:
        sys.exit("latency_stillframe: nothing measured on a frame")
    print(f"  {runs} runs, {missed} without a measurement on the frame within 10 s")
    report("command -> first live measurement on the frame", measured)
    report("  of which the command-line client, started to exited", client)


if __name__ == "__main__":
    main()
