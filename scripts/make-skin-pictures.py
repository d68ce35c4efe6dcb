#!/usr/bin/env python3
"""Draws the appearance pictures of the installation from the definitions in skins/:

  install/template/   each template's thumbnail (its catalogue name) and its full-size
                      preview <code>.jpg, rendered from the template's skin filled with
                      the sample content of skins/sample/
  install/fonts/      one sample picture per name style
  install/backGround/ the tileable background pictures

and writes the catalogue rows (defaultTmpl, headTmpl, font) into the marked block of
sitedb/seed.sql. Pages are rendered by headless Chromium (installed with apt-get when
missing); ImageMagick scales and crops. The outputs are committed; run this again only
to change them:  scripts/make-skin-pictures.py [code or id ...]

The page fragments built here from the sample content are the ones skins/README.md
describes; the site renderer builds the same from a site database."""
import html
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SKINS = os.path.join(ROOT, "skins")
INSTALL = os.path.join(ROOT, "install")
SEED = os.path.join(ROOT, "sitedb", "seed.sql")

PAGE_WIDTH = 1000          # CSS pixels the pages are laid out in
MAX_PAGE_HEIGHT = 1700     # previews are cut there
PREVIEW_WIDTH = 800        # the full-size preview <code>.jpg
THUMB = (150, 90)          # a tile of the template catalogue
THUMB_CROP = (1000, 600)   # the part of the page a thumbnail shows
NAME_SAMPLE = (420, 76)    # a name-style sample picture
NAME_SAMPLE_TEXT = "华信科技有限公司"

PLACEHOLDER = re.compile(r"\{\{([a-z_]+)\}\}")
COMMON_SLOTS = {"page_title", "common", "skin", "head", "home", "site_name", "name_style",
                "logo", "nav", "footer", "body_end"}
REQUIRED = {"page_title", "common", "skin", "head", "name_style", "nav", "footer", "body_end"}
KIND_SLOTS = {
    "home": ({"intro", "news", "products", "gallery", "contact"},
             {"logo", "intro", "news", "products", "gallery", "contact"}),
    "inner": ({"crumbs", "subnav", "heading", "content", "contact"},
              {"subnav", "heading", "content"}),
}


def esc(text):
    return html.escape(text, quote=True)


def load_json(*parts):
    with open(os.path.join(SKINS, *parts), encoding="utf-8") as f:
        return json.load(f)


# ---------------------------------------------------------------- skin checks

def check_skin(t):
    """A skin names only the placeholders of its kind and every one it must."""
    path = os.path.join(SKINS, "templates", t["code"], "skin.html")
    with open(path, encoding="utf-8") as f:
        text = f.read()
    used = set(PLACEHOLDER.findall(text))
    allowed, required = KIND_SLOTS[t["kind"]]
    unknown = used - COMMON_SLOTS - allowed
    missing = (REQUIRED | required) - used
    if unknown or missing:
        sys.exit(f"{path}: unknown placeholders {sorted(unknown)}, missing {sorted(missing)}")
    if '<body class="orv-body"' not in text:
        sys.exit(f"{path}: the body must carry the class orv-body")
    if '<meta name="viewport" content="width=device-width, initial-scale=1">' not in text:
        sys.exit(f"{path}: the viewport tag is missing")
    if 'href="#orv-main"' not in text or 'id="orv-main"' not in text:
        sys.exit(f"{path}: the link past the navigation or its target is missing")
    folder = os.path.join(SKINS, "templates", t["code"])
    css = os.path.join(folder, "skin.css")
    if not os.path.exists(css):
        sys.exit(f"{t['code']}: no skin.css")
    with open(css, encoding="utf-8") as f:
        for asset in re.findall(r"url\(([^)]+)\)", f.read()):
            if "/" in asset or not os.path.isfile(os.path.join(folder, asset)):
                sys.exit(f"{css}: the asset {asset} is not a file of the skin's own folder")
    return text


def fill(skeleton, values):
    """One pass over the skeleton: what a value holds is never read as a placeholder."""
    return PLACEHOLDER.sub(lambda m: values.get(m.group(1), ""), skeleton)


