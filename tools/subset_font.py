#!/usr/bin/env python3
"""Cuts the embedded font down to the characters the program can show.

usage: subset_font.py --font <.ttc/.otf> --family <family name> --name <new family name>
                      --output <.otf> [--report <text file>] <text file>...

Takes the face of the given family (nameID 1) from the font collection and
keeps the glyphs of every character found in the text files (UTF-8: language
packs, layouts, the program's fixed texts), with their layout features. The
subset is given a family name of its own (--name; nameIDs 1, 4, 6 and 16 in
every language): a machine that has the full font installed under the
original name would otherwise have its collection stand in for the subset,
loading megabytes the program has no use for. The licence reserves only the
name "Source" for the original. The report lists the characters kept, one
code point a line in hexadecimal; characters the font lacks are named in a
warning and left out.
"""

import argparse
import os
import sys
import unicodedata

try:
    from fontTools import subset
    from fontTools.ttLib import TTCollection, TTFont
except ImportError:
    sys.stderr.write("subset_font: this interpreter lacks fontTools (Debian package python3-fonttools)\n")
    sys.exit(1)


def characters_of(paths):
    chars = set()
    for path in paths:
        with open(path, encoding="utf-8-sig") as source:
            # Spaces count (a no-break space is shown as one); controls and
            # the byte-order mark do not.
            chars.update(ch for ch in source.read()
                         if unicodedata.category(ch) not in ("Cc", "Cs") and ch != "\ufeff")
    chars.add(" ")
    return chars


def open_face(path, family):
    if path.lower().endswith((".ttc", ".otc")):
        collection = TTCollection(path, lazy=True)
        for index, face in enumerate(collection.fonts):
            if face["name"].getDebugName(1) == family:
                return TTFont(path, fontNumber=index)
    else:
        face = TTFont(path)
        if face["name"].getDebugName(1) == family:
            return face
    raise ValueError("%s holds no face of the family %r" % (path, family))


def rename(face, family, name):
    """The family's name replaced by `name` wherever the name table carries
    it: family, typographic family, full name and (without spaces) the
    PostScript name."""
    postscript_old = family.replace(" ", "")
    postscript_new = name.replace(" ", "")
    for record in face["name"].names:
        text = record.toUnicode()
        if record.nameID in (1, 4, 16):
            record.string = text.replace(family, name)
        elif record.nameID == 6:
            # "NotoSansCJKsc-Bold": the family without spaces, any case.
            at = text.lower().find(postscript_old.lower())
            if at >= 0:
                record.string = text[:at] + postscript_new + text[at + len(postscript_old):]


def main(argv):
    parser = argparse.ArgumentParser(prog="subset_font.py")
    parser.add_argument("--font", required=True)
    parser.add_argument("--family", required=True)
    parser.add_argument("--name", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("--report")
    parser.add_argument("texts", nargs="+")
    args = parser.parse_args(argv[1:])

    chars = characters_of(args.texts)
    try:
        face = open_face(args.font, args.family)
    except (OSError, ValueError) as error:
        sys.stderr.write("subset_font: %s\n" % error)
        return 1
    covered = face.getBestCmap()
    missing = sorted(ch for ch in chars if ord(ch) not in covered)
    if missing:
        # Not fatal: the host draws these from a fallback font where it has one.
        sys.stderr.write("subset_font: warning: %s lacks %s\n"
                         % (args.family, " ".join("U+%04X" % ord(ch) for ch in missing)))
        chars.difference_update(missing)

    options = subset.Options()
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.name_legacy = True
    options.notdef_outline = True
    options.layout_features = ["*"]
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=[ord(ch) for ch in chars])
    subsetter.subset(face)

    rename(face, args.family, args.name)
    temporary = args.output + ".tmp"
    face.save(temporary)
    os.replace(temporary, args.output)
    if args.report:
        with open(args.report + ".tmp", "w", encoding="ascii") as report:
            report.writelines("%04X\n" % ord(ch) for ch in sorted(chars))
        os.replace(args.report + ".tmp", args.report)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
