"""What the test scripts that run the programs share: checks that record a
failure and go on (Wine-test style), Wine's name for a host path, a command
run with its output captured, and a small project to build."""
import os
import subprocess
import sys

# Every failed check's message, in order; a script fails when any is here.
FAILURES = []


def check(condition, message):
    if not condition:
        FAILURES.append(message)
        print("FAIL: " + message, flush=True)
    return condition


def windows_path(path):
    """The host path as Wine names it, on its Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run(command, **kw):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, **kw)


def make_kit_project(source_dir, project_tool, work):
    """The project Kit of one Windows CE cabinet, made with PROJECT_TOOL
    (zephyrkit-project) in WORK/in, its installers to go into WORK/out: the
    .paw's path and the output folder. Checks each step."""
    inputs, out = os.path.join(work, "in"), os.path.join(work, "out")
    os.makedirs(inputs)
    os.makedirs(out)  # the build makes the date and title folders inside it
    cab = os.path.join(inputs, "Viewer.cab")
    subprocess.run([sys.executable, os.path.join(source_dir, "tools/make_ce_cab.py"), cab,
                    "--app-name", "Viewer", "--provider", "Morvane", "--os-min", "4.0",
                    "--os-max", "5.99", "--payload", "viewer.exe:20000"],
                   check=True, stdout=subprocess.DEVNULL)
    paw = os.path.join(inputs, "Kit.paw")
    for command in (["new", paw, "--title", "Kit", "--company", "Morvane", "--output", out],
                    ["add", paw, cab]):
        made = run([project_tool, *command], cwd=inputs)
        check(made.returncode == 0, "zephyrkit-project %s: %s" % (command[0], made.stderr))
    return paw, out