# ---------------------------------------------------------------- fragments

def pic(name):
    return f"pics/{name}.svg"


def nav_html(sample, current):
    items = ['<li class="orv-l1{}"><a href="#"{}>首页</a></li>'.format(
        " orv-current" if current is None else "", ' aria-current="page"' if current is None else "")]
    for node in sample["nav"]:
        cls = "orv-l1" + (" orv-current" if node["name"] == current else "")
        sub = ""
        if node["children"]:
            sub = '<ul class="orv-sub">' + "".join(
                f'<li class="orv-l2"><a href="#">{esc(c)}</a></li>' for c in node["children"]) + "</ul>"
        here = ' aria-current="true"' if node["name"] == current else ""
        items.append(f'<li class="{cls}"><a href="#"{here}>{esc(node["name"])}</a>{sub}</li>')
    return ('<input type="checkbox" id="orv-menu" class="orv-menu-toggle">'
            '<label for="orv-menu" class="orv-menu-button">菜单</label>'
            '<ul class="orv-nav">' + "".join(items) + "</ul>")


def subnav_html(sample, section, current):
    node = next(n for n in sample["nav"] if n["name"] == section)
    children = node["children"] or [section]
    lis = "".join('<li class="orv-l2{}"><a href="#"{}>{}</a></li>'.format(
        " orv-current" if c == current else "", ' aria-current="page"' if c == current else "", esc(c))
        for c in children)
    return (f'<nav class="orv-subnav" aria-label="{esc(section)}"><h2 class="orv-subnav-title">{esc(section)}</h2>'
            f"<ul>{lis}</ul></nav>")


def crumbs_html(section, current):
    parts = ['<a href="#">首页</a>', f'<a href="#">{esc(section)}</a>']
    if current != section:
        parts.append(f'<span aria-current="page">{esc(current)}</span>')
    return ('<nav class="orv-crumbs" aria-label="当前位置">' + '<span class="orv-sep">&gt;</span>'.join(parts)
            + "</nav>")


CONTACT_FIELDS = [("Address", "orv-address", "地址"), ("linkMan", "orv-linkman", "联系人"),
                  ("Tel", "orv-tel", "电话"), ("Mobile", "orv-mobile", "手机"),
                  ("Fax", "orv-fax", "传真"), ("Zip", "orv-zip", "邮编"),
                  ("Email", "orv-email", "电子邮件")]


def contact_list(org):
    lis = []
    for key, cls, label in CONTACT_FIELDS:
        if org.get(key):
            lis.append(f'<li class="{cls}"><span class="orv-label">{label}：</span>{esc(org[key])}</li>')
    return '<ul class="orv-contact">' + "".join(lis) + "</ul>"


def org_name(org):
    return org["dalm_name"] or org["webName"]


def footer_html(org):
    return (f'<div class="orv-footer"><p class="orv-footer-name">{esc(org_name(org))}</p>'
            f"{contact_list(org)}"
            f'<p class="orv-copyright">版权所有 &copy; {esc(org_name(org))}</p></div>')


def block(kind, title, body):
    return (f'<section class="orv-block orv-block-{kind}"><h2 class="orv-block-title">'
            f'<span>{esc(title)}</span><a class="orv-more" href="#">更多&gt;&gt;</a></h2>'
            f'<div class="orv-block-body">{body}</div></section>')


def newslist_html(items):
    return '<ul class="orv-newslist">' + "".join(
        f'<li><a href="#">{esc(t)}</a><span class="orv-date">{esc(d)}</span></li>'
        for t, d in items) + "</ul>"


def gallery_html(items):
    return '<ul class="orv-gallery">' + "".join(
        f'<li><a href="#"><img src="{pic(p)}" alt="{esc(c)}"><span class="orv-caption">{esc(c)}</span></a></li>'
        for c, p in items) + "</ul>"


def price_html(p):
    return f'<span class="orv-price">{esc(p["price"])}</span>' if p["price"] else ""


