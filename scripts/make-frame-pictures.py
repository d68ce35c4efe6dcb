#!/usr/bin/env python3
"""Draws the pictures of the main frame into install/images/: the icons of the menu
(cmd_*.png, 16 x 16) and of the tool bar (tb_*.png, 32 x 32), the guide's tree pictures
(fopen.png for an open group, fhelp.png for a help page; the closed group is the
designer's fclose.png) and the about window's product picture (about_logo.png).
Each icon is drawn once on a 64 x 64 canvas and scaled down. Needs ImageMagick's convert
and the DejaVu fonts (Debian fonts-dejavu-core) for the question mark.
The outputs are committed; run this again only to change them."""
import os
import subprocess

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "install", "images")

BLUE, DBLUE, LBLUE = "#3a78c8", "#1c4f9c", "#9cc3e6"
GREEN, DGREEN = "#4c9f48", "#2f6e2c"
RED, DRED = "#d9503a", "#9a2f20"
GOLD, DGOLD = "#f2c14e", "#a97c12"
GREY, DGREY, PAPER = "#b8c2cc", "#5a6b7d", "#ffffff"


def fill(color, stroke=None, width=2):
    out = ["-fill", color]
    out += ["-stroke", stroke, "-strokewidth", str(width)] if stroke else ["-stroke", "none"]
    return out


def draw(*primitives):
    out = []
    for p in primitives:
        out += ["-draw", p]
    return out


def arrow_up(cx, top, bottom, color, dark):
    return fill(color, dark) + draw(
        f"polygon {cx},{top} {cx + 12},{top + 13} {cx + 5},{top + 13} {cx + 5},{bottom} "
        f"{cx - 5},{bottom} {cx - 5},{top + 13} {cx - 12},{top + 13}")


def page(x0, y0, x1, y1, lines=4):
    out = fill(PAPER, DGREY) + draw(
        f"polygon {x0},{y0} {x1 - 10},{y0} {x1},{y0 + 10} {x1},{y1} {x0},{y1}")
    out += fill("#cfd8e3", DGREY) + draw(f"polygon {x1 - 10},{y0} {x1 - 10},{y0 + 10} {x1},{y0 + 10}")
    out += fill("none", "#9aa9b8", 2)
    for i in range(lines):
        y = y0 + 18 + i * 8
        out += draw(f"line {x0 + 6},{y} {x1 - 8},{y}")
    return out


# Each icon: ImageMagick draw arguments on a transparent 64 x 64 canvas.
ICONS = {
    # An open book.
    "guide": fill(PAPER, DBLUE, 3) + draw("polygon 6,14 31,18 31,56 6,52",
                                          "polygon 58,14 33,18 33,56 58,52")
    + fill("none", LBLUE, 2) + draw("line 11,26 26,28", "line 11,34 26,36", "line 11,42 26,44",
                                    "line 38,28 53,26", "line 38,36 53,34", "line 38,44 53,42")
    + fill(BLUE, DBLUE, 2) + draw("rectangle 30,16 34,58"),
    # A card with a portrait and lines: the organisation's identity.
    "info": fill("#eaf2fb", DBLUE, 3) + draw("roundrectangle 4,12 60,52 6,6")
    + fill(BLUE) + draw("circle 20,27 20,20", "ellipse 20,44 11,8 180,360")
    + fill(DGREY) + draw("rectangle 34,22 54,25", "rectangle 34,31 54,34", "rectangle 34,40 48,43"),
    # A page layout in colours: the site's look.
    "template": fill(PAPER, DGREY, 3) + draw("rectangle 6,8 58,56")
    + fill(BLUE) + draw("rectangle 9,11 55,20")
    + fill(GOLD) + draw("rectangle 9,24 22,53")
    + fill(LBLUE) + draw("rectangle 26,24 55,38")
    + fill(GREEN) + draw("rectangle 26,42 55,53"),
    # A tree of folders and pages: the site's catalog.
    "design": fill("none", DGREY, 3) + draw("line 16,18 16,50", "line 16,30 34,30", "line 16,48 34,48")
    + fill(GOLD, DGOLD, 2) + draw("rectangle 6,6 28,20", "rectangle 34,22 56,36")
    + fill(PAPER, DGREY, 2) + draw("rectangle 36,41 54,56"),
    # A page and a pencil: entering the content.
    "content": page(8, 6, 44, 58, 5)
    + fill(GOLD, DGOLD, 2) + draw("polygon 52,14 60,22 32,50 24,42")
    + fill(DGREY) + draw("polygon 24,42 32,50 20,54"),
    # A globe with an arrow going up: publishing.
    "upload": fill(LBLUE, DBLUE, 3) + draw("circle 30,36 30,12")
    + fill("none", DBLUE, 2) + draw("ellipse 30,36 10,24 0,360", "line 6,36 54,36",
                                    "line 10,24 50,24", "line 10,48 50,48")
    + arrow_up(48, 4, 36, GREEN, DGREEN),
    # The power sign: leaving the program.
    "quit": fill("none", DRED, 9) + draw("arc 10,12 54,56 -50,230")
    + fill(RED, DRED, 2) + draw("roundrectangle 28,4 36,34 3,3")
    + fill("none", RED, 5) + draw("arc 10,12 54,56 -50,230"),
    # A box and a green arrow into it: keeping a copy.
    "backup": fill(GREY, DGREY, 3) + draw("polygon 6,34 58,34 54,58 10,58")
    + fill(DGREY) + draw("rectangle 20,42 44,46")
    + fill(GREEN, DGREEN, 2) + draw("polygon 32,36 46,22 38,22 38,4 26,4 26,22 18,22"),
    # A box and an arrow out of it, turning back: bringing the copy back.
    "restore": fill(GREY, DGREY, 3) + draw("polygon 6,34 58,34 54,58 10,58")
    + fill(DGREY) + draw("rectangle 20,42 44,46")
    + fill("none", BLUE, 7) + draw("arc 14,4 50,40 180,330")
    + fill(BLUE, DBLUE, 2) + draw("polygon 8,18 22,18 15,32"),
    # Two arrows in a circle: refreshing the templates.
    "update": fill("none", GREEN, 7) + draw("arc 10,10 54,54 200,340", "arc 10,10 54,54 20,160")
    + fill(GREEN, DGREEN, 2) + draw("polygon 50,8 58,26 40,24", "polygon 14,56 6,38 24,40"),
    # Two speech bubbles: the service's desk.
    "consult": fill(LBLUE, DBLUE, 3) + draw("roundrectangle 4,6 44,34 8,8", "polygon 12,32 10,44 22,33")
    + fill(PAPER, DGREEN, 3) + draw("roundrectangle 22,26 60,52 8,8", "polygon 50,50 54,60 42,51")
    + fill(DGREEN) + draw("circle 32,39 32,36", "circle 41,39 41,36", "circle 50,39 50,36"),
    # A screen and a phone: the site seen before it goes out.
    "preview": fill(LBLUE, DBLUE, 3) + draw("roundrectangle 2,8 46,42 3,3")
    + fill(DGREY) + draw("rectangle 18,42 30,50", "rectangle 10,50 38,54")
    + fill(PAPER, DGREY, 3) + draw("roundrectangle 38,20 60,60 4,4")
    + fill(LBLUE) + draw("rectangle 42,26 56,52")
    + fill(DGREY) + draw("circle 49,56 49,57"),
    # A question mark in a circle.
    "help": fill(BLUE, DBLUE, 3) + draw("circle 32,32 32,4")
    + fill(PAPER) + ["-font", "DejaVu-Sans-Bold", "-pointsize", "40", "-gravity", "center",
                     "-annotate", "+0+1", "?", "-gravity", "northwest"],
    # An "i" in a circle.
    "about": fill(GREEN, DGREEN, 3) + draw("circle 32,32 32,4")
    + fill(PAPER) + draw("circle 32,17 32,12", "roundrectangle 27,25 37,52 3,3"),
}

