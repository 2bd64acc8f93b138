#!/usr/bin/python3
"""Builds data/Font2.ttf, the game's own typeface, from stroke definitions.

Every glyph is described as centre lines (polylines with rounded corners,
smooth splines, circles) that FontForge expands with a round pen of fixed
width, so the face is a monoline, rounded, strongly condensed sans: the game
draws all of its text at 30 pixels into tight places, and this face keeps
every text inside the room it has there.

Run with Debian's python3 (which has the fontforge module):
    /usr/bin/python3 tools/font/build_font.py [output.ttf]
The output is byte-for-byte reproducible (timestamps are pinned).
"""

import math
import os
import sys

# Pinned, not defaulted: the timestamps are part of the committed bytes.
os.environ["SOURCE_DATE_EPOCH"] = "1700000000"
import fontforge  # noqa: E402

EM = 1000
ASCENT = 800
DESCENT = 200

SW = 92            # pen width
H = SW / 2         # half pen
SB = 32            # default side bearing (ink to advance edge)

B = H              # baseline centre line
T = 480 - H        # x-height centre line (ink top 480)
C = 680 - H        # cap-height centre line (ink top 680)
A = 720 - H        # ascender centre line
D = -180 + H       # descender centre line
MX = (B + T) / 2   # middle of the x-height
MC = (B + C) / 2   # middle of the cap height

KAPPA = 0.5522847498


# --------------------------------------------------------------------------
# Path construction: lists of drawing commands, later replayed into a pen.

class Path:
    def __init__(self, filled=False):
        self.cmds = []
        self.filled = filled  # drawn as an outline of its own, not stroked

    def move(self, p):
        self.cmds.append(("m", p))

    def line(self, p):
        self.cmds.append(("l", p))

    def curve(self, c1, c2, p):
        self.cmds.append(("c", c1, c2, p))

    def end(self, closed=False):
        self.cmds.append(("z" if closed else "e",))


def _sub(a, b):
    return (a[0] - b[0], a[1] - b[1])


def _add(a, b):
    return (a[0] + b[0], a[1] + b[1])


def _mul(a, k):
    return (a[0] * k, a[1] * k)


def _len(a):
    return math.hypot(a[0], a[1])


def _unit(a):
    n = _len(a)
    return (a[0] / n, a[1] / n) if n > 0 else (0.0, 0.0)


def rpoly(pts, radii=None, closed=False):
    """Polyline through pts whose corners are rounded with the given radii
    (one per point; ends of an open line ignore theirs). A radius is reduced
    when the neighbouring segments are too short to hold its arc."""
    n = len(pts)
    if radii is None:
        radii = [0] * n
    elif not isinstance(radii, (list, tuple)):
        radii = [radii] * n
    corners = range(n) if closed else range(1, n - 1)

    def seg(i):  # segment from point i to point i+1
        return _len(_sub(pts[(i + 1) % n], pts[i]))

    def rounded(i):
        if not closed and (i == 0 or i == n - 1):
            return False
        return radii[i] > 0

    fillets = {}
    for i in corners:
        r = radii[i]
        if r <= 0:
            continue
        p = pts[i]
        a = pts[(i - 1) % n]
        b = pts[(i + 1) % n]
        din = _unit(_sub(p, a))
        dout = _unit(_sub(b, p))
        cosang = max(-1.0, min(1.0, din[0] * dout[0] + din[1] * dout[1]))
        phi = math.acos(cosang)  # turning angle
        if phi < 1e-6:
            continue
        tan_half = math.tan(phi / 2)
        t = r * tan_half
        lin = seg((i - 1) % n)
        lout = seg(i)
        lim_in = lin / 2 if rounded((i - 1) % n) else lin
        lim_out = lout / 2 if rounded((i + 1) % n) else lout
        t = min(t, lim_in, lim_out)
        reff = t / tan_half
        k = 4.0 / 3.0 * math.tan(phi / 4) * reff
        a0 = _sub(p, _mul(din, t))
        b0 = _add(p, _mul(dout, t))
        fillets[i] = (a0, _add(a0, _mul(din, k)), _sub(b0, _mul(dout, k)), b0)

    path = Path()
    if closed:
        start = fillets[0][3] if 0 in fillets else pts[0]
        path.move(start)
        order = list(range(1, n)) + [0]
    else:
        path.move(pts[0])
        order = list(range(1, n))
    for i in order:
        if i in fillets:
            a0, c1, c2, b0 = fillets[i]
            path.line(a0)
            path.curve(c1, c2, b0)
        else:
            path.line(pts[i])
    path.end(closed)
    return path


