#!/usr/bin/env python3
"""Zephyrkit.exe -silent under Wine writes the same installers as the host's
zephyrkit -silent from the same project and the same program-folder inputs.

Both builds run on one project file (its paths are absolute POSIX paths, which
Wine resolves on the Z: drive). The installers are compared section for
section and, inside each zip section, member for member: names, methods,
flags, CRCs, sizes and data must agree; times and attributes are each
platform's own. The Windows run is driven headless: its final message box is
found, read and closed by message_box_driver.exe under the test's display.

usage: silent_build_test.py --wine-run W --driver D --windows-zephyrkit Z
         --host-build H --stub S --system-info SystemInfo.dat --source-dir R --work DIR
"""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import zipfile
import io

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from script_checks import FAILURES, check, windows_path, run  # noqa: E402



def sections(data, stub_length):
    out, at = [], stub_length
    while at < len(data):
        if not check(at + 4 <= len(data), "a section count is cut off at %d" % at):
            break
        (n,) = struct.unpack_from("<I", data, at)
        if not check(at + 4 + n <= len(data), "a section runs past the end at %d" % at):
            break
        out.append(data[at + 4:at + 4 + n])
        at += 4 + n
    return out


def compare_zip(label, host, win):
    try:
        hz, wz = zipfile.ZipFile(io.BytesIO(host)), zipfile.ZipFile(io.BytesIO(win))
    except zipfile.BadZipFile as e:
        check(host == win, "%s: not a zip (%s) and the bytes differ" % (label, e))
        return
    hi, wi = hz.infolist(), wz.infolist()
    check([i.filename for i in hi] == [i.filename for i in wi],
          "%s: member names %s vs %s" % (label, [i.filename for i in hi], [i.filename for i in wi]))
    for h, w in zip(hi, wi):
        where = "%s member %s" % (label, h.filename)
        for field in ("compress_type", "flag_bits", "CRC", "compress_size", "file_size",
                      "create_version", "extract_version"):
            check(getattr(h, field) == getattr(w, field), "%s: %s %r vs %r" % (
                where, field, getattr(h, field), getattr(w, field)))
        check(hz.read(h) == wz.read(w), "%s: the data differ" % where)
        # The stored bytes too: both builds deflate with zlib at level 8.
        hraw = host[h.header_offset:h.header_offset + 30]
        wraw = win[w.header_offset:w.header_offset + 30]
        hs = h.header_offset + 30 + struct.unpack_from("<H", hraw, 26)[0] + struct.unpack_from("<H", hraw, 28)[0]
        ws = w.header_offset + 30 + struct.unpack_from("<H", wraw, 26)[0] + struct.unpack_from("<H", wraw, 28)[0]
        check(host[hs:hs + h.compress_size] == win[ws:ws + w.compress_size],
              "%s: the compressed bytes differ" % where)


def compare_mobile(label, host, win, stub):
    check(host[:len(stub)] == stub, "%s: the host installer does not start with the stub" % label)
    check(win[:len(stub)] == stub, "%s: the Windows installer does not start with the stub" % label)
    hs, ws = sections(host, len(stub)), sections(win, len(stub))
    check(len(hs) == len(ws), "%s: %d sections vs %d" % (label, len(hs), len(ws)))
    check(len(hs) >= 3, "%s: only %d sections" % (label, len(hs)))
    for i, (h, w) in enumerate(zip(hs, ws)):
        compare_zip("%s section %d" % (label, i + 1), h, w)
    return len(hs)


def listing(folder):
    found = {}
    for base, _, files in os.walk(folder):
        for name in files:
            path = os.path.join(base, name)
            found[os.path.relpath(path, folder)] = path
    return found


