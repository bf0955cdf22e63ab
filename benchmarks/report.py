#!/usr/bin/env python3
"""report.py -- the cost table (Markdown) and plot (PNG) from the benchmarks' figures.

    report.py --bench 1280x1024=A.json --bench 800x600=B.json --real real.json --out DIR

A.json and B.json are Google Benchmark's JSON output of tarvik_cost at each size (the gallery
is measured in the first only: it does not depend on the screen); real.json is realBinary.py's.
Writes DIR/cost.md and DIR/cost.png and prints the table.
"""

import argparse
import json
import os
import platform
import re
from pathlib import Path

import matplotlib

matplotlib.use("Agg")  # files only, no display
import matplotlib.pyplot as plt  # noqa: E402  (after the back end is chosen)

PHASES = [
    (1, "gathering, 64 young digits"),
    (3, "dealing, 48 placements in flight"),
    (5, "drawing, glyph 5 half filled"),
    (6, "rest, the finished diagram"),
    (7, "burst, full"),
    (8, "capture, the scan line"),
    (9, "collapse, half-way"),
]
GALLERY_SIZES = [10, 100, 1000, 10000]
FRAME_TARGET = 1.05
SHARE_TARGET = 2.0
CAPTURE_TARGET = 1.1
GALLERY_TARGET = 1.5


def load(path):
    data = json.loads(Path(path).read_text())
    runs = {}
    for run in data["benchmarks"]:
        # "phase/1/iterations:12/manual_time" -> "phase/1"; "gallery/100/..." -> "gallery/100"
        name = "/".join(p for p in run["name"].split("/") if ":" not in p and p != "manual_time")
        runs[name] = run
    return data["context"], runs


def cpu_model():
    for line in Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            return line.split(":", 1)[1].strip()
    return platform.processor() or "unknown CPU"


def mark(value, target, wall=None):
    """The figure against its target; a wall-time figure, when given, follows in brackets."""
    text = "%.2f" % value
    if wall is not None:
        text += " (%.2f)" % wall
    return text + (" ok" if value <= target else " **over**")


def ms(value):
    return "%.3f" % value if value < 1 else "%.1f" % value


def machine_line(context):
    version = re.search(r"Mesa [0-9.]+", context.get("gl_version", ""))
    load = context.get("load_avg") or [0.0]
    return "%d cores, %s; %s, %s; %s; load average %.1f when it began" % (
        os.cpu_count(),
        cpu_model(),
        context.get("gl_renderer", "unknown renderer"),
        version.group(0) if version else context.get("gl_version", ""),
        context.get("date", "")[:10],
        load[0],
    )


def row(*cells):
    return "| " + " | ".join(str(cell) for cell in cells) + " |"


def rule(columns):
    return "|---" * columns + "|"


def phase_table(benches):
    lines = [
        row("Phase", "Screen", "idle step ms", "frame ms", "bare replay ms",
            "frame / bare (<= %.2f), processor (wall)" % FRAME_TARGET,
            "idle share %% (<= %g), processor (wall)" % SHARE_TARGET,
            "clear ms", "swap ms", "idle steps/s"),
        rule(10),
    ]  # fmt: skip
    for phase, what in PHASES:
        for size, (_, runs) in benches.items():
            r = runs.get("phase/%d" % phase)
            if r is None:
                continue
            ratio = mark(r["frame_per_bare_cpu"], FRAME_TARGET, r["frame_per_bare"])
            if r["replay_same"] != 1:
                ratio += " **the replay drew another picture**"
            share = mark(r["idle_share_cpu_pct"], SHARE_TARGET, r["idle_share_pct"])
            lines.append(row("%d %s" % (phase, what), size, ms(r["idle_ms"]), ms(r["frame_ms"]),
                             ms(r["bare_ms"]), ratio, share, ms(r["clear_ms"]), ms(r["swap_ms"]),
                             "%.1f" % r["steps_per_s"]))  # fmt: skip
    lines += [
        "",
        "Times are wall-clock medians. The two ratios compare processor time of all the process's "
        "threads, the renderer's included (wall time in brackets): other jobs on the machine "
        "disturb it far less. Idle steps/s = 1 / (idle step + frame + swap).",
    ]
    return lines


def capture_table(benches):
    sizes = [s for s, (_, runs) in benches.items() if "capture" in runs]
    capture = {s: benches[s][1]["capture"] for s in sizes}
    times = [
        ("whole capture step (frame shown, then the Snapshot)", "whole_ms"),
        ("&nbsp; frame shown (drawn and swapped)", "shown_ms"),
        ("&nbsp; saveFrame, all of it", "save_ms"),
        ("&nbsp; &nbsp; frame drawn again", "redraw_ms"),
        ("&nbsp; &nbsp; read back as floats", "read_float_ms"),
        ("&nbsp; &nbsp; converted to upright bytes", "convert_ms"),
        ("&nbsp; &nbsp; PNG written (temporary file, renamed), without sync", "write_ms"),
        ("&nbsp; &nbsp; sync", "save_sync_ms"),
        ("&nbsp; gallery, 10 pictures", "gallery_ms"),
        ("&nbsp; &nbsp; of which sync", "gallery_sync_ms"),
        ("bare: glReadPixels of the square as bytes + libpng write", "bare_ms"),
        ("&nbsp; of which glReadPixels", "bare_read_ms"),
    ]
    ratios = [
        ("capture without sync and gallery / bare (<= %.1f)" % CAPTURE_TARGET, "capture_per_bare"),
        ("the same in processor time (a sync costs the processor next to nothing)",
         "capture_per_bare_cpu"),
        ("the same without the frame drawn again", "capture_per_bare_without_redraw"),
    ]  # fmt: skip
    lines = [row("Capture, ms", *("%s (side %d)" % (s, capture[s]["side"]) for s in sizes))]
    lines.append(rule(len(sizes) + 1))
    lines += [row(label, *(ms(capture[s][key]) for s in sizes)) for label, key in times]
    lines += [
        row(label, *(mark(capture[s][key], CAPTURE_TARGET) for s in sizes)) for label, key in ratios
    ]
    same = ("yes" if capture[s]["same_bytes"] == 1 else "**no**" for s in sizes)
    return lines + [row("the program's PNG byte for byte the bare one's", *same)]


