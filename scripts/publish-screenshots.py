#!/usr/bin/env python3
"""Publishes a sample site through the hosting server and photographs it in headless Chromium.

  scripts/publish-screenshots.py [--sample qy|sw|zf|jy] [--home dqy01] [--inner hqy01]
                                 [--out DIR]

The sample organisation comes from skins/sample/<key>.json: its identity and contact
data, navigation, articles, news, products and gallery become the rows of a site
database (a copy of the pristine one the build generates), its pictures are turned into
JPEG files and gallery thumbnails, and the appearance settings (templates, name styles,
background, pop-up window, script effect) are stored as the client stores them. The
upload folder is packed as the client packs it and uploaded over the client's protocol to
build/bin/orvane-hosting, started on free ports with a throw-away data folder; the server
renders it, and the home page, a news list, a gallery and a product page are photographed
from the server's web port and saved as PNG files in DIR (default build/screenshots/).
Installs Debian's chromium when it is missing; builds the project when it is not built."""
import argparse
import json
import os
import re
import shutil
import socket
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import urllib.request
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SKINS = os.path.join(ROOT, "skins")
BIN = os.path.join(ROOT, "build", "bin")
CONVERT = "/usr/bin/convert"


def run(*args, **kw):
    return subprocess.run(args, check=True, **kw)


def ensure_tools():
    as_root = [] if os.geteuid() == 0 else ["sudo"]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    if shutil.which("chromium") is None:
        run(*as_root, "apt-get", "install", "-y", "-q", "chromium", env=env)
    if not os.path.exists(CONVERT):
        run(*as_root, "apt-get", "install", "-y", "-q", "imagemagick", env=env)
    if not (os.path.exists(os.path.join(BIN, "orvane-hosting"))
            and os.path.exists(os.path.join(BIN, "initdata", "dalmbuilder.tdc"))):
        run(os.path.join(ROOT, "scripts", "build.sh"))


# The sample navigation's sections that hold news and products.
NEWS_NAMES = {"新闻中心", "政务动态", "新闻资讯"}
PRODUCT_NAMES = {"产品中心", "招商引资", "产品展示", "课程设置"}

DRAWN = {}


def picture(pics, name, upload, width=640):
    if name in DRAWN:
        return DRAWN[name]
    DRAWN[name] = draw(pics, name, upload, width)
    return DRAWN[name]


def draw(pics, name, upload, width):
    """skins/sample/pics/<name>.svg drawn by Chromium as <name>.jpg in the upload folder."""
    target = name + ".jpg"
    svg = os.path.join(pics, name + ".svg")
    with open(svg, encoding="utf-8") as f:
        m = re.search(r'width="(\d+)" height="(\d+)"', f.read())
    w, h = int(m.group(1)), int(m.group(2))
    scale = width / w
    page = os.path.join(upload, name + ".draw.html")
    with open(page, "w", encoding="utf-8") as f:
        f.write(f'<!DOCTYPE html><html><body style="margin:0;background:#fff">'
                f'<img src="file://{svg}" style="display:block;width:{width}px;height:{round(h * scale)}px">'
                f"</body></html>")
    png = os.path.join(upload, name + ".draw.png")
    shoot(page, png, max(600, round(h * scale)), os.path.dirname(upload), max(800, width))
    run(CONVERT, png, "-crop", f"{width}x{round(h * scale)}+0+0", "+repage", "-quality", "88",
        os.path.join(upload, target))
    os.remove(page)
    os.remove(png)
    return target


def thumbnail(upload, picture_name):
    """The gallery thumbnail the client makes: <name up to the first dot>_small.bmp."""
    target = picture_name.split(".")[0] + "_small.bmp"
    run(CONVERT, os.path.join(upload, picture_name), "-resize", "200x133", "BMP3:" + os.path.join(upload, target))
    return target


def encode(text):
    return (text.replace("\r\n", "<br>").replace("\n", "<br>").replace("'", "&#39;")
            .replace(" ", "&nbsp;").replace('"', "&#34;"))


