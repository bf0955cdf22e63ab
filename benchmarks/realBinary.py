#!/usr/bin/env python3
"""realBinary.py -- start-up time and resident memory of the real tarvik01 in game mode.

For each screen size it starts the program several times on a private Xorg display with the
dummy driver, with the first-frame probe preloaded, and notes the time from the start of the
process to its first frame on the screen; then it plays two whole cycles (gather, deal, draw,
burst, capture, collapse) through the launcher's player and reads the program's resident memory
each time the next cycle's empty grid shows. Writes the figures as JSON.

    realBinary.py --binary build-bench/tarvik01 --probe PROBE.so --out real.json
"""

import argparse
import json
import os
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
from launcher import player  # noqa: E402


def status_kib(pid, field):
    """A "kB" line of /proc/PID/status, such as VmRSS, in KiB."""
    for line in Path("/proc/%d/status" % pid).read_text().splitlines():
        if line.startswith(field + ":"):
            return int(line.split()[1])
    raise RuntimeError("no %s for process %d" % (field, pid))


def first_frame(game, mark):
    """Starts the program and returns the milliseconds from its start to its first frame, and
    its resident memory in KiB just after that frame."""
    mark.unlink(missing_ok=True)
    begun = time.monotonic_ns()  # CLOCK_MONOTONIC, as the probe reads it
    game.start_program()
    stamp = game.wait_for(
        "the first frame", lambda: mark.exists() and mark.read_text().strip(), 60, poll=0.01
    )
    return (int(stamp) - begun) / 1e6, status_kib(game.process.pid, "VmRSS")


def measure(binary, probe, size, runs):
    with player.Player(binary, modes=size, launch=False, deadline=900) as game:
        mark = game.state / "first-frame"
        os.environ["LD_PRELOAD"] = probe
        os.environ["TARVIK_FIRST_FRAME"] = str(mark)
        starts = []
        for _ in range(runs):
            took, first_rss = first_frame(game, mark)
            starts.append(took)
            game.wait_ready()
            game.escape()
        game.start_program()
        game.wait_ready()
        after = []
        for _ in range(2):
            game.play_cycle()
            game.collapse()
            game.wait_fresh_cycle()
            after.append(status_kib(game.process.pid, "VmRSS"))
        pid = game.process.pid
        figures = {
            "startup_ms": statistics.median(starts),
            "startup_min_ms": min(starts),
            "startup_max_ms": max(starts),
            "first_frame_rss_kib": first_rss,
            "rss_kib": after[0],
            "second_rss_kib": after[1],
            "peak_rss_kib": status_kib(pid, "VmHWM"),
        }
        game.escape()
    return figures


def probe_arguments(doc, out):
    """The arguments of a benchmark that plays the real binary with the frame probe preloaded;
    out: what --out names."""
    parser = argparse.ArgumentParser(description=doc.split("\n\n")[0])
    parser.add_argument("--binary", required=True)
    parser.add_argument("--probe", required=True, help="the frame probe library")
    parser.add_argument("--out", required=True, help=out)
    return parser


def main():
    parser = probe_arguments(__doc__, "the JSON file to write")
    parser.add_argument("--runs", type=int, default=5, help="start-ups per size")
    parser.add_argument("--sizes", default="1280x1024,800x600")
    args = parser.parse_args()
    probe = str(Path(args.probe).resolve())
    results = {}
    for size in args.sizes.split(","):
        results[size] = measure(args.binary, probe, size, args.runs)
        print("%s: %s" % (size, results[size]), file=sys.stderr)
    Path(args.out).write_text(json.dumps(results, indent=2) + "\n")


if __name__ == "__main__":
    main()
