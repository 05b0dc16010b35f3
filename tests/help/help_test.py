#!/usr/bin/env python3
"""The manual as built, and the link checker on manuals spoiled on purpose."""
import argparse
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

ARGS = None


def tools():
    return pathlib.Path(ARGS.source_dir) / "tools"


def build(source, screenshots, work):
    """Compiles a manual; returns (exit code, stderr, path)."""
    output = work / "out" / "ZEPHYRKIT.CHM"
    run = subprocess.run([sys.executable, str(tools() / "build_help.py"), "--source", str(source),
                          "--screenshots", str(screenshots), "--work", str(work / "stage"),
                          "--output", str(output), "--chmcmd", ARGS.chmcmd],
                         capture_output=True, text=True)
    return run.returncode, run.stderr, output


def check(chm):
    run = subprocess.run([sys.executable, str(tools() / "check_help.py"), str(chm),
                          "--chmls", ARGS.chmls], capture_output=True, text=True)
    return run.returncode, run.stdout, run.stderr


class HelpManualTest(unittest.TestCase):
    def setUp(self):
        self.tmp = pathlib.Path(tempfile.mkdtemp())
        self.source = self.tmp / "help"
        shutil.copytree(pathlib.Path(ARGS.source_dir) / "docs" / "help", self.source)
        self.screenshots = pathlib.Path(ARGS.source_dir) / "docs" / "screenshots"

    def tearDown(self):
        shutil.rmtree(self.tmp)

    def edit(self, name, old, new):
        path = self.source / name
        text = path.read_text(encoding="utf-8")
        self.assertIn(old, text, f"{name} no longer holds {old!r}")
        path.write_text(text.replace(old, new), encoding="utf-8")

    def test_built_manual_lists_every_page_and_resolves_every_link(self):
        code, out, err = check(ARGS.chm)
        self.assertEqual(code, 0, out + err)
        # The manual carries the pages the wizard's messages and tooltips send users to.
        listing = subprocess.run([ARGS.chmls, "-n", "list", ARGS.chm], capture_output=True,
                                 text=True).stdout
        for page in ("command-line.html", "filters.html", "troubleshooting.html", "signing.html"):
            self.assertIn("/" + page, listing)

    def test_broken_links_anchors_and_unlisted_pages_are_named(self):
        self.edit("filters.html", 'href="troubleshooting.html#device-log"',
                  'href="troubleshooting.html#no-such-place"')
        self.edit("index.html", 'href="storage-card.html"', 'href="no-such-page.html"')
        self.edit("index.hhk", 'value="storage-card.html"', 'value="index.html"')
        (self.source / "orphan.html").write_text(
            "<html><head><title>o</title></head><body>o</body></html>", encoding="utf-8")
        self.edit("zephyrkit.hhp", "style.css\n", "style.css\norphan.html\n")
        code, _, output = build(self.source, self.screenshots, self.tmp)
        self.assertEqual(code, 0)
        code, out, _ = check(output)
        self.assertEqual(code, 1, out)
        for fault in ("filters.html: link troubleshooting.html#no-such-place: "
                      "troubleshooting.html has no anchor #no-such-place",
                      "index.html: link no-such-page.html: no-such-page.html is not in the file",
                      "storage-card.html is missing from the index",
                      "orphan.html is missing from the table of contents",
                      "orphan.html is missing from the index"):
            self.assertIn(fault, out)

    def test_a_missing_picture_warns_but_builds_and_checks(self):
        empty = self.tmp / "no-screenshots"
        empty.mkdir()
        code, err, output = build(self.source, empty, self.tmp)
        self.assertEqual(code, 0, err)
        self.assertIn("device-welcome.png is missing", err)
        code, out, err = check(output)
        self.assertEqual(code, 0, out)
        self.assertIn("picture screenshots/device-welcome.png is not in the file", err)

    def test_a_compiler_that_writes_nothing_fails_the_build(self):
        fake = self.tmp / "chmcmd"
        fake.write_text("#!/bin/sh\nexit 0\n")
        fake.chmod(0o755)
        saved, ARGS.chmcmd = ARGS.chmcmd, str(fake)
        try:
            code, err, output = build(self.source, self.screenshots, self.tmp)
        finally:
            ARGS.chmcmd = saved
        self.assertEqual(code, 1)
        self.assertIn("did not compile", err)
        self.assertFalse(output.exists())


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--chm", required=True)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--chmcmd", default="chmcmd")
    parser.add_argument("--chmls", default="chmls")
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