def build_site(sample_key, home, inner, upload):
    with open(os.path.join(SKINS, "sample", sample_key + ".json"), encoding="utf-8") as f:
        s = json.load(f)
    with open(os.path.join(SKINS, "catalogue.json"), encoding="utf-8") as f:
        cat = json.load(f)
    styles = {t["code"]: t["nameStyle"] for t in cat["templates"]}
    pics = os.path.join(SKINS, "sample", "pics")
    db_path = os.path.join(upload, "dalmbuilder.tdc")
    shutil.copy(os.path.join(BIN, "initdata", "dalmbuilder.tdc"), db_path)
    shutil.copy(os.path.join(ROOT, "install", "backGround", "0005.JPG"), os.path.join(upload, "0005.JPG"))
    db = sqlite3.connect(db_path)
    org = s["org"]
    logo = picture(pics, s["logo"], upload, 360)
    db.execute("UPDATE user_info SET webName=?, dalm_name=?, Address=?, linkMan=?, Tel=?, Mobile=?, Fax=?,"
               " Zip=?, Email=?, logo=?, defaultTmpl=?, headTmpl=?, defaultFont=?, headFont=?, backGround=?,"
               " adBoard=?, javascript=?",
               (org["webName"], org["dalm_name"], org["Address"], org["linkMan"], org["Tel"], org["Mobile"],
                org["Fax"], org["Zip"], org["Email"], logo, home + ".png", inner + ".png",
                styles[home] + ".png", styles[inner] + ".png", "0005.JPG",
                "||".join(["1", "300", "170", "170", "950", "欢迎访问" + org["webName"],
                           encode("本站新版上线，欢迎浏览我们的产品与服务。\n咨询电话：" + org["Tel"])]),
                "1||00.asp||欢迎光临" + org["webName"]))

    order = {}

    def node(level, name, folder, fmt=None, parents=()):
        key = (level,) + tuple(parents)
        order[key] = order.get(key, 0) + 1
        if level == 1:
            db.execute("INSERT INTO firstCatalog(firstCatalog,[catalog],orderID,aspFileName) VALUES(?,?,?,?)",
                       (name, 1 if folder else 0, order[key], fmt))
        else:
            db.execute("INSERT INTO secondCatalog(firstCatalog,secondCatalog,[catalog],orderID,aspFileName)"
                       " VALUES(?,?,?,?,?)", (parents[0], name, 1 if folder else 0, order[key], fmt))

    def content(level, owner, *values):
        table, column = ("content01", "firstCatalog") if level == 1 else ("content02", "secondCatalog")
        cols = ",".join(f"value{i + 1:02d}" for i in range(len(values)))
        db.execute(f"INSERT INTO {table}({column},{cols}) VALUES(?{',?' * len(values)})", (owner,) + values)

    art, news, prods, gal = s["article"], s["news"], s["products"], s["gallery"]
    art_pics = [picture(pics, p, upload) for p in art["pics"]]
    body = encode("\n".join(art["paras"]))
    page_formats = ["imgTxt01", "txt", "imgTxt03", "imgTxt02"]

    def fill_page(level, owner, fmt, title):
        if fmt == "txt":
            content(level, owner, title, body)
        elif fmt in ("imgTxt01", "imgTxt02"):
            content(level, owner, title, body, art_pics[0], art_pics[1])
        elif fmt == "imgTxt03":
            content(level, owner, title, body, art_pics[0], "")
        elif fmt == "news":
            item_pic = picture(pics, news["item"]["pic"], upload)
            for title_, date in reversed(news["items"]):
                content(level, owner, title_, date, encode("\n".join(news["item"]["paras"])),
                        item_pic if title_ == news["item"]["title"] else "")
        elif fmt.startswith("prod"):
            intro = "".join(f"<p>{p}</p>" for p in prods["intro"]).replace("'", "[&#39;]")
            for p in reversed(prods["items"]):
                content(level, owner, p["name"], p["spec"], p["unit"], p["price"],
                        picture(pics, p["pic"], upload, 480), intro)
        elif fmt == "imgs":
            for caption, name in reversed(gal["items"]):
                full = picture(pics, name, upload)
                content(level, owner, caption, full, thumbnail(upload, full))
        elif fmt == "adv":
            content(level, owner, f"<h2>{title}</h2>" + "".join(f"<p>{p}</p>" for p in art["paras"][:2])
                    + "<p><img src=\"[imgpath]/" + art_pics[1] + "\" alt=\"\" width=\"480\"></p>")

    gallery_done = False
    for top in s["nav"]:
        name, children = top["name"], top["children"]
        if name in NEWS_NAMES:
            fmts = ["news"] * max(1, len(children))
        elif name in PRODUCT_NAMES:
            fmts = (["prod02", "prod03", "prod01"] * 3)[:max(1, len(children))]
        elif name == s["section"]["name"]:
            fmts = (page_formats * 3)[:max(1, len(children))]
        elif not children and not gallery_done:
            fmts, gallery_done = ["imgs"], True
        else:
            fmts = (["txt", "adv"] * 5)[:max(1, len(children))]
        if not children:
            node(1, name, False, fmts[0])
            fill_page(1, name, fmts[0], name)
            continue
        node(1, name, True)
        for child, fmt in zip(children, fmts):
            node(2, child, False, fmt, (name,))
            fill_page(2, child, fmt, child)
    db.commit()
    db.close()


