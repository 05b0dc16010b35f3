#!/usr/bin/env python3
"""The set-up program under Wine, in a fresh prefix of its own: a silent
install into a folder with a blank in its name, what it records and makes,
a silent build by the installed Zephyrkit.exe, and the uninstaller taking all
of it away again.

usage: setup_program_test.py --setup S --driver D --host-build H --source-dir R --work DIR
         --version V
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from script_checks import FAILURES, check, make_kit_project, windows_path  # noqa: E402

WINE = os.environ.get("ZK_WINE", "/usr/lib/wine/wine64")
INSTALL = r"C:\Apps\Zephyr Kit"
SETTINGS = r"HKLM\SOFTWARE\Morvane\Zephyrkit"
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zephyrkit"
MENU = "ProgramData/Microsoft/Windows/Start Menu/Programs/Morvane Zephyrkit"


class Prefix:
    def __init__(self, path, source_dir):
        self.path = path
        self.script = os.path.join(source_dir, "scripts/wine-prefix.sh")
        self.env = dict(os.environ, WINEPREFIX=path, WINEARCH="win64", WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml,winedbg.exe=d")

    def script_call(self, command):
        subprocess.run([self.script, command, self.path], check=True, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def run(self, *args, timeout=180):
        return subprocess.run([WINE, *args], env=self.env, stdin=subprocess.DEVNULL,
                              capture_output=True, text=True, timeout=timeout)

    def host(self, windows_path):
        """The host path of a C: path of the prefix."""
        return os.path.join(self.path, "drive_c", *windows_path[3:].split("\\"))

    def reg_value(self, key, value):
        out = self.run("reg", "query", key, "/v", value)
        if out.returncode != 0:
            return None
        for line in out.stdout.splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) == 3 and parts[0] == value:
                return parts[2].rstrip("\r")
        return None

    def key_exists(self, key):
        return self.run("reg", "query", key).returncode == 0


def shortcut_names(lnk, target):
    data = open(lnk, "rb").read()
    return target.encode("latin-1") in data or target.encode("utf-16-le") in data


def main():
    ap = argparse.ArgumentParser()
    for name in ("setup", "driver", "host-build", "source-dir", "work", "version"):
        ap.add_argument("--" + name, required=True)
    a = ap.parse_args()
    if not os.path.isfile(a.setup):
        print("FAIL: %s is missing: build the target setup (scripts/windows-program.sh)" % a.setup)
        return 1

    work = os.path.abspath(a.work)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    prefix = Prefix(os.path.join(work, "prefix"), a.source_dir)
    prefix.script_call("create")
    try:
        prefix.script_call("start")
        return run_checks(a, prefix, work)
    finally:
        prefix.script_call("stop")


def run_checks(a, prefix, work):
    # Install, silently, elsewhere than the default. /D= takes the rest of the
    # command line unquoted: cmd passes it on as typed, Wine would quote it.
    done = prefix.run("cmd", "/c", windows_path(a.setup) + " /S /D=" + INSTALL)
    check(done.returncode == 0, "set-up exit code %d: %s" % (done.returncode, done.stderr[-500:]))
    folder = prefix.host(INSTALL)
    for name in ("Zephyrkit.exe", "MobileZephyrkit.exe", "DesktopZephyrkit.exe", "SystemInfo.dat",
                 "Help/ZEPHYRKIT.CHM", "Uninstall.exe"):
        check(os.path.isfile(os.path.join(folder, name)), "%s was not installed" % name)
    # The one version of the project, in the programs' version resources.
    for name in ("Zephyrkit.exe", "DesktopZephyrkit.exe"):
        path = os.path.join(folder, name)
        if os.path.isfile(path):
            text = open(path, "rb").read().decode("utf-16-le", "replace")
            check(re.search("FileVersion\x00+" + re.escape(a.version) + "\x00", text),
                  "%s carries no FileVersion %s" % (name, a.version))
    check(prefix.reg_value(SETTINGS, "Install_Dir") == INSTALL,
          "Install_Dir holds %r" % prefix.reg_value(SETTINGS, "Install_Dir"))
    check(prefix.reg_value(UNINSTALL, "UninstallString") == '"%s\\Uninstall.exe"' % INSTALL,
          "Add/Remove Programs: %r" % prefix.reg_value(UNINSTALL, "UninstallString"))
    check(prefix.reg_value(UNINSTALL, "DisplayName") == "Morvane Zephyrkit",
          "Add/Remove Programs name %r" % prefix.reg_value(UNINSTALL, "DisplayName"))
    menu = os.path.join(prefix.path, "drive_c", MENU)
    for lnk, target in (("Zephyrkit.lnk", "Zephyrkit.exe"), ("Zephyrkit Help.lnk", "ZEPHYRKIT.CHM"),
                        ("Uninstall Zephyrkit.lnk", "Uninstall.exe")):
        path = os.path.join(menu, lnk)
        if check(os.path.isfile(path), "no Start-menu shortcut %s" % lnk):
            check(shortcut_names(path, target), "%s does not lead to %s" % (lnk, target))

    # The installed wizard builds a project without a window, from its own
    # folder's build inputs.
    if os.environ.get("DISPLAY"):
        silent_build(a, prefix, work, folder)
    elif os.environ.get("ZK_REQUIRE_DISPLAY"):
        check(False, "no display, though one was promised")
    else:
        print("no display: the silent build of the installed wizard is not tried")

    # The file type the wizard registers goes with the rest.
    prefix.run("reg", "add", r"HKCR\.paw", "/ve", "/d", "Zephyrkit.1", "/f")
    prefix.run("reg", "add", r"HKCR\Zephyrkit.1", "/ve", "/d", "Zephyrkit Project", "/f")

    # The uninstaller runs from a copy of itself and returns at once: wait
    # for the folder to go.
    prefix.run(INSTALL + "\\Uninstall.exe", "/S")
    for _ in range(240):
        if not os.path.exists(folder):
            break
        time.sleep(0.25)
    left = [os.path.join(b, f) for b, _, fs in os.walk(folder) for f in fs] if os.path.exists(folder) else []
    check(not os.path.exists(folder), "the install folder is still there, holding %s" % left)
    check(not os.path.exists(menu), "the Start-menu folder is still there")
    for key in (SETTINGS, UNINSTALL, r"HKCR\.paw", r"HKCR\Zephyrkit.1"):
        check(not prefix.key_exists(key), "%s is still there" % key)

    if FAILURES:
        print("%d failures" % len(FAILURES))
        return 1
    print("installed, checked and uninstalled")
    shutil.rmtree(work, ignore_errors=True)
    return 0


def silent_build(a, prefix, work, folder):
    tool = os.path.abspath(os.path.join(a.host_build, "wizard/ui/zephyrkit-project"))
    if not check(os.path.exists(tool), "%s is missing: build the host preset first" % tool):
        return
    paw, out = make_kit_project(a.source_dir, tool, work)
    run = prefix.run(a.driver, "60000", INSTALL + "\\Zephyrkit.exe", "-silent", windows_path(paw))
    lines = [l.rstrip("\r") for l in run.stdout.splitlines()]
    check("text: Zephyrkit files successfully built." in lines and "exit: 1" in lines,
          "the installed Zephyrkit.exe -silent: %s %s" % (lines, run.stderr[-300:]))
    built = [os.path.join(b, f) for b, _, fs in os.walk(out) for f in fs] if os.path.isdir(out) else []
    mobile = [p for p in built if p.endswith("Kit.[MOBILE].exe")]
    if check(mobile and any(p.endswith("Kit.[DESKTOP].exe") for p in built),
             "the build wrote %s" % built):
        stub = open(os.path.join(folder, "MobileZephyrkit.exe"), "rb").read()
        check(open(mobile[0], "rb").read().startswith(stub),
              "the device installer does not start with the installed stub")


if __name__ == "__main__":
    sys.exit(main())
