#!/usr/bin/env python3
"""Writes the click-value pictures notehead-<v>.svg into the images folder.

A click value v is a whole note divided by v. The picture shows the note of the largest
power of two not above v (whole, half, quarter, eighth, sixteenth, thirty-second) and the
number v beside it, so tuplet values (3, 6, 7, 12, ...) stay distinguishable. The screens
paint the picture in a single colour, so everything is one solid shape on transparency.
Digits are strokes, not text, so the pictures do not depend on installed fonts.
"""
import os

VALUES = [1, 2, 3, 4, 6, 7, 8, 12, 14, 16, 24, 28, 30, 31, 32]
INK = '#ffffff'

# Stroke digits in a 6 x 12 box.
DIGITS = {
    '0': 'M0 3.2 A3 3.2 0 0 1 6 3.2 V8.8 A3 3.2 0 0 1 0 8.8 Z',
    '1': 'M0.8 2.6 L3.6 0 V12',
    '2': 'M0.1 3 A3 3 0 0 1 6 3 C6 6 0.2 8 0 12 H6',
    '3': 'M0.3 0 H5.8 L2.6 4.6 A3.6 3.7 0 1 1 0 10.6',
    '4': 'M4.4 12 V0 L0 8.4 H6.2',
    '6': 'M5.2 0.2 C2.5 1.2 0 4.2 0 8.7 A3 3.3 0 1 0 6 8.7 A3 3.3 0 1 0 0 8.7',
    '7': 'M0 0 H6 L2 12',
    '8': 'M3 5.6 A2.7 2.8 0 1 1 3 0 A2.7 2.8 0 1 1 3 5.6 A3 3.2 0 1 0 3 12 A3 3.2 0 1 0 3 5.6 Z',
}


def number(v, right, top, scale):
    text = str(v)
    advance = (7.4 if len(text) > 1 else 8.0) * scale
    x = right - (len(text) * advance - (advance - 6.0 * scale))
    parts = []
    for i, ch in enumerate(text):
        dx = x + i * advance
        parts.append(f'  <path transform="translate({dx:.2f} {top:.2f}) scale({scale:.3f})" d="{DIGITS[ch]}" '
                     f'fill="none" stroke="{INK}" stroke-width="{2.6 / scale:.2f}" stroke-linecap="round" stroke-linejoin="round"/>')
    return '\n'.join(parts)


def note(base):
    """The note shape for base value 1, 2, 4, 8, 16 or 32, head low left, stem up on the right."""
    cx, cy = 7.5, 25.0
    out = []
    hollow = base <= 2
    if base == 1:
        out.append(f'  <ellipse cx="{cx + 1}" cy="{cy - 5}" rx="7" ry="5" fill="none" stroke="{INK}" stroke-width="3"/>')
        return '\n'.join(out)
    head = f'ellipse cx="{cx}" cy="{cy}" rx="4.8" ry="3.5" transform="rotate(-22 {cx} {cy})"'
    if hollow:
        out.append(f'  <{head} fill="none" stroke="{INK}" stroke-width="2.2"/>')
    else:
        out.append(f'  <{head} fill="{INK}"/>')
    stem_x = cx + 4.3
    out.append(f'  <path d="M{stem_x} {cy - 1} V2.5" stroke="{INK}" stroke-width="1.9" stroke-linecap="round"/>')
    flags = {8: 1, 16: 2, 32: 3}.get(base, 0)
    for i in range(flags):
        y = 2.5 + i * 4.2
        out.append(f'  <path d="M{stem_x} {y} C{stem_x + 1} {y + 2.6} {stem_x + 6} {y + 3.4} {stem_x + 5} {y + 7.5}" '
                   f'fill="none" stroke="{INK}" stroke-width="2.1" stroke-linecap="round"/>')
    return '\n'.join(out)


def base_of(v):
    b = 1
    while b * 2 <= v:
        b *= 2
    return b


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
    for v in VALUES:
        two = v >= 10
        body = note(base_of(v))
        # the number sits on the right, level with the note head
        scale = 1.08 if two else 1.4
        num = number(v, 31.0, 32 - 1.0 - 12 * scale, scale)
        svg = ('<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">\n'
               f'{body}\n{num}\n</svg>\n')
        with open(os.path.join(folder, f'notehead-{v}.svg'), 'w') as f:
            f.write(svg)


if __name__ == '__main__':
    main()
