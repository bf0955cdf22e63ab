#!/usr/bin/env python3
"""browserPlay.py -- browser play through the real page, each bridge beside the others.

For each bridge it starts the command behind ./tools/play --browser (python3 -m
launcher.browserBridge) with the frame probe preloaded into the program, opens the printed
address in headless Chromium and measures:

- the address's delay after the command started;
- click to photon: CLICKS left clicks on the canvas, each once the tab has drawn nothing for
  half a second, from the page's mousedown to the tab's next frame (requestAnimationFrame)
  after the first update that noVNC draws, and the stages between: the press reaching the
  program's mouse callback, the program's next swap, the first message of the update reaching
  the page (the server's capture, encoding and the transport), noVNC decoding and drawing it,
  and the tab's next frame;
- frames: the tab's frames that showed an update per second (several updates can come in one
  frame: a server may send part of a frame, or more than one, in an update) against the
  program's swaps in the same seconds, while `g` fills the grid and while it deals (as the
  command's phase lines tell, less half a second at both ends for the watcher's looks).

The program's swaps and mouse callbacks carry the real-time clock, as the page's
performance.timeOrigin + performance.now() does. Writes DIR/browser.json and DIR/browser.md and
prints the table.

    browserPlay.py --binary build-bench/tarvik01 --probe libtarvik_frame_probe.so --out DIR
"""

import bisect
import json
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

from realBinary import probe_arguments
from report import cpu_model, row, rule

TOP = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(TOP / "tests" / "e2e"))
from browser import chromium  # noqa: E402  (Debian's chromium, driven as the tests drive it)
from selenium.webdriver import ActionChains  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.support.wait import WebDriverWait  # noqa: E402

# (label, launcher.browserBridge options): today's bridge first, the new one last.
BRIDGES = [
    ("x11vnc, Debian's noVNC page (before)", ["--server", "x11vnc", "--stock-page"]),
    ("TigerVNC's module in Xorg, own page", ["--server", "xorg"]),
    ("TigerVNC's scraping server, Debian's page", ["--server", "x0vncserver", "--stock-page"]),
    ("TigerVNC's scraping server, own page (the bridge)", ["--server", "x0vncserver"]),
]
CONNECTED = "return document.documentElement.classList.contains('noVNC_connected')"
# Before any script of the page: the mousedown and the arrival of every WebSocket message.
AT_START = """
window.tarvik = {clock: () => performance.timeOrigin + performance.now(),
                 down: [], messages: [], flips: [], paints: []};
document.addEventListener("mousedown", () => tarvik.down.push(tarvik.clock()), true);
const given = Object.getOwnPropertyDescriptor(WebSocket.prototype, "onmessage");
Object.defineProperty(WebSocket.prototype, "onmessage", {
    configurable: true,
    get() { return given.get.call(this); },
    set(handler) {
        given.set.call(this, (e) => { tarvik.messages.push(tarvik.clock()); return handler(e); });
    },
});
"""
# Once connected: every flip of noVNC's display that drew something, and the tab's next frame
# (its start, shared by every callback of the frame, and the callback's own time).
# The page's modules are noVNC's own, so the import finds the display class the client uses.
AT_CONNECT = """
const done = arguments[arguments.length - 1];
import("./core/display.js").then(({default: Display}) => {
    const flip = Display.prototype.flip;
    Display.prototype.flip = function (fromQueue) {
        const b = this._damageBounds;
        const drawn = (fromQueue || this._renderQ.length === 0) && b.right > b.left;
        flip.call(this, fromQueue);
        if (drawn) {
            const t = tarvik.clock();
            tarvik.flips.push(t);
            requestAnimationFrame((frame) =>
                tarvik.paints.push([t, performance.timeOrigin + frame, tarvik.clock()]));
        }
    };
    done(true);
});
"""
QUIET = "return tarvik.clock() - (tarvik.flips.length ? tarvik.flips.at(-1) : 0)"
# Frames a second that the tab can show at all: headless Chromium draws at 60 Hz, as most
# screens do, and TigerVNC's servers send at most 60 updates a second.
SHOWN_AT_MOST = 60
STAGES = [
    ("input", "the press to the program's mouse callback"),
    ("program", "to its next swap"),
    ("server", "to the update's first message in the page (capture, encoding, transport)"),
    ("client", "to noVNC's drawn flip (decoding, drawing)"),
    ("tab", "to the tab's next frame"),
]


