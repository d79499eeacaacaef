"""What the end-to-end tests share: a virtual X display, xdotool as the
user's hand, the screen read with xwd and saved as PNG, and the record of
checks. Used by gui_e2e.py (the Linux program) and wine_gui_e2e.py (the
Windows program under Wine)."""

import os
import select
import struct
import subprocess
import time
import zlib

FAILURES = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        FAILURES.append(what)


def wait_for(predicate, limit=30.0, step=0.005):
    end = time.monotonic() + limit
    while time.monotonic() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return None


def start_display():
    """An Xvfb display of its own, made current for this process and its
    children; returns the server process, or None when it did not start.
    Xvfb picks a free display number itself and writes it to a pipe once it
    listens: two tests that chose the same number would share one server,
    and the windows, focus and accessibility bus of one would reach the
    other."""
    reader, writer = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(writer), "-screen", "0", "1600x1000x24", "-nolisten", "tcp",
                             "-noreset"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(writer,))
    os.close(writer)
    number = b""
    ready, _, _ = select.select([reader], [], [], 10)
    if ready:
        while not number.endswith(b"\n"):
            chunk = os.read(reader, 16)
            if not chunk:
                break
            number += chunk
    os.close(reader)
    if not number.strip().isdigit():
        xvfb.kill()
        return None
    os.environ["DISPLAY"] = ":" + number.strip().decode()
    os.environ.pop("QT_QPA_PLATFORM", None)
    return xvfb


def xdotool(*args):
    done = subprocess.run(["xdotool", *args], capture_output=True, text=True)
    return done.stdout.strip() if done.returncode == 0 else ""


def window_origin(name, pid=None):
    """The top-left screen point of the first visible window of that name
    (of that process: a closing window of the run before may linger)."""
    owner = ["--pid", str(pid)] if pid is not None else []
    ids = xdotool("search", "--onlyvisible", *owner, "--name", name).split()
    if not ids:
        return None
    geometry = xdotool("getwindowgeometry", "--shell", ids[0])
    values = dict(line.split("=", 1) for line in geometry.splitlines() if "=" in line)
    if "X" not in values or "Y" not in values:
        return None  # gone between the search and the question
    return ids[0], int(values["X"]), int(values["Y"])


def visible_windows():
    """Every visible top-level window: (id, left, top, width, height)."""
    found = []
    for wid in xdotool("search", "--onlyvisible", "--name", "").split():
        geometry = xdotool("getwindowgeometry", "--shell", wid)
        values = dict(line.split("=", 1) for line in geometry.splitlines() if "=" in line)
        if {"X", "Y", "WIDTH", "HEIGHT"} <= values.keys():
            found.append((wid, int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])))
    return found


def click(window, x, y):
    wid, left, top = window
    xdotool("mousemove", str(left + x), str(top + y))
    time.sleep(0.05)
    xdotool("click", "1")


def screen_pixels():
    """The root window from xwd: width, height, bytes per pixel, bytes per
    row and the rows (blue, green, red first: a little-endian server)."""
    data = subprocess.run(["xwd", "-root", "-silent"], capture_output=True, check=True).stdout
    header = struct.unpack(">25I", data[:100])
    header_size, width, height = header[0], header[4], header[5]
    pixel_bytes, bytes_per_line, colours = header[11] // 8, header[12], header[19]
    pixels = data[header_size + colours * 12:]
    return width, height, pixel_bytes, bytes_per_line, pixels


def save_screenshot(path):
    width, height, size, stride, pixels = screen_pixels()
    raw = bytearray()
    for y in range(height):
        row = pixels[y * stride:y * stride + width * size]
        raw.append(0)  # no PNG filter
        rgb = bytearray(width * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = row[2::size], row[1::size], row[0::size]
        raw += rgb
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(bytes(raw), 6)) + chunk(b"IEND", b""))
    with open(path, "wb") as out:
        out.write(png)


def region_digest(window, x, y, w, h):
    _, _, size, stride, pixels = screen_pixels()
    _, left, top = window
    rows = [pixels[(top + y + r) * stride + (left + x) * size:(top + y + r) * stride + (left + x + w) * size]
            for r in range(h)]
    return zlib.crc32(b"".join(rows))


def log_lines(folder):
    """Every line of the log files in that folder, oldest file first."""
    lines = []
    for name in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
        with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as log:
            lines += log.read().splitlines()
    return lines