def spline(pts, closed=False):
    """Smooth curve through pts (Catmull-Rom, turned into cubic pieces)."""
    n = len(pts)
    path = Path()
    path.move(pts[0])
    count = n if closed else n - 1
    for i in range(count):
        p0 = pts[(i - 1) % n] if (closed or i > 0) else pts[0]
        p1 = pts[i % n]
        p2 = pts[(i + 1) % n]
        p3 = pts[(i + 2) % n] if (closed or i + 2 < n) else pts[n - 1]
        c1 = _add(p1, _mul(_sub(p2, p0), 1 / 6))
        c2 = _sub(p2, _mul(_sub(p3, p1), 1 / 6))
        path.curve(c1, c2, p2)
    path.end(closed)
    return path


def ellipse(cx, cy, rx, ry, filled=False):
    kx, ky = rx * KAPPA, ry * KAPPA
    path = Path(filled)
    path.move((cx + rx, cy))
    path.curve((cx + rx, cy + ky), (cx + kx, cy + ry), (cx, cy + ry))
    path.curve((cx - kx, cy + ry), (cx - rx, cy + ky), (cx - rx, cy))
    path.curve((cx - rx, cy - ky), (cx - kx, cy - ry), (cx, cy - ry))
    path.curve((cx + kx, cy - ry), (cx + rx, cy - ky), (cx + rx, cy))
    path.end(True)
    return path


def line(*pts):
    return rpoly(list(pts))


def stem(x, y0, y1):
    return line((x, y0), (x, y1))


def dot(x, y):
    """A round dot a little heavier than the pen."""
    return ellipse(x, y, H + 18, H + 18, filled=True)


def stadium(x0, y0, x1, y1, r=None):
    if r is None:
        r = (x1 - x0) / 2
    return rpoly([(x0, y1), (x1, y1), (x1, y0), (x0, y0)], r, closed=True)


# --------------------------------------------------------------------------
# Glyph table: name -> (char code, centre-line width, builder, bearings)

GLYPHS = {}


def glyph(ch, w, lsb=SB, rsb=None, adv=None):
    """Registers a glyph of centre-line width w. The builder gets x0 and x1,
    the left and right centre lines, and returns a list of paths."""
    def deco(fn):
        GLYPHS[ch] = (w, lsb, rsb if rsb is not None else lsb, adv, fn)
        return fn
    return deco


# ---- lower case ----------------------------------------------------------

@glyph("a", 190)
def g_a(x0, x1):
    ym = B + 0.53 * (T - B)
    rb = (ym - B) / 2
    return [rpoly([(x0 + 12, T), (x1, T), (x1, B)], [0, 88, 0]),
            rpoly([(x1, ym), (x0, ym), (x0, B), (x1, B)], [0, rb, rb, 0])]


@glyph("b", 196)
def g_b(x0, x1):
    r = (x1 - x0) / 2
    return [stem(x0, B, A), rpoly([(x0, T), (x1, T), (x1, B), (x0, B)], [0, r, r, 0])]


@glyph("c", 186)
def g_c(x0, x1):
    r = (x1 - x0) / 2
    return [rpoly([(x1, T), (x0, T), (x0, B), (x1, B)], [0, r, r, 0])]


@glyph("d", 196)
def g_d(x0, x1):
    r = (x1 - x0) / 2
    return [stem(x1, B, A), rpoly([(x1, T), (x0, T), (x0, B), (x1, B)], [0, r, r, 0])]


