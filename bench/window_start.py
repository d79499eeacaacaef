#!/usr/bin/env python3
"""Start-up figures of the windowed program against the floor: a bare Qt 6
window (bench/bare_window.cpp) on the same virtual display, started in
turn, each start timed by bench/map_watch.cpp from exec to the map of its
window and to its first painted frame; a second floor, the same window
skinned (transparent around a shadow margin, an icon, one line of text),
shows how much of the gap every skinned window that draws text pays. The
windowed program's peak memory
is read after one check (Enter presses "Check now"; the service address
refuses at once); the bare window's after its first frame. Then the
terminal check without and with a download (from a loopback service that
answers every request with 404), against `neofetch --stdout` when that is
installed. With --wine, the Windows build's window under Wine against a
bare layered Win32 window (bench/bare_window_win.cpp), timed the same way.

Usage: bench/window_start.py <build folder> [runs] [--baseline <build folder>]
                             [--wine <Windows build folder>]
The build folder is a release build (build/release); a baseline build (an
older commit's) adds its programs' rows, started in the same turns. Prints
medians and ratios. A benchmark, not a test."""

import argparse
import http.server
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from x11_driver import start_display  # the end-to-end tests' Xvfb, on a display it picks free

ARGS = argparse.ArgumentParser(prog="window_start.py")
ARGS.add_argument("build", nargs="?", default="build/release")
ARGS.add_argument("runs", nargs="?", type=int, default=12)
ARGS.add_argument("--baseline")
ARGS.add_argument("--wine")
OPTIONS = ARGS.parse_args()
BUILD = os.path.abspath(OPTIONS.build)
RUNS = OPTIONS.runs
BARE = os.path.join(BUILD, "bench", "kalo_bare_window")
WATCH = os.path.join(BUILD, "bench", "kalo_map_watch")


def programs(build):
    return os.path.join(build, "bin", "kalofitprobe"), os.path.join(build, "bin", "kalofitprobe-cli")


