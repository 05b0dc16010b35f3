"""zephyrkit-project publish through the real program: the site's names, the
download page read by an HTML parser (every link to a file of the site whose
SHA-256 the page and SHA256SUMS agree on, under 8 KB, no script), the sums
checked by `sha256sum -c`, the two servers' settings, an earlier site left
whole by a publish that fails and tidied by one that succeeds, and the page as
headless Chromium shows it on a 240 x 320 screen and a desktop one.

Usage: publish_test.py ZEPHYRKIT_PROJECT ZEPHYRKIT_PACKAGE MAKE_CE_CAB ARTIFACT_DIR
"""
import hashlib
import html.parser
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from package_layout import Workshop, zip_holding  # noqa: E402

PROJECT, PACKAGE, MAKE_CE_CAB, ARTIFACTS = sys.argv[1:5]
del sys.argv[1:5]

TITLE = "Zephyrkit Sample [Beta]"
STEM = "zephyrkit-sample-beta"
# What HTML 3.2 and Pocket Internet Explorer know, and nothing else.
HTML32_TAGS = {"html", "head", "meta", "title", "style", "body", "h2", "h3", "p", "br", "table",
               "tr", "td", "b", "a", "tt"}


class Page(html.parser.HTMLParser):
    """The links (href, words) of a page, its tags and its text."""

    def __init__(self, text):
        super().__init__(convert_charrefs=True)
        self.links, self.tags, self.text, self._href = [], set(), "", None
        self.feed(text)
        self.close()

    def handle_starttag(self, tag, attrs):
        self.tags.add(tag)
        if tag == "a":
            self._href = dict(attrs)["href"]
            self.links.append([self._href, ""])

    def handle_endtag(self, tag):
        if tag == "a":
            self._href = None

    def handle_data(self, data):
        self.text += data
        if self._href is not None:
            self.links[-1][1] += data


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def size_words(n):
    return f"{(n + 1023) // 1024} KB" if n < 1 << 20 else f"{n / (1 << 20):.1f} MB"


def folder_bytes(folder):
    """Every file and folder below `folder`, a file with its bytes."""
    found = {}
    for root, dirs, files in os.walk(folder):
        for name in dirs:
            found[os.path.relpath(os.path.join(root, name), folder)] = None
        for name in files:
            with open(os.path.join(root, name), "rb") as f:
                found[os.path.relpath(os.path.join(root, name), folder)] = f.read()
    return found