@glyph("e", 190)
def g_e(x0, x1):
    r = (x1 - x0) / 2
    ym = B + 0.52 * (T - B)
    return [rpoly([(x0, ym), (x1, ym), (x1, T), (x0, T), (x0, B), (x1, B)],
                  [0, 0, r, r, r, 0])]


@glyph("f", 140, lsb=20, rsb=10)
def g_f(x0, x1):
    xs = x0 + 34
    return [rpoly([(xs, B), (xs, A), (x1, A)], [0, 70, 0]),
            line((x0 - 12, T), (x1 - 20, T))]


@glyph("g", 196)
def g_g(x0, x1):
    r = (x1 - x0) / 2
    return [rpoly([(x1, T), (x0, T), (x0, B + 20), (x1, B + 20)], [0, r, r, 0]),
            rpoly([(x1, T), (x1, D), (x0, D)], [0, r, 0])]


@glyph("h", 196)
def g_h(x0, x1):
    return [stem(x0, B, A), rpoly([(x0, T), (x1, T), (x1, B)], [0, (x1 - x0) / 2, 0])]


@glyph("i", 0, lsb=44)
def g_i(x0, x1):
    return [stem(x0, B, T), dot(x0, T + 150)]


@glyph("j", 70, lsb=-10, rsb=44)
def g_j(x0, x1):
    return [rpoly([(x1, T), (x1, D), (x0 - 30, D)], [0, 70, 0]), dot(x1, T + 150)]


@glyph("k", 170)
def g_k(x0, x1):
    return [stem(x0, B, A), line((x1, T), (x0, B + 150)), line((x0 + 70, B + 205), (x1, B))]


@glyph("l", 46, lsb=44, rsb=30)
def g_l(x0, x1):
    return [rpoly([(x0, A), (x0, B), (x1 + 10, B)], [0, 48, 0])]


@glyph("m", 324)
def g_m(x0, x1):
    xm = (x0 + x1) / 2
    r = (xm - x0) / 2
    return [stem(x0, B, T),
            rpoly([(x0, T), (xm, T), (xm, B)], [0, r, 0]),
            rpoly([(xm, T), (x1, T), (x1, B)], [0, r, 0])]


@glyph("n", 196)
def g_n(x0, x1):
    return [stem(x0, B, T), rpoly([(x0, T), (x1, T), (x1, B)], [0, (x1 - x0) / 2, 0])]


@glyph("o", 196, lsb=32)
def g_o(x0, x1):
    return [stadium(x0, B, x1, T)]


@glyph("p", 196)
def g_p(x0, x1):
    r = (x1 - x0) / 2
    return [stem(x0, D, T), rpoly([(x0, T), (x1, T), (x1, B), (x0, B)], [0, r, r, 0])]


@glyph("q", 196)
def g_q(x0, x1):
    r = (x1 - x0) / 2
    return [stem(x1, D, T), rpoly([(x1, T), (x0, T), (x0, B), (x1, B)], [0, r, r, 0])]


@glyph("r", 124, rsb=24)
def g_r(x0, x1):
    return [stem(x0, B, T), rpoly([(x0, T), (x1, T), (x1, T - 46)], [0, 46, 0])]


@glyph("s", 178)
def g_s(x0, x1):
    ym = B + 0.52 * (T - B)
    r = (x1 - x0) / 2
    return [rpoly([(x1, T), (x0, T), (x0, ym), (x1, ym), (x1, B), (x0, B)],
                  [0, r, r, r, r, 0])]


@glyph("t", 132, lsb=24, rsb=24)
def g_t(x0, x1):
    xs = x0 + 36
    return [rpoly([(xs, A - 50), (xs, B), (x1, B)], [0, 66, 0]), line((x0 - 8, T), (x1, T))]


@glyph("u", 196)
def g_u(x0, x1):
    return [rpoly([(x0, T), (x0, B), (x1, B)], [0, (x1 - x0) / 2, 0]), stem(x1, B, T)]


@glyph("v", 200, lsb=28)
def g_v(x0, x1):
    xc = (x0 + x1) / 2
    return [rpoly([(x0, T), (xc, B), (x1, T)], [0, 24, 0])]


