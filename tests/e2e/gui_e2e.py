#!/usr/bin/env python3
"""The real windowed program on a virtual X display (Xvfb), driven by
xdotool as a user would: start, check, back, another language, close; and
the start-up failures that end with a message. Screenshots of the screen
go to <build>/screenshots/e2e_*.png.

Usage: gui_e2e.py <kalofitprobe> <screenshot folder> <missing_layout_child> <throwing-probe preload>
It prints the figures it measures (start to first frame, click to result
page) and exits 0 when every step did what it should."""

import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # the shared driver leaves no __pycache__ in the source tree
from x11_driver import (FAILURES, check, click, log_lines as log_lines_in, region_digest, save_screenshot as
                        save_screen, start_display, wait_for, window_origin, xdotool)

PROGRAM, SHOTS, MISSING_LAYOUT, THROWING_PROBE = sys.argv[1:5]
TITLE = "KALO computer configuration detection tool"
SHADOW = 30  # the main window's drop-shadow margin around its client area


def save_screenshot(name):
    save_screen(os.path.join(SHOTS, "e2e_" + name + ".png"))


def log_lines(data_home):
    return log_lines_in(os.path.join(data_home, "KALO Assistant 4", "Logs"))


class Run:
    """One start of the program in its own copy, data folder and settings."""

    def __init__(self, root, name, env_changes=None):
        self.folder = os.path.join(root, name)
        os.makedirs(os.path.join(self.folder, "config"))
        self.program = os.path.join(self.folder, "kalofitprobe")
        shutil.copy(PROGRAM, self.program)
        self.data_home = os.path.join(self.folder, "data")
        env = dict(os.environ, XDG_DATA_HOME=self.data_home, LANG="C",
                   KALO_CONFIG_SERVICE_URL="http://127.0.0.1:9")  # refused at once: no download
        env.update(env_changes or {})
        self.started = time.monotonic()
        self.process = subprocess.Popen([self.program], env=env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.PIPE, text=True)

    def log_has(self, text):
        return any(text in line for line in log_lines(self.data_home))

    def settings(self):
        path = os.path.join(self.folder, "config", "fitprobe.ini")
        return open(path, encoding="utf-8", errors="replace").read() if os.path.exists(path) else ""

    def ended(self, limit=5.0):
        try:
            return self.process.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            self.process.kill()
            return None


def main_window_run(root):
    run = Run(root, "main")
    first = wait_for(lambda: run.log_has("first frame of KALOFitProbeMainWnd painted"))
    check(first is not None, "the main window paints its first frame")
    print("figure: start to first painted frame %.0f ms (log polled every 5 ms)" %
          ((time.monotonic() - run.started) * 1000))
    window = wait_for(lambda: window_origin(TITLE, run.process.pid), limit=10)
    check(window is not None, "the main window is on the screen, titled " + TITLE)
    if window is None:
        run.process.kill()
        return
    save_screenshot("welcome")
    welcome_text = region_digest(window, SHADOW + 48, SHADOW + 174, 400, 60)

    click(window, SHADOW + 138, SHADOW + 520)  # "Check now"
    clicked = time.monotonic()
    result = wait_for(lambda: run.log_has("MainWindow::LoadResultUI"))
    check(result is not None, "a click on the check button leads to the result page")
    print("figure: xdotool's click done to result page %.0f ms (no download; log polled every 5 ms)" %
          ((time.monotonic() - clicked) * 1000))
    time.sleep(0.3)
    save_screenshot("result")

    click(window, SHADOW + 90, SHADOW + 534)  # "back"
    time.sleep(0.3)
    click(window, SHADOW + 180, SHADOW + 376)  # the language box
    time.sleep(0.3)
    save_screenshot("language_list")
    click(window, SHADOW + 180, SHADOW + 394 + 18)  # its first item: 简体中文
    changed = wait_for(lambda: "language=cn" in run.settings(), limit=5)
    check(changed is not None, "the language picked in the box is saved in config/fitprobe.ini")
    time.sleep(0.3)
    save_screenshot("welcome_cn")
    check(region_digest(window, SHADOW + 48, SHADOW + 174, 400, 60) != welcome_text,
          "the welcome texts are drawn again in the new language")

    click(window, SHADOW + 1149, SHADOW + 49)  # close
    closed = time.monotonic()
    code = run.ended()
    check(code == 0, "closing the window ends the program with exit code 0 (got %s)" % code)
    stderr = run.process.stderr.read()
    if code != 0:
        print(stderr[-3000:])
    check("Query program folder" not in stderr, "an ordinary start reports no failure on standard error")
    print("figure: close to process end %.0f ms" % ((time.monotonic() - closed) * 1000))


def keys(*names):
    for name in names:
        xdotool("key", name)
        time.sleep(0.15)


def program_windows(pid):
    return xdotool("search", "--onlyvisible", "--pid", str(pid), "--name", "").split()


