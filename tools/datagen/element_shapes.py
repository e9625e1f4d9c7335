#!/usr/bin/env python3
"""Writes the element rows of data/properties/config.xml and data/properties/offsets.xml.

Each piece is given by its cells in the first rotation; the other five rotations are the shape
turned clockwise on screen by 60 degrees at a time, moved back onto the 5 x 5 mask so that the
mask origin stays an up-pointing cell. Run it again after changing a shape and commit both files.
"""
import math
import sys

W, H = 20.0, 35.0  # column step and row height of a triangular cell

# (picture id, cells (column, row) of the first rotation where the picture draws them). The pictures
# (data/images/pieces.txt) show the whole 5 x 5 mask with a 6 pixel margin, so a type's image_center
# is the centre of these cells plus (6, 6).
SHAPES = [
    ("IMAGE_ELEMENT_02", [(2, 2), (3, 2)]),                                  # type 0: what the crab leaves
    ("IMAGE_ELEMENT_03", [(1, 2), (2, 2), (3, 2)]),
    ("IMAGE_ELEMENT_04", [(1, 2), (2, 2), (3, 2), (4, 2)]),
    ("IMAGE_ELEMENT_05", [(3, 1), (2, 2), (3, 2), (4, 2)]),
    ("IMAGE_ELEMENT_06", [(1, 1), (2, 1), (3, 1), (1, 2), (2, 2), (3, 2)]),
    ("IMAGE_ELEMENT_07", [(1, 1), (2, 1), (3, 1), (3, 2)]),
    ("IMAGE_ELEMENT_08", [(0, 2), (1, 2), (2, 2), (3, 2), (4, 2)]),
    ("IMAGE_ELEMENT_09", [(1, 1), (2, 1), (3, 1), (3, 2), (4, 2)]),
    ("IMAGE_ELEMENT_10", [(1, 1), (1, 2), (2, 2), (3, 2), (3, 1)]),
    ("IMAGE_ELEMENT_11", [(3, 1), (2, 2), (3, 2), (4, 2), (2, 3), (4, 3)]),
    ("IMAGE_ELEMENT_12", [(0, 2), (1, 2), (2, 2), (3, 2), (4, 2), (2, 3)]),
    ("IMAGE_ELEMENT_13", [(2, 1), (3, 1), (3, 2), (4, 2)]),
    ("IMAGE_ELEMENT_14", [(1, 1), (2, 1), (3, 1), (4, 1), (4, 2), (3, 2)]),
    ("IMAGE_ELEMENT_15", [(2, 1), (3, 1), (4, 1), (1, 2), (2, 2), (3, 2)]),
    ("IMAGE_ELEMENT_01", [(2, 2)]),                                          # type 14: one triangle
]
PAD = 6

SQ3 = math.sqrt(3.0)


def up(c, r):
    return (c + r) % 2 == 0


def centroid(c, r):
    # On an equilateral lattice (edge 2 units): column step 1, row height sqrt(3).
    x = c + 1.0
    y = r * SQ3 + (2.0 / 3.0 * SQ3 if up(c, r) else 1.0 / 3.0 * SQ3)
    return x, y


def cell_of(x, y):
    r = int(math.floor(y / SQ3 + 1e-6))
    for c in range(int(math.floor(x)) - 2, int(math.floor(x)) + 3):
        cx, cy = centroid(c, r)
        if abs(cx - x) < 1e-4 and abs(cy - y) < 1e-4:
            return c, r
    raise ValueError("no cell at %f %f" % (x, y))


def rotate(cells):
    a = math.radians(60)  # clockwise on screen (y grows downward)
    out = []
    for c, r in cells:
        x, y = centroid(c, r)
        x -= 1.0  # turn about the lattice vertex (1, 0)
        out.append(cell_of(x * math.cos(a) - y * math.sin(a) + 1.0, x * math.sin(a) + y * math.cos(a)))
    return normalise(out)


def normalise(cells):
    mc = min(c for c, _ in cells)
    mr = min(r for _, r in cells)
    if (mc + mr) % 2 == 0:
        return sorted((c - mc, r - mr) for c, r in cells)
    # The origin must stay an up cell: move one column right or one row down, whichever fits.
    right = sorted((c - mc + 1, r - mr) for c, r in cells)
    down = sorted((c - mc, r - mr + 1) for c, r in cells)
    return right if all(c < 5 for c, _ in right) else down


def connected(cells):
    s = set(cells)
    seen = {cells[0]}
    todo = [cells[0]]
    while todo:
        c, r = todo.pop()
        nb = [(c - 1, r), (c + 1, r), (c, r + 1) if up(c, r) else (c, r - 1)]
        for n in nb:
            if n in s and n not in seen:
                seen.add(n)
                todo.append(n)
    return len(seen) == len(s)


def mask_text(cells):
    rows = []
    for r in range(5):
        rows.append("".join("1" if (c, r) in cells else "0" for c in range(5)))
    return " ".join(rows)


def centre(cells):
    xs = [c * W + W for c, r in cells]
    ys = [r * H + (H * 2 / 3 if up(c, r) else H / 3) for c, r in cells]
    return sum(xs) / len(xs), sum(ys) / len(ys)


def main():
    rows = []
    for tid, (image, drawn) in enumerate(SHAPES):
        name = image
        cells = normalise(drawn)
        assert connected(cells), name
        rots = [cells]
        for _ in range(5):
            rots.append(rotate(rots[-1]))
        for m in rots:
            assert all(0 <= c < 5 and 0 <= r < 5 for c, r in m), (name, m)
        assert rotate(rots[5]) == rots[0], name
        positions = next(p for p in (1, 2, 3, 6) if all(rots[k] == rots[k % p] for k in range(6)))
        cx, cy = centre(drawn)
        attrs = []
        for k in range(6):
            attrs.append('grid%d="%s"' % (k + 1, mask_text(set(rots[k]))))
        for k in range(6):
            x, y = centre(rots[k])
            attrs.append('center%d="%.2f %.2f"' % (k + 1, x, y))
        attrs.append('image="%s"' % image)
        attrs.append('image_center="%.2f %.2f"' % (cx + PAD, cy + PAD))
        attrs.append('positions="%d"' % positions)
        attrs.append('score="%d"' % (10 * len(cells)))
        attrs.append('sink_depth="%d"' % 6)
        rows.append("\t<!-- type %d: %s, %d cells -->\n\t<element\n\t\t%s />" % (tid, name, len(cells), "\n\t\t".join(attrs)))
    sys.stdout.write("\n".join(rows) + "\n")


if __name__ == "__main__":
    main()
