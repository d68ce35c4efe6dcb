#!/usr/bin/env python3
"""Publishes a sample site with camera photos in every home/inner template pair and measures
its pages as a phone visitor gets them.

  scripts/check-sites.py [--pairs qy01,sw02] [--pages home,news] [--no-lighthouse] [--out FILE]

Each pair (dqy01 with hqy01, ... djy03 with hjy03) gets the sample organisation of its
templates, as scripts/publish-screenshots.py builds it, with phone photos of 4032 x 3024
carrying EXIF and GPS data (scripts/camera-photos.py) and one news item entered last but
dated 2020. The sites are uploaded over the client's protocol to build/bin/orvane-hosting
and measured from its web port, each at its own address, one page at a time in headless
Chromium: Lighthouse in its default mobile form (performance, accessibility, best practices,
SEO), axe-core's rules, and whether the page scrolls sideways on a phone 360 px wide.
Prints one table and a summary, and writes them with the failing audits to FILE (default
build/site-check/report.md); the raw results go beside it as results.json.

Pages: home, news (a news list), news-item, gallery, products (a product list), product.
Installs what it lacks: Debian's chromium, libvips-tools, libimage-exiftool-perl, nodejs and
npm, and npm's lighthouse and axe-core in build/site-check/node_modules. Builds the project
when it is not built. Photos and thumbnails are kept in build/site-check/photos."""
import argparse
import concurrent.futures
import html.parser
import importlib.util
import json
import os
import queue
import shutil
import sqlite3
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SCRIPTS = os.path.join(ROOT, "scripts")
CACHE = os.path.join(ROOT, "build", "site-check")
PHOTOS = os.path.join(CACHE, "photos")
NPM_PACKAGES = ["lighthouse@12.2.3", "axe-core@4.14.1"]
PAGES = ["home", "news", "news-item", "gallery", "products", "product"]
# A back-filled news item: entered after all others, dated years before them.
OLD_NEWS = ("2020 年度总结表彰大会隆重召开", "2020-12-28")


def script_module(file_name, name):
    spec = importlib.util.spec_from_file_location(name, os.path.join(SCRIPTS, file_name))
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


site = script_module("publish-screenshots.py", "publish_screenshots")
camera = script_module("camera-photos.py", "camera_photos")


