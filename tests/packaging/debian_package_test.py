#!/usr/bin/env python3
"""The .deb that cpack makes of the host install, unpacked into a folder
root with dpkg -x: what it holds and depends on, each command's --version,
each man page rendered by man -l, and a silent build by the packaged
zephyrkit from its own program folder when the windows build inputs are in.

usage: debian_package_test.py --build B --source-dir R --version V --work DIR
ZK_REQUIRE_WINDOWS_INPUTS=1 makes the build inputs mandatory.
"""
import argparse
import glob
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from script_checks import FAILURES, check, make_kit_project, run  # noqa: E402

COMMANDS = ("zephyrkit", "zephyrkit-project", "zephyrkit-cab", "zephyrkit-package", "zk-device")
INPUTS = ("MobileZephyrkit.exe", "DesktopZephyrkit.exe", "SystemInfo.dat")


def main():
    ap = argparse.ArgumentParser()
    for name in ("build", "source-dir", "version", "work"):
        ap.add_argument("--" + name, required=True)
    a = ap.parse_args()
    work = os.path.abspath(a.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)

    made = run(["cpack", "-G", "DEB", "--config", os.path.join(a.build, "CPackConfig.cmake"),
                "-B", os.path.join(work, "package")])
    debs = glob.glob(os.path.join(work, "package", "*.deb"))
    if not check(made.returncode == 0 and len(debs) == 1,
                 "cpack: %s %s %s" % (made.returncode, made.stdout[-800:], made.stderr[-800:])):
        return 1
    deb = debs[0]
    check(os.path.basename(deb) == "zephyrkit_%s_amd64.deb" % a.version, "package name %s" % deb)
    fields = run(["dpkg-deb", "--field", deb, "Package", "Version", "Depends"]).stdout
    check("Version: %s" % a.version in fields, "control fields: %s" % fields)
    for library in ("libmspack0", "libminizip1", "libpugixml1v5", "zlib1g", "libstdc++6"):
        check(library in fields, "Depends lacks %s: %s" % (library, fields))

    root = os.path.join(work, "root")
    check(run(["dpkg", "-x", deb, root]).returncode == 0, "dpkg -x failed")
    usr = os.path.join(root, "usr")
    program_folder = os.path.join(usr, "lib", "zephyrkit")
    check(os.path.isfile(os.path.join(program_folder, "Help", "ZEPHYRKIT.CHM")), "no Help/ZEPHYRKIT.CHM")
    for command in COMMANDS:
        path = os.path.join(usr, "bin", command)
        version = run([path, "--version"]) if os.path.exists(path) else None
        if check(version is not None, "/usr/bin/%s is missing" % command):
            check(version.returncode == 0 and version.stdout.strip() == "%s %s" % (command, a.version),
                  "%s --version: %d %r" % (command, version.returncode, version.stdout))
        page = os.path.join(usr, "share", "man", "man1", command + ".1")
        if check(os.path.isfile(page), "no man page for %s" % command):
            shown = run(["man", "-l", page], env=dict(os.environ, MANPAGER="cat", MANWIDTH="80"))
            text = shown.stdout
            check(shown.returncode == 0 and "NAME" in text and command in text and "--version" in text,
                  "man -l %s: %d %r %r" % (page, shown.returncode, text[:300], shown.stderr[:300]))

    present = [i for i in INPUTS if os.path.isfile(os.path.join(program_folder, i))]
    if os.environ.get("ZK_REQUIRE_WINDOWS_INPUTS"):
        check(present == list(INPUTS), "the program folder holds only %s" % present)
    if present == list(INPUTS):
        silent_build(a, usr, work)
    else:
        print("the package carries no windows build inputs yet: the silent build is not tried")

    if FAILURES:
        print("%d failures" % len(FAILURES))
        return 1
    print("%s: unpacked, %d commands and man pages checked" % (os.path.basename(deb), len(COMMANDS)))
    shutil.rmtree(work, ignore_errors=True)
    return 0


def silent_build(a, usr, work):
    bin_dir = os.path.join(usr, "bin")
    paw, out = make_kit_project(a.source_dir, os.path.join(bin_dir, "zephyrkit-project"), work)
    built = run([os.path.join(bin_dir, "zephyrkit"), "-silent", paw], cwd=work)
    check(built.returncode == 1 and built.stdout.strip() == "Success: Zephyrkit files successfully built.",
          "the packaged zephyrkit -silent: %d %r %r" % (built.returncode, built.stdout, built.stderr))
    written = [f for _, _, fs in os.walk(out) for f in fs]
    check("Kit.[MOBILE].exe" in written and "Kit.[DESKTOP].exe" in written, "the build wrote %s" % written)


if __name__ == "__main__":
    sys.exit(main())
