#!/usr/bin/env python3
"""Renders the Getting Started diagrams and embeds them in the page.

The diagrams are drawn in tools/docs/*.svg. The page
resources/doc/tarvexmdl_GettingStarted.html carries them inline as base64
PNG data URLs (the documentation pages refer to no other file), each image
right after a marker comment:

    <!-- diagram: wiring -->
    <p><img src="data:image/png;base64,...." ...></p>

(each image in a paragraph of its own: an image that shares a block with
text makes every line of that block as tall as the image)

This script renders every SVG with rsvg-convert, strips the PNG of
metadata and reduces it to a palette with ImageMagick's convert (so a re-run gives identical bytes) and
replaces the data URL after each marker. Nothing else in the page changes,
line ends included. Needed only to regenerate; the result is committed.

    tools/docs/make_doc_images.py
"""
import base64
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
PAGE = HERE.parent.parent / "resources" / "doc" / "tarvexmdl_GettingStarted.html"
DIAGRAMS = ("wiring", "layers", "modules")


def render(svg: pathlib.Path, tmp: pathlib.Path) -> bytes:
    raw = tmp / (svg.stem + ".raw.png")
    out = tmp / (svg.stem + ".png")
    subprocess.run(["rsvg-convert", str(svg), "-o", str(raw)], check=True)
    # 64-colour palette: the diagrams are flat drawings, and this keeps the page
    # small (the pane parses the whole page every time a module is selected).
    subprocess.run(["convert", str(raw), "-strip", "-alpha", "remove", "-colors", "64",
                    "-define", "png:compression-level=9",
                    "-define", "png:exclude-chunks=date,time", "PNG8:" + str(out)], check=True)
    return out.read_bytes()


def main() -> int:
    for tool in ("rsvg-convert", "convert"):
        if shutil.which(tool) is None:
            print(f"make_doc_images.py: {tool} not found "
                  "(apt-get install librsvg2-bin imagemagick)", file=sys.stderr)
            return 1
    page = PAGE.read_bytes()
    with tempfile.TemporaryDirectory() as tmpdir:
        tmp = pathlib.Path(tmpdir)
        for name in DIAGRAMS:
            png = render(HERE / (name + ".svg"), tmp)
            url = b"data:image/png;base64," + base64.b64encode(png)
            pattern = re.compile(rb'(<!-- diagram: ' + name.encode() + rb' -->\r?\n<p><img src=")'
                                 rb'data:image/png;base64,[A-Za-z0-9+/=]*(")')
            page, count = pattern.subn(lambda m: m.group(1) + url + m.group(2), page)
            if count != 1:
                print(f"make_doc_images.py: marker for '{name}' found {count} times in {PAGE}",
                      file=sys.stderr)
                return 1
            print(f"{name}: {len(png)} bytes of PNG")
    PAGE.write_bytes(page)
    return 0


if __name__ == "__main__":
    sys.exit(main())