def png_rows(path):
    """(width, height, rows of RGB(A) bytes) of an 8-bit truecolour PNG."""
    with open(path, "rb") as f:
        data = f.read()
    at, chunks, header = 8, b"", None
    while at < len(data):
        (length,), kind = struct.unpack(">I", data[at:at + 4]), data[at + 4:at + 8]
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBB", body[:10])
        elif kind == b"IDAT":
            chunks += body
        at += 12 + length
    width, height, depth, colour = header
    assert depth == 8 and colour in (2, 6), header
    step = 3 if colour == 2 else 4
    raw, stride, rows, prior = zlib.decompress(chunks), width * step, [], bytearray(width * step)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up, corner = prior[i], prior[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(line)
        prior = line
    return width, height, step, rows


class PublishTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory(prefix="zk-publish-")
        self.addCleanup(self.tmp.cleanup)
        self.shop = Workshop(self.tmp.name, MAKE_CE_CAB, [PROJECT], {},
                             system_info=zip_holding("SystemInfo.exe", b"MZ tool"))
        self.site = self.shop.path("site")
        self.paw = self.shop.path("Demo.paw")
        self.project("new", self.paw, "--title", TITLE, "--company", "Morvane Café",
                     "--removable-card", "yes")
        self.project("add", self.paw,
                     self.shop.cabinet("viewer2003.cab", "Viewer 2003", "--os-min", "4.20", "--os-max", "4.99"),
                     self.shop.cabinet("viewer5.cab", "Viewer", "--os-min", "5.0", "--os-max", "5.99"),
                     self.shop.cabinet("player.cab", "Player"))

    def project(self, *args, code=0):
        r = subprocess.run([os.path.join(self.shop.program, "zephyrkit-project"), *args],
                           capture_output=True, text=True, cwd=self.tmp.name,
                           env=dict(os.environ, SOURCE_DATE_EPOCH="1765280000"))
        self.assertEqual(r.returncode, code, r.stdout + r.stderr)
        return r

    def publish(self, *extra, code=0):
        return self.project("publish", self.paw, "--to", self.site, *extra, code=code)

    def test_the_site_holds_the_installers_a_page_sums_and_server_settings(self):
        r = self.publish("--base-url", "http://192.168.1.5:8080/")
        mobile, desktop = STEM + "-mobile.exe", STEM + "-desktop.exe"
        self.assertEqual(sorted(os.listdir(self.site)),
                         sorted([".htaccess", "SHA256SUMS", "autorun.exe", desktop, "index.html",
                                 mobile, "nginx-zephyrkit.conf"]))
        self.assertIn(os.path.join(self.site, mobile) + "\t", r.stdout)
        for installer in (mobile, desktop):
            t = subprocess.run([PACKAGE, "test", os.path.join(self.site, installer),
                                "--desktop-stub-length", "1002"], capture_output=True, text=True)
            self.assertEqual(t.returncode, 0, installer + ": " + t.stdout + t.stderr)
        self.assertEqual(sha256(os.path.join(self.site, mobile)),
                         sha256(os.path.join(self.site, "autorun.exe")))

        with open(os.path.join(self.site, "index.html"), "rb") as f:
            raw = f.read()
        self.assertLess(len(raw), 8192)
        self.assertTrue(raw.startswith(b'<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 3.2 Final//EN">'))
        page = Page(raw.decode("ascii"))
        self.assertLessEqual(page.tags, HTML32_TAGS)
        self.assertNotIn(b"<script", raw.lower())
        text = " ".join(page.text.split())
        for words in (TITLE, "Morvane Café", "Built 2025-12-09 11:33 UTC",
                      "The address to type on the device: http://192.168.1.5:8080/",
                      "Pocket PC 2002: Player", "Pocket PC 2003 SE: Viewer 2003, Player",
                      "Pocket PC WM 5: Viewer, Player", "Smartphone 2003: Viewer 2003, Player"):
            self.assertIn(words, text)
        hrefs = dict((words, href) for href, words in page.links)
        self.assertEqual(hrefs["Install on this device"], mobile)
        self.assertEqual(hrefs["Install through ActiveSync from a PC"], desktop)
        self.assertEqual(hrefs["For a storage card"], "autorun.exe")
        for href, _ in page.links:
            path = os.path.join(self.site, href)
            self.assertTrue(os.path.isfile(path), href)
            if href.endswith(".exe"):
                size = os.path.getsize(path)
                self.assertIn(f"{href}, {size_words(size)}", text)
                grouped = " ".join(sha256(path)[i:i + 8] for i in range(0, 64, 8))
                self.assertIn(f"{href} {grouped}", text)

        sums = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=self.site, capture_output=True,
                              text=True)
        self.assertEqual(sums.returncode, 0, sums.stdout + sums.stderr)
        self.assertEqual(sorted(sums.stdout.splitlines()),
                         sorted(f"{n}: OK" for n in (mobile, desktop, "autorun.exe")))

        with open(os.path.join(self.site, ".htaccess")) as f:
            htaccess = f.read()
        self.assertIn("ForceType application/octet-stream", htaccess)
        self.assertIn("Header set Content-Disposition attachment", htaccess)
        with open(os.path.join(self.site, "nginx-zephyrkit.conf")) as f:
            nginx = f.read()
        self.assertIn("location ~* \\.exe$ {", nginx)
        self.assertIn("default_type application/octet-stream;", nginx)
        self.assertIn("add_header Content-Disposition attachment;", nginx)
        self.screenshots()

    def screenshots(self):
        chromium = shutil.which("chromium")
        if not chromium:
            print("NOTE: chromium is missing (scripts/setup-host.sh installs it): no screenshots")
            return
        os.makedirs(ARTIFACTS, exist_ok=True)
        url = "file://" + os.path.join(self.site, "index.html")
        shots = {"download-page-pocket.png": (240, 320), "download-page-desktop.png": (1024, 768),
                 "download-page-pocket-whole.png": (240, 1300)}
        for name, (width, height) in shots.items():
            path = os.path.join(ARTIFACTS, name)
            if os.path.exists(path):
                os.remove(path)
            subprocess.run([chromium, "--headless=new", "--no-sandbox", "--disable-gpu",
                            "--hide-scrollbars", f"--window-size={width},{height}",
                            "--screenshot=" + path, url],
                           capture_output=True, timeout=90, cwd=self.tmp.name,
                           env=dict(os.environ, HOME=self.tmp.name))
            w, h, step, rows = png_rows(path)
            self.assertEqual((w, h), (width, height), name)
        # Nothing runs off a small screen's right edge: the last columns of
        # the whole page stay blank.
        _, _, step, rows = png_rows(os.path.join(ARTIFACTS, "download-page-pocket-whole.png"))
        for y, row in enumerate(rows):
            self.assertEqual(set(row[-4 * step:]), {255}, f"something at the right edge, row {y}")
        print("screenshots in " + ARTIFACTS)

    def test_a_failed_publish_leaves_the_site_and_a_good_one_tidies_it(self):
        self.publish("-q")
        with open(os.path.join(self.site, "notes.txt"), "w") as f:
            f.write("the user's own")
        earlier = folder_bytes(self.site)
        os.rename(self.shop.path("player.cab"), self.shop.path("away.cab"))
        r = self.publish(code=3)
        self.assertIn("player.cab) is missing", r.stderr)
        self.assertEqual(folder_bytes(self.site), earlier)
        os.rename(self.shop.path("away.cab"), self.shop.path("player.cab"))

        # Another title, no storage card: the installers of the earlier site
        # go, the user's file stays.
        self.project("set", self.paw, "--title", "Viewer Suite", "--removable-card", "no")
        self.assertEqual(self.publish("-q").stdout, "")
        self.assertEqual(sorted(os.listdir(self.site)),
                         sorted([".htaccess", "SHA256SUMS", "index.html", "nginx-zephyrkit.conf",
                                 "notes.txt", "viewer-suite-desktop.exe", "viewer-suite-mobile.exe"]))

    def test_bad_usage_and_a_site_that_is_no_folder_are_refused(self):
        for args, code, said in (((), 2, "publish needs --to DIR"),
                                 (("--to", "s", "--output", "o"), 2, "not --output"),
                                 (("--to", "s", "--base-url", "ftp://x"), 2, "--base-url takes"),
                                 (("--to", "s", "--base-url", 'http://x/"><script>'), 2, "--base-url"),
                                 (("--to", self.paw), 4, "cannot make the folder")):
            r = self.project("publish", self.paw, *args, code=code)
            self.assertIn(said, r.stderr)
        self.assertFalse(os.path.exists(self.shop.path("s")))


if __name__ == "__main__":
    unittest.main()
