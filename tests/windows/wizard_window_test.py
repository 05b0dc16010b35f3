#!/usr/bin/env python3
"""The wizard Zephyrkit.exe under Wine, driven by wizard_driver.exe the way a
user works it: the steps and their checks, the choosers, the cabinet list,
the build page, the start step kept for the next start. Screenshots of the
five steps, the about box, a page-check box and the build page after a build
are written to the work folder as PNG files.

usage: wizard_window_test.py --wine-run W --driver D --zephyrkit Zephyrkit.exe
         --images IMAGES --stub MobileZephyrkit.exe --desktop-stub DesktopZephyrkit.exe
         --system-info SystemInfo.dat --project-tool T --source-dir R --work DIR
         [--screenshots DIR]

The test lays out a program folder of its own: Zephyrkit.exe with Images\\
and the build inputs beside it.
"""
import argparse
import glob
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from script_checks import FAILURES, check, windows_path  # noqa: E402

START_STEP_KEY = "SOFTWARE\\Morvane\\Zephyrkit"
START_STEP_VALUE = "General_Step_Index"
VK_DELETE = 46
VK_INSERT = 45


def drive(args, program, folder, steps, label, timeout=600):
    script = os.path.join(args.work, label + ".steps")
    with open(script, "w") as f:
        f.write("\n".join(steps) + "\n")
    command = [args.wine_run, args.driver, "--program", windows_path(program), "--folder",
               windows_path(folder), "--steps", windows_path(script), "--trace", "--timeout", "15000"]
    # The driver's report goes to a file, so a run cut short still tells
    # how far it came.
    report = os.path.join(args.work, label + ".out")
    with open(report, "w") as out_file:
        try:
            code = subprocess.run(command, stdout=out_file, stderr=subprocess.STDOUT,
                                  timeout=timeout, stdin=subprocess.DEVNULL).returncode
        except subprocess.TimeoutExpired:
            code = "time-out after %d s" % timeout
    out = open(report, errors="replace").read().replace("\r", "")
    # The trace in full only when something went wrong.
    shown = out if code != 0 else "\n".join(l for l in out.splitlines() if not l.startswith("> "))
    print("--- %s\n%s" % (label, shown.strip()))
    check(code == 0, "%s: driver exit %s" % (label, code))


def files_below(folder):
    """Every file below `folder`, with its bytes."""
    found = {}
    for root, _, names in os.walk(folder):
        for name in names:
            with open(os.path.join(root, name), "rb") as f:
                found[os.path.join(root, name)] = f.read()
    return found


def to_png(work, name, keep=None):
    bmp = os.path.join(work, name + ".bmp")
    png = os.path.join(work, name + ".png")
    if not check(os.path.exists(bmp), "screenshot %s was not taken" % name):
        return
    subprocess.run(["convert", bmp, png], check=False)
    os.remove(bmp)
    if keep:
        os.makedirs(keep, exist_ok=True)
        shutil.copy2(png, os.path.join(keep, name + ".png"))