def prod03_html(items):
    return '<ul class="orv-prod03">' + "".join(
        f'<li><a href="#"><img src="{pic(p["pic"])}" alt="{esc(p["name"])}">'
        f'<span class="orv-prod-name">{esc(p["name"])}</span>{price_html(p)}</a></li>'
        for p in items) + "</ul>"


def facts_html(p):
    out = f'<dl class="orv-prod-facts"><dt>规格</dt><dd>{esc(p["spec"])}</dd><dt>单位</dt><dd>{esc(p["unit"])}</dd>'
    if p["price"]:
        out += f'<dt>价格</dt><dd>{price_html(p)}</dd>'
    return out + "</dl>"


def prod02_html(items):
    return '<ul class="orv-prod02">' + "".join(
        f'<li><a class="orv-prod-pic" href="#"><img src="{pic(p["pic"])}" alt="{esc(p["name"])}"></a>'
        f'<div class="orv-prod-info"><h2 class="orv-prod-name"><a href="#">{esc(p["name"])}</a></h2>'
        f"{facts_html(p)}</div></li>" for p in items) + "</ul>"


def prod01_html(items):
    rows = "".join(
        f'<tr><td><a href="#">{esc(p["name"])}</a></td><td>{esc(p["spec"])}</td><td>{esc(p["unit"])}</td>'
        f'<td>{price_html(p)}</td></tr>' for p in items)
    return ('<table class="orv-prod01"><thead><tr><th>产品名称</th><th>规格</th><th>单位</th><th>价格</th>'
            f"</tr></thead><tbody>{rows}</tbody></table>")


def paras(ps):
    return '<div class="orv-text">' + "".join(f"<p>{esc(p)}</p>" for p in ps) + "</div>"


def figure(name, cls):
    return f'<figure class="orv-pic {cls}"><img src="{pic(name)}" alt=""></figure>'


def record(kind, title, inner):
    return (f'<article class="orv-record orv-{kind}"><h1 class="orv-record-title">{esc(title)}</h1>'
            f"{inner}</article>")


def content_for(page, sample):
    """The content of an inner page in one display format, and the page's name."""
    art, news, prods, gal = sample["article"], sample["news"], sample["products"], sample["gallery"]
    sec = sample["section"]
    if page == "txt":
        return record("txt", art["title"], paras(art["paras"])), sec["name"], sec["current"]
    if page == "imgTxt01":
        ps = art["paras"]
        inner = ('<div class="orv-text">' + figure(art["pics"][0], "orv-pic-left")
                 + "".join(f"<p>{esc(p)}</p>" for p in ps[:2]) + figure(art["pics"][1], "orv-pic-right")
                 + "".join(f"<p>{esc(p)}</p>" for p in ps[2:]) + "</div>")
        return record("imgTxt01", art["title"], inner), sec["name"], sec["current"]
    if page == "imgTxt02":
        inner = ('<div class="orv-pics">' + figure(art["pics"][0], "") + figure(art["pics"][1], "")
                 + "</div>" + paras(art["paras"]))
        return record("imgTxt02", art["title"], inner), sec["name"], sec["current"]
    if page == "imgTxt03":
        inner = figure(art["pics"][0], "orv-pic-top") + paras(art["paras"])
        return record("imgTxt03", art["title"], inner), sec["name"], sec["current"]
    news_sec = next(n for n in sample["nav"] if n["name"] in ("新闻中心", "政务动态", "新闻资讯"))
    if page == "news":
        pager = ('<div class="orv-pager"><span class="orv-current">1</span><a href="#">2</a>'
                 '<a href="#">3</a><a href="#">下一页</a></div>')
        return newslist_html(news["items"]) + pager, news_sec["name"], news["title"]
    if page == "newsItem":
        it = news["item"]
        inner = (f'<p class="orv-record-meta"><span class="orv-date">{esc(it["date"])}</span></p>'
                 + figure(it["pic"], "orv-pic-top") + paras(it["paras"])
                 + '<p class="orv-back"><a href="#">返回列表</a></p>')
        return record("news-item", it["title"], inner), news_sec["name"], news["title"]
    prod_sec = next(n for n in sample["nav"] if n["name"] in ("产品中心", "招商引资", "产品展示", "课程设置"))
    prod_name = prods["title"]
    if page == "prod01":
        return prod01_html(prods["items"]), prod_sec["name"], prod_name
    if page == "prod02":
        return prod02_html(prods["items"][:4]), prod_sec["name"], prod_name
    if page == "prod03":
        return prod03_html(prods["items"]), prod_sec["name"], prod_name
    if page == "product":
        p = prods["items"][0]
        inner = ('<div class="orv-product-head">' + figure(p["pic"], "") + facts_html(p) + "</div>"
                 + '<div class="orv-adv">' + "".join(f"<p>{esc(x)}</p>" for x in prods["intro"])
                 + "</div>")
        return record("product", p["name"], inner), prod_sec["name"], prod_name
    if page == "imgs":
        gal_sec = next((n for n in sample["nav"] if gal["title"] in n["children"] or n["name"] == gal["title"]),
                       sample["nav"][0])
        return gallery_html(gal["items"]), gal_sec["name"], gal["title"]
    sys.exit(f"unknown preview page {page}")