class Command:
    """The bridge's command with its output lines, each with the time it came."""

    def __init__(self, binary, probe, options, folder):
        self.frames = folder / "frames"
        env = dict(os.environ, LD_PRELOAD=probe, TARVIK_FRAMES=str(self.frames))
        env.update(PYTHONPATH=str(TOP), PYTHONDONTWRITEBYTECODE="1")
        env.pop("DISPLAY", None)
        self.begun = time.time()
        self.process = subprocess.Popen(
            [sys.executable, "-m", "launcher.browserBridge", binary, *options], cwd=folder,
            env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
            start_new_session=True,
        )  # fmt: skip
        self.lines = []
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        for line in self.process.stdout:
            self.lines.append((time.time(), line))

    def wait_line(self, text, timeout):
        until = time.time() + timeout
        while time.time() < until:
            for when, line in list(self.lines):
                if text in line:
                    return when, line
            if self.process.poll() is not None:
                break
            time.sleep(0.05)
        raise RuntimeError("no %r within %d s:\n%s" % (text, timeout, self.output()))

    def output(self):
        return "".join(line for _, line in self.lines)

    def probe(self, kind):
        """The program's swap or mouse times, in seconds."""
        lines = self.frames.read_text().split("\n") if self.frames.exists() else []
        return [int(n) / 1e9 for k, n in (x.split() for x in lines if x) if k == kind]

    def stop(self):
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
        self.process.wait(60)


def after(times, moment):
    """The first of the sorted times at or after the moment, or None."""
    at = bisect.bisect_left(times, moment)
    return times[at] if at < len(times) else None


def click_stages(down, page, swaps, mice):
    """The stages of one click, in ms, from the page's records (seconds) and the program's."""
    flip = after(page["flips"], down)
    paint = next(p for f, _, p in page["paints"] if f == flip)
    mouse = after(mice, down)
    swap = after(swaps, mouse) if mouse is not None else None
    if swap is None or swap > flip:
        return {"total": 1000 * (paint - down)}  # the clocks disagree: only the whole
    message = after(page["messages"], swap)
    if message is None or message > flip:
        message = swap  # the update began before the swap was noted
    marks = [down, mouse, swap, message, flip, paint]
    stages = {name: 1000 * (b - a) for (name, _), a, b in zip(STAGES, marks, marks[1:])}
    return dict(stages, total=1000 * (paint - down))


def rate(times, start, end):
    return sum(start <= t < end for t in times) / (end - start)


