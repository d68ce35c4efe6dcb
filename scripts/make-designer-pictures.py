#!/usr/bin/env python3
"""Draws the pictures of the site structure designer into install/images/: the format
picker's page sketches (gen01..gen08, prod01..prod03), the tree icons (fclose, file) and
the hand cursor H_POINT.CUR. Needs ImageMagick's convert.
The outputs are committed; run this again only to change them."""
import os
import struct
import subprocess

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "install", "images")
W, H = 150, 100


def rect(color, x0, y0, x1, y1):
    return ["-fill", color, "-draw", f"rectangle {x0},{y0} {x1},{y1}"]


def lines(x0, x1, y0, n, step=7, color="#b8b8b8"):
    out = []
    for i in range(n):
        y = y0 + i * step
        out += rect(color, x0, y, x1, y + 2)
    return out


def pic(x0, y0, x1, y1):
    """A picture: sky, a green hill and a sun."""
    mx, my = (x0 + x1) // 2, y0 + (y1 - y0) // 2
    return (rect("#9cc3e6", x0, y0, x1, y1)
            + ["-fill", "#5f9e4a", "-draw", f"polygon {x0},{y1} {mx},{my} {x1},{y1}"]
            + ["-fill", "#f2c14e", "-draw", f"circle {x1 - 6},{y0 + 6} {x1 - 3},{y0 + 6}"])


def outline(x0, y0, x1, y1, color="#7a7a7a"):
    return ["-fill", "none", "-stroke", color, "-draw", f"rectangle {x0},{y0} {x1},{y1}",
            "-stroke", "none"]


def line(x0, y0, x1, y1, color):
    return ["-stroke", color, "-draw", f"line {x0},{y0} {x1},{y1}", "-stroke", "none"]


def page(name, *parts):
    """A page sketch: a header band with the site's name, then the parts."""
    args = ["convert", "-size", f"{W}x{H}", "xc:white"]
    args += rect("#e8eef7", 0, 0, W - 1, 13) + rect("#3a6ea5", 4, 4, 60, 9)
    for p in parts:
        args += p
    args += outline(0, 0, W - 1, H - 1)
    args.append(os.path.join(OUT, name))
    subprocess.run(args, check=True)


def pictures():
    page("gen01.gif", lines(8, 140, 20, 11))
    news = []
    for i in range(9):
        y = 20 + i * 8
        news += rect("#3a6ea5", 8, y, 10, y + 2) + rect("#6b8fc0", 14, y, 110, y + 2)
        news += rect("#b8b8b8", 118, y, 140, y + 2)
    page("gen02.gif", news)
    page("gen03.gif", lines(8, 140, 20, 3), pic(8, 41, 50, 70), lines(56, 140, 42, 4),
         lines(8, 90, 76, 3), pic(98, 74, 140, 96))
    page("gen04.gif", pic(8, 19, 72, 55), pic(78, 19, 142, 55), lines(8, 140, 62, 5))
    page("gen05.gif", pic(8, 19, 142, 62), lines(8, 140, 68, 4))
    page("gen06.gif", pic(6, 18, 144, 95))
    imgs = []
    for r in range(2):
        for c in range(3):
            x, y = 12 + c * 45, 20 + r * 39
            imgs += pic(x, y, x + 36, y + 28) + rect("#6b8fc0", x + 6, y + 31, x + 30, y + 33)
    page("gen07.gif", imgs)
    table = outline(8, 66, 142, 94) + line(8, 75, 142, 75, "#7a7a7a")
    table += line(8, 85, 142, 85, "#7a7a7a") + line(52, 66, 52, 94, "#7a7a7a")
    table += line(97, 66, 97, 94, "#7a7a7a")
    page("gen08.gif", rect("#c0392b", 8, 19, 80, 24), lines(8, 70, 30, 4), pic(78, 28, 142, 60),
         table)
    prod1 = rect("#dfe7f1", 8, 19, 142, 26)
    for i in range(8):
        y = 31 + i * 8
        prod1 += rect("#b8b8b8", 10, y, 50, y + 2) + rect("#b8b8b8", 58, y, 100, y + 2)
        prod1 += rect("#c0392b", 112, y, 138, y + 2)
    page("prod01.gif", prod1)
    prod2 = []
    for i in range(3):
        y = 19 + i * 26
        prod2 += pic(8, y, 38, y + 21) + lines(46, 120, y + 2, 2)
        prod2 += rect("#c0392b", 46, y + 16, 76, y + 18) + line(8, y + 24, 142, y + 24, "#d0d0d0")
    page("prod02.gif", prod2)
    prod3 = []
    for r in range(2):
        for c in range(4):
            x, y = 8 + c * 35, 19 + r * 40
            prod3 += pic(x, y, x + 29, y + 27) + rect("#6b8fc0", x + 3, y + 31, x + 26, y + 33)
            prod3 += rect("#c0392b", x + 8, y + 36, x + 21, y + 37)
    page("prod03.gif", prod3)


def icons():
    """Tree icons, 16 x 16: a closed yellow folder and a page with a folded corner."""
    subprocess.run(["convert", "-size", "16x16", "xc:none",
                    "-fill", "#e0a82e", "-stroke", "#9a6f12",
                    "-draw", "rectangle 1,3 7,5", "-draw", "rectangle 1,5 14,13",
                    "-stroke", "none", "-fill", "#f4c95d", "-draw", "rectangle 2,7 13,12",
                    os.path.join(OUT, "fclose.png")], check=True)
    subprocess.run(["convert", "-size", "16x16", "xc:none",
                    "-fill", "white", "-stroke", "#5a6b7d",
                    "-draw", "polygon 3,1 10,1 13,4 13,14 3,14",
                    "-fill", "#cfd8e3", "-draw", "polygon 10,1 10,4 13,4",
                    "-stroke", "#9aa9b8", "-draw", "line 5,7 11,7", "-draw", "line 5,9 11,9",
                    "-draw", "line 5,11 11,11",
                    os.path.join(OUT, "file.png")], check=True)


HAND = [
    "      XX         ",
    "     X..X        ",
    "     X..X        ",
    "     X..X        ",
    "     X..XXX      ",
    "     X..X..XXX   ",
    "  XX X..X..X..XX ",
    " X..XX........X.X",
    " X...X..........X",
    "  X..X..........X",
    "   X............X",
    "   X...........X ",
    "    X..........X ",
    "    X.........X  ",
    "     X........X  ",
    "     XXXXXXXXXX  ",
]


def cursor():
    """The hand cursor: a 32 x 32 Windows cursor file (32-bit DIB with an AND mask), its
    hot spot at the tip of the index finger."""
    size = 32
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for y, row in enumerate(HAND):
        for x, ch in enumerate(row):
            if ch == "X":
                px[y + 1][x + 4] = (0, 0, 0, 255)
            elif ch == ".":
                px[y + 1][x + 4] = (255, 255, 255, 255)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    mask = b""
    for row in reversed(px):
        bits = 0
        for (_, _, _, a) in row:
            bits = (bits << 1) | (0 if a else 1)
        mask += bits.to_bytes(4, "big")
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    image = header + xor + mask
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 10, 2, len(image), 6 + 16)
    with open(os.path.join(OUT, "H_POINT.CUR"), "wb") as f:
        f.write(struct.pack("<HHH", 0, 2, 1) + entry + image)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    pictures()
    icons()
    cursor()
    print("pictures written to", OUT)