def page_values(t, sample, name_style):
    org = sample["org"]
    values = {
        "common": "skin/common/", "skin": f"skin/{t['code']}/", "home": "#",
        "site_name": esc(org["webName"]),
        "head": f'<link rel="stylesheet" href="skin/names/{name_style}.css">',
        "name_style": f'<a class="orv-name" href="#"><span class="orv-name-text">{esc(org_name(org))}</span></a>',
        "logo": f'<a class="orv-logo" href="#"><img src="{pic(sample["logo"])}" alt="{esc(org_name(org))}"></a>',
        "footer": footer_html(org), "body_end": "",
        "contact": block("contact", sample["contact"], contact_list(org)),
    }
    if t["kind"] == "home":
        intro = sample["intro"]
        values.update({
            "page_title": esc(org["webName"]),
            "name_style": f'<h1 class="orv-site-name">{values["name_style"]}</h1>',
            "nav": nav_html(sample, None),
            "intro": block("intro", intro["title"],
                           f'<div class="orv-intro"><img class="orv-intro-pic" src="{pic(intro["pic"])}" alt="">'
                           f'<p>{esc(intro["text"])}</p></div>'),
            "news": block("news", sample["news"]["title"], newslist_html(sample["news"]["items"][:t["blocks"]["news"]])),
            "products": block("products", sample["products"]["title"],
                              prod03_html(sample["products"]["items"][:t["blocks"]["products"]])),
            "gallery": block("gallery", sample["gallery"]["title"],
                             gallery_html(sample["gallery"]["items"][:t["blocks"]["gallery"]])),
        })
    else:
        content, section, current = content_for(t["page"], sample)
        values.update({
            "page_title": esc(f"{current} - {org['webName']}"),
            "nav": nav_html(sample, section),
            "subnav": subnav_html(sample, section, current),
            "crumbs": crumbs_html(section, current),
            "heading": ('<p class="orv-heading">{}</p>' if content.startswith("<article")
                        else '<h1 class="orv-heading">{}</h1>').format(esc(current)),
            "content": content,
        })
    return values


# ---------------------------------------------------------------- rendering

class Browser:
    def __init__(self, work):
        self.profile = os.path.join(work, "profile")

    def run(self, url, *extra):
        args = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                "--no-first-run", "--disable-background-networking", "--disable-component-update",
                "--disable-sync", f"--user-data-dir={self.profile}", "--hide-scrollbars",
                "--force-device-scale-factor=1", "--lang=zh-CN", "--virtual-time-budget=3000",
                *extra, url]
        return subprocess.run(args, check=True, capture_output=True, text=True).stdout

    def height(self, path, width):
        """The page's height when laid out at this width (the page reports it in its title)."""
        dom = self.run("file://" + path, f"--window-size={width},800", "--dump-dom")
        m = re.search(r"<title>(\d+)</title>", dom)
        if not m:
            sys.exit(f"{path}: no height reported")
        return int(m.group(1))

    def shot(self, path, width, height, png):
        self.run("file://" + path, f"--window-size={width},{height}", f"--screenshot={png}")

    def small_shot(self, path, width, height, png):
        """A picture smaller than the browser's smallest window: shot in a larger one, then cut."""
        self.shot(path, max(width, 800), max(height, 600), png)
        magick(png, "-crop", f"{width}x{height}+0+0", "+repage", png)