@glyph("w", 320, lsb=28)
def g_w(x0, x1):
    w = x1 - x0
    xc = (x0 + x1) / 2
    return [rpoly([(x0, T), (x0 + 0.2 * w, B), (xc, T - 150), (x1 - 0.2 * w, B), (x1, T)],
                  [0, 16, 12, 16, 0])]


@glyph("x", 196, lsb=28)
def g_x(x0, x1):
    return [line((x0, T), (x1, B)), line((x1, T), (x0, B))]


@glyph("y", 196)
def g_y(x0, x1):
    r = (x1 - x0) / 2
    return [rpoly([(x0, T), (x0, B + 20), (x1, B + 20)], [0, r, 0]),
            rpoly([(x1, T), (x1, D), (x0, D)], [0, r, 0])]


@glyph("z", 176, lsb=30)
def g_z(x0, x1):
    return [rpoly([(x0, T), (x1, T), (x0, B), (x1, B)])]


# ---- capitals ------------------------------------------------------------

@glyph("A", 240, lsb=28)
def g_A(x0, x1):
    w = x1 - x0
    return [rpoly([(x0, B), (x0 + 0.36 * w, C), (x1 - 0.36 * w, C), (x1, B)], [0, 30, 30, 0]),
            line((x0 + 0.1 * w, B + 200), (x1 - 0.1 * w, B + 200))]


@glyph("B", 210)
def g_B(x0, x1):
    ym = MC + 16
    return [stem(x0, B, C),
            rpoly([(x0, C), (x1 - 22, C), (x1 - 22, ym), (x0, ym)], [0, 94, 94, 0]),
            rpoly([(x0, ym), (x1, ym), (x1, B), (x0, B)], [0, 105, 105, 0])]


@glyph("C", 216)
def g_C(x0, x1):
    r = (x1 - x0) / 2
    return [rpoly([(x1, C), (x0, C), (x0, B), (x1, B)], [0, r, r, 0])]


@glyph("D", 220)
def g_D(x0, x1):
    r = (x1 - x0) / 2
    return [stem(x0, B, C), rpoly([(x0, C), (x1, C), (x1, B), (x0, B)], [0, r, r, 0])]


@glyph("E", 180)
def g_E(x0, x1):
    return [rpoly([(x1, C), (x0, C), (x0, B), (x1, B)]), line((x0, MC + 10), (x1 - 34, MC + 10))]


@glyph("F", 176)
def g_F(x0, x1):
    return [rpoly([(x1, C), (x0, C), (x0, B)]), line((x0, MC + 10), (x1 - 34, MC + 10))]


@glyph("G", 224)
def g_G(x0, x1):
    r = (x1 - x0) / 2
    xc = (x0 + x1) / 2
    return [rpoly([(x1, C - 110), (x1, C), (x0, C), (x0, B), (x1, B), (x1, MC - 10), (xc + 10, MC - 10)],
                  [0, r, r, r, r, 0, 0])]


@glyph("H", 212)
def g_H(x0, x1):
    return [stem(x0, B, C), stem(x1, B, C), line((x0, MC + 10), (x1, MC + 10))]


@glyph("I", 120, lsb=26)
def g_I(x0, x1):
    xc = (x0 + x1) / 2
    return [stem(xc, B, C), line((x0, C), (x1, C)), line((x0, B), (x1, B))]


@glyph("J", 176, lsb=26)
def g_J(x0, x1):
    r = (x1 - x0) / 2
    return [rpoly([(x0 + 20, C), (x1, C), (x1, B), (x0, B), (x0, B + 110)], [0, 0, r, r, 0])]


@glyph("K", 210)
def g_K(x0, x1):
    return [stem(x0, B, C), line((x1, C), (x0, B + 220)), line((x0 + 84, MC + 20), (x1, B))]


@glyph("L", 170)
def g_L(x0, x1):
    return [rpoly([(x0, C), (x0, B), (x1, B)])]


@glyph("M", 300)
def g_M(x0, x1):
    xc = (x0 + x1) / 2
    return [rpoly([(x0, B), (x0, C), (xc, MC - 30), (x1, C), (x1, B)], [0, 10, 10, 10, 0])]


