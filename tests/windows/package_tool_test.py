#!/usr/bin/env python3
"""zephyrkit-package.exe under Wine on installers Zephyrkit.exe -silent builds
there, and reproducible builds under Wine.

Zephyrkit.exe builds one project twice with the same SOURCE_DATE_EPOCH, from
fresh copies of its inputs a few seconds apart: the installers, autorun.exe
and the project file must be byte-identical. zephyrkit-package.exe then
tests the installers and puts them to the device matrix, and a cut copy is
found faulty; its JSON agrees with the host tool's on the same files.

usage: package_tool_test.py --wine-run W --driver D --windows-zephyrkit Z
         --windows-package-tool P --host-build H --stub S --system-info F
         --desktop-stub-length N --source-dir R --work DIR
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from script_checks import FAILURES, check, windows_path, run  # noqa: E402



def read(path):
    with open(path, "rb") as f:
        return f.read()


def main():
    ap = argparse.ArgumentParser()
    for name in ("wine-run", "driver", "windows-zephyrkit", "windows-package-tool", "host-build",
                 "stub", "system-info", "desktop-stub-length", "source-dir", "work"):
        ap.add_argument("--" + name, required=True)
    a = ap.parse_args()
    host_project_tool = os.path.join(a.host_build, "wizard/ui/zephyrkit-project")
    host_package_tool = os.path.join(a.host_build, "inspector/zephyrkit-package")
    for tool in (host_project_tool, host_package_tool):
        if not os.path.exists(tool):
            print("FAIL: %s is missing: build the host preset first" % tool)
            return 1

    work = os.path.abspath(a.work)
    shutil.rmtree(work, ignore_errors=True)
    keep, inputs, out, program = (os.path.join(work, n) for n in ("keep", "in", "out", "program"))
    for d in (keep, inputs, out, program):
        os.makedirs(d)
    shutil.copy(a.stub, os.path.join(program, "MobileZephyrkit.exe"))
    with open(os.path.join(program, "DesktopZephyrkit.exe"), "wb") as f:
        f.write(b"MZ desktop stand-in" + bytes(int(a.desktop_stub_length) - 19))
    shutil.copy(a.system_info, os.path.join(program, "SystemInfo.dat"))
    shutil.copy(a.windows_zephyrkit, os.path.join(program, "Zephyrkit.exe"))

    make_cab = os.path.join(a.source_dir, "tools/make_ce_cab.py")
    subprocess.run([sys.executable, make_cab, os.path.join(keep, "Viewer.cab"), "--app-name",
                    "Viewer", "--provider", "Morvane", "--os-min", "4.21", "--os-max", "5.99",
                    "--payload", "viewer.exe:40000", "--compress"], check=True,
                   stdout=subprocess.DEVNULL)
    with open(os.path.join(keep, "eula.txt"), "wb") as f:
        f.write(b"Licence.\r\n" * 30)

    def fresh_inputs():
        for name in ("Viewer.cab", "eula.txt"):
            shutil.copy(os.path.join(keep, name), os.path.join(inputs, name))

    fresh_inputs()
    paw = os.path.join(inputs, "Kit.paw")
    made = run([host_project_tool, "new", paw, "--title", "Kit", "--company", "Morvane",
                "--output", out, "--eula", os.path.join(inputs, "eula.txt"),
                "--removable-card", "yes", "--title-folder", "no"], cwd=inputs)
    check(made.returncode == 0, "zephyrkit-project new: %s" % made.stderr)
    made = run([host_project_tool, "add", paw, os.path.join(inputs, "Viewer.cab")], cwd=inputs)
    check(made.returncode == 0, "zephyrkit-project add: %s" % made.stderr)

    env = dict(os.environ, SOURCE_DATE_EPOCH="1700000000")
    folder = os.path.join(out, "14-11-2023")
    names = ["Kit.[MOBILE].exe", "Kit.[DESKTOP].exe", "autorun.exe", "Kit.paw"]
    builds = []
    for attempt in range(2):
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(out)
        fresh_inputs()
        built = run([a.wine_run, a.driver, "60000", windows_path(os.path.join(program, "Zephyrkit.exe")),
                     "-silent", windows_path(paw)], cwd=work, env=env)
        lines = [l.rstrip("\r") for l in built.stdout.splitlines()]
        check("caption: Success" in lines and "exit: 1" in lines,
              "Zephyrkit.exe build %d: %s %s" % (attempt + 1, lines, built.stderr))
        present = [n for n in names if os.path.isfile(os.path.join(folder, n))]
        check(present == names, "build %d wrote %s into %s" % (attempt + 1, present, folder))
        builds.append({n: read(os.path.join(folder, n)) for n in present})
        time.sleep(2)
    for name in names:
        check(builds[0].get(name) == builds[1].get(name), "%s differs between the two builds" % name)

    def package_tool(*args):
        result = run([a.wine_run, a.windows_package_tool, *args], cwd=work)
        return result.returncode, result.stdout.replace("\r\n", "\n"), result.stderr

    mobile, desktop = (os.path.join(folder, n) for n in names[:2])
    for installer in (mobile, desktop):
        code, text, err = package_tool("test", windows_path(installer))
        check(code == 0 and text.startswith("OK\n"), "test %s: %d %r %r" % (installer, code, text, err))
        for command in ("list", "matrix", "test"):
            code, text, err = package_tool(command, windows_path(installer), "--json")
            host = run([host_package_tool, command, installer, "--json"])
            try:
                mine, theirs = json.loads(text), json.loads(host.stdout)
                mine.pop("file"), theirs.pop("file")
                check(mine == theirs, "%s --json differs from the host tool's" % command)
            except (ValueError, KeyError) as e:
                check(False, "%s --json: %s: %r %r" % (command, e, text, err))
    code, text, err = package_tool("matrix", windows_path(mobile))
    check(code == 0 and "Pocket PC 2003, Intel: installs nothing" in text, "matrix: %d %s %s" % (code, text, err))

    cut = os.path.join(work, "cut.exe")
    with open(cut, "wb") as f:
        f.write(builds[0]["Kit.[DESKTOP].exe"][:-50])
    code, text, err = package_tool("test", windows_path(cut))
    check(code == 1 and "the carried package is cut" in text, "cut: %d %s %s" % (code, text, err))

    if FAILURES:
        print("%d failures" % len(FAILURES))
        return 1
    print("reproducible under Wine, and zephyrkit-package.exe agrees with the host tool")
    shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
