#!/usr/bin/env python3
"""The Windows build of the windowed program under Wine on a virtual X
display (Xvfb), driven by xdotool as a user would: start, check, back,
the window read and worked by a screen reader's client over MSAA, another
language from the box, close. Screenshots of the screen go to
<screenshot folder>/wine_*.png.

Usage: wine_gui_e2e.py <wine> <kalofitprobe.exe> <screenshot folder> <msaa_client.exe>
The Wine prefix is the test's own (wineprefix-gui beside the program's
build folder), made on the first run and kept for the next ones; the data
folder inside it is removed before every run. Prints the figures it measures
and exits 0 when every step did what it should."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # the shared driver leaves no __pycache__ in the source tree
from x11_driver import FAILURES, check, click, log_lines, region_digest, save_screenshot, start_display, \
    visible_windows, wait_for, window_origin

WINE, PROGRAM, SHOTS, MSAA_CLIENT = sys.argv[1:5]
TITLE = "KALO computer configuration detection tool"
SHADOW = 30  # the main window's drop-shadow margin around its client area
PREFIX = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(PROGRAM))), "wineprefix-gui")
DATA = os.path.join(PREFIX, "drive_c", "ProgramData", "KALO Assistant 4")


def wine_environment():
    # No Gecko or Mono installer dialogs and no desktop menu entries while
    # the prefix is made; refused service: no download during the check.
    return dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG="-all",
                WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d",
                KALO_CONFIG_SERVICE_URL="http://127.0.0.1:9")


def wineserver(*args):
    server = os.path.join(os.path.dirname(os.path.realpath(WINE)), "wineserver")
    if not os.path.exists(server):
        server = shutil.which("wineserver") or "wineserver"
    subprocess.run([server, *args], env=wine_environment(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def prepare_prefix():
    if not os.path.isdir(os.path.join(PREFIX, "drive_c", "windows")):
        started = time.monotonic()
        subprocess.run([WINE, "wineboot", "-i"], env=wine_environment(), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=240)
        wineserver("-w")
        print("figure: Wine prefix made in %.0f s (once; kept for later runs)" % (time.monotonic() - started))
    shutil.rmtree(DATA, ignore_errors=True)


def child_window_run(window, link, close_button, shot):
    """Opens a child window from its link on the welcome page, saves the
    screen and closes the child with its own close button."""
    before = {found[0] for found in visible_windows()}
    click(window, SHADOW + 80, SHADOW + link[1])
    child = wait_for(lambda: next((found for found in visible_windows()
                                   if found[0] not in before and found[3] > 200), None), limit=20)
    check(child is not None, "the link \"%s\" opens its window" % link[0])
    if child is None:
        return
    time.sleep(0.5)
    save_screenshot(os.path.join(SHOTS, shot))
    click(child[:3], *close_button)
    gone = wait_for(lambda: child[0] not in {found[0] for found in visible_windows()}, limit=10)
    check(gone is not None, "the window of \"%s\" closes with its close button" % link[0])
    time.sleep(0.3)


# One element as the MSAA client prints it: depth, role, name, value, states
# and its place on the screen.
ELEMENT = re.compile(r"^(\d+) ([^:]+): (.*?)(?: = (.*?))?(?: \[(.*)\])? @ (-?\d+),(-?\d+),(\d+),(\d+)$")
ROW_NAME = re.compile(r"^[^:]+: .+, (compatible|not compatible|cannot be confirmed)$")


def read_msaa_pages(output):
    """The client's output as {page: (elements, focus events)}."""
    pages = {}
    for line in output.splitlines():
        if line.startswith("== "):
            elements, events = pages.setdefault(line[3:], ([], []))
        elif line.startswith("event focus ") and pages:
            events.append(line[len("event focus "):])
        elif (found := ELEMENT.match(line)) and pages:
            depth, role, name, value, states, *place = found.groups()
            elements.append({"depth": int(depth), "role": role, "name": name, "value": value or "",
                             "states": states or "", "place": tuple(map(int, place))})
    return pages