MEASURE = ("<script>addEventListener('load',function(){document.title="
           "Math.ceil(document.documentElement.getBoundingClientRect().height)})</script>")


def magick(*args):
    subprocess.run(["convert", *args], check=True)


def stage_common(site):
    os.makedirs(os.path.join(site, "skin"), exist_ok=True)
    shutil.copytree(os.path.join(SKINS, "common"), os.path.join(site, "skin", "common"), dirs_exist_ok=True)
    shutil.copytree(os.path.join(SKINS, "names"), os.path.join(site, "skin", "names"), dirs_exist_ok=True)
    shutil.copytree(os.path.join(SKINS, "sample", "pics"), os.path.join(site, "pics"), dirs_exist_ok=True)


def render_template(browser, site, t, skeleton, samples, out):
    src = os.path.join(SKINS, "templates", t["code"])
    shutil.copytree(src, os.path.join(site, "skin", t["code"]), dirs_exist_ok=True,
                    ignore=shutil.ignore_patterns("skin.html"))
    page = fill(skeleton, page_values(t, samples[t["sample"]], t["nameStyle"]))
    path = os.path.join(site, t["code"] + ".html")
    with open(path, "w", encoding="utf-8") as f:
        f.write(page.replace("</body>", MEASURE + "</body>"))
    h = min(browser.height(path, PAGE_WIDTH), MAX_PAGE_HEIGHT)
    png = os.path.join(site, t["code"] + ".png")
    browser.shot(path, PAGE_WIDTH, h, png)
    magick(png, "-filter", "Lanczos", "-resize", f"{PREVIEW_WIDTH}x", "-strip", "-interlace", "JPEG",
           "-sampling-factor", "4:2:0", "-quality", "82",
           os.path.join(out, t["code"] + ".jpg"))
    magick(png, "-crop", "{}x{}+0+0".format(*THUMB_CROP), "+repage", "-filter", "Lanczos",
           "-resize", "{}x{}!".format(*THUMB), "-unsharp", "0x0.6", "-strip",
           os.path.join(out, t["tmplName"]))


def render_name_style(browser, site, s, out):
    w, h = NAME_SAMPLE
    page = ('<!DOCTYPE html><html lang="zh-CN"><head><meta charset="utf-8">'
            f'<link rel="stylesheet" href="skin/common/base.css"><link rel="stylesheet" href="skin/names/{s["id"]}.css">'
            f'<style>body{{margin:0}}.sample{{width:{w}px;height:{h}px;background:{s["sampleBackground"]};'
            'display:flex;align-items:center;justify-content:center;overflow:hidden}</style></head>'
            f'<body><div class="sample"><span class="orv-name"><span class="orv-name-text">{NAME_SAMPLE_TEXT}'
            '</span></span></div></body></html>')
    path = os.path.join(site, s["id"] + ".html")
    with open(path, "w", encoding="utf-8") as f:
        f.write(page)
    png = os.path.join(site, s["id"] + ".png")
    browser.small_shot(path, w, h, png)
    magick(png, "-strip", os.path.join(out, s["picture"]))


def render_background(browser, site, b, out):
    svg = os.path.join(SKINS, "backgrounds", b["id"] + ".svg")
    with open(svg, encoding="utf-8") as f:
        text = f.read()
    m = re.search(r'width="(\d+)" height="(\d+)"', text)
    w, h = int(m.group(1)), int(m.group(2))
    path = os.path.join(site, b["id"] + ".html")
    with open(path, "w", encoding="utf-8") as f:
        f.write(f'<!DOCTYPE html><html><body style="margin:0;line-height:0">{text}</body></html>')
    png = os.path.join(site, b["id"] + ".png")
    browser.small_shot(path, w, h, png)
    magick(png, "-strip", "-quality", "88", os.path.join(out, b["picture"]))


