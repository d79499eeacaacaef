#!/usr/bin/env python3
"""Wraps PNG images into one Windows icon file (.ico).

Since Windows Vista an icon entry may hold a PNG image as it is, so no pixel
is converted: the file is the icon header, one directory entry per image and
the PNG bytes. Usage: png_to_ico.py OUTPUT.ico INPUT.png...
"""
import struct
import sys


def png_size(data: bytes) -> tuple[int, int]:
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("png_to_ico: not a PNG image")
    return struct.unpack(">II", data[16:24])


def main() -> None:
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    images = [open(path, "rb").read() for path in sys.argv[2:]]
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    directory = b""
    for data in images:
        width, height = png_size(data)
        if width > 256 or height > 256:
            raise SystemExit("png_to_ico: an icon image is at most 256 pixels wide and high")
        # 0 stands for 256 in the one-byte size fields.
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(sys.argv[1], "wb") as out:
        out.write(header + directory + b"".join(images))


if __name__ == "__main__":
    main()