MENU = ["guide", "info", "template", "design", "content", "upload", "preview", "quit", "backup", "restore",
        "update", "consult", "help", "about"]
TOOLBAR = ["guide", "info", "template", "design", "content", "upload", "preview", "quit"]


# Leaves the time of drawing out of the files, so drawing them again changes nothing.
STABLE = ["-define", "png:exclude-chunk=date,time"]


def icon(name, size, out):
    subprocess.run(["convert", "-size", "64x64", "xc:none", *ICONS[name],
                    "-resize", f"{size}x{size}", *STABLE, os.path.join(OUT, out)], check=True)


def tree_pictures():
    """16 x 16, beside the designer's fclose.png: an open group, and a help page."""
    subprocess.run(["convert", "-size", "16x16", "xc:none",
                    "-fill", "#e0a82e", "-stroke", "#9a6f12",
                    "-draw", "rectangle 1,3 7,5", "-draw", "rectangle 1,5 13,13",
                    "-fill", "#f8dc8a", "-draw", "polygon 3,8 15,8 13,13 1,13",
                    *STABLE, os.path.join(OUT, "fopen.png")], check=True)
    subprocess.run(["convert", "-size", "16x16", "xc:none",
                    "-fill", "white", "-stroke", "#3a6ea5",
                    "-draw", "polygon 3,1 10,1 13,4 13,14 3,14",
                    "-fill", "#cfe0f3", "-draw", "polygon 10,1 10,4 13,4",
                    "-stroke", "none", "-fill", "#3a6ea5",
                    "-draw", "rectangle 5,6 11,7", "-draw", "rectangle 5,9 11,10",
                    "-draw", "rectangle 5,12 9,12",
                    *STABLE, os.path.join(OUT, "fhelp.png")], check=True)


def logo():
    """The product picture: a blue disc with a white site tree, 96 x 96."""
    subprocess.run(["convert", "-size", "192x192", "xc:none",
                    *fill("#2f6fc4", "#1c4f9c", 6), "-draw", "circle 96,96 96,8",
                    *fill("#5c97e0"), "-draw", "circle 96,96 96,22",
                    *fill("none", "white", 9), "-draw", "line 96,58 96,84",
                    "-draw", "line 54,84 138,84", "-draw", "line 54,84 54,104",
                    "-draw", "line 96,84 96,104", "-draw", "line 138,84 138,104",
                    *fill("white"), "-draw", "roundrectangle 76,38 116,62 6,6",
                    "-draw", "roundrectangle 36,104 72,128 5,5",
                    "-draw", "roundrectangle 78,104 114,128 5,5",
                    "-draw", "roundrectangle 120,104 156,128 5,5",
                    *fill(GOLD), "-draw", "circle 96,150 96,142",
                    "-resize", "96x96", *STABLE, os.path.join(OUT, "about_logo.png")], check=True)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for name in MENU:
        icon(name, 16, f"cmd_{name}.png")
    for name in TOOLBAR:
        icon(name, 32, f"tb_{name}.png")
    tree_pictures()
    logo()
    print("pictures written to", OUT)
