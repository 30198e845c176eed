#!/usr/bin/env python3
"""Writes the user guide as one HTML page that opens anywhere by itself.

    make_guide_html.py <guide.md> <out.html>

Pictures the guide shows are inlined as data: URIs, so the page needs no
other file and reaches for nothing on the network. A table of contents of the
guide's sections follows its title, made from the headings themselves.
"""
import base64
import html
import pathlib
import re
import sys
import urllib.parse

import markdown
from markdown.extensions.toc import TocExtension, slugify_unicode

STYLE = """
body { font-family: "Microsoft YaHei", "WenQuanYi Micro Hei", "Noto Sans CJK SC", sans-serif;
       line-height: 1.7; max-width: 64em; margin: 2em auto; padding: 0 1em; color: #222; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #bbb; padding: 0.25em 0.6em; vertical-align: top; }
th { background: #eef2f7; }
td { white-space: nowrap; }
td:last-child { white-space: normal; }
code, pre { font-family: Consolas, "DejaVu Sans Mono", monospace; background: #f4f4f4; }
pre { padding: 0.6em 1em; overflow-x: auto; }
img { max-width: 100%; }
nav { background: #f7f9fb; border: 1px solid #dde3ea; padding: 0.4em 1.2em; }
nav ul { margin: 0.2em 0; padding-left: 1.2em; }
nav > ul > li > ul { padding-left: 0; display: inline; }
nav > ul > li > ul > li { display: inline; margin-left: 1em; }
"""

MIME = {".png": "image/png", ".jpg": "image/jpeg", ".svg": "image/svg+xml"}


def inline_pictures(body, folder):
    def data_uri(match):
        path = folder / html.unescape(match.group(2))
        encoded = base64.b64encode(path.read_bytes()).decode("ascii")
        return f'{match.group(1)}"data:{MIME[path.suffix.lower()]};base64,{encoded}"'

    return re.sub(r'(<img[^>]* src=)"(?!data:)([^"]+)"', data_uri, body)


def main():
    source, target = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    text = source.read_text(encoding="utf-8")
    title = re.search(r"^# (.+)$", text, re.MULTILINE).group(1)
    # Anchors keep the headings' own characters (三、怎么用 is #三怎么用), and
    # the links to them are percent-encoded, as a URI must be.
    toc = TocExtension(toc_depth="2-3", slugify=slugify_unicode)
    converter = markdown.Markdown(extensions=["tables", "fenced_code", toc])
    body = converter.convert(text)
    contents = re.sub(r'href="#([^"]+)"', lambda link: f'href="#{urllib.parse.quote(link.group(1))}"', converter.toc)
    nav = f"<nav>\n<p><strong>目录</strong></p>\n{contents}</nav>\n"
    body = re.sub(r"(</h1>\n)", lambda heading: heading.group(1) + nav, body, count=1)
    body = inline_pictures(body, source.parent)
    page = (
        '<!DOCTYPE html>\n<html lang="zh-CN">\n<head>\n<meta charset="utf-8">\n'
        '<meta name="viewport" content="width=device-width, initial-scale=1">\n'
        f"<title>{html.escape(title)}</title>\n<style>{STYLE}</style>\n</head>\n"
        f"<body>\n{body}\n</body>\n</html>\n"
    )
    # CRLF would change the bytes between hosts; the page keeps "\n" everywhere.
    target.write_bytes(page.encode("utf-8"))


if __name__ == "__main__":
    main()
