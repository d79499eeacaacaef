#!/usr/bin/env python3
"""Start-up figures of the windowed program against the floor: a bare Qt 6
window (bench/bare_window.cpp) on the same virtual display, started in
turn, each start timed by bench/map_watch.cpp from exec to the map of its
window and to its first painted frame. The windowed program's peak memory
is read after one check (Enter presses "Check now"; no download); the bare
window's after its first frame. Then the terminal check against
`neofetch --stdout`, when that is installed.

Usage: bench/window_start.py <build folder> [runs]   (a release build:
build/release). Prints medians and ratios. A benchmark, not a test."""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/release")
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 12
PROGRAM = os.path.join(BUILD, "bin", "kalofitprobe")
CLI = os.path.join(BUILD, "bin", "kalofitprobe-cli")
BARE = os.path.join(BUILD, "bench", "kalo_bare_window")
WATCH = os.path.join(BUILD, "bench", "kalo_map_watch")


def watched(program, env, check):
    """One start: (map ms, first-frame ms, peak kB)."""
    watch = subprocess.Popen([WATCH, "--hold-ms", "2500" if check else "300", program], env=env,
                             stdout=subprocess.PIPE, text=True)
    first = watch.stdout.readline()  # "pid N", once the first frame is there
    if check and first.startswith("pid"):
        time.sleep(0.3)
        subprocess.run(["xdotool", "key", "Return"], env=env)
    last = watch.stdout.read().split()
    watch.wait()
    values = dict(zip(last[0::2], last[1::2]))
    return float(values["map_ms"]), float(values["first_frame_ms"]), int(values["peak_kb"])


def table(name, samples):
    maps, frames, peaks = zip(*samples)
    return name, statistics.median(maps), statistics.median(frames), statistics.median(peaks) / 1024


def window_figures():
    scratch = tempfile.mkdtemp()
    display = ":%d" % (90 + os.getpid() % 50)
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1600x1000x24", "-nolisten", "tcp"],
                            stderr=subprocess.DEVNULL)
    time.sleep(1)
    env = dict(os.environ, DISPLAY=display, XDG_DATA_HOME=os.path.join(scratch, "data"),
               XDG_RUNTIME_DIR=scratch, KALO_CONFIG_SERVICE_URL="http://127.0.0.1:9")
    os.chmod(scratch, 0o700)
    try:
        watched(PROGRAM, env, False)  # the first start unpacks into a fresh folder
        ours, bare = [], []
        for _ in range(RUNS):  # interleaved, so that both meet the same machine
            bare.append(watched(BARE, env, False))
            ours.append(watched(PROGRAM, env, True))
    finally:
        xvfb.terminate()
        shutil.rmtree(scratch, ignore_errors=True)
    rows = [table("bare Qt window", bare), table("kalofitprobe", ours)]
    print("%-16s %10s %14s %10s" % ("", "exec→map", "exec→frame", "peak"))
    for name, m, f, p in rows:
        print("%-16s %8.1f ms %11.1f ms %7.1f MB" % (name, m, f, p))
    print("%-16s %9.2f × %12.2f × %8.2f ×" % ("ratio", rows[1][1] / rows[0][1], rows[1][2] / rows[0][2],
                                            rows[1][3] / rows[0][3]))


def median_run_ms(command, env, runs):
    times = []
    for _ in range(runs):
        started = time.perf_counter()
        subprocess.run(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times.append((time.perf_counter() - started) * 1000)
    return statistics.median(times)


def terminal_figures():
    scratch = tempfile.mkdtemp()
    os.chmod(scratch, 0o700)
    env = dict(os.environ, XDG_DATA_HOME=os.path.join(scratch, "data"), XDG_RUNTIME_DIR=scratch)
    try:
        subprocess.run([CLI, "--no-download", "--json"], env=env, stdout=subprocess.DEVNULL)
        check = median_run_ms([CLI, "--no-download", "--json"], env, RUNS * 2)
        version = median_run_ms([CLI, "--version"], env, RUNS * 2)
        print("terminal check --no-download --json: %.1f ms (--version %.1f ms)" % (check, version))
        if shutil.which("neofetch"):
            neofetch = median_run_ms(["neofetch", "--stdout"], env, RUNS)
            print("neofetch --stdout: %.1f ms; ratio %.3f ×" % (neofetch, check / neofetch))
        else:
            print("neofetch not installed: no ratio")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    window_figures()
    terminal_figures()
