#!/usr/bin/env python3
"""The Windows build of the terminal check under Wine against links that
any user of the machine could plant in the shared data folder before the
program runs: Unix links below drive_c (which Wine shows as links) and a
second name (hard link) of a file outside. Each case runs the check and then
compares a snapshot of a folder outside the prefix with the one taken before:
nothing outside may be written, created or deleted. Also: a service that
answers every request with a redirect to itself, and many copies started at
once.

Usage: wine_links_test.py <wine> <kalofitprobe-cli.exe> <crash_child.exe> [rounds]
The Wine prefix is the test's own (wineprefix-links beside the program's
build folder), made on the first run and kept. `rounds` (default 3) is how
many times eight copies are started at once. Exits 0 when every case held."""

import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from concurrent.futures import ThreadPoolExecutor

WINE, CLI, CRASH_CHILD = sys.argv[1:4]
ROUNDS = int(sys.argv[4]) if len(sys.argv) > 4 else 3
BUILD = os.path.dirname(os.path.dirname(os.path.abspath(CLI)))
PREFIX = os.path.join(BUILD, "wineprefix-links")
DATA = os.path.join(PREFIX, "drive_c", "ProgramData", "KALO Assistant 4")
LANG = os.path.join(DATA, "KALOFitProbeLang")
FAILURES = []


def check(condition, what):
    print(("ok: " if condition else "FAILED: ") + what)
    if not condition:
        FAILURES.append(what)


def environment(service="http://127.0.0.1:9"):
    return dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG="-all",
                WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d", KALO_CONFIG_SERVICE_URL=service)