def measure(binary, probe, options, clicks):
    with tempfile.TemporaryDirectory(prefix="tarvik-browser-bench-") as folder:
        command = Command(binary, probe, options, Path(folder))
        try:
            when, line = command.wait_line("password=", 120)
            address = line.split()[0]
            figures = {"address_s": when - command.begun}
            with chromium() as browser:
                browser.execute_cdp_cmd(
                    "Page.addScriptToEvaluateOnNewDocument", {"source": AT_START}
                )
                browser.get(address)
                wait = WebDriverWait(browser, 60, poll_frequency=0.05)
                wait.until(lambda b: b.execute_script(CONNECTED), "the tab did not connect")
                browser.execute_async_script(AT_CONNECT)
                canvas = browser.find_element(By.CSS_SELECTOR, "#noVNC_container canvas")
                downs = []
                for k in range(clicks):
                    WebDriverWait(browser, 30, poll_frequency=0.05).until(
                        lambda b: b.execute_script(QUIET) > 500, "the tab never stilled"
                    )
                    # Spread over the grid: a digit lands where it was pressed.
                    x, y = (k * 37) % 200 - 100, (k * 53) % 160 - 80
                    ActionChains(browser, duration=0).move_to_element_with_offset(
                        canvas, x, y
                    ).click().perform()
                    down = browser.execute_script("return tarvik.down.at(-1)")
                    wait.until(
                        lambda b: b.execute_script(
                            "return tarvik.paints.some(([f]) => f > arguments[0])", down
                        ),
                        "the click never showed",
                    )
                    downs.append(down)
                filled = time.time()
                ActionChains(browser).send_keys("g").perform()
                dealing, _ = command.wait_line("dealing", 120)
                try:
                    drawing = command.wait_line("drawing", 30)[0]
                except RuntimeError:
                    drawing = time.time()
                page = browser.execute_script(
                    "return {flips: tarvik.flips, paints: tarvik.paints, messages: tarvik.messages}"
                )
                ActionChains(browser).send_keys("\ue00c").perform()  # Escape
                command.process.wait(60)
        finally:
            command.stop()
        page = {
            "flips": [t / 1000 for t in page["flips"]],
            "paints": [[t / 1000 for t in paint] for paint in page["paints"]],
            "messages": [t / 1000 for t in page["messages"]],
        }
        swaps, mice = command.probe("swap"), command.probe("mouse")
        figures["clicks"] = [click_stages(d / 1000, page, swaps, mice) for d in downs]
        for name, start, end in (("fill", filled, dealing), ("dealing", dealing, drawing)):
            start, end = start + 0.5, end - 0.5
            shown = sorted({frame for _, frame, _ in page["paints"]})
            figures[name] = {
                "tab": rate(shown, start, end),
                "program": rate(swaps, start, end),
                "updates": rate(page["flips"], start, end),
                "seconds": end - start,
            }
        return figures


def summary(figures):
    totals = sorted(c["total"] for c in figures["clicks"])
    staged = [c for c in figures["clicks"] if "input" in c]
    return {
        "median": statistics.median(totals),
        "p90": statistics.quantiles(totals, n=10, method="inclusive")[8],
        "stages": {name: statistics.median(c[name] for c in staged) for name, _ in STAGES},
        "staged": len(staged),
    }


def frames_cell(window):
    return "%.1f of %.1f (%.2f; %.2f of at most %d)" % (
        window["tab"],
        window["program"],
        window["tab"] / window["program"],
        window["tab"] / min(window["program"], SHOWN_AT_MOST),
        min(window["program"], SHOWN_AT_MOST),
    )


def table(results, machine):
    lines = [
        "Measured on: " + machine,
        "",
        row("Bridge", "address after the start s", "click to photon ms, median (p90)",
            *("%s ms" % name for name, _ in STAGES),
            "fill: tab frames/s of the program's (share; of what can show)",
            "dealing: the same"),
        rule(5 + len(STAGES)),
    ]  # fmt: skip
    for label, figures in results.items():
        told = summary(figures)
        lines.append(
            row(label, "%.1f" % figures["address_s"],
                "%.0f (%.0f)" % (told["median"], told["p90"]),
                *("%.0f" % told["stages"][name] for name, _ in STAGES),
                frames_cell(figures["fill"]), frames_cell(figures["dealing"]))
        )  # fmt: skip
    lines += ["", "Stages, medians over the clicks whose marks came in order: " + "; ".join(
        "%s: %s" % stage for stage in STAGES)]  # fmt: skip
    return lines


def main():
    parser = probe_arguments(__doc__, "the folder for browser.json and browser.md")
    parser.add_argument("--clicks", type=int, default=20)
    parser.add_argument("--only", default="", help="the bridges whose labels hold this text")
    args = parser.parse_args()
    machine = "%d cores, %s; %s; load average %.1f when it began" % (
        os.cpu_count(),
        cpu_model(),
        time.strftime("%Y-%m-%d"),
        os.getloadavg()[0],
    )
    probe = str(Path(args.probe).resolve())
    binary = str(Path(args.binary).resolve())
    results = {}
    for label, options in BRIDGES:
        if args.only not in label:
            continue
        results[label] = measure(binary, probe, options, args.clicks)
        print("%s: %s" % (label, json.dumps(summary(results[label]))), file=sys.stderr)
    out = Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    (out / "browser.json").write_text(json.dumps(results, indent=2) + "\n")
    text = table(results, machine)
    (out / "browser.md").write_text("\n".join(text) + "\n")
    print("\n".join(text))


if __name__ == "__main__":
    main()