def main():
    ap = argparse.ArgumentParser()
    for name in ("wine-run", "driver", "windows-zephyrkit", "host-build", "stub", "system-info",
                 "source-dir", "work"):
        ap.add_argument("--" + name, required=True)
    a = ap.parse_args()

    host_zephyrkit = os.path.join(a.host_build, "wizard/ui/zephyrkit")
    host_project_tool = os.path.join(a.host_build, "wizard/ui/zephyrkit-project")
    for tool in (host_zephyrkit, host_project_tool):
        if not os.path.exists(tool):
            print("FAIL: %s is missing: build the host preset first" % tool)
            return 1

    work = os.path.abspath(a.work)
    shutil.rmtree(work, ignore_errors=True)
    inputs, out = os.path.join(work, "in"), os.path.join(work, "out")
    host_program, win_program = os.path.join(work, "host-program"), os.path.join(work, "win-program")
    for d in (inputs, out, host_program, win_program):
        os.makedirs(d)

    # The same build inputs beside both programs.
    stub = open(a.stub, "rb").read()
    desktop = b"MZ" + b"desktop installer stand-in " * 300
    system_info = open(a.system_info, "rb").read()
    for folder in (host_program, win_program):
        open(os.path.join(folder, "MobileZephyrkit.exe"), "wb").write(stub)
        open(os.path.join(folder, "DesktopZephyrkit.exe"), "wb").write(desktop)
        open(os.path.join(folder, "SystemInfo.dat"), "wb").write(system_info)
    shutil.copy2(host_zephyrkit, os.path.join(host_program, "zephyrkit"))
    shutil.copy2(a.windows_zephyrkit, os.path.join(win_program, "Zephyrkit.exe"))

    # The project: two cabinets (one compressed, one with only set-up XML and
    # large enough to be deflated in many pieces), a EULA, a read-me and a
    # splash image, and the card copy.
    make_cab = os.path.join(a.source_dir, "tools/make_ce_cab.py")
    subprocess.run([sys.executable, make_cab, os.path.join(inputs, "Viewer2003.cab"),
                    "--app-name", "Viewer 2003", "--provider", "Morvane", "--os-min", "4.0",
                    "--os-max", "4.99", "--payload", "viewer.exe:90000", "--compress"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run([sys.executable, make_cab, os.path.join(inputs, "ViewerWM5.cab"),
                    "--app-name", "Viewer WM5", "--provider", "Morvane", "--xml-only",
                    "--os-min", "5.0", "--payload", "viewer.exe:120000",
                    "--payload", "library.dll:1500000"],
                   check=True, stdout=subprocess.DEVNULL)
    open(os.path.join(inputs, "eula.txt"), "wb").write(b"Licence of the comparison.\r\n" * 40)
    open(os.path.join(inputs, "readme.txt"), "wb").write(b"Read me.\r\n")
    subprocess.run([sys.executable, os.path.join(a.source_dir, "tools/make_bitmap.py"),
                    os.path.join(inputs, "splash.bmp")], check=True, stdout=subprocess.DEVNULL)
    paw = os.path.join(inputs, "Compare.paw")
    made = run([host_project_tool, "new", paw, "--title", "Compare Kit", "--company", "Morvane",
                "--output", out, "--eula", os.path.join(inputs, "eula.txt"),
                "--readme", os.path.join(inputs, "readme.txt"),
                "--splash", os.path.join(inputs, "splash.bmp"), "--removable-card", "yes"],
               cwd=inputs)
    check(made.returncode == 0, "zephyrkit-project new: %s" % made.stderr)
    made = run([host_project_tool, "add", paw, os.path.join(inputs, "Viewer2003.cab"),
                os.path.join(inputs, "ViewerWM5.cab")], cwd=inputs)
    check(made.returncode == 0, "zephyrkit-project add: %s" % made.stderr)

    # The host build, on one deflate thread: the Windows one uses them all,
    # and the bytes must not care.
    host = run([os.path.join(host_program, "zephyrkit"), "-silent", paw], cwd=work,
               env=dict(os.environ, ZEPHYRKIT_THREADS="1"))
    check(host.returncode == 1, "host zephyrkit exit code %d (%s%s)" % (
        host.returncode, host.stdout, host.stderr))
    check(host.stdout.strip() == "Success: Zephyrkit files successfully built.",
          "host message %r" % host.stdout)
    host_out = os.path.join(work, "out-host")
    os.rename(out, host_out)
    os.makedirs(out)

    # The Windows build, with its message box read and closed by the driver.
    win = run([a.wine_run, a.driver, "60000", windows_path(os.path.join(win_program, "Zephyrkit.exe")),
               "-silent", windows_path(paw)], cwd=work)
    lines = [l.rstrip("\r") for l in win.stdout.splitlines()]
    check(win.returncode == 0, "driver exit code %d: %s %s" % (win.returncode, lines, win.stderr))
    check("caption: Success" in lines, "Windows message box caption: %s" % lines)
    check("text: Zephyrkit files successfully built." in lines, "Windows message box text: %s" % lines)
    check("exit: 1" in lines, "Zephyrkit.exe exit code: %s" % lines)

    # The same files, and the same installers.
    hf, wf = listing(host_out), listing(out)
    check(sorted(hf) == sorted(wf), "output files %s vs %s" % (sorted(hf), sorted(wf)))
    compared = 0
    for rel in sorted(set(hf) & set(wf)):
        h, w = open(hf[rel], "rb").read(), open(wf[rel], "rb").read()
        name = os.path.basename(rel)
        if name.endswith(".[MOBILE].exe") or name == "autorun.exe":
            compared += compare_mobile(name, h, w, stub)
        elif name.endswith(".[DESKTOP].exe"):
            check(h[:len(desktop)] == desktop and w[:len(desktop)] == desktop,
                  "%s: the desktop stub is not at the start" % name)
            hs, ws = sections(h, len(desktop)), sections(w, len(desktop))
            check(len(hs) == 1 and len(ws) == 1, "%s: %d and %d sections, not 1" % (name, len(hs), len(ws)))
            if hs and ws:
                compared += compare_mobile(name + " inner", hs[0], ws[0], stub)
        else:
            check(h == w, "%s: the bytes differ" % rel)
    check(any(n.endswith(".[MOBILE].exe") for n in hf), "no mobile installer: %s" % sorted(hf))
    check(any(n.endswith(".[DESKTOP].exe") for n in hf), "no desktop installer: %s" % sorted(hf))
    check(any(os.path.basename(n) == "autorun.exe" for n in hf), "no autorun.exe: %s" % sorted(hf))

    # A refusal under Wine: its own box and exit code 0.
    refused = run([a.wine_run, a.driver, "30000", windows_path(os.path.join(win_program, "Zephyrkit.exe")),
                   "-silent", windows_path(os.path.join(inputs, "missing.paw"))], cwd=work)
    lines = [l.rstrip("\r") for l in refused.stdout.splitlines()]
    check(lines == ["caption: Error",
                    "text: Invalid Path. Please read console command line paragraph in the help manual",
                    "exit: 0"], "refusal under Wine: %s" % lines)

    if FAILURES:
        print("%d differences" % len(FAILURES))
        return 1
    print("same installers: %d files, %d sections compared" % (len(hf), compared))
    shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
