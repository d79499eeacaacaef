#!/usr/bin/env python3
"""Packs the language folder into the archive the program carries.

usage: make_lang_zip.py <language folder> <output zip>

Entries: the index "defaultlangconfig.json" and, for every language, its
folders and its ".lang" pack, all in name order with "/" as separator. Folder
entries are empty; file members are deflated. Every entry gets the same fixed
time stamp and attributes, so the same sources always give the same bytes.
"""

import os
import sys
import zipfile

FIXED_TIME = (2024, 1, 1, 0, 0, 0)
PACKED_SUFFIXES = (".json", ".lang")
FOLDER_ATTRIBUTES = (0o40755 << 16) | 0x10  # Unix mode and the MS-DOS folder bit
FILE_ATTRIBUTES = 0o100644 << 16


def collect_entries(root):
    """Returns (archive name, file path or None for a folder) in name order."""
    entries = []
    for folder, subfolders, files in os.walk(root):
        subfolders.sort()
        relative = os.path.relpath(folder, root)
        prefix = "" if relative == "." else relative.replace(os.sep, "/") + "/"
        for name in subfolders:
            entries.append((prefix + name + "/", None))
        for name in files:
            if name.endswith(PACKED_SUFFIXES):
                entries.append((prefix + name, os.path.join(folder, name)))
    entries.sort(key=lambda entry: entry[0])
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
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    root, output = argv[1], argv[2]
    entries = collect_entries(root)
    if not entries:
        sys.stderr.write("make_lang_zip: nothing to pack in %s\n" % root)
        return 1
    temporary = output + ".tmp"
    with zipfile.ZipFile(temporary, "w") as archive:
        for name, path in entries:
            if path is None:
                archive.writestr(make_info(name, True), b"")
            else:
                with open(path, "rb") as source:
                    archive.writestr(make_info(name, False), source.read(), compresslevel=9)
    os.replace(temporary, output)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
