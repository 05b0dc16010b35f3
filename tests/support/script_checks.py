"""What the test scripts that run the programs share: checks that record a
failure and go on (Wine-test style), Wine's name for a host path, and a
command run with its output captured."""
import os
import subprocess

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