def wineserver(*args):
    server = os.path.join(os.path.dirname(os.path.realpath(WINE)), "wineserver")
    if not os.path.exists(server):
        server = shutil.which("wineserver") or "wineserver"
    subprocess.run([server, *args], env=environment(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def run(*args, service="http://127.0.0.1:9", program=None):
    done = subprocess.run([WINE, program or CLI, *args], env=environment(service), capture_output=True,
                          timeout=120)
    return done.returncode, done.stdout.decode("utf-8", "replace") + done.stderr.decode("utf-8", "replace")


def snapshot(folder):
    """Every entry below the folder with its kind and content."""
    entries = {}
    for base, folders, files in os.walk(folder):
        for name in folders + files:
            path = os.path.join(base, name)
            relative = os.path.relpath(path, folder)
            if os.path.islink(path):
                entries[relative] = "-> " + os.readlink(path)
            elif os.path.isdir(path):
                entries[relative] = "folder"
            else:
                with open(path, "rb") as f:
                    entries[relative] = f.read()
    return entries


def todays_log():
    return os.path.join(DATA, "Logs", time.strftime("KALOFitProbe-%Y%m%d.log"))


def log_text():
    try:
        with open(todays_log(), "rb") as f:
            return f.read().decode("utf-8", "replace")
    except OSError:
        return ""


def plant(kind, at, target):
    os.makedirs(os.path.dirname(at), exist_ok=True)
    if os.path.isdir(at) and not os.path.islink(at):
        shutil.rmtree(at)
    elif os.path.lexists(at):
        os.remove(at)
    if kind == "hard":
        os.link(target, at)
    else:
        os.symlink(target, at)


def link_cases(outside):
    victim = os.path.join(outside, "victim.txt")
    folder = os.path.join(outside, "folder")
    old = os.path.join(outside, "old.log")
    nothing = os.path.join(outside, "created")
    # name, planted kind, where, what it points to, whether the check still runs
    return [
        ("the day's log file, a link to a file", "sym", todays_log(), victim, True),
        ("the day's log file, a dangling link", "sym", todays_log(), nothing, True),
        ("the day's log file, a second name of a file", "hard", todays_log(), victim, True),
        ("an old log file, a link to an old file", "sym", os.path.join(DATA, "Logs", "KALOFitProbe-20200101.log"),
         old, True),
        ("an old log file, a second name of an old file", "hard",
         os.path.join(DATA, "Logs", "KALOFitProbe-20200102.log"), old, True),
        ("the Logs folder", "sym", os.path.join(DATA, "Logs"), folder, True),
        ("the updates folder", "sym", os.path.join(DATA, "updates"), folder, True),
        ("the cache folder", "sym", os.path.join(DATA, "updates", "fitprobe"), folder, True),
        ("the rule-set cache, a link to a file", "sym", os.path.join(DATA, "updates", "fitprobe", "checkerconfig.json"),
         victim, True),
        ("lang.ini, a link to a file", "sym", os.path.join(LANG, "lang.ini"), victim, True),
        ("lang.ini, a second name of a file", "hard", os.path.join(LANG, "lang.ini"), victim, True),
        ("the lock beside lang.ini, a dangling link", "sym", os.path.join(LANG, "lang.ini.lock"), nothing, True),
        ("a language pack, a link to a file", "sym", os.path.join(LANG, "en", "fitprobe", "KALOFitProbe.lang"),
         victim, True),
        # Wine opens a link to a folder as the folder it points to and cannot
        # remove it without reaching it: the check then stops, touching
        # nothing (on Windows the link itself is removed).
        ("the language root", "sym", LANG, folder, False),
        ("a language folder", "sym", os.path.join(LANG, "en"), folder, False),
        ("the crash-dump folder", "sym", os.path.join(DATA, "crashDumps"), folder, True),
        ("the data folder itself", "sym", DATA, folder, False),
    ]


def fresh_outside(outside):
    shutil.rmtree(outside, ignore_errors=True)
    os.makedirs(os.path.join(outside, "folder"))
    with open(os.path.join(outside, "victim.txt"), "w") as f:
        f.write("someone's file")
    with open(os.path.join(outside, "folder", "a.txt"), "w") as f:
        f.write("kept")
    old = os.path.join(outside, "old.log")
    with open(old, "w") as f:
        f.write("an old file of someone")
    two_years = time.time() - 2 * 365 * 86400
    os.utime(old, (two_years, two_years))


def links_run(outside):
    # The folders as a first run leaves them, copied back before each case.
    shutil.rmtree(DATA, ignore_errors=True)
    run("--no-download", "--lang", "en")
    first_run = os.path.join(os.path.dirname(outside), os.path.basename(outside) + "-first-run")
    shutil.rmtree(first_run, ignore_errors=True)
    shutil.copytree(DATA, first_run)
    for name, kind, at, target, runs in link_cases(outside):
        shutil.rmtree(DATA, ignore_errors=True)
        if os.path.islink(DATA):
            os.remove(DATA)
        fresh_outside(outside)
        if at != DATA:
            shutil.copytree(first_run, DATA)
        plant(kind, at, target)
        before = snapshot(outside)
        code, output = run("--no-download", "--json", "--lang", "en")
        check(snapshot(outside) == before, name + ": nothing outside is touched")
        if runs:
            check(code == 0 and '"headline"' in output, name + ": the check runs (exit %d)" % code)
        else:
            check("Initializ" in output, name + ": the run ends with the start-up message")
        if kind == "sym" and runs and at in (todays_log(), os.path.join(LANG, "lang.ini"),
                                             os.path.join(LANG, "lang.ini.lock")):
            check(not os.path.islink(at), name + ": the program's own file takes the link's place")
        if at == os.path.join(DATA, "crashDumps"):
            crashed, _ = run("null-write-in-thread", program=CRASH_CHILD)
            check(crashed != 5 and snapshot(outside) == before,
                  name + ": the crash's dump does not land outside (exit %d)" % crashed)
        if os.path.islink(DATA):
            os.remove(DATA)
    shutil.rmtree(first_run, ignore_errors=True)


class RedirectLoop(http.server.BaseHTTPRequestHandler):
    requests = 0

    def do_GET(self):
        RedirectLoop.requests += 1
        self.send_response(302)
        self.send_header("Location", self.path)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def log_message(self, *args):
        pass


def redirect_run():
    shutil.rmtree(DATA, ignore_errors=True)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), RedirectLoop)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        started = time.monotonic()
        code, output = run("--json", "--lang", "en", service="http://127.0.0.1:%d" % server.server_port)
        took = time.monotonic() - started
    finally:
        server.shutdown()
    print("figure: a service that redirects to itself got %d requests; the check took %.1f s"
          % (RedirectLoop.requests, took))
    check(code == 0, "redirect loop: the check runs")
    check(RedirectLoop.requests <= 2 * 6, "redirect loop: at most 5 redirects followed per request")
    check("too many redirects" in output, "redirect loop: the download says \"too many redirects\"")
    check("too many redirects" in log_text(), "redirect loop: the log says \"too many redirects\"")


def concurrent_run():
    shutil.rmtree(DATA, ignore_errors=True)
    failures = 0
    started = time.monotonic()
    for _ in range(ROUNDS):
        with ThreadPoolExecutor(8) as pool:
            results = list(pool.map(lambda _: run("--no-download", "--json", "--lang", "en"), range(8)))
        for code, output in results:
            if code != 0:
                failures += 1
                print(output[-400:])
    print("figure: %d rounds of 8 copies at once: %d failed runs, %.0f s" % (ROUNDS, failures,
                                                                          time.monotonic() - started))
    check(failures == 0, "copies started at once all finish")
    lines = log_text().splitlines()
    torn = [line for line in lines if line and not (line[:2].isdigit() and line.count("|") >= 2)]
    check(lines and not torn, "every log line whole (%d lines, %d torn)" % (len(lines), len(torn)))
    leftovers = [n for n in snapshot(DATA) if os.path.basename(n).startswith(".")]
    check(not leftovers, "no temporary file left: %s" % leftovers[:3])


def main():
    if not os.path.isdir(os.path.join(PREFIX, "drive_c", "windows")):
        subprocess.run([WINE, "wineboot", "-i"], env=environment(), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=240)
        wineserver("-w")
    outside = tempfile.mkdtemp(prefix="kalo-outside-")
    try:
        links_run(outside)
        redirect_run()
        concurrent_run()
    finally:
        shutil.rmtree(outside, ignore_errors=True)
        wineserver("-w")
    print("%d failed" % len(FAILURES))
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