def shoot(page, png, height, work, width=1280):
    run("chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
        "--disable-background-networking", "--disable-component-update", "--disable-sync",
        f"--user-data-dir={os.path.join(work, 'profile')}", "--hide-scrollbars", "--lang=zh-CN",
        "--force-device-scale-factor=1", "--virtual-time-budget=3000", f"--window-size={width},{height}",
        f"--screenshot={png}", page if "://" in page else "file://" + page, capture_output=True)


def pack(upload, archive):
    """The archive the client uploads: the folder's files, its images/ as images.zip."""
    images = os.path.join(upload, "images")
    if os.path.isdir(images) and os.listdir(images):
        with zipfile.ZipFile(os.path.join(upload, "images.zip"), "w", zipfile.ZIP_DEFLATED) as z:
            for name in sorted(os.listdir(images)):
                z.write(os.path.join(images, name), name)
    with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
        for name in sorted(os.listdir(upload)):
            path = os.path.join(upload, name)
            if os.path.isfile(path) and not name.lower().endswith(".asp"):
                z.write(path, name)


class Hosting:
    """orvane-hosting on free ports, with its data in `data`."""

    def __init__(self, data):
        self.proc = subprocess.Popen([os.path.join(BIN, "orvane-hosting"), "--port", "0", "--http-port", "0",
                                      "--data", data, "--skins", SKINS],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.port = self.http = None
        # A server that never names its ports is stopped rather than waited for.
        watchdog = threading.Timer(60, self.proc.kill)
        watchdog.start()
        while self.http is None:
            line = self.proc.stdout.readline()
            if not line:
                sys.exit("orvane-hosting did not start, or did not name its ports")
            m = re.search(r"listening on [^ ]*:(\d+),", line)
            if m:
                self.port = int(m.group(1))
            m = re.search(r"sites on http://.*?:(\d+)/", line)
            if m:
                self.http = int(m.group(1))
        watchdog.cancel()

    def stop(self):
        self.proc.communicate("quit\n", timeout=30)


def upload_site(port, short_name, archive, account="20061001", password="417305"):
    """Logs in (with the initial account unless told another), registers the short name and
    sends the archive, as the upload window does; returns the server's system message once
    the site is published."""
    sock = socket.create_connection(("127.0.0.1", port), timeout=120)
    received = b""

    def expect(tag):
        nonlocal received
        while tag.encode() not in received:
            if b"<#errMsg#>" in received or b"<#logout#>" in received:
                sys.exit("the server refused: " + received.decode("gbk", "replace"))
            chunk = sock.recv(65536)
            if not chunk:
                sys.exit("the server closed the connection")
            received += chunk
        text = received.decode("gbk", "replace")
        received = b""
        return text

    sock.sendall(f"<#login#>{account}||{password}".encode("gbk"))
    expect("<#login#>")
    sock.sendall(("<#siteName#>" + short_name).encode("gbk"))
    expect("<#siteName#>")
    size = os.path.getsize(archive)
    sock.sendall(f"<#sendFileInfo#>{size}".encode("gbk"))
    expect("<#sendFileInfo#>")
    with open(archive, "rb") as f:
        sock.sendall(f.read())
    text = expect("<#systemmsg#>")
    sock.close()
    return text.replace("<#systemmsg#>", "").replace("<br>", " ")


def fetch(url):
    """A page of the server's web port. Each site has a host name of its own under localhost,
    which Chromium sends to the loopback address but the system's resolver may not know: the
    request goes to 127.0.0.1 and names the site's host."""
    parts = urllib.parse.urlsplit(url)
    request = urllib.request.Request(f"http://127.0.0.1:{parts.port}{parts.path or '/'}",
                                     headers={"Host": parts.netloc})
    with urllib.request.urlopen(request, timeout=30) as r:
        return r.read().decode("utf-8")


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--sample", default="qy", choices=["qy", "sw", "zf", "jy"])
    ap.add_argument("--home", default=None, help="home-page template code (default: the sample's first)")
    ap.add_argument("--inner", default=None, help="inner-page template code")
    ap.add_argument("--out", default=os.path.join(ROOT, "build", "screenshots"))
    a = ap.parse_args()
    cat_path = os.path.join(SKINS, "catalogue.json")
    with open(cat_path, encoding="utf-8") as f:
        templates = json.load(f)["templates"]
    home = a.home or next(t["code"] for t in templates if t["kind"] == "home" and t["sample"] == a.sample)
    inner = a.inner or "h" + home[1:]
    ensure_tools()
    os.makedirs(a.out, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="orvane-publish-") as work:
        upload, data = os.path.join(work, "upload"), os.path.join(work, "data")
        os.makedirs(upload)
        build_site(a.sample, home, inner, upload)
        archive = os.path.join(work, "ZIPTEST.ZIP")
        pack(upload, archive)
        short_name = "sample" + a.sample
        server = Hosting(data)
        try:
            print(upload_site(server.port, short_name, archive), file=sys.stderr)
            base = f"http://{short_name}.localhost:{server.http}/"
            home_html = fetch(base)
            with open(os.path.join(SKINS, "sample", a.sample + ".json"), encoding="utf-8") as f:
                s = json.load(f)
            links = dict((m.group(2), m.group(1)) for m in re.finditer(r'<a href="([^"]+)">([^<]+)</a>', home_html))

            def page_of(name):
                if name not in links:
                    sys.exit(f"no link to {name} on the home page")
                return base + links[name]

            news_node = next(n for n in s["nav"] if n["name"] in NEWS_NAMES)
            prod_node = next(n for n in s["nav"] if n["name"] in PRODUCT_NAMES)
            product = re.search(r'<a href="(n[0-9a-f]+-\d+\.html)"', fetch(page_of(prod_node["name"]))).group(1)
            gallery = next(n["name"] for n in s["nav"] if not n["children"])
            shots = [("home", base, 1500), ("news", page_of(news_node["name"]), 1000),
                     ("gallery", page_of(gallery), 1100), ("product", base + product, 1100)]
            for name, url, height in shots:
                png = os.path.join(a.out, f"{a.sample}-{name}.png")
                shoot(url, png, height, work)
                print(png, "<-", url)
        finally:
            server.stop()
        keep = os.path.join(a.out, a.sample + "-site")
        shutil.rmtree(keep, ignore_errors=True)
        shutil.copytree(os.path.join(data, "www", short_name), keep)
        print("site:", keep)


if __name__ == "__main__":
    main()