@glyph("N", 196)
def g_N(x0, x1):
    return [rpoly([(x0, B), (x0, C), (x1, B), (x1, C)], [0, 8, 8, 0])]


@glyph("O", 226, lsb=32)
def g_O(x0, x1):
    return [stadium(x0, B, x1, C)]


@glyph("P", 206)
def g_P(x0, x1):
    ym = MC - 10
    r = min((x1 - x0) / 2, (C - ym) / 2)
    return [stem(x0, B, C), rpoly([(x0, C), (x1, C), (x1, ym), (x0, ym)], [0, r, r, 0])]


@glyph("Q", 226, lsb=32)
def g_Q(x0, x1):
    xc = (x0 + x1) / 2
    return [stadium(x0, B, x1, C), line((xc + 30, B + 110), (x1 + 34, B - 60))]


@glyph("R", 210)
def g_R(x0, x1):
    ym = MC - 10
    r = min((x1 - x0) / 2, (C - ym) / 2)
    xc = (x0 + x1) / 2
    return [stem(x0, B, C), rpoly([(x0, C), (x1, C), (x1, ym), (x0, ym)], [0, r, r, 0]),
            line((xc, ym), (x1, B))]


@glyph("S", 210)
def g_S(x0, x1):
    ym = MC + 10
    r = (x1 - x0) / 2
    return [rpoly([(x1, C), (x0, C), (x0, ym), (x1, ym), (x1, B), (x0, B)], [0, r, r, r, r, 0])]


@glyph("T", 220, lsb=22)
def g_T(x0, x1):
    xc = (x0 + x1) / 2
    return [line((x0, C), (x1, C)), stem(xc, B, C)]


@glyph("U", 216)
def g_U(x0, x1):
    r = (x1 - x0) / 2
    return [rpoly([(x0, C), (x0, B), (x1, B), (x1, C)], [0, r, r, 0])]


@glyph("V", 236, lsb=24)
def g_V(x0, x1):
    xc = (x0 + x1) / 2
    return [rpoly([(x0, C), (xc, B), (x1, C)], [0, 24, 0])]


@glyph("W", 330, lsb=24)
def g_W(x0, x1):
    w = x1 - x0
    xc = (x0 + x1) / 2
    return [rpoly([(x0, C), (x0 + 0.22 * w, B), (xc, C - 190), (x1 - 0.22 * w, B), (x1, C)],
                  [0, 16, 12, 16, 0])]


@glyph("X", 226, lsb=26)
def g_X(x0, x1):
    return [line((x0, C), (x1, B)), line((x1, C), (x0, B))]


@glyph("Y", 236, lsb=22)
def g_Y(x0, x1):
    xc = (x0 + x1) / 2
    ym = MC - 20
    return [rpoly([(x0, C), (xc, ym), (x1, C)], [0, 20, 0]), stem(xc, B, ym)]


@glyph("Z", 206, lsb=30)
def g_Z(x0, x1):
    return [rpoly([(x0, C), (x1, C), (x0, B), (x1, B)])]


# ---- digits: one fixed advance so columns of numbers line up -------------

DIGIT_ADV = 366
DW = 200


def digit(ch):
    return glyph(ch, DW, adv=DIGIT_ADV)


@digit("0")
def g_0(x0, x1):
    return [stadium(x0, B, x1, C), line((x0 + 70, B + 200), (x1 - 70, C - 200))]


@digit("1")
def g_1(x0, x1):
    xc = (x0 + x1) / 2 + 30
    return [rpoly([(xc - 110, C - 110), (xc, C), (xc, B)], [0, 10, 0])]


@digit("2")
def g_2(x0, x1):
    r = (x1 - x0) / 2
    return [rpoly([(x0, C - 110), (x0, C), (x1, C), (x1, MC + 40), (x0, B), (x1, B)],
                  [0, r, r, 70, 0, 0])]


@digit("3")
def g_3(x0, x1):
    ym = MC + 10
    return [rpoly([(x0, C), (x1, C), (x1, ym), (x0 + 60, ym)], [0, 96, 96, 0]),
            rpoly([(x0 + 60, ym), (x1, ym), (x1, B), (x0, B)], [0, 102, 102, 0])]


