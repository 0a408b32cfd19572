"""Shared helpers of the end-to-end scripts that check written paths.

Reads the editor's console and clips in the current folder (the editor's
working folder).
"""
import math
import re

BASIS = [[-0.5, 1.5, -1.5, 0.5], [1.0, -2.5, 2.0, -0.5], [-0.5, 0.0, 0.5, 0.0], [0.0, 1.0, 0.0, 0.0]]


def frames(name):
    """Frame count and the frame rows (lists of words) of a BVH file."""
    lines = open(name).read().splitlines()
    count = next(int(l.split()[1]) for l in lines if l.startswith("Frames:"))
    start = next(i for i, l in enumerate(lines) if l.startswith("Frame Time")) + 1
    return count, [l.split() for l in lines[start:] if l.strip()]


def rest_size(name):
    """Largest extent along one axis of the joints' rest positions (the
    root's offset included): the figure size an arrow press is a hundredth of."""
    stack, low, high = [], None, None
    at = [0.0, 0.0, 0.0]
    for line in open(name).read().split("MOTION")[0].splitlines():
        words = line.split()
        if words and words[0] == "{":
            stack.append(list(at))
        elif words and words[0] == "}":
            at = stack.pop()
        elif words and words[0] == "OFFSET":
            base = stack[-1] if stack else [0.0, 0.0, 0.0]
            at = [base[a] + float(words[1 + a]) for a in range(3)]
            low = list(at) if low is None else [min(low[a], at[a]) for a in range(3)]
            high = list(at) if high is None else [max(high[a], at[a]) for a in range(3)]
    return max(high[a] - low[a] for a in range(3))


def segment(i, count, n=4):
    """Curve segment of frame i of count, and the frame's place t in it."""
    u = i / count / 2
    k, s = 1, 1 / n
    while s <= u:
        k += 1
        s += 1 / n
    seg = k - 1
    u0, u1 = seg / n, (seg + 1) / n
    return seg, u / (u1 - u0) - u0 / (u1 - u0)


def weight(point, i, count, n=4):
    """Catmull-Rom weight of control point `point` at frame i of count."""
    seg, t = segment(i, count, n)
    total = 0.0
    for c in range(4):
        if (seg + c) % n == point:
            total += t ** 3 * BASIS[0][c] + t ** 2 * BASIS[1][c] + t * BASIS[2][c] + BASIS[3][c]
    return total


def heading(i, count, fitted, edited, n=4):
    """Degrees the curve's direction at frame i turned from the fitted
    control points to the edited ones, about the vertical."""
    seg, t = segment(i, count, n)
    forward = []
    for points in (edited, fitted):
        f = [0.0, 0.0, 0.0]
        for c in range(4):
            slope = 3 * t ** 2 * BASIS[0][c] + 2 * t * BASIS[1][c] + BASIS[2][c]
            for a in range(3):
                f[a] += slope * points[(seg + c) % n][a]
        forward.append(f)
    f, g = forward
    return math.degrees(math.atan2(f[0] * g[2] - f[2] * g[0], f[0] * g[0] + f[2] * g[2]))


def turn(axis, degrees):
    """Rotation matrix about axis "x", "y" or "z", as glRotate turns."""
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))
    return {"x": [[1, 0, 0], [0, c, -s], [0, s, c]],
            "y": [[c, 0, s], [0, 1, 0], [-s, 0, c]],
            "z": [[c, -s, 0], [s, c, 0], [0, 0, 1]]}[axis]


def times(a, b):
    return [[sum(a[r][k] * b[k][c] for k in range(3)) for c in range(3)] for r in range(3)]


def rotation(axes, angles):
    """Matrix of angles about axes (e.g. "zxy"), the first listed outermost."""
    result = turn(axes[0], float(angles[0]))
    for axis, angle in zip(axes[1:], angles[1:]):
        result = times(result, turn(axis, float(angle)))
    return result


def fitted_points(console):
    """The control points of the first fit on the console."""
    return [[float(v) for v in p] for p in
            re.findall(r"General setting -?\d+: (\S+) (\S+) (\S+)", console)[:4]]


def control_point_pixels(console, clip):
    """View pixels of the fitted control points, from the editor's fixed
    camera: perspective 45 degrees over the 900 x 600 view, the world shifted
    by (0, -1, -12), the look-at eye (0, 0, 1) to centre 0; the points drawn
    on the floor in the figure's frame, (0.05 x, -2, 0.05 z) lifted by 0.015
    (the clips used here have no root offset)."""
    points = [(x, z) for x, _, z in fitted_points(console)]
    focal = 1 / math.tan(math.radians(22.5))

    def window(x, z):
        wx, wy, wz = 0.05 * x, -2 + 0.015, 0.05 * z
        depth = 13 - wz
        return ((focal / 1.5 * wx / depth + 1) / 2 * 900,
                600 - (focal * (wy - 1) / depth + 1) / 2 * 600)

    return [window(x, z) for x, z in points]


def roomiest_point(pixels):
    """Index of the point inside the view farthest from the others."""
    def room(i):
        x, y = pixels[i]
        inside = 40 < x < 780 and 20 < y < 560
        gap = min(math.dist(pixels[i], pixels[j]) for j in range(4) if j != i)
        return gap if inside else -1
    return max(range(4), key=room)
