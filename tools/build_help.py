#!/usr/bin/env python3
"""Compiles the manual, Help/ZEPHYRKIT.CHM, from the HTML pages in docs/help.

The pages are written to read well in place too (the README links them), so
their pictures point at ../screenshots/. A compiled help file cannot reach
above its own root: the pages are staged with the pictures in screenshots/
beside them, and the project file gains the pictures that exist. A picture
that is not there yet only warns: the pages and their links are what the
manual cannot do without, and the link test checks those.

    build_help.py --source docs/help --screenshots docs/screenshots \
                  --work build/help --output build/Help/ZEPHYRKIT.CHM [--chmcmd chmcmd]
"""
import argparse
import pathlib
import re
import shutil
import subprocess
import sys

PICTURE = re.compile(r'src="\.\./screenshots/([^"]+)"')


def stage(source, screenshots, work):
    if work.exists():
        shutil.rmtree(work)
    (work / "screenshots").mkdir(parents=True)
    pictures = set()
    for path in sorted(source.iterdir()):
        if path.suffix == ".html":
            text = path.read_text(encoding="utf-8")
            pictures.update(PICTURE.findall(text))
            (work / path.name).write_text(text.replace('src="../screenshots/', 'src="screenshots/'),
                                          encoding="utf-8")
        elif path.is_file():
            shutil.copy(path, work / path.name)
    present = []
    for name in sorted(pictures):
        picture = screenshots / name
        if picture.is_file():
            shutil.copy(picture, work / "screenshots" / name)
            present.append("screenshots/" + name)
        else:
            print(f"build_help: warning: {picture} is missing; the manual shows no picture there",
                  file=sys.stderr)
    project = work / "zephyrkit.hhp"
    text = project.read_text(encoding="utf-8")
    if not text.endswith("\n"):
        text += "\n"
    project.write_text(text + "".join(name + "\n" for name in present), encoding="utf-8")
    return project


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True, type=pathlib.Path)
    parser.add_argument("--screenshots", required=True, type=pathlib.Path)
    parser.add_argument("--work", required=True, type=pathlib.Path)
    parser.add_argument("--output", required=True, type=pathlib.Path)
    parser.add_argument("--chmcmd", default="chmcmd")
    args = parser.parse_args()

    project = stage(args.source, args.screenshots, args.work)
    compiled = args.work / "ZEPHYRKIT.CHM"
    # chmcmd reports success with exit code 0 even when it wrote nothing of
    # use: its output is checked for the file as well.
    run = subprocess.run([args.chmcmd, "--no-html-scan", project.name], cwd=args.work,
                         capture_output=True, text=True)
    if run.returncode != 0 or not compiled.is_file() or compiled.stat().st_size == 0:
        sys.stderr.write(run.stdout + run.stderr)
        print(f"build_help: {args.chmcmd} did not compile {project}", file=sys.stderr)
        return 1
    args.output.parent.mkdir(parents=True, exist_ok=True)
    shutil.copy(compiled, args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
