#!/usr/bin/env python3
"""The device installer, end to end, on the Wine device.

Packages are built by the host `zephyrkit -silent` around the real
MobileZephyrkit.exe stub, copied to "\\My Documents" of a Wine device (a prefix
whose C: drive is the device root, with the emulated "\\Windows\\wceload.exe")
and driven by device_driver.exe in that prefix, page by page. Each case runs
on its own copy of a template device under its own virtual display, so that
the screenshots show nothing but the device.

What the device ends up with is compared with the host's `zk-device install`
run of the same package on the same profile: the lines of
"\\Windows\\wceload.log" and "\\Temp\\Zephyrkit.log" and the files the cabinets
put on the device.

  device_installer_e2e_test.py --setup ...   packages and template devices
  device_installer_e2e_test.py --case NAME ...
  device_installer_e2e_test.py --all ...     setup, then every case
"""
import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from script_checks import FAILURES, check, windows_path, run  # noqa: E402

WINE = "/usr/lib/wine/wine64"
PROFILE = "ppc2003"

# Soft keys and controls of the installer window.
START, WELCOME_LEFT, BACK, NEXT, FINISH, INSTALL_LEFT = 40011, 40008, 40005, 40007, 40017, 40013
EXIT = 40019
PREFERENCES = [305, 306, 307, 311, 312, 313, 314, 315, 316]
OVERRIDE, OVERRIDE_EDIT, OVERRIDE_BROWSE = 305, 306, 307
RESUME, RESET_AT_END, SILENT, DEBUG_LOG, LOG_EDIT, LOG_BROWSE = 311, 312, 313, 314, 315, 316


def read_lines(path):
    """A log's lines, whatever the platform's text mode wrote (UTF-16 with a
    BOM, UTF-8 or the ANSI code page), without line ends."""
    if not os.path.exists(path):
        return None
    data = open(path, "rb").read()
    if data.startswith(b"\xff\xfe") or (len(data) > 1 and data[1:2] == b"\0"):
        text = data.decode("utf-16-le", "replace").lstrip("\ufeff")
    else:
        try:
            text = data.decode("utf-8")
        except UnicodeDecodeError:
            text = data.decode("cp1252", "replace")
    lines = text.replace("\r\n", "\n").split("\n")
    return lines[:-1] if lines[-1] == "" else lines


def tree(folder):
    """Relative path -> size of every file below folder (names compared
    case-blind, as the device's file system does)."""
    found = {}
    for base, _, files in os.walk(folder):
        for name in files:
            path = os.path.join(base, name)
            found[os.path.relpath(path, folder).lower()] = os.path.getsize(path)
    return found


def find_child(folder, name):
    """The entry of folder named name, compared case-blind (Wine keeps the
    case of the names a program writes)."""
    if not os.path.isdir(folder):
        return None
    for entry in os.listdir(folder):
        if entry.lower() == name.lower():
            return os.path.join(folder, entry)
    return None


def device_file(root, device_path):
    at = root
    for part in [p for p in device_path.split("\\") if p]:
        at = find_child(at, part)
        if at is None:
            return None
    return at