def main():
    ap = argparse.ArgumentParser()
    for name in ("wine-run", "driver", "zephyrkit", "images", "stub", "desktop-stub", "system-info",
                 "project-tool", "source-dir", "work"):
        ap.add_argument("--" + name, required=True)
    ap.add_argument("--screenshots", help="where the five steps' pictures are kept as well")
    args = ap.parse_args()
    args.work = os.path.abspath(args.work)
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)

    # The program folder, copied; the wizard is started from another folder,
    # where "Images" does not exist, as a double-clicked project starts it.
    program_folder = os.path.join(args.work, "program")
    shutil.copytree(args.images, os.path.join(program_folder, "Images"))
    program = os.path.join(program_folder, "Zephyrkit.exe")
    shutil.copy2(args.zephyrkit, program)
    shutil.copy2(args.stub, os.path.join(program_folder, "MobileZephyrkit.exe"))
    shutil.copy2(args.desktop_stub, os.path.join(program_folder, "DesktopZephyrkit.exe"))
    shutil.copy2(args.system_info, os.path.join(program_folder, "SystemInfo.dat"))
    start_folder = os.path.join(args.work, "projects")
    inputs = os.path.join(args.work, "inputs")
    os.makedirs(start_folder)
    os.makedirs(inputs)

    make_cab = os.path.join(args.source_dir, "tools/make_ce_cab.py")
    for name, os_min, os_max in (("Alpha", "4.0", "5.99"), ("Beta", "4.0", "5.99"),
                                 ("Gamma", "5.0", "5.99"), ("Delta", "4.0", "4.99")):
        subprocess.run([sys.executable, make_cab, os.path.join(inputs, name + ".cab"), "--app-name",
                        name + " Viewer", "--provider", "Acme", "--os-min", os_min, "--os-max", os_max,
                        "--payload", name.lower() + ".exe:20000"], check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(inputs, "eula.txt"), "w") as f:
        f.write("The licence.\r\n" * 20)
    with open(os.path.join(inputs, "readme.txt"), "w") as f:
        f.write("Read me.\r\n")
    paw = os.path.join(inputs, "Road.paw")
    made = subprocess.run([args.project_tool, "new", paw, "--title", "Road Kit", "--company", "Morvane",
                           "--eula", os.path.join(inputs, "eula.txt"), "--output", start_folder],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    check(made.returncode == 0, "the project to load: %s" % made.stdout)

    def shot(name):
        return "screenshot " + windows_path(os.path.join(args.work, name + ".bmp"))

    cab = lambda name: windows_path(os.path.join(inputs, name + ".cab"))
    first_run = [
        "registry-clear %s %s" % (START_STEP_KEY, START_STEP_VALUE),
        "start",
        "window",
        "step 0",
        "unchecked 401",
        shot("step0"),
        # Back on the first step does nothing; the about box.
        "press back",
        "step 0",
        "press about",
        "about",
        shot("about"),
        "dismiss",
        "click 401",
        "checked 401",
        "press next",
        "step 1",
        # Each page check gives its box and keeps the step.
        "press next",
        shot("check_box"),
        "box Please fill in | Title field is empty",
        "step 1",
        "type 403 Demo:Kit",
        "text 403 DemoKit",
        "press next",
        "box Please fill in | Company field is empty",
        "set-text 404 Morvane",
        "click 408",
        "enabled 409",
        "press next",
        "box Please correct | Readme path is missing or invalid",
        "click 410",
        "choose Browse Readme Files | " + windows_path(os.path.join(inputs, "readme.txt")),
        "text 409 " + windows_path(os.path.join(inputs, "readme.txt")),
        "click 408",
        "disabled 409",
        # The OS filter: unticking unticks and disables its four boxes,
        # ticking again enables them unticked.
        "disabled 418",
        "click 414",
        "enabled 415",
        "enabled 418",
        "click 418",
        "checked 418",
        "click 414",
        "disabled 418",
        "unchecked 418",
        "disabled 415",
        "click 414",
        "enabled 418",
        "unchecked 418",
        "press next",
        "box-has Operating system selection is invalid",
        "step 1",
        "click 418",
        # A project loaded through its chooser fills the page.
        "click 402",
        "choose Browse Project Files | " + windows_path(paw),
        "text 403 Road Kit",
        "text 404 Morvane",
        "checked 405",
        "enabled 406",
        "text-has 406 eula.txt",
        "unchecked 414",
        # ':' is refused by the title field, which keeps its text.
        "type 403 :",
        "text 403 Road Kit",
        "click 414",
        "click 416",
        "click 417",
        "click 418",
        "click 427",
        shot("step1"),
        "press next",
        "step 2",
        "rows 431 0",
        # Three cabinets through Add, one dropped from the shell.
        "click 434",
        "choose Browse Cabinet Files | " + cab("Alpha"),
        "click 434",
        "choose Browse Cabinet Files | " + cab("Beta"),
        "click 434",
        "choose Browse Cabinet Files | " + cab("Gamma"),
        "rows 431 3",
        "drop 431 " + cab("Delta"),
        "rows 431 4",
        "cell 431 0 0 Alpha.cab",
        "cell 431 3 0 Delta.cab",
        "cell-image 431 0 0 0",
        # A Yes/No cell toggled by a click, and back.
        "toggle-cell 431 1 1",
        "toggle-cell 431 1 1",
        # Alpha dragged onto the third row.
        "drag 431 0 2",
        "cell 431 0 0 Beta.cab",
        "cell 431 2 0 Alpha.cab",
        # The Delete key removes the selected row (Delta, the last).
        "click-cell 431 3 0",
        "text-has 529 Delta.cab",
        "key 431 %d" % VK_DELETE,
        "rows 431 3",
        "cell 431 2 0 Alpha.cab",
        # The folder chooser's boxes start from the project and are taken
        # at each click, even when the chooser is then cancelled.
        "unchecked 438",
        "click 438",
        "enabled 440",
        "click 440",
        "dialog-checked 436",
        "dialog-checked 437",
        "dialog-click 436",
        "dialog-unchecked 436",
        shot("folder_chooser"),
        "dismiss",
        "text-has 439 projects",
        "click 438",
        "disabled 440",
        shot("step2"),
        "press next",
        "step 3",
        "log-has *** Build Overview ***",
        "log-has Title : Road Kit",
        # No date folder any more: the output goes straight to the title's.
        "log-has projects\\Road Kit",
        # The two deploy boxes exclude each other.
        "click 444",
        "checked 444",
        "click 445",
        "checked 445",
        "unchecked 444",
        "click 445",
        "unchecked 445",
        "unchecked 444",
        # The loaded project is saved again under its own name, which
        # refuses ':' too.
        "checked 425",
        "enabled 426",
        "text 426 Road",
        "type 426 :",
        "text 426 Road",
        # Build, then its log and progress bar read back.
        "timeout 60000",
        "press next",
        "log-has Desktop installer:",
        "progress-full",
        "timeout 15000",
        "no-box",
        "step 3",
        shot("build_done"),
        # Deploy Mobile when done: Build moves on to step 4, which looks for a
        # device (there is none here) and lets the user look again.
        "click 445",
        "timeout 60000",
        "press next",
        "step 4",
        "text 470 Connecting to Windows CE...Failed",
        "enabled 471",
        "timeout 15000",
        "text 472 \\",
        shot("step4"),
        "press back",
        "step 3",
        shot("step3"),
        "close",
        "exit 0",
        "registry-dword %s %s 1" % (START_STEP_KEY, START_STEP_VALUE),
    ]
    drive(args, program, start_folder, first_run, "first_run")

    # The stored step is honoured: the next start opens on the presets page,
    # here with a project named on the command line, as a double-click
    # starts it; its output folder is the one the cabinet page offers.
    second_run = ["start \"%s\"" % windows_path(paw), "window", "step 1", "text 403 Road Kit",
                  "press next", "step 2", "text-has 439 projects", "close", "exit 0",
                  "registry-dword %s %s 1" % (START_STEP_KEY, START_STEP_VALUE)]
    drive(args, program, start_folder, second_run, "second_run")

    built = glob.glob(os.path.join(start_folder, "**", "*.[[]MOBILE[]].exe"), recursive=True)
    check(len(built) >= 1, "a mobile installer under %s: %s" % (start_folder, built))
    desktop = glob.glob(os.path.join(start_folder, "**", "*.[[]DESKTOP[]].exe"), recursive=True)
    check(len(desktop) >= 1, "a desktop installer under %s: %s" % (start_folder, desktop))

    # The project the first run built, with its three cabinets: names that
    # differ from a listed one only in case, or that the device cannot keep,
    # are refused at admission; a build stopped by closing the window keeps
    # the installers of the first run as they were.
    saved = glob.glob(os.path.join(start_folder, "**", "Road.paw"), recursive=True)
    check(len(saved) == 1, "the project the first run saved: %s" % saved)
    other = os.path.join(inputs, "other")
    os.makedirs(other)
    shutil.copy2(os.path.join(inputs, "Alpha.cab"), os.path.join(other, "ALPHA.CAB"))
    with open(os.path.join(inputs, "Alpha.cab"), "wb") as f:
        f.write(os.urandom(64 << 20))  # a build that takes its time
    earlier = files_below(start_folder)
    third_run = [
        "start \"%s\"" % windows_path(saved[0]), "window", "step 1", "press next", "step 2",
        "rows 431 3",
        "click 434",
        "choose Browse Cabinet Files | " + windows_path(os.path.join(other, "ALPHA.CAB")),
        "box Double entry | A device does not tell file names apart by case: the list holds Alpha.cab",
        "drop 431 C:\\cabs\\trail.cab.",
        "box trail.cab. | A device cannot keep a file of this name: it ends in a dot",
        "rows 431 3",
        "press next", "step 3",
        "press next", "close",
        "timeout 60000", "exit 0",
    ]
    drive(args, program, start_folder, third_run, "closed_during_build")
    check(files_below(start_folder) == earlier,
          "the first run's outputs as they were, and nothing else: %s" %
          sorted(set(files_below(start_folder)) ^ set(earlier)))

    # The same road by keyboard alone: Enter and Alt+N go forward through
    # the page checks (the empty title's box answered with Enter), Alt+B
    # back; the cabinet is added with the list's Insert key.
    keys_folder = os.path.join(args.work, "keys")
    os.makedirs(keys_folder)
    keyboard_run = [
        "registry-clear %s %s" % (START_STEP_KEY, START_STEP_VALUE),
        "start", "window", "step 0",
        "keys alt+b", "step 0",
        "keys enter", "step 1",
        "keys alt+n", "box-keys Please fill in | Title field is empty", "step 1",
        "type 403 Key Kit", "text 403 Key Kit",
        "type 404 Morvane",
        "keys alt+n", "step 2",
        "key 431 %d" % VK_INSERT,
        "choose Browse Cabinet Files | " + cab("Beta"),
        "rows 431 1",
        "keys enter", "step 3",
        shot("keys_step3"),
        "timeout 60000",
        "keys alt+n",
        "log-has Desktop installer:",
        "progress-full",
        "timeout 15000",
        "no-box", "step 3",
        "keys alt+b", "step 2",
        "keys alt+b", "step 1",
        "text 403 Key Kit",
        "keys alt+b", "step 0",
        "close", "exit 0",
    ]
    drive(args, program, keys_folder, keyboard_run, "keyboard_run")
    built = glob.glob(os.path.join(keys_folder, "**", "Key Kit.[[]MOBILE[]].exe"), recursive=True)
    check(len(built) == 1, "the keyboard run's mobile installer under %s: %s" % (keys_folder, built))

    for name in ("step0", "step1", "step2", "step3", "step4"):
        to_png(args.work, name, args.screenshots)
    for name in ("about", "check_box", "build_done", "folder_chooser", "keys_step3"):
        to_png(args.work, name)

    if FAILURES:
        print("%d failures" % len(FAILURES))
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