def keyboard_run(root):
    """The whole check with the keyboard alone: Enter checks, the focus lands
    on the new page, Escape and Enter close the child windows, Down changes
    the language, Enter on the focused close button ends the program."""
    run = Run(root, "keyboard")
    window = wait_for(lambda: window_origin(TITLE, run.process.pid), limit=15)
    check(window is not None, "keys: the main window is shown")
    if window is None:
        run.process.kill()
        return
    wait_for(lambda: run.log_has("first frame of KALOFitProbeMainWnd painted"), limit=15)
    xdotool("windowfocus", "--sync", window[0])
    keys("Return")  # nothing focused: the default button, "Check now"
    check(wait_for(lambda: run.log_has("MainWindow::LoadResultUI")) is not None,
          "keys: Enter with nothing focused checks and shows the result page")
    time.sleep(0.3)
    keys("Tab")  # from "back", where the page put the focus, to the first link
    save_screenshot("keys_result_focus")
    shown = len(program_windows(run.process.pid))
    keys("Return")  # the link opens the video-port window
    check(wait_for(lambda: len(program_windows(run.process.pid)) > shown, limit=5) is not None,
          "keys: Enter on the focused link opens its window")
    time.sleep(0.3)
    save_screenshot("keys_child_window")
    keys("Escape")
    check(wait_for(lambda: len(program_windows(run.process.pid)) == shown, limit=5) is not None,
          "keys: Escape closes the child window")
    keys("shift+Tab", "Return")  # back to the welcome page; the focus goes to the language box
    time.sleep(0.3)
    save_screenshot("keys_welcome_focus")
    keys("space")
    time.sleep(0.3)
    save_screenshot("keys_language_list")
    keys("Escape", "Up")  # the list closes unchanged; Up picks the language above English
    check(wait_for(lambda: "language=cn" in run.settings(), limit=5) is not None,
          "keys: Up on the closed language box switches to the language above and saves it")
    keys("shift+Tab", "Return")  # the close button, before the box in the order
    code = run.ended()
    check(code == 0, "keys: Enter on the focused close button ends the program with code 0 (got %s)" % code)


def close_during_check_run(root):
    """A service that takes the connection and never answers: closing the
    window during the check must not wait for it."""
    silent = socket.socket()
    silent.bind(("127.0.0.1", 0))
    silent.listen(8)
    run = Run(root, "silent", {"KALO_CONFIG_SERVICE_URL": "http://127.0.0.1:%d" % silent.getsockname()[1]})
    wait_for(lambda: run.log_has("first frame of KALOFitProbeMainWnd painted"), limit=15)
    window = wait_for(lambda: window_origin(TITLE, run.process.pid), limit=15)
    check(window is not None, "silent service: the main window is shown")
    if window is None:
        run.process.kill()
        return
    click(window, SHADOW + 138, SHADOW + 520)  # "Check now"
    silent.settimeout(10)
    try:
        connected = silent.accept()  # the check is in its download now
    except socket.timeout:
        connected = None
    save_screenshot("checking")
    click(window, SHADOW + 1149, SHADOW + 49)  # close, on the checking page
    closed = time.monotonic()
    code = run.ended(limit=10)
    took = time.monotonic() - closed
    check(connected is not None, "silent service: the check asks the service")
    check(code == 0, "silent service: closing during the check ends the program with code 0 (got %s)" % code)
    if code != 0:
        print(run.process.stderr.read()[-3000:])
    print("figure: close during a check against a silent service to process end %.0f ms" % (took * 1000))
    silent.close()


def throwing_check_run(root):
    """A probe that throws during the check (a preloaded library makes the
    PCI listing throw): the window leaves the checking page and says so in a
    message box, and the log has the exception's text. (On a display without
    a compositing manager, as Xvfb is, a second transparent window is mapped
    but not drawn, so the box is found by its name and not looked at.)"""
    run = Run(root, "throwing", {"LD_PRELOAD": THROWING_PROBE,
                                 "ASAN_OPTIONS": "verify_asan_link_order=0:detect_leaks=0"})
    window = wait_for(lambda: window_origin(TITLE, run.process.pid), limit=15)
    check(window is not None, "throwing probe: the main window is shown")
    if window is None:
        run.process.kill()
        return
    wait_for(lambda: run.log_has("first frame of KALOFitProbeMainWnd painted"), limit=15)
    click(window, SHADOW + 138, SHADOW + 520)  # "Check now"
    clicked = time.monotonic()
    box = wait_for(lambda: window_origin("^KALO$", run.process.pid), limit=15)
    check(box is not None, "throwing probe: a message box says the check could not finish")
    if box is not None:
        print("figure: click on the check button to the failure's message %.0f ms" %
              ((time.monotonic() - clicked) * 1000))
    check(run.log_has("the check failed: ") and run.log_has("the PCI listing broke"),
          "throwing probe: the log has the exception's text")
    run.process.kill()
    run.process.wait()