class Display:
    """An Xvfb of our own: the device screen is its top-left corner."""

    def __init__(self):
        reader, writer = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(writer), "-screen", "0", "800x600x24", "-nolisten", "tcp"],
            pass_fds=(writer,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(writer)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(reader, 16)
            if not chunk:
                break
            number += chunk
        os.close(reader)
        self.name = ":" + number.decode().strip()

    def close(self):
        self.process.terminate()
        self.process.wait()


class Setup:
    def __init__(self, a):
        self.a = a
        self.work = os.path.abspath(a.work)
        self.packages = os.path.join(self.work, "packages")
        self.templates = os.path.join(self.work, "templates")
        self.shots = os.path.join(self.work, "screenshots")
        self.zk_device = self.find_host_tool("zk-device")
        # wine-device.sh takes its wceload.exe from this windows build and
        # its profiles from the host's zk-device.
        self.env_base = dict(os.environ, WINEARCH="win64", WINEDEBUG="-all",
                             WINEDLLOVERRIDES="mscoree,mshtml,winedbg.exe=d",
                             ZK_WINDOWS_BUILD=a.windows_build, ZK_DEVICE=self.zk_device or "")

    def find_host_tool(self, name):
        for base, _, files in os.walk(os.path.abspath(self.a.host_build)):
            if name in files and os.access(os.path.join(base, name), os.X_OK):
                return os.path.join(base, name)
        return None

    # ---- packages ----------------------------------------------------------

    def build_packages(self):
        shutil.rmtree(self.packages, ignore_errors=True)
        inputs = os.path.join(self.packages, "in")
        program = os.path.join(self.packages, "program")
        os.makedirs(inputs)
        os.makedirs(program)
        zephyrkit = self.find_host_tool("zephyrkit")
        project_tool = self.find_host_tool("zephyrkit-project")
        if not check(zephyrkit and project_tool and self.zk_device,
                     "zephyrkit, zephyrkit-project and zk-device in %s: build the host preset first"
                     % self.a.host_build):
            return False
        shutil.copy2(zephyrkit, os.path.join(program, "zephyrkit"))
        shutil.copy2(self.a.stub, os.path.join(program, "MobileZephyrkit.exe"))
        shutil.copy2(self.a.system_info, os.path.join(program, "SystemInfo.dat"))
        if self.a.desktop_stub:
            shutil.copy2(self.a.desktop_stub, os.path.join(program, "DesktopZephyrkit.exe"))
        else:
            with open(os.path.join(program, "DesktopZephyrkit.exe"), "wb") as f:
                f.write(b"MZ" + b"desktop installer stand-in " * 100)

        make_cab = [sys.executable, os.path.join(self.a.source_dir, "tools/make_ce_cab.py")]
        cabinets = {
            "Viewer2002.cab": ["--app-name", "Viewer 2002", "--os-min", "3.0", "--os-max", "3.99",
                               "--payload", "viewer.exe:60000", "--payload", "viewer.hlp:8000"],
            "Viewer2003.cab": ["--app-name", "Viewer 2003", "--os-min", "4.0", "--os-max", "4.99",
                               "--payload", "viewer.exe:90000", "--compress"],
            "ViewerWM5.cab": ["--app-name", "Viewer WM5", "--xml-only", "--os-min", "5.0",
                              "--payload", "viewer.exe:120000", "--compress"],
            "Notes.cab": ["--app-name", "Notes", "--os-min", "4.0", "--os-max", "4.99",
                          "--payload", "notes.exe:30000"],
            "Maps.cab": ["--app-name", "Maps", "--os-min", "3.0", "--os-max", "4.99",
                         "--payload", "maps.exe:40000", "--payload", "maps.dat:70000", "--compress"],
            "Clock.cab": ["--app-name", "Clock", "--os-min", "4.0", "--os-max", "5.99",
                          "--payload", "clock.exe:20000"],
            "Atlas.cab": ["--app-name", "Atlas", "--os-min", "4.0", "--os-max", "5.99",
                          "--payload", "atlas.dat:400000"],
        }
        for name, options in cabinets.items():
            made = run(make_cab + [os.path.join(inputs, name), "--provider", "Morvane"] + options)
            if not check(made.returncode == 0, "make_ce_cab %s: %s" % (name, made.stderr)):
                return False
        with open(os.path.join(inputs, "eula.txt"), "wb") as f:
            f.write(b"End-user licence agreement of the Zephyrkit sample.\r\n"
                    b"Tap Next to accept it.\r\n")
        with open(os.path.join(inputs, "readme.txt"), "wb") as f:
            f.write(b"Read me: the Zephyrkit sample installs one of three viewers.\r\n")
        run([sys.executable, os.path.join(self.a.source_dir, "tools/make_bitmap.py"),
             os.path.join(inputs, "splash.bmp")], check=True)

        projects = {
            # Every page: splash, EULA, preferences, read-me; one cabinet per OS.
            "Sample": (["--title", "Zephyrkit Sample", "--eula", "eula.txt", "--readme", "readme.txt",
                        "--splash", "splash.bmp", "--device-settings", "yes"],
                       ["Viewer2002.cab", "Viewer2003.cab", "ViewerWM5.cab"]),
            # No EULA, no preferences: Start installs at once. Three cabinets
            # for the device.
            "Plain": (["--title", "Plain Kit", "--no-eula", "--no-readme", "--no-splash",
                       "--device-settings", "no"],
                      ["Notes.cab", "Maps.cab", "Clock.cab"]),
            # Preferences without a EULA.
            "Prefs": (["--title", "Prefs Kit", "--no-eula", "--no-readme", "--no-splash",
                       "--device-settings", "yes"],
                      ["Viewer2002.cab", "Notes.cab", "Clock.cab"]),
            # Three cabinets for the device with preferences: a reset in the
            # middle keeps the folder chosen.
            "Resume": (["--title", "Resume Kit", "--no-eula", "--no-readme", "--no-splash",
                        "--device-settings", "yes"],
                       ["Notes.cab", "Maps.cab", "Clock.cab"]),
            # The middle cabinet is large: a small device has no room for it.
            "Storage": (["--title", "Storage Kit", "--no-eula", "--no-readme", "--no-splash",
                         "--device-settings", "no"],
                        ["Notes.cab", "Atlas.cab", "Clock.cab"]),
        }
        for name, (presets, cabs) in projects.items():
            out = os.path.join(self.packages, "out-" + name)
            os.makedirs(out)
            paw = os.path.join(inputs, name + ".paw")
            made = run([project_tool, "new", paw, "--company", "Morvane", "--output", out,
                        "--date-folder", "no", "--title-folder", "no", "--removable-card", "no",
                        "--os-filter", "2002,2003,2003se,wm5"] + presets, cwd=inputs)
            if not check(made.returncode == 0, "zephyrkit-project new %s: %s%s" % (name, made.stdout, made.stderr)):
                return False
            made = run([project_tool, "add", paw] + cabs, cwd=inputs)
            if not check(made.returncode == 0, "zephyrkit-project add %s: %s%s" % (name, made.stdout, made.stderr)):
                return False
            built = run([os.path.join(program, "zephyrkit"), "-silent", paw], cwd=inputs)
            mobile = [f for f in os.listdir(out) if f.endswith(".[MOBILE].exe")]
            if not check(len(mobile) == 1, "zephyrkit -silent %s gave %s (%s%s)" % (
                    name, os.listdir(out), built.stdout, built.stderr)):
                return False
            shutil.copy2(os.path.join(out, mobile[0]), os.path.join(self.packages, name + ".exe"))
            desktop = [f for f in os.listdir(out) if f.endswith(".[DESKTOP].exe")]
            if self.a.desktop_stub and desktop:
                shutil.copy2(os.path.join(out, desktop[0]), os.path.join(self.packages, name + ".desktop.exe"))
            shutil.rmtree(out)
        if self.a.desktop_stub and not self.build_signed(program, inputs, project_tool):
            return False
        # The build's import check looks at every program below the build:
        # the desktop stand-in is no program.
        shutil.rmtree(program)
        return True

    def build_signed(self, program, inputs, project_tool):
        """Plain built again with --sign and a throwaway certificate, as
        Signed.exe and Signed.desktop.exe; skipped (saying so) without
        osslsigncode or openssl."""
        missing = [t for t in ("osslsigncode", "openssl") if not shutil.which(t)]
        if missing:
            print("SKIP signed packages: %s not installed" % ", ".join(missing))
            return True
        for args in (["req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "key.pem", "-out", "cert.pem",
                      "-days", "2", "-subj", "/CN=Zephyrkit Test Publisher", "-addext",
                      "extendedKeyUsage=codeSigning"],
                     ["pkcs12", "-export", "-inkey", "key.pem", "-in", "cert.pem", "-out", "signer.pfx",
                      "-passout", "pass:e2e"]):
            run(["openssl"] + args, cwd=inputs, check=True)
        with open(os.path.join(inputs, "password.txt"), "w") as f:
            f.write("e2e\n")
        shutil.copy2(project_tool, os.path.join(program, "zephyrkit-project"))
        out = os.path.join(self.packages, "out-Signed")
        built = run([os.path.join(program, "zephyrkit-project"), "build", os.path.join(inputs, "Plain.paw"),
                     "--output", out, "--sign", "signer.pfx", "--sign-password-file", "password.txt",
                     "-q"], cwd=inputs)
        made = sorted(os.listdir(out)) if os.path.isdir(out) else []
        if not check(built.returncode == 0 and len(made) >= 2,
                     "zephyrkit-project build --sign: %s %s%s" % (made, built.stdout, built.stderr)):
            return False
        for name in made:
            kind = ".exe" if name.endswith(".[MOBILE].exe") else ".desktop.exe" if name.endswith(
                ".[DESKTOP].exe") else None
            if kind:
                shutil.copy2(os.path.join(out, name), os.path.join(self.packages, "Signed" + kind))
        shutil.rmtree(out)
        return True

    # ---- devices -----------------------------------------------------------

    def template(self, screen="qvga"):
        return os.path.join(self.templates, "%s-%s" % (PROFILE, screen))

    def make_templates(self):
        shutil.rmtree(self.templates, ignore_errors=True)
        os.makedirs(self.templates)
        prefix = self.template()
        made = run([self.a.wine_device, "create", prefix, "--profile", PROFILE, "--screen", "qvga"],
                   env=self.env_base, stdin=subprocess.DEVNULL)
        # Copies are taken of a prefix whose server has saved its registry.
        run([self.a.wine_device, "stop", prefix], env=self.env_base, stdin=subprocess.DEVNULL)
        return check(made.returncode == 0 and os.path.isdir(os.path.join(prefix, "drive_c")),
                     "wine-device.sh create: %s%s" % (made.stdout, made.stderr))

    # ---- the host's run of the same package ---------------------------------

    def expected(self, name, package, runs):
        """zk-device's runs of package on a fresh folder: each run a list of
        options. Returns the folder."""
        # Named as a Wine device's drive: the build's import check passes
        # over the cabinets' made-up programs there.
        root = os.path.join(self.work, "expected", name, "drive_c")
        shutil.rmtree(root, ignore_errors=True)
        os.makedirs(root)
        for options in runs:
            done = run([self.zk_device, "install", os.path.join(self.packages, package + ".exe"),
                        "--root", root, "--profile", PROFILE,
                        "--stub-length", str(os.path.getsize(self.a.stub))] + options)
            check(done.returncode == 0, "zk-device %s: %s%s" % (options, done.stdout, done.stderr))
        return root


class Device:
    """One Wine device for one case: a copy of the template, its server and
    a display of its own."""

    def __init__(self, setup, name, screen="qvga"):
        self.setup = setup
        self.name = name
        self.prefix = os.path.join(setup.work, "devices", name)
        self.root = os.path.join(self.prefix, "drive_c")
        shutil.rmtree(self.prefix, ignore_errors=True)
        os.makedirs(os.path.dirname(self.prefix), exist_ok=True)
        subprocess.run(["cp", "-a", setup.template(screen), self.prefix], check=True)
        self.display = Display()
        # Every call on one device shares its TMPDIR, where its server
        # keeps its socket.
        self.env = dict(setup.env_base, WINEPREFIX=self.prefix, DISPLAY=self.display.name,
                        TMPDIR=self.prefix + ".tmp")
        shutil.rmtree(self.env["TMPDIR"], ignore_errors=True)
        os.makedirs(self.env["TMPDIR"])
        self.steps_run = 0
        self.shots = []
        subprocess.run([os.path.join(setup.a.source_dir, "scripts/wine-prefix.sh"), "start", self.prefix, "60"],
                       env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def storage(self, free):
        """Gives the device that many bytes of free storage; false (and a
        note) where this machine cannot mount the volume that needs."""
        done = run([self.setup.a.wine_device, "storage", self.prefix, str(free)], env=self.env,
                   stdin=subprocess.DEVNULL)
        if done.returncode != 0:
            print("SKIP %s: %s" % (self.name, done.stderr.strip()))
            return False
        subprocess.run([os.path.join(self.setup.a.source_dir, "scripts/wine-prefix.sh"), "start", self.prefix, "60"],
                       env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        return True

    def put(self, package):
        """The package in "\\My Documents"; its path as the device sees it."""
        folder = os.path.join(self.root, "My Documents")
        os.makedirs(folder, exist_ok=True)
        shutil.copy2(os.path.join(self.setup.packages, package + ".exe"), os.path.join(folder, package + ".exe"))
        return "C:\\My Documents\\%s.exe" % package

    def drive(self, program, steps, label):
        """Runs the driver on steps; true when every step passed."""
        self.steps_run += 1
        step_file = os.path.join(self.setup.work, "steps", "%s-%d.txt" % (self.name, self.steps_run))
        os.makedirs(os.path.dirname(step_file), exist_ok=True)
        with open(step_file, "w") as f:
            f.write("\n".join(steps) + "\n")
        try:
            done = run([WINE, windows_path(self.setup.a.driver), "--program", program, "--timeout", "8000",
                        "--steps", windows_path(step_file)], cwd=self.root, env=self.env, timeout=200)
            code, out, err = done.returncode, done.stdout, done.stderr
        except subprocess.TimeoutExpired as e:
            code, out, err = "time-out", e.stdout or "", e.stderr or ""
            out, err = [x.decode("utf-8", "replace") if isinstance(x, bytes) else x for x in (out, err)]
        lines = [l.rstrip("\r") for l in out.splitlines()]
        return check(code == 0, "%s %s: driver exit %s\n  %s\n  %s" % (
            self.name, label, code, "\n  ".join(lines), err.strip()))

    def shot(self, name):
        """A screenshot step; the picture is converted to PNG when the device
        closes."""
        os.makedirs(self.setup.shots, exist_ok=True)
        self.shots.append(name)
        return "screenshot " + windows_path(os.path.join(self.setup.shots, name + ".bmp"))

    def file(self, device_path):
        return device_file(self.root, device_path)

    def lines(self, device_path):
        path = self.file(device_path)
        return read_lines(path) if path else None

    def forget(self, *device_paths):
        for p in device_paths:
            path = self.file(p)
            if path and os.path.isfile(path):
                os.remove(path)

    def close(self):
        subprocess.run([self.setup.a.wine_device, "stop", self.prefix], env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        self.display.close()
        convert_screenshots(self.setup, self.shots)


def convert_screenshots(setup, names):
    """Each BMP the driver wrote becomes a PNG; each must be the device
    screen's size and show more than one colour."""
    for shot in names:
        name = shot + ".bmp"
        bmp = os.path.join(setup.shots, name)
        if not check(os.path.exists(bmp), "screenshot %s was not taken" % name):
            continue
        data = open(bmp, "rb").read()
        width, height = struct.unpack_from("<ii", data, 18)
        want = (320, 240) if "landscape" in shot else (240, 320)
        check((width, height) == want, "screenshot %s is %dx%d, not %dx%d" % (name, width, height, *want))
        pixels = data[54:]
        check(len(set(pixels[i:i + 3] for i in range(0, min(len(pixels), 60000), 3))) > 2,
              "screenshot %s shows a blank screen" % name)
        png = bmp[:-4] + ".png"
        made = run(["convert", bmp, png])
        if check(made.returncode == 0, "convert %s: %s" % (name, made.stderr)):
            os.remove(bmp)


def compare_with_host(device, expected_root, label):
    for log in ("\\Windows\\wceload.log", "\\Temp\\Zephyrkit.log"):
        want = read_lines(device_file(expected_root, log) or "/nonexistent")
        got = device.lines(log)
        check(want is not None, "%s: zk-device wrote no %s" % (label, log))
        check(got == want, "%s: %s\n  expected %s\n  got      %s" % (label, log, want, got))


def compare_installed(device, expected_root, folders, label):
    """The files under each device folder: what zk-device's run put there."""
    for folder in folders:
        want_at = device_file(expected_root, folder)
        got_at = device.file(folder)
        want = tree(want_at) if want_at else None
        got = tree(got_at) if got_at else None
        check(got == want, "%s: files in %s\n  expected %s\n  got      %s" % (label, folder, want, got))


def page_checks_welcome(title):
    return ["start", "window", "title " + title, "layout", "key %d Start" % START, "key %d" % WELCOME_LEFT,
            "html hidden", "no-control %d" % OVERRIDE]


def page_checks_preferences(width):
    steps = ["control %d" % c for c in PREFERENCES]
    steps += ["text %d Override install path" % OVERRIDE, "text %d Resume install on reset" % RESUME,
              "text %d Reset when installer finishes" % RESET_AT_END, "text %d Silent install" % SILENT,
              "text %d Enable debug-log output" % DEBUG_LOG, "text %d \\Temp\\Zephyrkit.log" % LOG_EDIT,
              "text %d" % OVERRIDE_EDIT, "text %d ..." % OVERRIDE_BROWSE,
              "unchecked %d" % OVERRIDE, "checked %d" % RESUME, "unchecked %d" % RESET_AT_END,
              "unchecked %d" % SILENT, "unchecked %d" % DEBUG_LOG,
              "disabled %d" % OVERRIDE_EDIT, "disabled %d" % OVERRIDE_BROWSE,
              "disabled %d" % LOG_EDIT, "disabled %d" % LOG_BROWSE,
              "width %d %d" % (OVERRIDE, width - 4), "width %d %d" % (RESET_AT_END, width - 4),
              "width %d %d" % (OVERRIDE_EDIT, width - 24), "width %d 20" % OVERRIDE_BROWSE,
              "html hidden", "key %d Back" % BACK, "key %d Next" % NEXT, "no-key %d" % START]
    return steps


# ---- cases ---------------------------------------------------------------

def case_full_walk(setup):
    """Welcome -> EULA -> preferences (and back once) -> installation ->
    Finish, checking each page; the cabinet for the device is installed
    as zk-device installs it."""
    device = Device(setup, "full_walk")
    try:
        program = device.put("Sample")
        steps = page_checks_welcome("Morvane Zephyrkit Sample") + [
            # The splash is loaded after the title is set.
            "no-key %d" % NEXT, "sleep 700", device.shot("welcome"),
            "press %d" % START,
            "html visible", "html-has End-user licence agreement of the Zephyrkit sample.",
            "key %d Back" % BACK, "key %d Next" % NEXT, "no-key %d" % START, "no-control %d" % OVERRIDE,
            device.shot("eula"),
            "press %d" % NEXT] + page_checks_preferences(240) + [
            device.shot("preferences"),
            # Back to the EULA keeps the navigation keys.
            "press %d" % BACK,
            "html visible", "no-control %d" % OVERRIDE, "key %d Back" % BACK, "key %d Next" % NEXT,
            "press %d" % NEXT, "control %d" % OVERRIDE, "html hidden",
            "press %d" % NEXT,
            "no-control %d" % OVERRIDE, "key %d Finish" % FINISH, "key %d" % INSTALL_LEFT,
            "no-key %d" % NEXT, "no-key %d" % BACK,
            # The read-me replaces the status once every cabinet is handled.
            "html visible", "html-has Read me: the Zephyrkit sample installs one of three viewers.",
            device.shot("installed-readme"),
            "press %d" % FINISH,
            "exit 0"]
        device.drive(program, steps, "walk")
        expected = setup.expected("full_walk", "Sample", [[]])
        compare_with_host(device, expected, "full walk")
        compare_installed(device, expected, ["\\Program Files\\Viewer 2003"], "full walk")
        check(device.file("\\Program Files\\Viewer 2002") is None, "full walk: Viewer 2002 installed")
        check(device.file("\\Program Files\\Viewer WM5") is None, "full walk: Viewer WM5 installed")
        check(device.file("\\Program Files\\Viewer 2003") is not None, "full walk: Viewer 2003 missing")
        after_normal_end(device, "full walk")
    finally:
        device.close()


def after_normal_end(device, label):
    check(device.file("\\Windows\\StartUp\\Zephyrkit.lnk") is None,
          "%s: the restart shortcut is left after a normal end" % label)
    check(device.file("\\Windows\\Zephyrkit.dat") is None, "%s: the state file is left after a normal end" % label)
    for name in ("eula.txt", "readme.txt", "splash.bmp"):
        check(device.file("\\Temp\\" + name) is None, "%s: \\Temp\\%s is left" % (label, name))


def case_launch_rules(setup):
    """No EULA and no preferences: Start installs at once. A second copy
    ends at once; "uninstall" and "install" follow the card rules."""
    device = Device(setup, "launch_rules")
    try:
        program = device.put("Plain")
        steps = page_checks_welcome("Morvane Plain Kit") + [
            "second-start 0",
            "title Morvane Plain Kit",
            "press %d" % START,
            "no-key %d" % START, "key %d Finish" % FINISH, "html hidden",
            # The closing text is painted once the status box is gone.
            "no-status", device.shot("installed"),
            "press %d" % FINISH, "exit 0"]
        device.drive(program, steps, "start installs at once")
        expected = setup.expected("launch_rules", "Plain", [[]])
        compare_with_host(device, expected, "start installs at once")
        compare_installed(device, expected, ["\\Program Files\\Notes", "\\Program Files\\Maps",
                                             "\\Program Files\\Clock"], "start installs at once")
        after_normal_end(device, "start installs at once")

        device.forget("\\Windows\\wceload.log", "\\Temp\\Zephyrkit.log")
        device.drive(program, ["start uninstall", "no-window-exit 0"], "uninstall")
        device.drive(program, ["start install",
                               "box cancel autorun | Proceed with installer from removable card ?",
                               "no-window-exit 0"], "install, Cancel")
        check(device.lines("\\Windows\\wceload.log") is None, "uninstall/install Cancel started wceload")
        check(device.lines("\\Temp\\Zephyrkit.log") is None, "uninstall/install Cancel wrote the log")
        check(device.file("\\Windows\\StartUp\\Zephyrkit.lnk") is None, "uninstall/install made a shortcut")
        check(device.file("\\Windows\\Zephyrkit.dat") is None, "uninstall/install left a state file")

        device.drive(program, ["start install",
                               "box ok autorun | Proceed with installer from removable card ?",
                               "window", "title Morvane Plain Kit",
                               "press %d" % START, "key %d Finish" % FINISH, "no-status",
                               "press %d" % FINISH, "exit 0"], "install, OK")
        compare_with_host(device, setup.expected("launch_install", "Plain", [["--command-line", "install"]]),
                          "install, OK")
    finally:
        device.close()


def case_override_folder(setup):
    """The override folder picked in the folder browser receives the
    cabinets."""
    device = Device(setup, "override_folder")
    try:
        program = device.put("Prefs")
        os.makedirs(os.path.join(device.root, "My Documents", "Apps"), exist_ok=True)
        steps = page_checks_welcome("Morvane Prefs Kit") + [
            "press %d" % START] + page_checks_preferences(240) + [
            "click %d" % OVERRIDE, "checked %d" % OVERRIDE,
            "enabled %d" % OVERRIDE_EDIT, "enabled %d" % OVERRIDE_BROWSE,
            "click-async %d" % OVERRIDE_BROWSE,
            "browser",
            device.shot("browser"),
            "browse-expand \\My Documents",
            "browse-tap \\My Documents\\Apps",
            device.shot("browser-picked"),
            "browse-ok", "no-browser",
            "text %d \\My Documents\\Apps" % OVERRIDE_EDIT,
            # Coming back to the page shows the folder box empty; the
            # folder still applies.
            "press %d" % BACK, "key %d Start" % START, "no-control %d" % OVERRIDE,
            "press %d" % START, "checked %d" % OVERRIDE, "text %d" % OVERRIDE_EDIT,
            "enabled %d" % OVERRIDE_EDIT,
            "press %d" % NEXT,
            # The installation runs on the device's own pace.
            "timeout 30000",
            "key %d Finish" % FINISH, "no-status",
            "press %d" % FINISH, "exit 0"]
        device.drive(program, steps, "override")
        expected = setup.expected("override_folder", "Prefs", [["--override", "\\My Documents\\Apps"]])
        compare_with_host(device, expected, "override")
        compare_installed(device, expected, ["\\My Documents\\Apps"], "override")
        check(device.file("\\Program Files\\Notes") is None, "override: Notes went to \\Program Files")
    finally:
        device.close()


def case_silent_install(setup):
    """Silent install hands "/noui" to wceload."""
    device = Device(setup, "silent_install")
    try:
        program = device.put("Prefs")
        steps = ["start", "window", "title Morvane Prefs Kit", "press %d" % START, "control %d" % SILENT,
                 "click %d" % SILENT, "checked %d" % SILENT,
                 "press %d" % NEXT, "key %d Finish" % FINISH, "no-status",
                 "press %d" % FINISH, "exit 0"]
        device.drive(program, steps, "silent")
        expected = setup.expected("silent_install", "Prefs", [["--silent"]])
        compare_with_host(device, expected, "silent")
        lines = device.lines("\\Windows\\wceload.log") or []
        check(lines and all(l.startswith("/noui ") for l in lines), "silent: wceload lines %s" % lines)
        compare_installed(device, expected, ["\\Program Files\\Notes", "\\Program Files\\Clock"], "silent")
    finally:
        device.close()


def subsequence(part, whole):
    at = iter(whole)
    return all(line in at for line in part)


def case_log_folder(setup):
    """The debug log's folder picked in the browser takes the lines written
    after the pick; the ones before stay in \\Temp."""
    device = Device(setup, "log_folder")
    try:
        program = device.put("Prefs")
        steps = ["start", "window", "title Morvane Prefs Kit", "press %d" % START,
                 "control %d" % DEBUG_LOG, "disabled %d" % LOG_BROWSE,
                 "click %d" % DEBUG_LOG, "checked %d" % DEBUG_LOG,
                 "enabled %d" % LOG_EDIT, "enabled %d" % LOG_BROWSE,
                 "click-async %d" % LOG_BROWSE, "browser",
                 "browse-expand \\",
                 "browse-tap \\My Documents",
                 "browse-ok", "no-browser",
                 "text %d \\My Documents" % LOG_EDIT,
                 "press %d" % NEXT, "key %d Finish" % FINISH, "no-status",
                 "press %d" % FINISH, "exit 0"]
        device.drive(program, steps, "log folder")
        expected = read_lines(device_file(setup.expected("log_folder", "Prefs", [[]]), "\\Temp\\Zephyrkit.log"))
        before = device.lines("\\Temp\\Zephyrkit.log") or []
        after = device.lines("\\My Documents\\Zephyrkit.log") or []
        # Only the system line comes before the pick: the debug log was off
        # while the package was unpacked.
        check(before == expected[:1],
              "log folder: \\Temp\\Zephyrkit.log %s, expected the system line %s alone" % (before, expected[:1]))
        check(len(after) > 0 and subsequence(expected[1:], after),
              "log folder: \\My Documents\\Zephyrkit.log %s does not hold %s in order" % (after, expected[1:]))
    finally:
        device.close()


def case_reset_and_resume(setup):
    """A reset while the second cabinet is installed; the next start (as the
    Startup shortcut starts it) resumes with the third."""
    device = Device(setup, "reset_resume")
    try:
        program = device.put("Plain")
        device.drive(program, ["reset-during-install 2", "start", "window",
                               "title Morvane Plain Kit", "press %d" % START, "timeout 30000",
                               "exit 206"], "reset")
        shortcut = device.file("\\Windows\\StartUp\\Zephyrkit.lnk")
        if check(shortcut is not None, "reset: no restart shortcut in \\Windows\\StartUp"):
            text = open(shortcut, "rb").read().decode("utf-8", "replace").rstrip("\r\n\0")
            match = re.fullmatch(r'(\d+)#("(.*)")', text)
            check(match is not None and int(match.group(1)) == len(match.group(2))
                  and match.group(3).lower().endswith("\\my documents\\plain.exe"),
                  "reset: the shortcut reads %r, not <length>#\"...\\My Documents\\Plain.exe\"" % text)
        state = device.file("\\Windows\\Zephyrkit.dat")
        lines = open(state, "rb").read().decode("utf-8", "replace").split("\n") if state else []
        check(lines[:2] == ["zk-state 1", "2 1"],
              "reset: the state file begins %r, not 'zk-state 1', '2 1'" % lines[:2])
        check(len(device.lines("\\Windows\\wceload.log") or []) == 2,
              "reset: wceload ran %s before the reset" % device.lines("\\Windows\\wceload.log"))

        device.drive(program, ["start", "window", "title Morvane Plain Kit",
                               # A resumed run waits on a blank page with Start.
                               "key %d Start" % START, "html hidden", "no-control %d" % OVERRIDE,
                               "press %d" % START, "key %d Finish" % FINISH, "no-status",
                               "press %d" % FINISH, "exit 0"], "resume")
        expected = setup.expected("reset_resume", "Plain", [["--reset-after", "2"], []])
        compare_with_host(device, expected, "reset and resume")
        compare_installed(device, expected, ["\\Program Files\\Notes", "\\Program Files\\Maps",
                                             "\\Program Files\\Clock"], "reset and resume")
        after_normal_end(device, "reset and resume")
    finally:
        device.close()


def case_reset_keeps_the_preferences(setup):
    """The override folder chosen before a reset during the second cabinet
    still holds for the third, installed by the resumed run."""
    device = Device(setup, "reset_preferences")
    try:
        program = device.put("Resume")
        device.drive(program, ["reset-during-install 2", "start", "window", "press %d" % START,
                               "control %d" % OVERRIDE, "click %d" % OVERRIDE,
                               "click-async %d" % OVERRIDE_BROWSE, "browser", "browse-expand \\",
                               "browse-tap \\My Documents", "browse-ok", "no-browser",
                               "press %d" % NEXT, "timeout 30000", "exit 206"], "reset")
        device.drive(program, ["start", "window", "title Morvane Resume Kit", "key %d Start" % START,
                               device.shot("resumed"), "press %d" % START, "key %d Finish" % FINISH,
                               "no-status", "press %d" % FINISH, "exit 0"], "resume")
        expected = setup.expected("reset_preferences", "Resume",
                                  [["--override", "\\My Documents", "--reset-after", "2"], []])
        compare_with_host(device, expected, "reset keeps the preferences")
        check(device.file("\\My Documents\\Morvane\\clock.exe") is not None,
              "reset keeps the preferences: Clock did not go to the chosen folder")
        after_normal_end(device, "reset keeps the preferences")
    finally:
        device.close()


def case_damaged_package(setup):
    """A download cut short: the welcome page says so, Exit is the one key,
    nothing is installed and nothing is left to resume."""
    device = Device(setup, "damaged_package")
    try:
        program = device.put("Sample")
        path = device.file("\\My Documents\\Sample.exe")
        size = os.path.getsize(path)
        with open(path, "r+b") as f:
            f.truncate(size - size // 8)
        device.drive(program, ["start", "window", "key %d Exit" % EXIT, "no-key %d" % START,
                               "sleep 500", device.shot("damaged"), "press %d" % EXIT, "exit 1"],
                     "damaged")
        check(device.lines("\\Windows\\wceload.log") is None, "damaged: wceload was started")
        check(any("Damaged package" in line for line in device.lines("\\Temp\\Zephyrkit.log") or []),
              "damaged: the log does not say where the package is damaged")
        after_normal_end(device, "damaged package")
    finally:
        device.close()


def case_low_storage(setup):
    """A device with too little storage for the installer's own files, then
    for the second cabinet: the closing page names it and the installer ends
    with 1; given more storage, the next start installs just that one."""
    device = Device(setup, "low_storage")
    try:
        program = device.put("Storage")
        # Too little even for the installer's own files: no damage is
        # claimed, Exit is the one key, nothing is left to resume.
        if not device.storage(150000):
            return
        device.drive(program, ["start", "window", "key %d Exit" % EXIT, "no-key %d" % START,
                               "sleep 500", device.shot("no-room"), "press %d" % EXIT, "exit 1"],
                     "no room")
        log = device.lines("\\Temp\\Zephyrkit.log") or []
        check(not any("Damaged" in line for line in log), "no room: the log claims damage: %s" % log)
        check(device.file("\\windows\\Zephyrkit.dat") is None, "no room: a state file is left")
        check(device.storage(600000), "low storage: the device could not be given more")
        device.drive(program, ["start", "window", "title Morvane Storage Kit", "press %d" % START,
                               "key %d Finish" % FINISH, "no-status", "sleep 300",
                               device.shot("too-little-storage"), "press %d" % FINISH, "exit 1"],
                     "too little storage")
        log = device.lines("\\Temp\\Zephyrkit.log") or []
        check(any(line.startswith("[InstallerThread] Failed [Atlas.cab]: Not enough storage for Atlas.cab")
                  for line in log), "low storage: no failure line for Atlas.cab in %s" % log)
        check(device.file("\\Windows\\StartUp\\Zephyrkit.lnk") is not None,
              "low storage: the restart shortcut is gone")
        if check(device.storage(4000000), "low storage: the device could not be given more"):
            device.drive(program, ["start", "window", "key %d Start" % START, "press %d" % START,
                                   "key %d Finish" % FINISH, "no-status", "press %d" % FINISH, "exit 0"],
                         "more storage")
            lines = device.lines("\\Windows\\wceload.log") or []
            check(lines[-1:] == ['/askdest "\\Temp\\Atlas.cab"'] and len(lines) == 3,
                  "low storage: wceload ran %s" % lines)
            check(device.file("\\Program Files\\Atlas\\atlas.dat") is not None,
                  "low storage: Atlas was not installed")
            after_normal_end(device, "low storage")
    finally:
        device.close()


def case_rotation(setup):
    """Turning the device on the preferences page rebuilds the controls at
    the new width with their states; Finish with "Reset when installer
    finishes" resets the device and leaves nothing to resume."""
    device = Device(setup, "rotation")
    try:
        program = device.put("Prefs")
        steps = ["start", "window", "press %d" % START, "control %d" % OVERRIDE,
                 "click %d" % OVERRIDE, "click %d" % RESET_AT_END, "click %d" % RESUME,
                 "layout", "rotate 320 240", "layout",
                 "width %d 316" % OVERRIDE, "width %d 316" % SILENT, "width %d 296" % OVERRIDE_EDIT,
                 "checked %d" % OVERRIDE, "checked %d" % RESET_AT_END, "unchecked %d" % RESUME,
                 "unchecked %d" % SILENT, "enabled %d" % OVERRIDE_EDIT, "enabled %d" % OVERRIDE_BROWSE,
                 "disabled %d" % LOG_EDIT,
                 "key %d Next" % NEXT,
                 device.shot("preferences-landscape"),
                 "rotate 240 320", "layout",
                 "width %d 236" % OVERRIDE, "checked %d" % OVERRIDE, "checked %d" % RESET_AT_END,
                 # No folder picked: the override is dropped again before
                 # installing.
                 "click %d" % OVERRIDE, "unchecked %d" % OVERRIDE,
                 "press %d" % NEXT, "key %d Finish" % FINISH, "no-status",
                 "press %d" % FINISH, "exit 206"]
        device.drive(program, steps, "rotation")
        check(device.lines("\\Windows\\reset.log") == ["reset"],
              "reset at finish: reset.log %s" % device.lines("\\Windows\\reset.log"))
        after_normal_end(device, "reset at finish")
        log = device.lines("\\Temp\\Zephyrkit.log") or []
        check(log[-1:] == ["[ResetPocketPC] reset ok"], "reset at finish: the log ends %s" % log[-1:])
    finally:
        device.close()


def case_smartphone_keys(setup):
    """A Smartphone has no stylus: the installer walked with key messages
    alone - Enter on the welcome page, the soft keys F1 and F2, the arrow
    keys and Space on the preferences page, the folder browser's tree by the
    arrow keys and its Ok by the left soft key."""
    device = Device(setup, "smartphone_keys")
    try:
        turned = run([setup.a.wine_device, "profile", device.prefix, "smartphone2003"], env=device.env,
                     stdin=subprocess.DEVNULL)
        if not check(turned.returncode == 0, "wine-device.sh profile: %s%s" % (turned.stdout, turned.stderr)):
            return
        program = device.put("Sample")
        os.makedirs(os.path.join(device.root, "My Documents", "Apps"), exist_ok=True)
        # A Smartphone's bar covers the bottom of the window rather than
        # shortening it: no layout check here.
        steps = ["start", "window", "title Morvane Zephyrkit Sample", "key %d Start" % START,
            "sleep 700",
            "keys enter",
            "html visible", "html-has End-user licence agreement of the Zephyrkit sample.",
            # The left soft key is Back, the right one Next.
            "keys f1", "key %d Start" % START, "html hidden",
            "keys enter", "html visible", "key %d Next" % NEXT,
            "keys f2", "control %d" % OVERRIDE, "focus %d" % OVERRIDE,
            "keys space", "checked %d" % OVERRIDE, "enabled %d" % OVERRIDE_BROWSE,
            "keys down", "focus %d" % OVERRIDE_EDIT,
            "keys down", "focus %d" % OVERRIDE_BROWSE,
            "keys down", "focus %d" % RESUME,
            "keys space", "unchecked %d" % RESUME,
            "keys space", "checked %d" % RESUME,
            "keys up", "focus %d" % OVERRIDE_BROWSE,
            "keys space", "browser",
            "browse-keys \\My Documents\\Apps",
            device.shot("smartphone-browser"),
            "keys f1", "no-browser",
            "text %d \\My Documents\\Apps" % OVERRIDE_EDIT,
            device.shot("smartphone-preferences"),
            "keys f2",
            "timeout 30000",
            "key %d Finish" % FINISH, "html visible",
            "html-has Read me: the Zephyrkit sample installs one of three viewers.",
            "keys f2", "exit 0"]
        device.drive(program, steps, "keys")
        apps = device.file("\\My Documents\\Apps")
        check(apps is not None and tree(apps),
              "smartphone keys: nothing installed in the folder chosen by the keys")
        after_normal_end(device, "smartphone keys")
    finally:
        device.close()


def set_device_root(device, root):
    """Where the emulated ActiveSync finds its device."""
    done = run([WINE, "reg", "add", "HKCU\\Software\\Morvane\\Zephyrkit\\Emulated ActiveSync",
                "/v", "DeviceRoot", "/d", root, "/f"], cwd=device.root, env=device.env, timeout=60)
    check(done.returncode == 0, "cannot set the emulated device root: %s%s" % (done.stdout, done.stderr))


def case_desktop_install(setup):
    """The desktop installer sends the device installer it carries over the
    emulated ActiveSync and starts it there; the device installs what suits
    it. Without a device it says so after its wait; a device that refuses the
    copy gets nothing started."""
    device = Device(setup, "desktop_install")
    try:
        desktop = os.path.join(setup.packages, "Plain.desktop.exe")
        if not check(os.path.exists(desktop), "desktop install: no desktop installer was built"):
            return
        sent = "\\Temp\\Plain Kit.[MOBILE].exe"

        def install_silently():
            # The device installer it starts would hold pipes open: no pipes.
            return subprocess.run([WINE, windows_path(desktop), "/s"], cwd=device.root, env=device.env,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, timeout=120)

        done = install_silently()
        check(done.returncode == 0, "desktop install: /s exit %s" % done.returncode)
        copy = device.file(sent)
        original = open(os.path.join(setup.packages, "Plain.exe"), "rb").read()
        check(copy is not None and open(copy, "rb").read() == original,
              "desktop install: %s is not the device installer byte for byte" % sent)
        device.drive("C:" + sent, ["attach", "title Morvane Plain Kit", "press %d" % START,
                                   "key %d Finish" % FINISH, "no-status", "press %d" % FINISH,
                                   "exit 0"], "desktop install")
        expected = setup.expected("desktop_install", "Plain", [[]])
        compare_installed(device, expected, ["\\Program Files\\Notes", "\\Program Files\\Maps",
                                             "\\Program Files\\Clock"], "desktop install")

        # No device: the wait, then the no-device code; nothing is written.
        device.forget(sent)
        set_device_root(device, "C:\\no device")
        began = time.time()
        done = install_silently()
        check(done.returncode == 3 and time.time() - began >= 4,
              "no device: /s exit %s after %.1f s, expected 3 after the wait" % (done.returncode, time.time() - began))
        check(device.file(sent) is None, "no device: %s was written" % sent)

        # A device file that cannot be replaced: the copy fails, nothing starts.
        set_device_root(device, "C:\\")
        target = os.path.join(device.root, "Temp", "Plain Kit.[MOBILE].exe")
        with open(target, "wb") as f:
            f.write(b"older")
        os.chmod(target, 0o444)  # the device sees it read-only
        done = install_silently()
        check(done.returncode == 4, "read-only device file: /s exit %s, expected 4" % done.returncode)
        check(open(target, "rb").read() == b"older", "read-only device file: it was changed")
    finally:
        device.close()


def case_signed_desktop_install(setup):
    """Installers signed as they were built: the signed desktop installer
    is no damage to itself, sends the signed device installer it carries
    byte for byte, and that one installs; bytes after a signature are still
    damage."""
    desktop = os.path.join(setup.packages, "Signed.desktop.exe")
    if not os.path.exists(desktop):
        print("SKIP signed_desktop_install: no signed packages (see the set-up)")
        return
    device = Device(setup, "signed_desktop_install")
    try:
        sent = "\\Temp\\Plain Kit.[MOBILE].exe"
        signed = open(os.path.join(setup.packages, "Signed.exe"), "rb").read()
        check(struct.unpack_from("<I", signed, struct.unpack_from("<I", signed, 0x3C)[0] + 24 + 112 + 32)[0] != 0,
              "signed desktop install: the device installer carries no signature")

        # The inspector and zk-device take them as whole and signed.
        inspector = setup.find_host_tool("zephyrkit-package")
        for name in ("Signed.exe", "Signed.desktop.exe"):
            tested = run([inspector, "test", os.path.join(setup.packages, name)])
            check(tested.returncode == 0 and tested.stdout.startswith("OK\nsigned: "),
                  "zephyrkit-package test %s: %s %s%s" % (name, tested.returncode, tested.stdout, tested.stderr))
        setup.expected("signed_zk_device", "Signed", [[]])

        def install_silently(path):
            return subprocess.run([WINE, windows_path(path), "/s"], cwd=device.root, env=device.env,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, timeout=120).returncode

        code = install_silently(desktop)
        check(code == 0, "signed desktop install: /s exit %s" % code)
        copy = device.file(sent)
        check(copy is not None and open(copy, "rb").read() == signed,
              "signed desktop install: %s is not the signed device installer byte for byte" % sent)
        device.drive("C:" + sent, ["attach", "title Morvane Plain Kit", "press %d" % START,
                                   "key %d Finish" % FINISH, "no-status", "press %d" % FINISH,
                                   "exit 0"], "signed desktop install")
        check(device.file("\\Program Files\\Notes") is not None, "signed desktop install: Notes not installed")

        device.forget(sent)
        spoilt = os.path.join(setup.work, "spoilt.desktop.exe")
        with open(spoilt, "wb") as f:
            f.write(open(desktop, "rb").read() + b"x")
        code = install_silently(spoilt)
        check(code == 2, "bytes after the signature: /s exit %s, expected 2 (damaged)" % code)
        check(device.file(sent) is None, "bytes after the signature: %s was written" % sent)
    finally:
        device.close()


def case_wizard_road(setup):
    """The road of one typical installer: the wizard, started with no
    argument beside its program folder, makes a project on its pages
    (title, company, EULA, read-me, splash, OS filter, three cabinets),
    builds it with "Deploy Mobile installer when done", connects to the
    Wine device over the emulated ActiveSync, has a folder picked in the
    device tree, copies the device installer there and starts it; the device
    installer is then walked to its end and the cabinets that suit the
    device are installed."""
    a = setup.a
    if not check(a.wizard and a.wizard_driver and a.wizard_images,
                 "wizard road: --wizard, --wizard-driver and --wizard-images are needed"):
        return
    device = Device(setup, "wizard_road")
    try:
        # A program folder as the product installs it, outside the device.
        program = os.path.join(setup.work, "wizard_road", "program")
        projects = os.path.join(setup.work, "wizard_road", "projects")
        shutil.rmtree(os.path.dirname(program), ignore_errors=True)
        shutil.copytree(a.wizard_images, os.path.join(program, "Images"))
        shutil.copy2(a.wizard, os.path.join(program, "Zephyrkit.exe"))
        shutil.copy2(a.stub, os.path.join(program, "MobileZephyrkit.exe"))
        shutil.copy2(a.desktop_stub, os.path.join(program, "DesktopZephyrkit.exe"))
        shutil.copy2(a.system_info, os.path.join(program, "SystemInfo.dat"))
        os.makedirs(projects)
        inputs = os.path.join(setup.packages, "in")
        os.makedirs(setup.shots, exist_ok=True)
        # The wizard's window is larger than the device screen: a picture
        # of its own.
        wizard_shot = os.path.join(setup.shots, "wizard-road-step4.bmp")
        source = lambda name: windows_path(os.path.join(inputs, name))

        steps = ["start", "window", "step 0", "press next", "step 1",
                 "set-text 403 Road Kit", "set-text 404 Morvane",
                 "click 405", "click 407", "choose Browse Eula Files | " + source("eula.txt"),
                 "click 408", "click 410", "choose Browse Readme Files | " + source("readme.txt"),
                 "click 428", "click 430", "choose Browse Splash Images | " + source("splash.bmp"),
                 "click 414", "click 415", "click 416", "click 417", "click 418",
                 "press next", "step 2"]
        # Notes and Clock suit the device (Windows Mobile 2003); Viewer WM5 does not.
        for cab in ("Notes.cab", "Clock.cab", "ViewerWM5.cab"):
            steps += ["click 434", "choose Browse Cabinet Files | " + source(cab)]
        steps += ["rows 431 3", "press next", "step 3",
                  "click 445", "checked 445",
                  "timeout 120000",
                  "press next",
                  "step 4",
                  "text 470 Connecting to Windows CE...Success",
                  "tree-shown",
                  "timeout 15000",
                  "tree-select \\Temp",
                  "text 472 \\Temp",
                  "screenshot " + windows_path(wizard_shot),
                  "press next",
                  "text 470 Creating remote process...Completed",
                  "close", "exit 0"]
        step_file = os.path.join(setup.work, "steps", "wizard_road.txt")
        os.makedirs(os.path.dirname(step_file), exist_ok=True)
        with open(step_file, "w") as f:
            f.write("\n".join(steps) + "\n")
        try:
            # The device installer that the wizard starts would hold pipes
            # open: the driver's report goes to a file.
            report = os.path.join(setup.work, "steps", "wizard_road.out")
            with open(report, "w") as out:
                code = subprocess.run(
                    [WINE, windows_path(a.wizard_driver), "--program",
                     windows_path(os.path.join(program, "Zephyrkit.exe")), "--folder", windows_path(projects),
                     "--timeout", "15000", "--steps", windows_path(step_file)],
                    cwd=device.root, env=device.env, stdin=subprocess.DEVNULL, stdout=out,
                    stderr=subprocess.STDOUT, timeout=400).returncode
        except subprocess.TimeoutExpired:
            code = "time-out"
        text = open(report, errors="replace").read().replace("\r", "")
        if os.path.exists(wizard_shot):
            subprocess.run(["convert", wizard_shot, wizard_shot[:-4] + ".png"], check=False)
            os.remove(wizard_shot)
        if not check(code == 0, "wizard road: the wizard's driver exit %s\n  %s" % (code, text.strip())):
            return

        sent = "\\Temp\\Road Kit.[MOBILE].exe"
        copy = device.file(sent)
        built = [os.path.join(base, f) for base, _, files in os.walk(projects) for f in files
                 if f == "Road Kit.[MOBILE].exe"]
        check(len(built) == 1 and copy is not None and open(copy, "rb").read() == open(built[0], "rb").read(),
              "wizard road: %s is not the built installer byte for byte (built: %s)" % (sent, built))

        # The device installer the wizard started: splash, EULA, then the
        # installation and the read-me.
        device.drive("C:" + sent, [
            "attach", "title Morvane Road Kit", "press %d" % START,
            "html visible", "html-has End-user licence agreement of the Zephyrkit sample.",
            "press %d" % NEXT,
            # The installation runs on the device's own pace.
            "timeout 30000",
            "key %d Finish" % FINISH,
            "html-has Read me: the Zephyrkit sample installs one of three viewers.",
            device.shot("wizard-road-installed"),
            "timeout 30000", "press %d" % FINISH, "exit 0"], "wizard road device walk")
        for folder in ("\\Program Files\\Notes", "\\Program Files\\Clock"):
            check(device.file(folder) is not None, "wizard road: %s was not installed" % folder)
        check(device.file("\\Program Files\\Viewer WM5") is None, "wizard road: Viewer WM5 was installed")
    finally:
        device.close()


CASES = {
    "smartphone_keys": case_smartphone_keys,
    "signed_desktop_install": case_signed_desktop_install,
    "desktop_install": case_desktop_install,
    "full_walk": case_full_walk,
    "launch_rules": case_launch_rules,
    "override_folder": case_override_folder,
    "silent_install": case_silent_install,
    "log_folder": case_log_folder,
    "reset_resume": case_reset_and_resume,
    "reset_preferences": case_reset_keeps_the_preferences,
    "damaged_package": case_damaged_package,
    "low_storage": case_low_storage,
    "rotation": case_rotation,
    "wizard_road": case_wizard_road,
}


def main():
    ap = argparse.ArgumentParser()
    for name in ("wine-device", "driver", "stub", "host-build", "windows-build", "system-info",
                 "source-dir", "work"):
        ap.add_argument("--" + name, required=True)
    ap.add_argument("--desktop-stub", default="")
    # The wizard's window, for the road from the wizard to the device.
    ap.add_argument("--wizard", default="")
    ap.add_argument("--wizard-driver", default="")
    ap.add_argument("--wizard-images", default="")
    ap.add_argument("--setup", action="store_true")
    ap.add_argument("--case", action="append", default=[])
    ap.add_argument("--all", action="store_true")
    a = ap.parse_args()
    for path in (a.wine_device, a.driver, a.stub, a.system_info):
        if not os.path.exists(path):
            print("FAIL: %s is missing" % path)
            return 1

    for name in ("wine_device", "driver", "stub", "host_build", "windows_build", "system_info", "source_dir",
                 "work"):
        setattr(a, name, os.path.abspath(getattr(a, name)))
    setup = Setup(a)
    began = time.time()
    if a.setup or a.all:
        os.makedirs(setup.work, exist_ok=True)
        if not (setup.build_packages() and setup.make_templates()):
            return 1
        print("setup: %.1f s" % (time.time() - began), flush=True)
    names = list(CASES) if a.all else a.case
    for name in names:
        if name not in CASES:
            print("FAIL: no case %s" % name)
            return 2
        started = time.time()
        before = len(FAILURES)
        CASES[name](setup)
        print("%s: %s (%.1f s)" % (name, "ok" if len(FAILURES) == before else "FAILED", time.time() - started),
              flush=True)
    if FAILURES:
        print("%d failures" % len(FAILURES))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
