#!/usr/bin/env python3
"""The Windows setup program under Wine: made by cpack, run silently (/S),
the installed files, Start-menu entry, Add/Remove Programs entry and the
installed terminal check looked at, the windowed program started from its
Start-menu entry on a virtual X display (Xvfb) and closed, then the
uninstaller run silently and everything checked gone.

Usage: wine_installer_test.py <wine> <cpack> <build folder>
The Wine prefix is the test's own (wineprefix-installer in the build
folder), made on the first run and kept; an installed copy left by an
interrupted run is removed first."""

import glob
import os
import shutil
import socket
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # the shared driver leaves no __pycache__ in the source tree
from x11_driver import FAILURES, check, click, log_lines, save_screenshot, start_display, wait_for, window_origin

WINE, CPACK, BUILD = sys.argv[1], sys.argv[2], sys.argv[3]
PREFIX = os.path.join(BUILD, "wineprefix-installer")
INSTALLED = os.path.join(PREFIX, "drive_c", "Program Files", "KALOFitProbe")
START_MENU = os.path.join(PREFIX, "drive_c", "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs",
                          "KALOFitProbe")
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KALOFitProbe"
SHORTCUT = r"C:\ProgramData\Microsoft\Windows\Start Menu\Programs\KALOFitProbe\KALOFitProbe.lnk"
LOGS = os.path.join(PREFIX, "drive_c", "ProgramData", "KALO Assistant 4", "Logs")
TITLE = "KALO computer configuration detection tool"
SHADOW = 30  # the main window's drop-shadow margin around its client area


def environment():
    return dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG="-all",
                WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")


def wine(*args, timeout=240):
    return subprocess.run([WINE, *args], env=environment(), capture_output=True, text=True,
                          errors="replace", timeout=timeout)


def wine_settled():
    """Waits until every process of the prefix has ended (the uninstaller
    runs a copy of itself from the temporary folder)."""
    server = os.path.join(os.path.dirname(os.path.realpath(WINE)), "wineserver")
    subprocess.run([server if os.path.exists(server) else "wineserver", "-w"], env=environment(), timeout=240)


def uninstall_entry():
    return wine("reg", "query", UNINSTALL_KEY).stdout


def start_from_start_menu():
    """Opens the Start-menu entry as a double click would (Wine's start
    follows the shortcut), waits for the main window, saves the screen and
    closes the window with its close button."""
    xvfb = start_display()
    if xvfb is None:
        check(False, "the virtual display for the windowed program starts")
        return
    try:
        started = time.monotonic()
        subprocess.Popen([WINE, "start", SHORTCUT], env=environment(), stdout=subprocess.DEVNULL,
                         stderr=subprocess.DEVNULL)
        painted = wait_for(lambda: any("first frame of KALOFitProbeMainWnd painted" in line
                                       for line in log_lines(LOGS)), limit=90)
        check(painted is not None, "the installed program started from its Start-menu entry paints its window")
        window = wait_for(lambda: window_origin(TITLE), limit=20)
        check(window is not None, "the installed program's window is on the screen, titled " + TITLE)
        if window is None:
            return
        print("figure: Start-menu entry to painted window %.0f ms" % ((time.monotonic() - started) * 1000))
        time.sleep(0.5)
        os.makedirs(os.path.join(BUILD, "screenshots"), exist_ok=True)
        save_screenshot(os.path.join(BUILD, "screenshots", "wine_installed_program.png"))
        click(window, SHADOW + 1149, SHADOW + 49)  # close
        closed = wait_for(lambda: window_origin(TITLE) is None, limit=20)
        check(closed is not None, "the installed program closes with its close button")
    finally:
        if window_origin(TITLE) is not None:
            subprocess.run([WINE, "taskkill", "/f", "/im", "kalofitprobe.exe"], env=environment(),
                           capture_output=True, timeout=60)
        wine_settled()
        xvfb.kill()


