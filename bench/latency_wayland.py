#!/usr/bin/env python3
"""Edge-snapping latency on a Wayland compositor, driven through a test pointer (a program
that says "ready", then answers "ok" to each "move X Y" line once the compositor has it:
tests/wayland/virtual_input on sway, tests/kwin/fake_input on KWin) and read from Spanlet's
own trace (SPANLET_TRACE).

  latency_wayland.py measure <pointer> <trace> <moves> X,Y [X,Y ...]
      moves the pointer <moves> times from one point to the next; prints p50/p95/p99 of
      processing (Spanlet sees the move -> live measurement published), split into Spanlet's
      own work and the compositor's time to copy (its "asked" to "copied" marks), and end to
      end (the move sent to the compositor -> published), then their p95s on one line
      "p95 <processing> <own> <compositor's> <end to end>".
  latency_wayland.py move <pointer> <seconds> <hz> X,Y [X,Y ...]
      moves the pointer at <hz> for <seconds>, one point after the other.

Both clocks are CLOCK_MONOTONIC, so the trace's times compare with ours.
"""
import math
import subprocess
import sys
import time


def start(driver):
    pointer = subprocess.Popen([driver], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    if pointer.stdout.readline().strip() != "ready":
        sys.exit("latency_wayland: the virtual pointer did not start")
    return pointer


def send(pointer, line):
    pointer.stdin.write(line + "\n")
    pointer.stdin.flush()
    answer = pointer.stdout.readline().strip()
    if answer != "ok":
        sys.exit(f"latency_wayland: '{line}' answered '{answer}'")


def points(args):
    return [tuple(float(v) for v in a.split(",")) for a in args]


def percentile(values, p):
    ordered = sorted(values)
    return ordered[max(0, math.ceil(p / 100 * len(ordered)) - 1)]


def report(what, values):
    print(f"  {what}: p50 {percentile(values, 50):.2f} ms, p95 {percentile(values, 95):.2f} ms, "
          f"p99 {percentile(values, 99):.2f} ms")


def published_after(trace, x, y, deadline):
    """The (moved, published, waited) times of the measurement at (x, y), read as the trace
    grows; waited is how long its copies took the compositor (first "asked" to last "copied")."""
    moved = asked = copied = None
    while time.monotonic() < deadline:
        line = trace.readline()
        if not line:
            time.sleep(0.0005)
            continue
        fields = line.split()
        if len(fields) != 4:
            continue
        if fields[0] == "asked" and moved is not None and asked is None:
            asked = int(fields[3])
        elif fields[0] == "copied" and asked is not None:
            copied = int(fields[3])
        elif abs(float(fields[1]) - x) > 0.01 or abs(float(fields[2]) - y) > 0.01:
            continue
        elif fields[0] == "moved":
            moved, asked, copied = int(fields[3]), None, None
        elif fields[0] == "published" and moved is not None:
            waited = copied - asked if copied is not None else 0
            return moved, int(fields[3]), waited
    return None


def measure(driver, trace_path, moves, targets):
    pointer = start(driver)
    processing, own, waited, end_to_end, missed = [], [], [], [], 0
    with open(trace_path) as trace:
        trace.seek(0, 2)
        for i in range(moves):
            x, y = targets[i % len(targets)]
            sent = time.monotonic_ns()
            send(pointer, f"move {x} {y}")
            times = published_after(trace, x, y, time.monotonic() + 0.5)
            if times is None:
                missed += 1
                continue
            processing.append((times[1] - times[0]) / 1e6)
            waited.append(times[2] / 1e6)
            own.append((times[1] - times[0] - times[2]) / 1e6)
            end_to_end.append((times[1] - sent) / 1e6)
            time.sleep(0.02)  # the next move a frame or so later, as a hand would
    if not processing:
        sys.exit("latency_wayland: nothing published in the trace")
    print(f"{moves} moves, {missed} without a publication within 500 ms")
    report("processing (pointer event seen -> live measurement published)", processing)
    report("  of which Spanlet's own work", own)
    report("  of which the compositor's, from asking for the copies to having them", waited)
    report("end to end (virtual pointer move sent -> live measurement published)", end_to_end)
    print("p95 " + " ".join(f"{percentile(v, 95):.3f}" for v in (processing, own, waited, end_to_end)))


def move(driver, seconds, hz, targets):
    pointer = start(driver)
    period = 1 / hz
    begin = time.monotonic()
    i = 0
    while time.monotonic() - begin < seconds:
        x, y = targets[i % len(targets)]
        send(pointer, f"move {x} {y}")
        i += 1
        pause = begin + i * period - time.monotonic()
        if pause > 0:
            time.sleep(pause)


def main():
    args = sys.argv[1:]
    if len(args) >= 5 and args[0] == "measure":
        measure(args[1], args[2], int(args[3]), points(args[4:]))
    elif len(args) >= 5 and args[0] == "move":
        move(args[1], float(args[2]), float(args[3]), points(args[4:]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