@digit("4")
def g_4(x0, x1):
    xs = x1 - 30
    yb = B + 170
    return [stem(xs, B, C), rpoly([(xs, C), (x0, yb), (x1 + 20, yb)], [0, 10, 0])]


@digit("5")
def g_5(x0, x1):
    ym = MC + 30
    r = (x1 - x0) / 2
    return [rpoly([(x1, C), (x0, C), (x0, ym), (x1, ym), (x1, B), (x0, B)], [0, 0, 0, r, r, 0])]


@digit("6")
def g_6(x0, x1):
    ym = MC + 20
    r = (x1 - x0) / 2
    return [rpoly([(x1, C), (x0, C), (x0, B), (x1, B), (x1, ym), (x0, ym)], [0, r, r, r, r, 0])]


@digit("7")
def g_7(x0, x1):
    xc = (x0 + x1) / 2
    return [rpoly([(x0, C), (x1, C), (xc - 24, B)], [0, 10, 0])]


@digit("8")
def g_8(x0, x1):
    ym = MC + 24
    return [stadium(x0 + 14, ym, x1 - 14, C), stadium(x0, B, x1, ym)]


@digit("9")
def g_9(x0, x1):
    ym = MC - 20
    r = (x1 - x0) / 2
    return [rpoly([(x0, B), (x1, B), (x1, C), (x0, C), (x0, ym), (x1, ym)], [0, r, r, r, r, 0])]


# ---- punctuation and symbols ---------------------------------------------

@glyph(" ", 0, lsb=0, rsb=0, adv=266)
def g_space(x0, x1):
    return []


@glyph("!", 0, lsb=48)
def g_excl(x0, x1):
    return [stem(x0, B + 170, C), dot(x0, B + 2)]


@glyph('"', 110, lsb=40)
def g_quote(x0, x1):
    return [stem(x0, C, C - 150), stem(x1, C, C - 150)]


@glyph("#", 300, lsb=24)
def g_hash(x0, x1):
    w = x1 - x0
    return [line((x0 + 0.35 * w, C - 40), (x0 + 0.2 * w, B + 40)),
            line((x1 - 0.2 * w, C - 40), (x1 - 0.35 * w, B + 40)),
            line((x0, 420), (x1, 420)), line((x0, 220), (x1, 220))]


@glyph("$", 200)
def g_dollar(x0, x1):
    xc = (x0 + x1) / 2
    ym = MC + 10
    r = 90
    return [rpoly([(x1, C - 60), (x0, C - 60), (x0, ym), (x1, ym), (x1, B + 60), (x0, B + 60)],
                  [0, r, r, r, r, 0]),
            stem(xc, B - 60, C + 20)]


@glyph("%", 330, lsb=24)
def g_percent(x0, x1):
    return [stadium(x0, C - 200, x0 + 110, C), stadium(x1 - 110, B, x1, B + 200),
            line((x1 - 20, C), (x0 + 20, B))]


@glyph("&", 250, lsb=28)
def g_amp(x0, x1):
    return [spline([(x1 + 10, B), (x0 + 70, C - 190), (x0 + 60, C - 30), (x0 + 150, C - 10),
                    (x0 + 170, C - 150), (x0 + 10, MC - 40), (x0 + 20, B + 40), (x0 + 150, B + 10),
                    (x1, MC - 20)])]


@glyph("'", 0, lsb=44)
def g_apos(x0, x1):
    return [stem(x0, C, C - 150)]


@glyph("(", 100, lsb=44, rsb=20)
def g_lparen(x0, x1):
    return [rpoly([(x1, A), (x0, A - 150), (x0, D + 150), (x1, D)], [0, 200, 200, 0])]


@glyph(")", 100, lsb=20, rsb=44)
def g_rparen(x0, x1):
    return [rpoly([(x0, A), (x1, A - 150), (x1, D + 150), (x0, D)], [0, 200, 200, 0])]


