#!/usr/bin/env python3
"""Renders one SVG of the skin artwork to PNG images at 1x and 2x.

usage: render_skin.py --rsvg <rsvg-convert> [--frames N] <svg> <output folder>

Without --frames: <name>.png and <name>@2x.png in the output folder.
With --frames N: the SVG is a spinner whose group id="turn" carries
"rotate(0 cx cy)"; frame k turns it by k*360/N degrees and becomes
<name>_<k, five digits>.png and its @2x twin.
Each image is written under a temporary name and renamed into place, so an
interrupted build never leaves a cut-off PNG behind.
"""

import argparse
import os
import re
import subprocess
import sys

TURN = re.compile(r'(id="turn"\s+transform="rotate\()0(\s)')


def render(rsvg, svg_text, output):
    for zoom, path in ((1, output + ".png"), (2, output + "@2x.png")):
        temporary = path + ".tmp"
        subprocess.run([rsvg, "--format=png", "--zoom=%d" % zoom, "--output", temporary],
                       input=svg_text.encode("utf-8"), check=True)
        os.replace(temporary, path)


def main(argv):
    parser = argparse.ArgumentParser(prog="render_skin.py")
    parser.add_argument("--rsvg", required=True)
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
            render(args.rsvg, text, os.path.join(args.output, name))
            return 0
        if len(TURN.findall(text)) != 1:
            sys.stderr.write("render_skin: %s has no group id=\"turn\" with rotate(0 ...)\n" % args.svg)
            return 1
        for frame in range(args.frames):
            angle = "%.4f" % (frame * 360.0 / args.frames)
            frame_text = TURN.sub(lambda match: match.group(1) + angle + match.group(2), text)
            render(args.rsvg, frame_text, os.path.join(args.output, "%s_%05d" % (name, frame)))
    except (OSError, subprocess.CalledProcessError) as error:
        sys.stderr.write("render_skin: %s: %s\n" % (args.svg, error))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