def missing_layout_run(root):
    """A window whose layout is missing: the host's own message window, then
    exit code 1."""
    folder = os.path.join(root, "missing_layout")
    os.makedirs(folder)
    env = dict(os.environ, XDG_DATA_HOME=os.path.join(folder, "data"), LANG="C")
    process = subprocess.Popen([MISSING_LAYOUT], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                               text=True)
    box = wait_for(lambda: window_origin("^KALO$", process.pid), limit=15)
    check(box is not None, "missing layout: a message window is shown")
    if box is None:
        process.kill()
        return
    time.sleep(0.3)
    save_screenshot("missing_layout")
    xdotool("key", "--window", box[0], "Return")
    try:
        code = process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        code = None
    # The box ends its process on the press, so xdotool's release can miss
    # it and leave the key down on the display, where it would repeat into
    # every window shown later and close the start-up messages.
    xdotool("keyup", "Return")
    stderr = process.stderr.read()
    check(code == 1, "missing layout: Enter closes it and the program ends with code 1 (got %s)" % code)
    check("\u52a0\u8f7d\u8d44\u6e90\u6587\u4ef6\u5931\u8d25" in stderr, "missing layout: standard error has the message too")


def no_display_run(root):
    folder = os.path.join(root, "no_display")
    os.makedirs(folder)
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env["XDG_DATA_HOME"] = os.path.join(folder, "data")
    done = subprocess.run([PROGRAM], env=env, capture_output=True, text=True, timeout=30)
    check(done.returncode == 1 and "kalofitprobe-cli" in done.stderr,
          "without a display: exit code 1 and a line naming kalofitprobe-cli (got %d)" % done.returncode)


def describe_missing_window(run):
    """What a run that never showed its window was doing: ended (and how) or
    still running (where each thread waits), its windows and its log."""
    code = run.process.poll()
    if code is None:
        for task in sorted(os.listdir("/proc/%d/task" % run.process.pid)):
            try:
                wait = open("/proc/%d/task/%s/wchan" % (run.process.pid, task)).read()
                name = open("/proc/%d/task/%s/comm" % (run.process.pid, task)).read().strip()
            except OSError:
                continue
            print("  thread %s (%s) waits in %s" % (task, name, wait or "nothing: it runs"))
        print("  its windows: %s" % xdotool("search", "--pid", str(run.process.pid), "--name", "."))
        run.process.kill()
    else:
        print("  it ended with exit code %d" % code)
    run.process.wait()
    print(run.process.stderr.read()[-3000:])
    print("\n".join(log_lines(run.data_home)[-20:]))


def startup_message_run(root, name, env_changes, prepare, expected_text, logged):
    run_folder = os.path.join(root, name)
    prepare(run_folder)
    run = Run(root, name, env_changes)
    box = wait_for(lambda: window_origin("tips", run.process.pid), limit=15)
    check(box is not None, name + ": the start-up message is shown")
    if box is None:
        describe_missing_window(run)
        return
    time.sleep(0.3)
    save_screenshot(name)
    click(box, 170 + 90, 228 + 22)  # its one button
    code = run.ended()
    stderr = run.process.stderr.read()
    check(code == 0, name + ": the program ends with exit code 0 after the message (got %s)" % code)
    check(expected_text in stderr, name + ": the message says '" + expected_text + "'")
    if logged:
        check(run.log_has("|StartupMessage|") and run.log_has(expected_text), name + ": the log has the message")
    else:
        check(not log_lines(run.data_home), name + ": no log, as its folder could not be made")


def main():
    os.makedirs(SHOTS, exist_ok=True)
    root = tempfile.mkdtemp(prefix="kalo-e2e-")
    xvfb = start_display()
    if xvfb is None:
        print("FAIL the virtual display did not start")
        return 1
    try:
        no_display_run(root)
        main_window_run(root)
        keyboard_run(root)
        close_during_check_run(root)
        throwing_check_run(root)
        missing_layout_run(root)
        # The data folder cannot be made: a file stands where its parent belongs.
        startup_message_run(root, "m2_data_folder", {"XDG_DATA_HOME": os.path.join(root, "m2_data_folder", "file")},
                            lambda folder: (os.makedirs(folder), open(os.path.join(folder, "file"), "w").close()),
                            "Data folder setup failed", logged=False)
        # The packs cannot be unpacked: a file stands where their folder belongs.
        def block_packs(folder):
            os.makedirs(os.path.join(folder, "data", "KALO Assistant 4"))
            open(os.path.join(folder, "data", "KALO Assistant 4", "KALOFitProbeLang"), "w").close()
        startup_message_run(root, "m3_language_setup", {}, block_packs, "Initialize language failed!", logged=True)
    finally:
        xvfb.kill()
        shutil.rmtree(root, ignore_errors=True)
    print("%d failure(s)" % len(FAILURES))
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