@glyph("*", 180, lsb=30)
def g_star(x0, x1):
    xc = (x0 + x1) / 2
    yc = C - 110
    out = [stem(xc, yc - 100, yc + 100)]
    for s in (-1, 1):
        out.append(line((xc - 86, yc + 50 * s), (xc + 86, yc - 50 * s)))
    return out


@glyph("+", 220, lsb=34)
def g_plus(x0, x1):
    xc = (x0 + x1) / 2
    yc = MX + 20
    return [line((x0, yc), (x1, yc)), stem(xc, yc - 110, yc + 110)]


@glyph(",", 40, lsb=30)
def g_comma(x0, x1):
    return [line((x1, B + 10), (x0, B - 130))]


@glyph("-", 130, lsb=30)
def g_minus(x0, x1):
    return [line((x0, MX + 20), (x1, MX + 20))]


@glyph(".", 0, lsb=48)
def g_period(x0, x1):
    return [dot(x0, B + 2)]


@glyph("/", 190, lsb=20)
def g_slash(x0, x1):
    return [line((x0, D + 30), (x1, A))]


@glyph(":", 0, lsb=34)
def g_colon(x0, x1):
    return [dot(x0, B + 2), dot(x0, T - 30)]


@glyph(";", 40, lsb=34)
def g_semicolon(x0, x1):
    return [line((x1, B + 10), (x0, B - 130)), dot(x1, T - 30)]


@glyph("<", 164, lsb=34)
def g_less(x0, x1):
    return [rpoly([(x1, T + 30), (x0, MX + 20), (x1, B + 10)], [0, 10, 0])]


@glyph("=", 210, lsb=34)
def g_equal(x0, x1):
    return [line((x0, MX + 100), (x1, MX + 100)), line((x0, MX - 60), (x1, MX - 60))]


@glyph(">", 164, lsb=34)
def g_greater(x0, x1):
    return [rpoly([(x0, T + 30), (x1, MX + 20), (x0, B + 10)], [0, 10, 0])]


@glyph("?", 190)
def g_question(x0, x1):
    xc = (x0 + x1) / 2
    r = (x1 - x0) / 2
    return [rpoly([(x0, C - 100), (x0, C), (x1, C), (x1, MC + 50), (xc, MC), (xc, B + 170)],
                  [0, r, r, 60, 40, 0]),
            dot(xc, B + 2)]


@glyph("@", 330, lsb=26)
def g_at(x0, x1):
    xi0, xi1 = x0 + 96, x1 - 104
    return [stadium(xi0, B + 120, xi1, T - 20),
            rpoly([(xi1, T - 20), (xi1, B + 120), (x1, B + 120), (x1, C - 40), (x0, C - 40),
                   (x0, B - 40), (x1 - 40, B - 40)],
                  [0, 60, 60, 160, 160, 160, 0])]


@glyph("[", 90, lsb=50, rsb=20)
def g_lbracket(x0, x1):
    return [rpoly([(x1, A), (x0, A), (x0, D), (x1, D)])]


@glyph("\\", 190, lsb=20)
def g_backslash(x0, x1):
    return [line((x0, A), (x1, D + 30))]


@glyph("]", 90, lsb=20, rsb=50)
def g_rbracket(x0, x1):
    return [rpoly([(x0, A), (x1, A), (x1, D), (x0, D)])]


@glyph("^", 220, lsb=24)
def g_caret(x0, x1):
    xc = (x0 + x1) / 2
    return [rpoly([(x0, C - 210), (xc, C), (x1, C - 210)], [0, 10, 0])]


@glyph("_", 260, lsb=0, rsb=0)
def g_underscore(x0, x1):
    return [line((x0, D + 10), (x1, D + 10))]


@glyph("`", 80, lsb=40)
def g_grave(x0, x1):
    return [line((x0, C + 20), (x1, C - 90))]


@glyph("{", 120, lsb=30, rsb=20)
def g_lbrace(x0, x1):
    xm = x0 + 50
    ym = (A + D) / 2
    return [rpoly([(x1, A), (xm, A), (xm, ym + 40), (x0, ym), (xm, ym - 40), (xm, D), (x1, D)],
                  [0, 60, 30, 0, 30, 60, 0])]