def gallery_runs(benches):
    for _, runs in benches.values():
        found = {n: runs.get("gallery/%d" % n) for n in GALLERY_SIZES}
        if all(found.values()):
            return found
    return None


def gallery_table(found):
    lines = [
        row("PNG files", "regeneration ms", "per page µs",
            "bare: list and read every page, µs per page", "sync ms",
            "first regeneration ms (no pages yet)"),
        rule(6),
    ]  # fmt: skip
    for n in GALLERY_SIZES:
        r = found[n]
        per_page = "%.1f" % r["per_page_us"], "%.1f" % r["bare_per_page_us"]
        lines.append(row(n, ms(r["gallery_ms"]), *per_page, ms(r["sync_ms"]), ms(r["first_ms"])))
    ratio = found[10000]["per_page_us"] / found[100]["per_page_us"]
    bare = found[10000]["bare_per_page_us"] / found[100]["bare_per_page_us"]
    lines.append("")
    lines.append(
        "Per-page cost at 10,000 / at 100 (<= %.1f): %s; the bare look's, measured alongside: %.2f"
        % (GALLERY_TARGET, mark(ratio, GALLERY_TARGET), bare)
    )
    return lines


def real_table(real):
    lines = [
        row("Screen (real binary, game mode)", "start-up to first frame ms (median; min to max)",
            "resident MiB at the first frame", "after the first cycle", "after the second",
            "peak MiB"),
        rule(6),
    ]  # fmt: skip
    for size, r in real.items():
        startup = tuple(r[key] for key in ("startup_ms", "startup_min_ms", "startup_max_ms"))
        kib = ("first_frame_rss_kib", "rss_kib", "second_rss_kib", "peak_rss_kib")
        mib = ("%.1f" % (r[key] / 1024) for key in kib)
        lines.append(row(size, "%.0f (%.0f to %.0f)" % startup, *mib))
    return lines


def plot(benches, found, path):
    figure, (left, right) = plt.subplots(1, 2, figsize=(13, 5))
    width = 0.8 / max(len(benches), 1)
    positions = range(len(PHASES))
    for k, (size, (_, runs)) in enumerate(benches.items()):
        values = [
            runs["phase/%d" % p]["steps_per_s"] if "phase/%d" % p in runs else 0 for p, _ in PHASES
        ]
        left.bar(
            [x + (k - (len(benches) - 1) / 2) * width for x in positions], values, width, label=size
        )
    left.set_xticks(list(positions), ["%d" % p for p, _ in PHASES])
    left.set_xlabel("phase (representative state)")
    left.set_ylabel("idle steps per second (idle step + frame + swap)")
    left.set_title("How fast the piece animates")
    left.legend()
    left.grid(axis="y", alpha=0.3)
    if found:
        counts = GALLERY_SIZES
        totals = [found[n]["gallery_ms"] for n in counts]
        right.loglog(counts, totals, "o-", label="regeneration")
        # A line of slope one through the point at 100: what linear growth looks like.
        reference = [found[100]["gallery_ms"] * n / 100 for n in counts]
        right.loglog(counts, reference, "--", color="grey", label="linear through 100")
        right.set_xlabel("PNG files in tarvikImages")
        right.set_ylabel("ms per gallery regeneration")
        right.set_title("The gallery as the pictures pile up")
        right.legend()
        right.grid(which="both", alpha=0.3)
    figure.tight_layout()
    figure.savefig(path, dpi=100)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--bench", action="append", required=True, help="SIZE=tarvik_cost.json")
    parser.add_argument("--real", required=True, help="realBinary.py's JSON")
    parser.add_argument("--out", required=True, help="the folder for cost.md and cost.png")
    args = parser.parse_args()
    benches = {}
    for item in args.bench:
        size, path = item.split("=", 1)
        benches[size] = load(path)
    real = json.loads(Path(args.real).read_text())
    found = gallery_runs(benches)
    context = next(iter(benches.values()))[0]
    text = ["Measured on: " + machine_line(context), ""]
    text += phase_table(benches) + [""] + capture_table(benches) + [""]
    if found:
        text += gallery_table(found) + [""]
    text += real_table(real)
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    (out / "cost.md").write_text("\n".join(text) + "\n")
    plot(benches, found, out / "cost.png")
    print("\n".join(text))
    print("\nWritten: %s and %s" % (out / "cost.md", out / "cost.png"))


if __name__ == "__main__":
    main()
