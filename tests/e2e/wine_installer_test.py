#!/usr/bin/env python3
"""The Windows setup program under Wine: made by cpack, run silently (/S),
the installed files, Start-menu entry, Add/Remove Programs entry and the
installed terminal check looked at, then the uninstaller run silently and
everything checked gone.

Usage: wine_installer_test.py <wine> <cpack> <build folder>
The Wine prefix is the test's own (wineprefix-installer in the build
folder), made on the first run and kept; an installed copy left by an
interrupted run is removed first."""

import glob
import os
import shutil
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # the shared driver leaves no __pycache__ in the source tree
from x11_driver import FAILURES, check

WINE, CPACK, BUILD = sys.argv[1], sys.argv[2], sys.argv[3]
PREFIX = os.path.join(BUILD, "wineprefix-installer")
INSTALLED = os.path.join(PREFIX, "drive_c", "Program Files", "KALOFitProbe")
START_MENU = os.path.join(PREFIX, "drive_c", "ProgramData", "Microsoft", "Windows", "Start Menu", "Programs",
                          "KALOFitProbe")
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KALOFitProbe"


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