def ensure_tools(lighthouse):
    site.ensure_tools()  # chromium, ImageMagick, the built server
    needed = {"vips": "libvips-tools", "exiftool": "libimage-exiftool-perl", "node": "nodejs", "npm": "npm"}
    missing = [pkg for tool, pkg in needed.items() if shutil.which(tool) is None]
    if missing:
        as_root = [] if os.geteuid() == 0 else ["sudo"]
        subprocess.run(as_root + ["apt-get", "install", "-y", "-q"] + missing, check=True,
                       env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
    modules = os.path.join(CACHE, "node_modules")
    have = set()
    for pkg in NPM_PACKAGES:
        name, version = pkg.rsplit("@", 1)
        try:
            with open(os.path.join(modules, name, "package.json"), encoding="utf-8") as f:
                if json.load(f)["version"] == version:
                    have.add(pkg)
        except (OSError, ValueError, KeyError):
            pass
    if len(have) < len(NPM_PACKAGES):
        os.makedirs(CACHE, exist_ok=True)
        package = os.path.join(CACHE, "package.json")
        if not os.path.exists(package):
            with open(package, "w", encoding="utf-8") as f:
                f.write('{"private": true, "description": "the tools of scripts/check-sites.py"}\n')
        subprocess.run(["npm", "install", "--prefix", CACHE, "--no-audit", "--no-fund", "--loglevel=error"]
                       + NPM_PACKAGES, check=True)
    return modules


def photo_names(sample):
    s = sample
    names = set(s["article"]["pics"]) | {s["news"]["item"]["pic"]}
    names |= {p["pic"] for p in s["products"]["items"]} | {name for _, name in s["gallery"]["items"]}
    return names


def camera_picture(pics, name, upload, width=640):
    """Stands in for the sample's drawn pictures: a camera photo, except the logo, drawn as before."""
    if name.startswith("logo-"):
        made = os.path.join(PHOTOS, name + ".jpg")
        if not os.path.exists(made):
            site.draw(pics, name, PHOTOS, width)
    else:
        made = camera.make(name, os.path.join(PHOTOS, name + ".jpg"))
    place(made, upload)
    return os.path.basename(made)


def place(made, upload):
    """A cached file into the upload folder, linked where the file system allows."""
    target = os.path.join(upload, os.path.basename(made))
    if not os.path.exists(target):
        try:
            os.link(made, target)
        except OSError:
            shutil.copyfile(made, target)


def cached_thumbnail(upload, picture_name):
    """The gallery thumbnail the client makes, kept for the next run."""
    name = picture_name.split(".")[0] + "_small.bmp"
    made = os.path.join(PHOTOS, name)
    if not os.path.exists(made):
        subprocess.run([site.CONVERT, "-define", "jpeg:size=400x300", os.path.join(upload, picture_name),
                        "-resize", "200x133", "BMP3:" + made + ".part"], check=True)
        os.replace(made + ".part", made)
    place(made, upload)
    return name


def back_fill_news(sample, upload):
    """A news item entered last but dated before all others, in the first news list."""
    top = next(n for n in sample["nav"] if n["name"] in site.NEWS_NAMES)
    level, owner = (2, top["children"][0]) if top["children"] else (1, top["name"])
    table, column = ("content02", "secondCatalog") if level == 2 else ("content01", "firstCatalog")
    body = site.encode("\n".join(sample["news"]["item"]["paras"]))
    db = sqlite3.connect(os.path.join(upload, "dalmbuilder.tdc"))
    db.execute(f"INSERT INTO {table}({column},value01,value02,value03,value04) VALUES(?,?,?,?,?)",
               (owner,) + OLD_NEWS + (body, ""))
    db.commit()
    db.close()


class Links(html.parser.HTMLParser):
    """The links of a page: (address, text) in the order they appear."""

    def __init__(self):
        super().__init__()
        self.links, self._open = [], None

    def handle_starttag(self, tag, attrs):
        if tag == "a":
            self._open = [dict(attrs).get("href") or "", ""]

    def handle_data(self, data):
        if self._open is not None:
            self._open[1] += data

    def handle_endtag(self, tag):
        if tag == "a" and self._open is not None:
            self.links.append((self._open[0], " ".join(self._open[1].split())))
            self._open = None


class Server:
    """orvane-hosting with the sites, reached at 127.0.0.1 with each site's own Host. Its
    output is read all along (so it never waits on a full pipe) and kept in `log`."""

    def __init__(self, data):
        self.hosting = site.Hosting(data)
        self.log, self._answers = [], queue.Queue()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        for line in self.hosting.proc.stdout:
            self.log.append(line.rstrip("\n"))
            if line.startswith(("password set", "failed")):
                self._answers.put(line.strip())
        self._answers.put(None)

    def address(self, short_name):
        return f"http://{short_name}.localhost:{self.hosting.http}/"

    def links(self, url):
        page = Links()
        page.feed(site.fetch(url))
        return [(urllib.parse.urljoin(url, href), text) for href, text in page.links if href]

    def add_account(self, account, password):
        self.hosting.proc.stdin.write(f"password {account} {password}\n")
        self.hosting.proc.stdin.flush()
        if self._answers.get(timeout=60) != "password set":
            sys.exit(f"orvane-hosting did not take the account {account}")

    def stop(self):
        self.hosting.proc.stdin.write("quit\n")
        self.hosting.proc.stdin.close()
        self.hosting.proc.wait(timeout=30)
        self._reader.join()

    def renderer_notes(self):
        """What the renderer left out or replaced, as the server logged it."""
        return [line for line in self.log if line.startswith("render ")]


def find_pages(server, base, sample, wanted):
    """The addresses of the measured pages, found as a visitor finds them: by following links."""
    home_links = server.links(base)

    def link_to(name):
        for url, text in home_links:
            if text == name:
                return url
        raise LookupError(f"no link to {name} on the home page")

    def item_of(list_url, title=None):
        stem = os.path.basename(urllib.parse.urlsplit(list_url).path).rsplit(".", 1)[0] + "-"
        items = [(u, t) for u, t in server.links(list_url)
                 if os.path.basename(urllib.parse.urlsplit(u).path).startswith(stem)]
        if not items:
            raise LookupError(f"no item linked from {list_url}")
        return next((u for u, t in items if title and t.startswith(title)), items[0][0])

    news_top = next(n["name"] for n in sample["nav"] if n["name"] in site.NEWS_NAMES)
    products_top = next(n["name"] for n in sample["nav"] if n["name"] in site.PRODUCT_NAMES)
    gallery = next(n["name"] for n in sample["nav"] if not n["children"]
                   and n["name"] not in site.NEWS_NAMES | site.PRODUCT_NAMES)
    finders = {
        "home": lambda: base,
        "news": lambda: link_to(news_top),
        "news-item": lambda: item_of(link_to(news_top), sample["news"]["item"]["title"]),
        "gallery": lambda: link_to(gallery),
        "products": lambda: link_to(products_top),
        "product": lambda: item_of(link_to(products_top)),
    }
    pages = {}
    for page in wanted:
        try:
            pages[page] = finders[page]()
        except LookupError as e:
            pages[page] = None
            print(f"  {page}: {e}", file=sys.stderr)
    return pages


def publish_all(server, pairs, work):
    """Builds and uploads each pair's site; returns {pair: (short name, sample, server's message)}."""
    published = {}
    site.picture, site.thumbnail = camera_picture, cached_thumbnail
    for i, (pair, sample_key) in enumerate(pairs):
        with open(os.path.join(site.SKINS, "sample", sample_key + ".json"), encoding="utf-8") as f:
            sample = json.load(f)
        upload = os.path.join(work, "upload-" + pair)
        os.makedirs(upload)
        site.build_site(sample_key, "d" + pair, "h" + pair, upload)
        back_fill_news(sample, upload)
        archive = os.path.join(work, pair + ".zip")
        site.pack(upload, archive)
        shutil.rmtree(upload)
        account, password = str(20161001 + i), "check" + pair
        server.add_account(account, password)
        short_name = "check" + pair
        message = site.upload_site(server.hosting.port, short_name, archive, account, password)
        os.remove(archive)
        print(f"{pair}: {message}", file=sys.stderr)
        published[pair] = (short_name, sample, message)
    return published


def make_photos(pairs):
    os.makedirs(PHOTOS, exist_ok=True)
    names = set()
    for _, sample_key in pairs:
        with open(os.path.join(site.SKINS, "sample", sample_key + ".json"), encoding="utf-8") as f:
            names |= photo_names(json.load(f))
    todo = sorted(n for n in names if not os.path.exists(os.path.join(PHOTOS, n + ".jpg")))
    if todo:
        print(f"making {len(todo)} camera photos in {PHOTOS}", file=sys.stderr)
        with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
            list(pool.map(lambda n: camera.make(n, os.path.join(PHOTOS, n + ".jpg")), todo))


def cell(value):
    return "–" if value is None else str(value)


def table(rows, pages, results, lighthouse):
    header = ["pair", "page", "perf", "a11y", "best pr.", "SEO", "axe", "sideways at 360 px"]
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    for pair in rows:
        for page in pages:
            r = results.get(f"{pair}/{page}")
            if r is None or "error" in r:
                why = "not found" if r is None else "error: " + r["error"]
                lines.append(f"| {pair} | {page} | {why} |" + " |" * (len(header) - 3))
                continue
            scores = (r.get("lighthouse") or {}).get("scores", {})
            s = [cell(scores.get(c)) if lighthouse else "–"
                 for c in ("performance", "accessibility", "best-practices", "seo")]
            axe = sum(1 for _ in r["violations"])
            lines.append(f"| {pair} | {page} | " + " | ".join(s) + f" | {axe} | {sideways(r) or 'no'} |")
    return lines


def sideways(result):
    """How the page fails a phone 360 px wide, or None: "yes, N px" when it scrolls sideways,
    "shrunk, N px" when it has no viewport tag and the phone lays it out N px wide and
    shrinks it to fit."""
    scroll = result["scroll"]
    if scroll["scrollWidth"] > scroll["innerWidth"]:
        return f"yes, {scroll['scrollWidth']} px"
    if scroll["innerWidth"] > 360:
        return f"shrunk, {scroll['innerWidth']} px"
    return None


def summary(results, lighthouse):
    done = [r for r in results.values() if r and "error" not in r]
    parts = [f"{len(done)} pages measured"]
    if len(done) < len(results):
        parts.append(f"{len(results) - len(done)} could not be measured")
    if lighthouse:
        for c, label in (("performance", "perf"), ("accessibility", "a11y"), ("best-practices", "best pr."),
                         ("seo", "SEO")):
            values = [r["lighthouse"]["scores"][c] for r in done if r["lighthouse"]["scores"].get(c) is not None]
            if values:
                parts.append(f"{label} {min(values)}–{max(values)} (median {statistics.median(values):g})")
    axe = [len(r["violations"]) for r in done]
    parts.append(f"axe violations on {sum(1 for a in axe if a)} pages ({sum(axe)} in all)")
    parts.append(f"too wide for a phone on {sum(1 for r in done if sideways(r))}")
    if lighthouse:
        good = sum(1 for r in done if not r["violations"] and not sideways(r)
                   and (r["lighthouse"]["scores"]["performance"] or 0) >= 95
                   and all(r["lighthouse"]["scores"][c] == 100 for c in ("accessibility", "best-practices", "seo")))
        parts.append(f"{good} of {len(results)} pages meet every goal")
    return "; ".join(parts)


def causes(results, lighthouse):
    """The failing Lighthouse audits and axe rules, each with the number of pages it fails on."""
    counts = {}
    for r in results.values():
        if not r or "error" in r:
            continue
        if lighthouse:
            for c, ids in r["lighthouse"]["failed"].items():
                for audit in ids:
                    counts.setdefault(f"Lighthouse {c}", {}).setdefault(audit, 0)
                    counts[f"Lighthouse {c}"][audit] += 1
        for v in r["violations"]:
            counts.setdefault("axe-core", {}).setdefault(v["id"], 0)
            counts["axe-core"][v["id"]] += 1
        for message in set(r["lighthouse"].get("consoleErrors", []) if lighthouse else []):
            counts.setdefault("Console errors", {}).setdefault(message, 0)
            counts["Console errors"][message] += 1
    lines = []
    for group in sorted(counts):
        items = sorted(counts[group].items(), key=lambda kv: (-kv[1], kv[0]))
        lines.append(f"- {group}: " + ", ".join(f"`{k}` ({n})" for k, n in items))
    return lines


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0],
                                 formatter_class=argparse.RawDescriptionHelpFormatter, epilog=__doc__)
    ap.add_argument("--pairs", help="comma-separated pairs, e.g. qy01,sw02 (default: all twelve)")
    ap.add_argument("--pages", help="comma-separated pages, from " + ",".join(PAGES) + " (default: all)")
    ap.add_argument("--no-lighthouse", action="store_true", help="only axe-core and the sideways check")
    ap.add_argument("--out", default=os.path.join(CACHE, "report.md"), help="the markdown report")
    a = ap.parse_args()
    started = time.monotonic()
    with open(os.path.join(site.SKINS, "catalogue.json"), encoding="utf-8") as f:
        catalogue = {t["code"][1:]: t["sample"] for t in json.load(f)["templates"] if t["kind"] == "home"}
    pairs = [p.strip() for p in a.pairs.split(",")] if a.pairs else list(catalogue)
    pages = [p.strip() for p in a.pages.split(",")] if a.pages else PAGES
    for p in pairs:
        if p not in catalogue:
            sys.exit(f"unknown pair {p}; pairs are " + ",".join(catalogue))
    for p in pages:
        if p not in PAGES:
            sys.exit(f"unknown page {p}; pages are " + ",".join(PAGES))
    lighthouse = not a.no_lighthouse
    modules = ensure_tools(lighthouse)
    pairs = [(p, catalogue[p]) for p in pairs]
    make_photos(pairs)
    os.makedirs(os.path.dirname(os.path.abspath(a.out)), exist_ok=True)
    results_file = os.path.join(os.path.dirname(os.path.abspath(a.out)), "results.json")
    with tempfile.TemporaryDirectory(prefix="orvane-check-") as work:
        data = os.path.join(work, "data")
        server = Server(data)
        try:
            published = publish_all(server, pairs, work)
            publish_seconds = time.monotonic() - started
            jobs = []
            for pair, (short_name, sample, _) in published.items():
                for page, url in find_pages(server, server.address(short_name), sample, pages).items():
                    if url:
                        jobs.append({"key": f"{pair}/{page}", "url": url, "lighthouse": lighthouse})
            jobs_file = os.path.join(work, "jobs.json")
            with open(jobs_file, "w", encoding="utf-8") as f:
                json.dump(jobs, f)
            subprocess.run(["node", os.path.join(SCRIPTS, "check-sites.mjs"), modules, jobs_file, results_file],
                           check=True, env=dict(os.environ, CHROME_PATH=shutil.which("chromium")))
        finally:
            server.stop()
            notes = server.renderer_notes()
    with open(results_file, encoding="utf-8") as f:
        measured = json.load(f)
    results = {f"{p}/{page}": measured.get(f"{p}/{page}") for p, _ in pairs for page in pages}
    lines = table([p for p, _ in pairs], pages, results, lighthouse)
    minutes = (time.monotonic() - started) / 60
    total = summary(results, lighthouse) + f"; {minutes:.1f} min ({publish_seconds / 60:.1f} publishing)"
    print("\n".join(lines))
    print(total)
    with open(a.out, "w", encoding="utf-8") as f:
        f.write("# Published pages on a phone\n\n"
                "Lighthouse 12.2.3 (mobile), axe-core, sideways scrolling at 360 px; "
                f"{time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())}, commit "
                + subprocess.run(["git", "-C", ROOT, "rev-parse", "--short", "HEAD"], capture_output=True,
                                 text=True).stdout.strip() + ".\n\n")
        f.write("\n".join(lines) + "\n\n" + total + "\n\n## What fails, on how many pages\n\n"
                + "\n".join(causes(results, lighthouse)) + "\n\n## What the server told the owner\n\n"
                + "\n".join(f"- {pair}: {message}" for pair, (_, _, message) in published.items()) + "\n\n"
                "## What the renderer left out or replaced (the server's log)\n\n"
                + ("\n".join(f"- {line}" for line in notes) or "nothing") + "\n")
    print("report:", a.out)


if __name__ == "__main__":
    main()
