#!/usr/bin/env python3
"""Makes phone-camera photos from the sample drawings: 4032 x 3024 JPEG files of about 3 MB
with the EXIF block a phone writes (make, model, date, exposure, orientation, a GPS position).

  scripts/camera-photos.py OUT_DIR NAME...

NAME is a drawing in skins/sample/pics/ (without .svg); OUT_DIR/NAME.jpg is made unless it
is there already. The drawing is rendered at full size with libvips and given sensor grain,
so the file weighs what a photo weighs. Some photos are stored as a phone held upright
stores them: the pixels on their side and the orientation tag (6) saying how to turn them.
Needs vips (libvips-tools) and exiftool (libimage-exiftool-perl)."""
import hashlib
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PICS = os.path.join(ROOT, "skins", "sample", "pics")
WIDTH, HEIGHT = 4032, 3024


def upright(name):
    """Every third photo, chosen by its name, was taken with the phone held upright."""
    return hashlib.sha1(name.encode()).digest()[0] % 3 == 0


def make(name, target):
    if os.path.exists(target):
        return target
    svg = os.path.join(PICS, name + ".svg")
    turned = upright(name)
    # The scene as the camera saw it: portrait for an upright phone.
    w, h = (HEIGHT, WIDTH) if turned else (WIDTH, HEIGHT)
    tmp_root = "/dev/shm" if os.path.isdir("/dev/shm") else None
    with tempfile.TemporaryDirectory(prefix="camera-", dir=tmp_root) as t:
        scene, grain, mixed, pixels = (os.path.join(t, n + ".v") for n in ("scene", "grain", "mixed", "pixels"))
        subprocess.run(["vips", "thumbnail", svg, scene, str(w), "--height", str(h), "--crop", "centre"], check=True)
        if turned:
            # The sensor stores it on its side; orientation 6 turns it back a quarter clockwise.
            sideways = os.path.join(t, "sideways.v")
            subprocess.run(["vips", "rot", scene, sideways, "d270"], check=True)
            scene = sideways
        subprocess.run(["vips", "gaussnoise", grain, str(WIDTH), str(HEIGHT), "--sigma", "4", "--mean", "0"],
                       check=True)
        subprocess.run(["vips", "add", scene, grain, mixed], check=True)
        subprocess.run(["vips", "cast", mixed, pixels, "uchar"], check=True)
        part = target + ".part"
        subprocess.run(["vips", "jpegsave", pixels, part, "--Q", "90"], check=True)
    seed = int(hashlib.sha1(name.encode()).hexdigest()[:8], 16)
    lat, lon = 31.25 + (seed % 1000) / 10000, 120.60 + (seed // 1000 % 1000) / 10000
    subprocess.run(["exiftool", "-q", "-overwrite_original",
                    "-Make=Xiaomi", "-Model=Redmi Note 12 Pro", "-Software=MIUI 14",
                    f"-DateTimeOriginal=2024:05:{1 + seed % 28:02d} 10:{seed % 60:02d}:{seed // 60 % 60:02d}",
                    "-ExposureTime=1/120", "-FNumber=1.9", "-ISO=100", "-FocalLength=5.6",
                    f"-Orientation#={6 if turned else 1}",
                    f"-SerialNumber=RN12P{seed:010d}",
                    f"-GPSLatitude={lat}", "-GPSLatitudeRef=N", f"-GPSLongitude={lon}", "-GPSLongitudeRef=E",
                    "-GPSAltitude=12", "-GPSAltitudeRef=0", part], check=True)
    os.replace(part, target)
    return target


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name in sys.argv[2:]:
        if not re.fullmatch(r"[\w-]+", name):
            sys.exit(f"not a drawing name: {name}")
        print(make(name, os.path.join(out, name + ".jpg")))


if __name__ == "__main__":
    main()
