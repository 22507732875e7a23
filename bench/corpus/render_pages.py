#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Renders the HTML pages of the text recognition corpus with headless Chromium.

For each render, one run takes the screenshot and a second dumps the DOM after truth.js has
written the page's text lines and their boxes into it, so the truth comes from the browser's
own layout. Writes NAME.png and NAME.json (lines in image pixels) into the output folder.
"""

import argparse
import concurrent.futures
import html
import json
import os
import pathlib
import re
import struct
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent

# (page, device scale factor, font families replacing the page's own)
RENDERS = [
    ("dashboard", 1, {}),
    ("landing", 1, {}),
    ("banners", 1, {}),
    ("code-light", 1, {}),
    ("code-dark", 1, {}),
    ("terminal", 1, {}),
    ("table", 1, {}),
    ("chat", 1, {}),
    ("mail", 1, {}),
    ("json", 1, {}),
    ("context-menu", 1, {}),
    ("settings", 1, {}),
    ("pricing", 1, {}),
    ("tasks", 1, {}),
    ("mail", 1, {"ui": "Cantarell"}),
    ("tasks", 1, {"ui": "DejaVu Sans"}),
    ("banners", 1, {"ui": "Liberation Sans"}),
    ("dashboard", 2, {"ui": "Cantarell"}),
    ("landing", 2, {"ui": "Noto Sans"}),
    ("code-dark", 2, {"mono": "DejaVu Sans Mono"}),
    ("terminal", 2, {"mono": "Liberation Mono"}),
    ("table", 2, {"ui": "Noto Sans"}),
    ("chat", 2, {"ui": "Liberation Sans"}),
    ("context-menu", 2, {"ui": "DejaVu Sans"}),
    ("settings", 2, {"ui": "Cantarell"}),
    ("json", 2, {"mono": "Liberation Mono"}),
    ("pricing", 2, {"ui": "Liberation Serif"}),
]

# A check of breadth, never tuned on: the same pages in other faces and at fractional scales,
# as desktops set them (--variants).
VARIANTS = [
    ("dashboard", 1.5, {"ui": "Liberation Sans"}),
    ("landing", 1.25, {"ui": "DejaVu Sans"}),
    ("banners", 2, {"ui": "Noto Serif"}),
    ("code-light", 1.5, {"mono": "Liberation Mono"}),
    ("code-dark", 1.5, {}),
    ("terminal", 1.5, {"mono": "DejaVu Sans Mono"}),
    ("table", 1.25, {"ui": "Cantarell"}),
    ("chat", 1.5, {"ui": "Noto Sans"}),
    ("mail", 2, {"ui": "Liberation Serif"}),
    ("json", 1.25, {"mono": "DejaVu Sans Mono"}),
    ("context-menu", 1.25, {"ui": "Noto Sans"}),
    ("settings", 1.5, {"ui": "Liberation Sans"}),
    ("pricing", 1.25, {"ui": "Noto Sans"}),
    ("tasks", 1.5, {"ui": "Cantarell"}),
    ("tasks", 1, {"ui": "Noto Serif"}),
    ("settings", 1, {"ui": "Noto Serif"}),
    ("mail", 1, {"ui": "Liberation Sans"}),
    ("chat", 1, {"ui": "DejaVu Sans"}),
    ("table", 1, {"ui": "Liberation Serif"}),
    ("context-menu", 1, {"ui": "Cantarell"}),
    ("dashboard", 1, {"ui": "DejaVu Sans"}),
    ("code-light", 1, {"mono": "Liberation Mono"}),
    ("pricing", 1, {"ui": "Cantarell"}),
    ("landing", 1, {"ui": "Liberation Sans"}),
]


def render_name(page, scale, fonts):
    variant = "-".join(f.split()[0].lower() for f in fonts.values())
    return f"html-{page}{'-' + variant if variant else ''}@{scale}x"


def page_size(text):
    found = re.search(r'<meta name="corpus-size" content="(\d+)x(\d+)">', text)
    if not found:
        raise ValueError("the page names no corpus-size")
    return int(found.group(1)), int(found.group(2))


def prepared_page(template, width, height, fonts, script):
    variables = "".join(f"--{kind}-font: '{family}';" for kind, family in fonts.items())
    # Fixed page box: the dump's window is never the screenshot's size (Chromium keeps a
    # minimum width and reserves room for its frame), so nothing may depend on the viewport.
    style = (f"<style>html, body {{ margin: 0; overflow: hidden; }} :root {{ {variables} }}"
             f" #page {{ width: {width}px; height: {height}px; overflow: hidden; position: relative; }}"
             f" #truth {{ display: none; }}</style>")
    page = template.replace("<head>", "<head>" + style, 1)
    return page.replace("</body>", f'<pre id="truth"></pre><script>{script}</script></body>', 1)


def chromium(arguments, profile):
    command = ["chromium", "--headless", "--hide-scrollbars", "--disable-gpu", "--no-first-run",
               f"--user-data-dir={profile}", *arguments]
    if os.geteuid() == 0:
        command.append("--no-sandbox")
    return subprocess.run(command, capture_output=True, text=True, timeout=180, check=True).stdout


def png_size(path):
    with open(path, "rb") as f:
        header = f.read(24)
    return struct.unpack(">II", header[16:24])


def render(page, scale, fonts, out, script):
    name = render_name(page, scale, fonts)
    template = (HERE / "pages" / f"{page}.html").read_text(encoding="utf-8")
    width, height = page_size(template)
    with tempfile.TemporaryDirectory() as tmp:
        source = pathlib.Path(tmp) / f"{page}.html"
        source.write_text(prepared_page(template, width, height, fonts, script), encoding="utf-8")
        common = [f"--window-size={width},{height}", f"--force-device-scale-factor={scale}"]
        image = out / f"{name}.png"
        chromium([*common, f"--screenshot={image}", source.as_uri()], pathlib.Path(tmp) / "a")
        dom = chromium([*common, "--dump-dom", source.as_uri()], pathlib.Path(tmp) / "b")
    found = re.search(r'<pre id="truth">(.*?)</pre>', dom, re.S)
    if not found or not found.group(1):
        raise RuntimeError(f"{name}: the dumped page holds no truth")
    truth = json.loads(html.unescape(found.group(1)))
    if truth["problems"]:
        raise RuntimeError(f"{name}: " + "; ".join(truth["problems"]))
    if (round(truth["width"]), round(truth["height"])) != (width, height):
        raise RuntimeError(f"{name}: page laid out at {truth['width']} x {truth['height']}")
    # A fractional scale rounds the last pixel either way.
    size = png_size(image)
    if any(abs(got - want * scale) >= 1 for got, want in zip(size, (width, height))):
        raise RuntimeError(f"{name}: screenshot is {png_size(image)}")
    lines = [{"text": l["text"], "x": round(l["x"] * scale), "y": round(l["y"] * scale),
              "w": round(l["w"] * scale), "h": round(l["h"] * scale)} for l in truth["lines"]]
    (out / f"{name}.json").write_text(json.dumps({
        "image": image.name, "tags": ["html", f"{scale}x"], "fonts": fonts,
        "width": size[0], "height": size[1], "lines": lines}, indent=1))
    return name, len(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("out", type=pathlib.Path)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--variants", action="store_true",
                        help="render the check of breadth instead of the corpus")
    args = parser.parse_args()
    renders = VARIANTS if args.variants else RENDERS
    args.out.mkdir(parents=True, exist_ok=True)

    installed = subprocess.run(["fc-list", ":", "family"], capture_output=True, text=True,
                               check=True).stdout
    families = {f.strip() for line in installed.splitlines() for f in line.split(",")}
    wanted = {f for _, _, fonts in renders for f in fonts.values()}
    wanted |= set(re.findall(r"var\(--[a-z]+-font, '([^']+)'\)",
                             "".join(p.read_text() for p in (HERE / "pages").glob("*.html"))))
    # Chromium would fall back to another font without a word.
    missing = sorted(wanted - families)
    if missing:
        sys.exit(f"fonts not installed: {', '.join(missing)}")

    script = (HERE / "truth.js").read_text(encoding="utf-8")
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        jobs = [pool.submit(render, page, scale, fonts, args.out, script)
                for page, scale, fonts in renders]
        for job in jobs:
            name, count = job.result()
            print(f"{name}: {count} lines")


if __name__ == "__main__":
    main()