@glyph("|", 0, lsb=54)
def g_bar(x0, x1):
    return [stem(x0, D, A)]


@glyph("}", 120, lsb=20, rsb=30)
def g_rbrace(x0, x1):
    xm = x1 - 50
    ym = (A + D) / 2
    return [rpoly([(x0, A), (xm, A), (xm, ym + 40), (x1, ym), (xm, ym - 40), (xm, D), (x0, D)],
                  [0, 60, 30, 0, 30, 60, 0])]


@glyph("~", 240, lsb=30)
def g_tilde(x0, x1):
    w = x1 - x0
    y = MX + 30
    return [spline([(x0, y - 30), (x0 + 0.27 * w, y + 50), (x1 - 0.27 * w, y - 50), (x1, y + 30)])]


# --------------------------------------------------------------------------

def draw(pen, paths):
    for p in paths:
        for cmd in p.cmds:
            if cmd[0] == "m":
                pen.moveTo(cmd[1])
            elif cmd[0] == "l":
                pen.lineTo(cmd[1])
            elif cmd[0] == "c":
                pen.curveTo(cmd[1], cmd[2], cmd[3])
            elif cmd[0] == "z":
                pen.closePath()
            else:
                pen.endPath()


def build(out_path):
    font = fontforge.font()
    font.encoding = "UnicodeBmp"
    font.em = EM
    font.ascent = ASCENT
    font.descent = DESCENT
    font.fontname = "ZarnRounded-Condensed"
    font.familyname = "Zarn Rounded"
    font.fullname = "Zarn Rounded Condensed"
    font.weight = "Regular"
    font.version = "1.000"
    font.copyright = ("Made for the Zarn game. Dedicated to the public domain "
                      "under CC0 1.0 Universal.")
    font.appendSFNTName("English (US)", "License",
                        "CC0 1.0 Universal (public domain dedication)")
    font.os2_version = 4
    for attr, val in (("hhea_ascent", ASCENT), ("hhea_descent", -DESCENT), ("hhea_linegap", 0),
                      ("os2_typoascent", ASCENT), ("os2_typodescent", -DESCENT),
                      ("os2_typolinegap", 0), ("os2_winascent", ASCENT),
                      ("os2_windescent", DESCENT)):
        if hasattr(font, attr + "_add"):
            setattr(font, attr + "_add", False)
        setattr(font, attr, val)
    font.os2_xheight = 480
    font.os2_capheight = 680

    notdef = font.createChar(-1, ".notdef")
    pen = notdef.glyphPen()
    draw(pen, [rpoly([(60, 40), (60, 640), (300, 640), (300, 40)], closed=True)])
    pen = None
    notdef.stroke("circular", 40, "round", "round")
    notdef.removeOverlap()
    notdef.width = 360

    for ch in sorted(GLYPHS):
        w, lsb, rsb, adv, fn = GLYPHS[ch]
        g = font.createChar(ord(ch))
        if adv is None:
            x0 = lsb + H
            adv = int(round(lsb + SW + w + rsb))
        else:
            x0 = (adv - w) / 2
        x1 = x0 + w
        paths = fn(x0, x1)
        strokes = [p for p in paths if not p.filled]
        fills = [p for p in paths if p.filled]
        if paths:
            if strokes:
                pen = g.glyphPen()
                draw(pen, strokes)
                pen = None
                g.stroke("circular", SW, "round", "round")
            if fills:
                pen = g.glyphPen(replace=False)
                draw(pen, fills)
                pen = None
            g.round()
            g.correctDirection()
            g.removeOverlap()
            g.addExtrema()
            g.simplify(0.5)
            g.round()
        g.width = adv

    font.selection.all()
    font.canonicalContours()
    font.canonicalStart()
    # TrueType instructions make FreeType use its own interpreter instead of
    # the auto-hinter, which would widen many advances by a pixel.
    font.autoHint()
    font.autoInstr()
    font.generate(out_path, flags=("opentype",))
    font.close()


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "..", "assets", "data", "Font2.ttf")
    build(os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else default))
