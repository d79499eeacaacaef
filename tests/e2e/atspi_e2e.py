#!/usr/bin/env python3
"""The windowed program as a screen reader meets it: on a virtual X display,
inside its own D-Bus session with the AT-SPI bus (run under
dbus-run-session), read through pyatspi (Debian's python3-pyatspi). The
tree has the window, its buttons, the language box and the links; Tab raises
focus events on the elements in order; the check button's action leads to
the result page, whose five rows read as sentences; the close button's
action ends the program.

Usage: dbus-run-session -- /usr/bin/python3 atspi_e2e.py <kalofitprobe>"""

import os
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True
from x11_driver import FAILURES, check, start_display, wait_for, window_origin, xdotool

import pyatspi
from gi.repository import GLib

PROGRAM = sys.argv[1]
TITLE = "KALO computer configuration detection tool"
STATUSES = ("compatible", "not compatible", "cannot be confirmed")


def walk(node):
    """Every element under the node, the node first."""
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def named(root, role, name=None):
    return [n for n in walk(root) if n.getRoleName() == role and (name is None or n.name == name)]


def pump(seconds):
    """Lets the listener hear the events that came in."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        time.sleep(0.01)


def main():
    xvfb = start_display()
    if xvfb is None:
        print("FAIL the virtual display did not start")
        return 1
    data = tempfile.mkdtemp(prefix="kalo-atspi-")
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LANG="C", XDG_DATA_HOME=data,
               KALO_CONFIG_SERVICE_URL="http://127.0.0.1:9")
    program = subprocess.Popen([PROGRAM], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        app = wait_for(lambda: next((a for a in pyatspi.Registry.getDesktop(0)
                                     if a is not None and a.get_process_id() == program.pid), None),
                       limit=20, step=0.2)
        check(app is not None, "the program is on the AT-SPI bus")
        if app is None:
            return 1
        frame = wait_for(lambda: next(iter(named(app, "frame", TITLE)), None), limit=10, step=0.2)
        check(frame is not None, "its window is a frame named by its title")
        if frame is None:
            return 1
        check(len(named(frame, "push button", "Check now")) == 1, "a push button named \"Check now\"")
        check(len(named(frame, "combo box", "Language")) == 1, "a combo box named \"Language\"")
        items = named(frame, "list item")
        check(len(items) >= 12 and "English" in [i.name for i in items], "the combo box lists the languages")
        check(len(named(frame, "link")) == 2, "the two links")

        focused = []
        def heard(event):
            if event.detail1 == 1:
                focused.append(event.source.name)
        pyatspi.Registry.registerEventListener(heard, "object:state-changed:focused")
        window = window_origin(TITLE, program.pid)
        if window is not None:
            xdotool("windowfocus", "--sync", window[0])
        for _ in range(4):
            xdotool("key", "Tab")
            pump(0.3)
        check(focused[:4] == ["Minimize", "Close", "Language", "Check now"],
              "Tab raises focus events on the window buttons, the box and the check button (heard %s)" % focused)

        named(frame, "push button", "Check now")[0].queryAction().doAction(0)
        back = wait_for(lambda: named(frame, "push button", "back"), limit=20, step=0.2)
        check(bool(back), "the check button's action leads to the result page")
        # Qt gives a grouping to AT-SPI as a panel.
        rows = [g.name for g in named(frame, "panel")]
        print("rows: %s" % rows)
        check(len(rows) == 5, "the result page has five rows")
        for row, component in zip(rows, ("CPU: ", "RAM: ", "GPU: ", "GPU driver version: ", "OS: ")):
            check(row.startswith(component) and row.endswith(STATUSES), "the row reads as a sentence: " + row)
        marks = [i.name for i in named(frame, "image")]
        check(len(marks) == 5 and all(m in STATUSES for m in marks), "the marks are images named by their status")

        named(frame, "push button", "Close")[0].queryAction().doAction(0)
        try:
            code = program.wait(timeout=10)
        except subprocess.TimeoutExpired:
            code = None
        check(code == 0, "the close button's action ends the program with code 0 (got %s)" % code)
    finally:
        if program.poll() is None:
            program.kill()
        xvfb.kill()
    print("%d failure(s)" % len(FAILURES))
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