# ---------------------------------------------------------------- catalogue rows

SEED_BEGIN = "-- Appearance catalogues, written by scripts/make-skin-pictures.py from skins/catalogue.json."
SEED_END = "-- End of the appearance catalogues."


def sql_text(s):
    return "'" + s.replace("'", "''") + "'"


def write_seed(cat):
    lines = [SEED_BEGIN]
    for table, kind in (("defaultTmpl", "home"), ("headTmpl", "inner")):
        rows = [f"    ({sql_text(t['category'])}, {sql_text(t['tmplName'])})"
                for t in cat["templates"] if t["kind"] == kind]
        lines.append(f"INSERT INTO {table} (tmplType, tmplName) VALUES\n" + ",\n".join(rows) + ";")
    rows = [f"    ({sql_text(s['picture'])})" for s in cat["nameStyles"]]
    lines.append("INSERT INTO font (font) VALUES\n" + ",\n".join(rows) + ";")
    lines.append(SEED_END)
    block_text = "\n".join(lines) + "\n"
    with open(SEED, encoding="utf-8") as f:
        seed = f.read()
    if SEED_BEGIN in seed:
        head, rest = seed.split(SEED_BEGIN, 1)
        tail = rest.split(SEED_END + "\n", 1)[1]
        seed = head + block_text + tail
    else:
        seed = seed.rstrip("\n") + "\n\n" + block_text
    with open(SEED, "w", encoding="utf-8") as f:
        f.write(seed)


# ---------------------------------------------------------------- main

def installed(package):
    status = subprocess.run(["dpkg-query", "-W", "-f=${Status}", package],
                            capture_output=True, text=True).stdout
    return "install ok installed" in status


def ensure_tools(cat):
    if shutil.which("chromium") is None:
        as_root = [] if os.geteuid() == 0 else ["sudo"]
        subprocess.run(as_root + ["apt-get", "install", "-y", "-q", "chromium"], check=True,
                       env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
    # Without its font a name style would be drawn in a fallback face, silently.
    missing = sorted(p for p in {s["package"] for s in cat["nameStyles"]} if not installed(p))
    if missing or shutil.which("convert") is None:
        sys.exit(f"missing {' '.join(missing) or 'ImageMagick'}: run scripts/bootstrap.sh")


def main(only):
    cat = load_json("catalogue.json")
    for t in cat["templates"]:
        t["tmplName"] = t["code"] + ".png"
    for s in cat["nameStyles"]:
        s["picture"] = s["id"] + ".png"
    skeletons = {t["code"]: check_skin(t) for t in cat["templates"] if not only or t["code"] in only}
    samples = {k: load_json("sample", k + ".json") for k in {t["sample"] for t in cat["templates"]}}
    ensure_tools(cat)
    dirs = {d: os.path.join(INSTALL, d) for d in ("template", "fonts", "backGround")}
    for d in dirs.values():
        os.makedirs(d, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="orvane-skins-") as work:
        site = os.path.join(work, "site")
        stage_common(site)
        browser = Browser(work)
        for t in cat["templates"]:
            if not only or t["code"] in only:
                render_template(browser, site, t, skeletons[t["code"]], samples, dirs["template"])
                print("template", t["code"])
        for s in cat["nameStyles"]:
            if not only or s["id"] in only:
                render_name_style(browser, site, s, dirs["fonts"])
                print("name style", s["id"])
        for b in cat["backgrounds"]:
            if not only or b["id"] in only:
                render_background(browser, site, b, dirs["backGround"])
                print("background", b["picture"])
    write_seed(cat)
    print("catalogue rows written to", SEED)


if __name__ == "__main__":
    main(set(sys.argv[1:]))