def running_copy_keeps_the_uninstall():
    """A terminal check that waits on a service that never answers runs for
    its whole deadline; the silent uninstall meanwhile must stop with exit
    code 3 and remove nothing."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    env = dict(environment(), KALO_CONFIG_SERVICE_URL="http://127.0.0.1:%d" % listener.getsockname()[1])
    check_run = subprocess.Popen([WINE, "C:\\Program Files\\KALOFitProbe\\kalofitprobe-cli.exe", "--json"], env=env,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(8)  # started, and waiting on the service
        # _?= runs the uninstaller in place, so that its exit code is its own.
        # It takes the rest of the command line as it stands, quotes too: the
        # folder goes as two arguments, which Wine joins with a space and
        # leaves unquoted.
        done = wine(os.path.join(INSTALLED, "Uninstall.exe"), "/S", "_?=C:\\Program", "Files\\KALOFitProbe")
        check(done.returncode == 3, "a silent uninstall beside a running copy ends with exit code 3 (got %d)"
              % done.returncode)
        check(os.path.isfile(os.path.join(INSTALLED, "kalofitprobe-cli.exe")) and "UninstallString" in uninstall_entry(),
              "beside a running copy nothing is removed and the uninstall entry stays")
    finally:
        check_run.wait(timeout=120)
        listener.close()


def main():
    started = time.monotonic()
    made = subprocess.run([CPACK, "--config", os.path.join(BUILD, "CPackConfig.cmake")], cwd=BUILD,
                          capture_output=True, text=True)
    installers = sorted(glob.glob(os.path.join(BUILD, "KALOFitProbe-*-win64.exe")), key=os.path.getmtime)
    check(made.returncode == 0 and installers, "cpack makes the setup program")
    if made.returncode != 0 or not installers:
        print(made.stdout[-3000:], made.stderr[-3000:])
        return 1
    installer = installers[-1]
    print("figure: setup program %s, %d bytes, made in %.1f s" %
          (os.path.basename(installer), os.path.getsize(installer), time.monotonic() - started))

    if not os.path.isdir(os.path.join(PREFIX, "drive_c", "windows")):
        wine("wineboot", "-i")
        wine_settled()
    if os.path.isdir(INSTALLED):
        wine(os.path.join(INSTALLED, "Uninstall.exe"), "/S")
        wine_settled()
        shutil.rmtree(INSTALLED, ignore_errors=True)

    done = wine(installer, "/S")
    wine_settled()
    check(done.returncode == 0, "the silent install ends with exit code 0 (got %d)" % done.returncode)
    for name in ("kalofitprobe.exe", "kalofitprobe-cli.exe", "Uninstall.exe",
                 os.path.join("licenses", "NotoSansCJK-OFL.txt")):
        check(os.path.isfile(os.path.join(INSTALLED, name)), "installed: Program Files\\KALOFitProbe\\" + name)
    check(os.path.isdir(os.path.join(INSTALLED, "config")), "installed: the config folder beside the programs")
    check(os.path.isfile(os.path.join(START_MENU, "KALOFitProbe.lnk")), "the Start menu has KALOFitProbe")
    entry = uninstall_entry()
    check("UninstallString" in entry and "KALOFitProbe" in entry,
          "Add/Remove Programs lists KALOFitProbe with its uninstaller")
    version = wine("C:\\Program Files\\KALOFitProbe\\kalofitprobe-cli.exe", "--version", timeout=60)
    check(version.returncode == 0 and "kalofitprobe-cli " in version.stdout,
          "the installed terminal check runs (%r)" % version.stdout.strip())

    shutil.rmtree(LOGS, ignore_errors=True)
    start_from_start_menu()
    running_copy_keeps_the_uninstall()

    # What the windowed program writes there, which the uninstaller removes too.
    with open(os.path.join(INSTALLED, "config", "fitprobe.ini"), "w") as settings:
        settings.write("[set]\nlanguage=en\n")
    done = wine(os.path.join(INSTALLED, "Uninstall.exe"), "/S")
    wine_settled()
    check(done.returncode == 0, "the silent uninstall ends with exit code 0 (got %d)" % done.returncode)
    check(not os.path.exists(INSTALLED), "the uninstaller removes Program Files\\KALOFitProbe")
    check(not os.path.exists(START_MENU), "the uninstaller removes the Start-menu entry")
    check("UninstallString" not in uninstall_entry(), "the uninstaller removes its Add/Remove Programs entry")
    print("figure: whole installer test %.1f s" % (time.monotonic() - started))
    print("%d failure(s)" % len(FAILURES))
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
