#!/usr/bin/env python3
"""Writes the guide's help pages into install/help/ from their definitions in
guide/pages/: each page's body (<key>.htm) goes into the one page frame below, with the
manual's heading, the page's place in the tree and links to the previous and next page.
A picture is written as <shot name="designFrm">caption</shot>; it becomes a figure when
install/help/shots/designFrm.png exists (scripts/make-help-shots.sh takes them) and is
left out otherwise; likewise <if-shot name="…">…</if-shot> and <if-no-shot name="…">…
</if-no-shot> keep their text only when that picture exists, or only when it does not (a
window not yet in the program is described as such until its shot can be taken). The
style sheet guide/pages/help.css is copied beside the pages.
The outputs are committed; run this again after changing a page or taking new shots."""
import html
import os
import re
import shutil

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SRC = os.path.join(ROOT, "guide", "pages")
OUT = os.path.join(ROOT, "install", "help")

# The pages in the order of the guide's tree: file, title, group.
PAGES = [
    ("prodIntro.htm", "Orvane简介", "Orvane功能"),
    ("setup.htm", "Orvane安装", "Orvane功能"),
    ("main.htm", "Orvane主界面", "Orvane功能"),
    ("basic.htm", "基本信息", "Orvane功能"),
    ("sltTmpl.htm", "选择模板", "Orvane功能"),
    ("dgn.htm", "设计栏目", "Orvane功能"),
    ("ins.htm", "录入数据", "Orvane功能"),
    ("updata.htm", "上传数据", "Orvane功能"),
    ("index.htm", "欢迎使用", "关于我们"),
    ("ceo.htm", "总裁致词", "关于我们"),
    ("intro.htm", "公司介绍", "关于我们"),
    ("pay.htm", "购买须知", "关于我们"),
    ("faq01.htm", "什么是互联网，互联网有那些用途?", "常见问题"),
    ("faq02.htm", "企业为什么要在互联网上建立自己的网站，有何好处？", "常见问题"),
    ("faq03.htm", "要在互联网上建立自己的网站需要哪些条件？", "常见问题"),
    ("faq04.htm", "Orvane2003对上网显示的图片有什么要求?", "常见问题"),
    ("faq05.htm", "在生成网站时，上传速度较慢或中间停止，为什么？", "常见问题"),
    ("suc.htm", "成功案例", ""),
]

FRAME = """<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8">
<title>{title} - Orvane用法指南</title>
<link rel="stylesheet" href="help.css">
</head>
<body>
<header><span class="book">Orvane 用法指南</span><span class="place">{place}</span></header>
<main>
<h1>{title}</h1>
{body}
</main>
<footer>{prev}{next}</footer>
</body>
</html>
"""

SHOT = re.compile(r'<shot name="([A-Za-z_]+)">(.*?)</shot>', re.S)
IF_SHOT = re.compile(r'<if-(no-)?shot name="([A-Za-z_]+)">(.*?)</if-(?:no-)?shot>', re.S)


def has_shot(name):
    return os.path.exists(os.path.join(OUT, "shots", name + ".png"))


def condition(match):
    negated, name, text = match.group(1), match.group(2), match.group(3)
    return text if has_shot(name) != bool(negated) else ""


def figure(match):
    name, caption = match.group(1), match.group(2).strip()
    if not has_shot(name):
        return ""
    return (f'<figure><img src="shots/{name}.png" alt="{html.escape(caption)}">'
            f"<figcaption>{caption}</figcaption></figure>")


def link(page, label, cls):
    if page is None:
        return f'<span class="{cls}"></span>'
    return f'<a class="{cls}" href="{page[0]}">{label}：{html.escape(page[1])}</a>'


def main():
    os.makedirs(OUT, exist_ok=True)
    shutil.copyfile(os.path.join(SRC, "help.css"), os.path.join(OUT, "help.css"))
    for i, (name, title, group) in enumerate(PAGES):
        with open(os.path.join(SRC, name), encoding="utf-8") as f:
            body = SHOT.sub(figure, IF_SHOT.sub(condition, f.read().strip()))
        place = " › ".join(p for p in (group, title) if p)
        prev = PAGES[i - 1] if i > 0 else None
        nxt = PAGES[i + 1] if i + 1 < len(PAGES) else None
        page = FRAME.format(title=html.escape(title), place=html.escape(place), body=body,
                            prev=link(prev, "上一页", "prev"), next=link(nxt, "下一页", "next"))
        with open(os.path.join(OUT, name), "w", encoding="utf-8") as f:
            f.write(page)
    print(f"{len(PAGES)} help pages written to {OUT}")


if __name__ == "__main__":
    main()
