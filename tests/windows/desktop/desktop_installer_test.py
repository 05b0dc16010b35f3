"""DesktopZephyrkit.exe under Wine: /? and the exit codes, a damaged file,
the silent install without a device, and the window driven by its buttons
(Save to a folder..., Install, Cancel), with a screenshot of each state."""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time

IDC_APP_NAME, IDC_STATUS, IDC_INSTALL, IDC_SAVE, IDCANCEL = 101, 102, 104, 105, 2

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def host_path(wine_run, windows_path):
    """A path as Wine names it, on the host: Z: is the host's root, the
    other drives live in the prefix that wine_run uses."""
    drive, rest = windows_path[0].lower(), windows_path[2:].replace("\\", "/").lstrip("/")
    if drive == "z":
        return "/" + rest
    with open(wine_run) as f:
        prefix = re.search(r"WINEPREFIX='([^']*)'", f.read()).group(1)
    return os.path.join(prefix, "drive_" + drive, rest)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--wine-run", required=True)
    p.add_argument("--program", required=True)
    p.add_argument("--driver", required=True)
    p.add_argument("--box-driver", required=True)
    p.add_argument("--maker", required=True)
    p.add_argument("--device-stub-length", required=True)
    p.add_argument("--work", required=True)
    a = p.parse_args()

    shutil.rmtree(a.work, ignore_errors=True)
    os.makedirs(a.work)
    shots = os.path.join(a.work, "screenshots")
    os.makedirs(shots)
    desktop = os.path.join(a.work, "Demo.[DESKTOP].exe")
    mobile = os.path.join(a.work, "expected", "Demo.[MOBILE].exe")
    os.makedirs(os.path.dirname(mobile))
    subprocess.run([sys.executable, a.maker, "--stub", a.program, "--device-stub-length",
                    a.device_stub_length, "--out", desktop, "--mobile-out", mobile], check=True)

    def wine(*args, timeout=60):
        return subprocess.run([a.wine_run, *args], capture_output=True, text=True,
                              timeout=timeout, stdin=subprocess.DEVNULL)

    def drive(*args):
        r = wine(a.driver, *[str(x) for x in args])
        return r.returncode, r.stdout.strip()

    def shot(name):
        path = os.path.join(shots, name + ".png")
        subprocess.run(["import", "-window", "root", path], check=False)

    # /? shows the options and the exit codes, and exits 0.
    r = wine(a.box_driver, "10000", desktop, "/?")
    check("exit: 0" in r.stdout and "3\tno device" in r.stdout.replace("\r", ""),
          "/? shows the exit codes: " + r.stdout.replace("\r\n", " | ")[:200])

    # A cut desktop installer says so; silently it exits 2 and writes nothing.
    cut = os.path.join(a.work, "cut", "Cut.[DESKTOP].exe")
    os.makedirs(os.path.dirname(cut))
    with open(desktop, "rb") as f:
        data = f.read()
    with open(cut, "wb") as f:
        f.write(data[:-100])
    r = wine(cut, "/s")
    check(r.returncode == 2, "a cut installer exits 2 silently (got %d)" % r.returncode)
    r = wine(a.box_driver, "10000", cut)
    check("is cut short" in r.stdout and "exit: 2" in r.stdout,
          "a cut installer says so: " + r.stdout.replace("\r\n", " | ")[:200])
    check(os.listdir(os.path.dirname(cut)) == ["Cut.[DESKTOP].exe"], "nothing written beside it")

    # Silent, without ActiveSync: no device, exit 3.
    started = time.monotonic()
    r = wine(desktop, "/s")
    check(r.returncode == 3, "silent without a device exits 3 (got %d)" % r.returncode)
    # Without rapi.dll no attempt is made at all; a Wine start on a busy
    # machine still takes seconds: this only says that it does not hang.
    check(time.monotonic() - started < 30, "and gives up without hanging")

    # The window.
    proc = subprocess.Popen([a.wine_run, desktop], stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        code, caption = drive("wait", 20000)
        check(code == 0 and caption == "Morvane Demo", "the window's caption: %r" % caption)
        check(drive("text", IDC_APP_NAME)[1] == "Demo", "the application's name is shown")
        check(drive("text", IDC_SAVE)[1] == "Save to a folder\u2026", "the save button's caption")
        time.sleep(0.5)
        shot("1-window")

        saved = os.path.join(a.work, "Demo.[MOBILE].exe")
        drive("click", IDC_SAVE)
        code, title = drive("dialog-ok", 10000)
        check(code == 0, "the folder browser came up: %r" % title)
        code, status = drive("wait-text", IDC_STATUS, "saved as", 20000)
        check(code == 0, "saving reports: %r" % status)
        time.sleep(0.3)
        shot("2-saved")
        with open(mobile, "rb") as f:
            expected = f.read()
        # The browser offers the installer's own folder, but the user may
        # have taken another: the status names where the file went.
        named = re.search(r"saved as (.+?\.\[MOBILE\]\.exe)", status or "")
        if named:
            saved = host_path(a.wine_run, named.group(1))
        got = open(saved, "rb").read() if os.path.exists(saved) else b""
        check(got == expected, "the saved installer %s is the device installer, byte for byte" % saved)
        if named and os.path.exists(saved):
            os.remove(saved)

        drive("click", IDC_INSTALL)
        code, status = drive("wait-text", IDC_STATUS, "No device is connected", 20000)
        check(code == 0, "Install without a device says so: %r" % status)
        time.sleep(0.3)
        shot("3-no-device")

        drive("click", IDCANCEL)
        proc.wait(timeout=20)
        check(proc.returncode == 3, "Cancel ends it with the last outcome (got %d)" % proc.returncode)
    finally:
        if proc.poll() is None:
            proc.kill()

    print("screenshots in " + shots)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