def msaa_run(window):
    """The window read by a screen reader's client from a process of its own
    over MSAA: the welcome page's tree, "Check now" pressed by its default
    action, the result page's tree, "back" pressed the same way. Leaves the
    window on the welcome page."""
    try:
        done = subprocess.run([WINE, MSAA_CLIENT], env=wine_environment(), capture_output=True, timeout=180)
    except subprocess.TimeoutExpired:
        check(False, "the MSAA client finishes within 180 s")
        return
    output = done.stdout.decode("utf-8", "replace")
    print("".join("  | " + line + "\n" for line in output.splitlines()), end="")
    complaint = done.stderr.decode("utf-8", "replace").strip()
    check(done.returncode == 0, "the MSAA client reads the window and presses \"Check now\" and \"back\""
          + (" (%s)" % complaint if complaint else ""))
    pages = read_msaa_pages(output)
    welcome, _ = pages.get("welcome", ([], []))
    result, result_focus = pages.get("result", ([], []))

    def named(elements, role, name=None):
        return [e for e in elements if e["role"] == role and (name is None or e["name"] == name)]

    check(welcome[:1] and (welcome[0]["depth"], welcome[0]["role"], welcome[0]["name"]) == (0, "client", TITLE),
          "the window's client object is named by the window title")
    start = named(welcome, "push button", "Check now")
    # Where the clicks of this test press the button, in screen pixels.
    at_x, at_y = window[1] + SHADOW + 138, window[2] + SHADOW + 520
    check(start and start[0]["place"][0] <= at_x < start[0]["place"][0] + start[0]["place"][2]
          and start[0]["place"][1] <= at_y < start[0]["place"][1] + start[0]["place"][3],
          "the push button \"Check now\" is placed where it is drawn on the screen")
    check(start and "default" in start[0]["states"], "\"Check now\" is read as the default button")
    check([e["value"] for e in named(welcome, "combo box")] == ["English"], "one combo box, its value the language")
    check(len([e for e in named(welcome, "link") if e["name"]]) == 2, "two links, each with its words")
    rows = named(result, "grouping")
    check(len(rows) == 5 and all(ROW_NAME.match(row["name"]) for row in rows),
          "the result page has five rows, each read as \"component: value, status\"")
    check(named(result, "push button", "back"), "the result page has the push button \"back\"")
    shown = {e["role"] + ": " + e["name"] for e in result}
    check(any(event in shown for event in result_focus),
          "the focus event of the new page names one of its elements through its child id")


def main_window_run(root):
    folder = os.path.join(root, "program")
    os.makedirs(os.path.join(folder, "config"))
    program = os.path.join(folder, "kalofitprobe.exe")
    shutil.copy(PROGRAM, program)
    settings_file = os.path.join(folder, "config", "fitprobe.ini")

    def log_has(text):
        return any(text in line for line in log_lines(os.path.join(DATA, "Logs")))

    def settings():
        return open(settings_file, encoding="utf-8", errors="replace").read() if os.path.exists(settings_file) else ""

    started = time.monotonic()
    process = subprocess.Popen([WINE, program], env=wine_environment(), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    first = wait_for(lambda: log_has("first frame of KALOFitProbeMainWnd painted"), limit=90)
    check(first is not None, "the main window paints its first frame")
    print("figure: start under Wine to first painted frame %.0f ms" % ((time.monotonic() - started) * 1000))
    window = wait_for(lambda: window_origin(TITLE), limit=20)
    check(window is not None, "the main window is on the screen, titled " + TITLE)
    if window is None:
        process.kill()
        return
    time.sleep(0.5)
    save_screenshot(os.path.join(SHOTS, "wine_welcome.png"))
    welcome_text = region_digest(window, SHADOW + 48, SHADOW + 174, 400, 60)

    # The client positions of the links and of the children's close buttons
    # come from the layouts.
    child_window_run(window, ("video output ports", 594), (748, 32), "wine_video_ports.png")
    child_window_run(window, ("minimum requirements", 626), (494, 26), "wine_minimum_config.png")

    click(window, SHADOW + 138, SHADOW + 520)  # "Check now"
    clicked = time.monotonic()
    result = wait_for(lambda: log_has("MainWindow::LoadResultUI"), limit=60)
    check(result is not None, "a click on the check button leads to the result page")
    print("figure: click to result page under Wine %.0f ms (no download)" % ((time.monotonic() - clicked) * 1000))
    time.sleep(0.5)
    save_screenshot(os.path.join(SHOTS, "wine_result.png"))

    click(window, SHADOW + 90, SHADOW + 534)  # "back"
    time.sleep(0.5)
    msaa_run(window)
    click(window, SHADOW + 180, SHADOW + 376)  # the language box
    time.sleep(0.5)
    save_screenshot(os.path.join(SHOTS, "wine_language_list.png"))
    click(window, SHADOW + 180, SHADOW + 394 + 18)  # its first item: 简体中文
    changed = wait_for(lambda: "language=cn" in settings(), limit=10)
    check(changed is not None, "the language picked in the box is saved in config\\fitprobe.ini beside the program")
    time.sleep(0.5)
    save_screenshot(os.path.join(SHOTS, "wine_welcome_cn.png"))
    check(region_digest(window, SHADOW + 48, SHADOW + 174, 400, 60) != welcome_text,
          "the welcome texts are drawn again in the new language")

    click(window, SHADOW + 1149, SHADOW + 49)  # close
    try:
        code = process.wait(timeout=20)
    except subprocess.TimeoutExpired:
        process.kill()
        code = None
    check(code == 0, "closing the window ends the program with exit code 0 (got %s)" % code)


def main():
    os.makedirs(SHOTS, exist_ok=True)
    prepare_prefix()
    root = tempfile.mkdtemp(prefix="kalo-wine-e2e-")
    xvfb = start_display()
    if xvfb is None:
        print("FAIL the virtual display did not start")
        return 1
    try:
        main_window_run(root)
    finally:
        # The prefix's server and its helper processes end with the run.
        wineserver("-k")
        xvfb.kill()
        shutil.rmtree(root, ignore_errors=True)
    print("%d failure(s)" % len(FAILURES))
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
