#!/usr/bin/env python3
"""Writes keep_off.svg: the pin of keep.svg crossed out by a slash.

The slash needs a transparent gap on both sides where it crosses the pin, and the screens'
SVG renderer ignores masks and clip paths, so the pin is cut here: each convex piece of the
pin is clipped against the two half-planes beside the slash.
"""
import math
import os

# keep.svg's pin as convex pieces (its cap's round ends are left square)
PIECES = [
    [(9, 3), (15, 3), (15, 5), (9, 5)],
    [(9.8, 5), (14.2, 5), (14.2, 10), (9.8, 10)],
    [(9.8, 10), (14.2, 10), (17.5, 13.5), (17.5, 15.5), (6.5, 15.5), (6.5, 13.5)],
    [(11, 15.5), (13, 15.5), (13, 21), (12, 22.5), (11, 21)],
]
GAP = 1.9 * math.sqrt(2)  # half-width of the cut across the line y = x, measured along y - x


def clip(poly, keep):
    out = []
    for i, cur in enumerate(poly):
        prev = poly[i - 1]
        cin, pin = keep(cur) >= 0, keep(prev) >= 0
        if cin != pin:
            t = keep(prev) / (keep(prev) - keep(cur))
            out.append((prev[0] + t * (cur[0] - prev[0]), prev[1] + t * (cur[1] - prev[1])))
        if cin:
            out.append(cur)
    return out


def main():
    sides = [lambda p: (p[1] - p[0]) - GAP, lambda p: -(p[1] - p[0]) - GAP]
    paths = []
    for piece in PIECES:
        for side in sides:
            part = clip(piece, side)
            if len(part) >= 3:
                paths.append('M' + ' L'.join(f'{x:.2f} {y:.2f}' for x, y in part) + ' Z')
    svg = ('<svg xmlns="http://www.w3.org/2000/svg" width="24" height="24" viewBox="0 0 24 24">\n'
           f'  <path d="{" ".join(paths)}" fill="#ffffff"/>\n'
           '  <path d="M3.5 3.5 L20.5 20.5" stroke="#ffffff" stroke-width="1.8" stroke-linecap="round"/>\n'
           '</svg>\n')
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'keep_off.svg'), 'w') as f:
        f.write(svg)


if __name__ == '__main__':
    main()
