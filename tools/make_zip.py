#!/usr/bin/env python3
"""Packs folders into one of the archives the program carries.

usage: make_zip.py [--suffix S]... <output zip> <folder> [<folder>...]

Every file below the folders whose name ends in one of the suffixes (all files
when none is given) is packed under its path relative to its folder, with "/"
as separator; the folders are merged, and a name found in two of them is an
error. Each folder that holds a packed file gets an empty entry of its own.
Entries stand in name order; file members are deflated. Every entry gets the
same fixed time stamp and attributes, so the same sources always give the same
bytes.
"""

import argparse
import os
import sys
import zipfile

FIXED_TIME = (2024, 1, 1, 0, 0, 0)
FOLDER_ATTRIBUTES = (0o40755 << 16) | 0x10  # Unix mode and the MS-DOS folder bit
FILE_ATTRIBUTES = 0o100644 << 16


def collect_entries(roots, suffixes):
    """Returns {archive name: file path, or None for a folder}."""
    entries = {}
    for root in roots:
        for folder, subfolders, files in os.walk(root):
            subfolders.sort()
            relative = os.path.relpath(folder, root)
            prefix = "" if relative == "." else relative.replace(os.sep, "/") + "/"
            for name in files:
                if suffixes and not name.endswith(suffixes):
                    continue
                member = prefix + name
                if member in entries:
                    raise ValueError("%s is packed from two folders" % member)
                entries[member] = os.path.join(folder, name)
    for member in list(entries):
        parts = member.split("/")[:-1]
        for depth in range(1, len(parts) + 1):
            entries.setdefault("/".join(parts[:depth]) + "/", None)
    return entries


def make_info(name, is_folder):
    info = zipfile.ZipInfo(name, date_time=FIXED_TIME)
    info.create_system = 3
    if is_folder:
        info.external_attr = FOLDER_ATTRIBUTES
        info.compress_type = zipfile.ZIP_STORED
    else:
        info.external_attr = FILE_ATTRIBUTES
        info.compress_type = zipfile.ZIP_DEFLATED
    return info


def main(argv):
    parser = argparse.ArgumentParser(prog="make_zip.py", description=__doc__.splitlines()[0])
    parser.add_argument("--suffix", action="append", default=[], help="pack only files ending so")
    parser.add_argument("output")
    parser.add_argument("folders", nargs="+")
    args = parser.parse_args(argv[1:])
    try:
        entries = collect_entries(args.folders, tuple(args.suffix))
    except ValueError as error:
        sys.stderr.write("make_zip: %s\n" % error)
        return 1
    if not any(path is not None for path in entries.values()):
        sys.stderr.write("make_zip: nothing to pack in %s\n" % ", ".join(args.folders))
        return 1
    temporary = args.output + ".tmp"
    with zipfile.ZipFile(temporary, "w") as archive:
        for name in sorted(entries):
            path = entries[name]
            if path is None:
                archive.writestr(make_info(name, True), b"")
            else:
                with open(path, "rb") as source:
                    archive.writestr(make_info(name, False), source.read(), compresslevel=9)
    os.replace(temporary, args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
