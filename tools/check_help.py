#!/usr/bin/env python3
"""Reads a compiled manual back with chmls, an independent reader, and checks it.

    check_help.py ZEPHYRKIT.CHM [--chmls chmls]

Fails (exit 1, one line per fault) when a page of the table of contents is not
in the file, a page of the file is missing from the table of contents or the
index, an entry or a link leads to a page that is not there or to an anchor
the page lacks. A missing picture is reported as a warning only: pictures are
added as their screens are made.
"""
import argparse
import html.parser
import pathlib
import posixpath
import re
import subprocess
import sys
import tempfile

LOCAL = re.compile(r'<param\s+name="Local"\s+value="([^"]*)"', re.IGNORECASE)
PICTURE_SUFFIXES = (".png", ".bmp", ".gif", ".jpg", ".jpeg")


class PageParser(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.anchors = set()
        self.links = []  # (attribute, value)

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if value is None:
                continue
            if name in ("id", "name") and tag != "param" and tag != "meta":
                self.anchors.add(value)
            if (tag == "a" and name == "href") or (tag in ("img", "link", "script") and
                                                   name in ("src", "href")):
                self.links.append(value)


def run_chmls(chmls, *args):
    result = subprocess.run([chmls, *args], capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError(f"{chmls} {' '.join(args)} failed: {result.stderr.strip()}")


def sitemap_locals(path):
    if not path.is_file():
        return None
    return LOCAL.findall(path.read_text(encoding="utf-8", errors="replace"))


def check(chm, chmls):
    faults, warnings = [], []
    with tempfile.TemporaryDirectory() as tmp:
        root = pathlib.Path(tmp) / "content"
        run_chmls(chmls, "extractall", str(chm), str(root))
        toc = sitemap_locals_from(chmls, chm, "extracttoc", pathlib.Path(tmp) / "toc")
        index = sitemap_locals_from(chmls, chm, "extractindex", pathlib.Path(tmp) / "index")
        pages = {p.relative_to(root).as_posix(): p for p in root.rglob("*.html")}
        parsed = {}
        for name, path in pages.items():
            parser = PageParser()
            parser.feed(path.read_text(encoding="utf-8", errors="replace"))
            parsed[name] = parser

        def resolve(origin, target, what):
            page, _, anchor = target.partition("#")
            page = posixpath.normpath(posixpath.join(posixpath.dirname(origin), page)) if page else origin
            if not (root / page).is_file():
                if page.lower().endswith(PICTURE_SUFFIXES):
                    warnings.append(f"{what}: picture {page} is not in the file")
                else:
                    faults.append(f"{what}: {page} is not in the file")
                return
            if anchor and (page not in parsed or anchor not in parsed[page].anchors):
                faults.append(f"{what}: {page} has no anchor #{anchor}")

        if toc is None:
            faults.append("the file has no table of contents")
            toc = []
        if index is None:
            faults.append("the file has no index")
            index = []
        for entry in toc:
            resolve("", entry, f"contents entry {entry}")
        for entry in index:
            resolve("", entry, f"index entry {entry}")
        toc_pages = {e.partition("#")[0] for e in toc}
        index_pages = {e.partition("#")[0] for e in index}
        for name in sorted(pages):
            if name not in toc_pages:
                faults.append(f"{name} is missing from the table of contents")
            if name not in index_pages:
                faults.append(f"{name} is missing from the index")
        for name in sorted(parsed):
            for link in parsed[name].links:
                if re.match(r"^[a-z][a-z0-9+.-]*:", link, re.IGNORECASE):
                    continue  # another scheme: the web, mail
                resolve(name, link, f"{name}: link {link}")
        if not pages:
            faults.append("the file holds no page")
    return faults, warnings


def sitemap_locals_from(chmls, chm, command, path):
    try:
        run_chmls(chmls, command, str(chm), str(path))
    except RuntimeError:
        return None
    return sitemap_locals(path)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("chm", type=pathlib.Path)
    parser.add_argument("--chmls", default="chmls")
    args = parser.parse_args()
    faults, warnings = check(args.chm, args.chmls)
    for w in warnings:
        print(f"warning: {w}", file=sys.stderr)
    for f in faults:
        print(f"fault: {f}")
    if faults:
        return 1
    print(f"{args.chm}: every page listed and indexed, every link and anchor resolved")
    return 0


if __name__ == "__main__":
    sys.exit(main())