def watched(command, env, check, hold_ms=300):
    """One start: (map ms, first-frame ms, peak kB)."""
    watch = subprocess.Popen([WATCH, "--hold-ms", "2500" if check else str(hold_ms)] + command, env=env,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    first = watch.stdout.readline()  # "pid N", once the first frame is there
    if check and first.startswith("pid"):
        time.sleep(0.3)
        subprocess.run(["xdotool", "key", "Return"], env=env)
    last = (first if first.startswith("map_ms") else watch.stdout.read()).split()
    watch.wait()
    values = dict(zip(last[0::2], last[1::2]))
    return float(values["map_ms"]), float(values["first_frame_ms"]), int(values["peak_kb"])


def medians(samples):
    maps, frames, peaks = zip(*samples)
    return statistics.median(maps), statistics.median(frames), statistics.median(peaks) / 1024


def print_window_table(rows, floors=1):
    """Rows of (name, medians); the first `floors` rows are floors, and every
    other row gets its ratio to each of them."""
    print("%-30s %10s %14s %10s" % ("", "exec→map", "exec→frame", "peak"))
    for name, (m, f, p) in rows:
        print("%-30s %8.1f ms %11.1f ms %7.1f MB" % (name, m, f, p))
    for floor_name, floor in rows[:floors]:
        for name, (m, f, p) in rows[floors:]:
            print("%-30s %9.2f × %12.2f × %8.2f ×" % (name + " / " + floor_name, m / floor[0], f / floor[1],
                                                       p / floor[2]))


class VirtualDisplay:
    def __init__(self):
        self.scratch = tempfile.mkdtemp()
        os.chmod(self.scratch, 0o700)
        self.server = start_display()
        if self.server is None:
            sys.exit("window_start.py: the virtual display did not start")
        self.display = os.environ["DISPLAY"]

    def environment(self, data):
        return dict(os.environ, DISPLAY=self.display, XDG_DATA_HOME=os.path.join(self.scratch, data),
                    XDG_RUNTIME_DIR=self.scratch, KALO_CONFIG_SERVICE_URL="http://127.0.0.1:9")

    def close(self):
        self.server.terminate()
        shutil.rmtree(self.scratch, ignore_errors=True)


def window_figures(display):
    contenders = [("kalofitprobe", programs(BUILD)[0], display.environment("data"))]
    if OPTIONS.baseline:
        contenders.append(("baseline kalofitprobe", programs(OPTIONS.baseline)[0], display.environment("baseline")))
    for _, program, env in contenders:
        watched([program], env, False)  # the first start unpacks into a fresh folder
    bare, skinned, ours = [], [], {name: [] for name, _, _ in contenders}
    for _ in range(RUNS):  # interleaved, so that all meet the same machine
        bare.append(watched([BARE], display.environment("data"), False))
        skinned.append(watched([BARE, "--skinned"], display.environment("data"), False))
        for name, program, env in contenders:
            ours[name].append(watched([program], env, True))
    print_window_table([("bare Qt window", medians(bare)), ("bare skinned window", medians(skinned))] +
                       [(name, medians(ours[name])) for name, _, _ in contenders], floors=2)


def wine_figures(display):
    windows = os.path.abspath(OPTIONS.wine)
    wine = shutil.which("wine64") or shutil.which("wine") or "/usr/lib/wine/wine64"
    # A prefix of its own: the tests' prefix draws with Wine's null driver.
    env = dict(display.environment("data"), WINEDEBUG="-all", WINEPREFIX=os.path.join(windows, "wineprefix-bench"))
    os.makedirs(env["WINEPREFIX"], exist_ok=True)
    server = os.path.join(os.path.dirname(os.path.realpath(wine)), "wineserver")
    subprocess.run([server, "-p"], env=env)  # one server for every start, as a desktop session has
    subprocess.run([wine, "wineboot", "-i"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    bare_exe = os.path.join(windows, "bench", "kalo_bare_window.exe")
    program = os.path.join(windows, "bin", "kalofitprobe.exe")
    watched([wine, program], env, False, 1000)
    bare, ours = [], []
    for _ in range(max(3, RUNS // 2)):
        bare.append(watched([wine, bare_exe], env, False, 1000))
        ours.append(watched([wine, program], env, False, 1000))
    subprocess.run([server, "-k"], env=env)
    # A start whose window never showed (map_watch gave up) has no figures.
    bare = [sample for sample in bare if sample[1] >= 0]
    ours = [sample for sample in ours if sample[1] >= 0]
    if not bare or not ours:
        print("under Wine: no window showed (%d and %d starts with figures)" % (len(bare), len(ours)))
        return
    print("under Wine (peak: the Wine process of the program, without the server)")
    print_window_table([("bare Win32 window", medians(bare)), ("kalofitprobe.exe", medians(ours))])


def median_run_ms(command, env, runs):
    times = []
    for _ in range(runs):
        started = time.perf_counter()
        subprocess.run(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times.append((time.perf_counter() - started) * 1000)
    return statistics.median(times)


class NotFound(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(404)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def log_message(self, *args):
        pass


def terminal_figures():
    scratch = tempfile.mkdtemp()
    os.chmod(scratch, 0o700)
    service = http.server.ThreadingHTTPServer(("127.0.0.1", 0), NotFound)
    threading.Thread(target=service.serve_forever, daemon=True).start()
    builds = [("kalofitprobe-cli", BUILD)] + ([("baseline", OPTIONS.baseline)] if OPTIONS.baseline else [])
    try:
        checks = {}
        for name, build in builds:
            cli = programs(build)[1]
            env = dict(os.environ, XDG_DATA_HOME=os.path.join(scratch, name), XDG_RUNTIME_DIR=scratch,
                       KALO_CONFIG_SERVICE_URL="http://127.0.0.1:%d" % service.server_port)
            subprocess.run([cli, "--no-download", "--json"], env=env, stdout=subprocess.DEVNULL)
            checks[name] = median_run_ms([cli, "--no-download", "--json"], env, RUNS * 2)
            version = median_run_ms([cli, "--version"], env, RUNS * 2)
            download = median_run_ms([cli, "--json"], env, RUNS * 2)
            print("%-16s --no-download --json %.1f ms, --version %.1f ms, --json with a download %.1f ms"
                  % (name, checks[name], version, download))
        if shutil.which("neofetch"):
            neofetch = median_run_ms(["neofetch", "--stdout"], dict(os.environ), RUNS)
            for name, check in checks.items():
                print("%-16s against neofetch --stdout (%.1f ms): %.3f ×" % (name, neofetch, check / neofetch))
        else:
            print("neofetch not installed: no ratio")
    finally:
        service.shutdown()
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    sys.stdout.reconfigure(line_buffering=True)
    screen = VirtualDisplay()
    try:
        window_figures(screen)
        if OPTIONS.wine:
            wine_figures(screen)
    finally:
        screen.close()
    terminal_figures()
