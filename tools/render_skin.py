#!/usr/bin/env python3
"""Renders one SVG of the skin artwork to PNG images at 1x and 2x.

usage: render_skin.py --rsvg <rsvg-convert> --optipng <optipng> [--frames N] <svg> <output folder>

Without --frames: <name>.png and <name>@2x.png in the output folder.
With --frames N: the SVG is a spinner whose group id="turn" carries
"rotate(0 cx cy)"; frame k turns it by k*360/N degrees and becomes
<name>_<k, five digits>.png and its @2x twin.
Each image is written under a temporary name and renamed into place, so an
interrupted build never leaves a cut-off PNG behind.

An image with transparency is stored with a palette where optipng finds one
without loss (the shadows have a few dozen colours): the program then
inflates a quarter of the bytes at start, and the decoded pixels are the
same. An opaque image stays as rsvg-convert made it, so that it still
decodes to an opaque image.
"""

import argparse
import os
import re
import struct
import subprocess
import sys

TURN = re.compile(r'(id="turn"\s+transform="rotate\()0(\s)')


COLOUR_RGBA = 6
COLOUR_PALETTE = 3
COLOUR_GREY_ALPHA = 4


def colour_type_and_transparency(path):
    """The IHDR colour type, and whether a tRNS chunk stands before the data."""
    with open(path, "rb") as png:
        data = png.read()
    colour_type = data[25]
    offset = 8
    while offset + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[offset:offset + 8])
        if kind == b"tRNS":
            return colour_type, True
        if kind == b"IDAT":
            break
        offset += 12 + length
    return colour_type, False


def keeps_transparency(path):
    colour_type, transparency = colour_type_and_transparency(path)
    return colour_type in (COLOUR_RGBA, COLOUR_GREY_ALPHA) or (colour_type == COLOUR_PALETTE and transparency)


def smaller_palette(optipng, rendered):
    """optipng's lossless reduction of an image with transparency, in place,
    unless it would no longer decode with an alpha channel."""
    if colour_type_and_transparency(rendered)[0] != COLOUR_RGBA:
        return
    reduced = rendered + ".opt"
    subprocess.run([optipng, "-quiet", "-o1", "-out", reduced, rendered], check=True)
    if keeps_transparency(reduced):
        os.replace(reduced, rendered)
    else:
        os.remove(reduced)


def render(rsvg, optipng, svg_text, output):
    for zoom, path in ((1, output + ".png"), (2, output + "@2x.png")):
        temporary = path + ".tmp"
        subprocess.run([rsvg, "--format=png", "--zoom=%d" % zoom, "--output", temporary],
                       input=svg_text.encode("utf-8"), check=True)
        smaller_palette(optipng, temporary)
        os.replace(temporary, path)


def main(argv):
    parser = argparse.ArgumentParser(prog="render_skin.py")
    parser.add_argument("--rsvg", required=True)
    parser.add_argument("--optipng", required=True)
    parser.add_argument("--frames", type=int, default=0)
    parser.add_argument("svg")
    parser.add_argument("output")
    args = parser.parse_args(argv[1:])
    with open(args.svg, encoding="utf-8") as source:
        text = source.read()
    name = os.path.splitext(os.path.basename(args.svg))[0]
    os.makedirs(args.output, exist_ok=True)
    try:
        if args.frames <= 0:
            render(args.rsvg, args.optipng, text, os.path.join(args.output, name))
            return 0
        if len(TURN.findall(text)) != 1:
            sys.stderr.write("render_skin: %s has no group id=\"turn\" with rotate(0 ...)\n" % args.svg)
            return 1
        for frame in range(args.frames):
            angle = "%.4f" % (frame * 360.0 / args.frames)
            frame_text = TURN.sub(lambda match: match.group(1) + angle + match.group(2), text)
            render(args.rsvg, args.optipng, frame_text, os.path.join(args.output, "%s_%05d" % (name, frame)))
    except (OSError, subprocess.CalledProcessError) as error:
        sys.stderr.write("render_skin: %s: %s\n" % (args.svg, error))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
