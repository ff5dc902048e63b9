#!/usr/bin/env python3
"""Writes a synthetic site of N pages into a folder, for bench/synthetic_site.sh.

Every page shows 8 pictures of its own and 2 that every page shares, links one style sheet
(which names one of the shared pictures again) and has 11 links to other pages of the site,
so that the first page, /p/0/0.html, reaches all of them. The own pictures' addresses are all
distinct, /img/PAGE/K.png, but nginx serves each from pictures/K.png (a location in
bench/synthetic_site.sh), so the folder stays small: N page files and 8 + 2 pictures.

    bench/synthetic_site.py FOLDER PAGES
"""
import os
import struct
import sys
import zlib

OWN_PICTURES = 8
LINK_STEPS = (1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144)  # 11 links; +1 alone reaches every page


def png(width, height):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    rows = b"".join(b"\0" + bytes([(x * 7 + y * 3) % 256 for x in range(width * 3)]) for y in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def page_path(number):
    return f"/p/{number // 1000}/{number}.html"


def page(number, count):
    links = "\n".join(f'<li><a href="{page_path((number + step) % count)}">Page {(number + step) % count}</a></li>'
                      for step in LINK_STEPS)
    own = "\n".join(f'<img src="/img/{number}/{k}.png" alt="picture {k} of page {number}">'
                    for k in range(OWN_PICTURES))
    return f"""<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Synthetic page {number}</title>
<link rel="stylesheet" href="/site.css">
</head>
<body>
<header><img src="/shared/logo.png" alt="logo"><h1>Synthetic page {number}</h1></header>
<main>
<p>This page is one of {count}. It shows eight pictures of its own, two shared ones and links
to eleven other pages, as a gallery or a manual of that size would.</p>
<div class="gallery">
{own}
</div>
</main>
<nav><ul>
{links}
</ul></nav>
<footer><img src="/shared/banner.png" alt="banner"></footer>
</body>
</html>
"""


def main():
    if len(sys.argv) != 3 or not sys.argv[2].isdigit() or int(sys.argv[2]) < 1:
        sys.exit(__doc__.strip().splitlines()[-1].strip())
    folder, count = sys.argv[1], int(sys.argv[2])
    for sub in ("pictures", "shared", "p"):
        os.makedirs(os.path.join(folder, sub), exist_ok=True)
    for k in range(OWN_PICTURES):
        with open(os.path.join(folder, "pictures", f"{k}.png"), "wb") as out:
            out.write(png(40 + 8 * k, 30 + 4 * k))
    for name, (width, height) in (("logo", (64, 32)), ("banner", (120, 20))):
        with open(os.path.join(folder, "shared", f"{name}.png"), "wb") as out:
            out.write(png(width, height))
    with open(os.path.join(folder, "site.css"), "w") as out:
        out.write("body { font-family: sans-serif; }\nfooter { background: url(/shared/banner.png) no-repeat; }\n"
                  ".gallery img { margin: 4px; }\n")
    for number in range(count):
        path = folder + page_path(number)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as out:
            out.write(page(number, count))


if __name__ == "__main__":
    main()
