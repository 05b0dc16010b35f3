#!/usr/bin/env python3
"""Our zip writer against zip -8, gzip -8 and pigz -8 -p 2 on the same
inputs, run interleaved (ours, zip, gzip, pigz, ours, zip, ...) so a busy
moment of the machine hits every tool alike; then `zephyrkit -silent` of a
project with one 64 MiB cabinet against `zip -8` of that cabinet, for a
cabinet of random bytes and one of the real cabinets.

usage: bench/compare.py [--build DIR] [--rounds N] [--mib N]
                        [--baseline DIR] [--io]
       bench/compare.py --device [--build DIR] [--rounds N] [--baseline DIR]

  --build DIR     the host build holding tools/zk-zip, wizard/ui/zephyrkit
                  and wizard/ui/zephyrkit-project (build/host)
  --baseline DIR  another host build (an older commit, say) whose zk-zip and
                  zephyrkit are timed beside ours
  --io            also count what one silent build reads and writes, by
                  system call and by byte, under strace
  --device        instead, time zk-device (of --build) installing a package
                  of the real cabinets, each once, as our zephyrkit and the
                  baseline's build it; with valgrind, also count the
                  instructions of the run and of zlib's inflate in it

Inputs, each --mib MiB (64): random bytes; mixed binaries (the programs and
libraries of this machine, concatenated); the real cabinets of
../shared/testdata/cabs repeated (left out, saying so, when that folder is
absent). Prints, per input and tool, the median time of --rounds runs (5),
their spread ((slowest - fastest) / median), the median processor time (what
a machine shared with other work moves least), the throughput, its ratio to
zip -8's, and the size of what the tool wrote beside zip -8's archive (for
a silent build, the cabinet's section). Each
table also times the floor, `cat` of the input into a file (reading the
input and writing as many bytes), and closes with a line that gives ours
against pigz -8 -p 2, zip -8 and the floor.

Every archive of ours is checked with `unzip -t` and Python's zipfile.
scripts/setup-bench.sh installs what this needs.
"""
import argparse
import glob
import json
import os
import re
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import zipfile

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
from package_layout import sections_of, stand_in_program, zip_holding  # noqa: E402

CABS = os.path.normpath(os.path.join(ROOT, "..", "shared", "testdata", "cabs"))


def make_random(path, size):
    with open(path, "wb") as f:
        left = size
        while left:
            n = min(left, 1 << 20)
            f.write(os.urandom(n))
            left -= n


def make_repeated(path, size, sources):
    """`sources` concatenated, over and over, cut at `size` bytes."""
    with open(path, "wb") as f:
        left = size
        while left:
            for source in sources:
                with open(source, "rb") as s:
                    data = s.read(left)
                f.write(data)
                left -= len(data)
                if not left:
                    break


def machine_binaries():
    found = []
    for folder in ("/usr/bin", "/usr/lib/x86_64-linux-gnu"):
        for name in sorted(os.listdir(folder)):
            path = os.path.join(folder, name)
            if os.path.isfile(path) and not os.path.islink(path):
                with open(path, "rb") as f:
                    if f.read(4) == b"\x7fELF":
                        found.append(path)
    return found


def run(argv, stdout=subprocess.DEVNULL, env=None):
    """(wall seconds, processor seconds of the program, result)."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    result = subprocess.run(argv, stdout=stdout, stderr=subprocess.PIPE, env=env)
    seconds = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime
    return seconds, cpu, result


def check_zip(path, source):
    """unzip -t and zipfile agree the archive is whole and holds `source`."""
    t = subprocess.run(["unzip", "-tqq", path], capture_output=True, text=True)
    if t.returncode != 0:
        sys.exit(f"unzip -t failed on {path}: {t.stdout}{t.stderr}")
    with zipfile.ZipFile(path) as z:
        bad = z.testzip()
        if bad is not None:
            sys.exit(f"zipfile: {path}: member {bad} is damaged")
        info = z.infolist()[-1]
        if info.file_size != os.path.getsize(source):
            sys.exit(f"{path}: member holds {info.file_size} bytes, source {os.path.getsize(source)}")


def table(title, rows, sizes, size, reference, ours, floor):
    """Medians of `rows` (tool: [(wall seconds, processor seconds)] per
    round) with the output sizes of `sizes` (tool: bytes), and a line that
    sets `ours` against the others."""
    mib = size / (1 << 20)
    median = {tool: statistics.median(t for t, _ in runs) for tool, runs in rows.items()}
    ref = median[reference]
    print(f"\n{title}")
    print(f"  {'tool':<36} {'median s':>8} {'spread':>7} {'cpu s':>6} {'MiB/s':>7}"
          f" {'vs zip -8':>9} {'output MiB':>10} {'vs zip -8':>9}")
    for tool, runs in rows.items():
        times = [t for t, _ in runs]
        spread = (max(times) - min(times)) / median[tool] * 100
        cpu = statistics.median(c for _, c in runs)
        out = sizes.get(tool)
        grown = f"{(out / sizes[reference] - 1) * 100:+8.2f}%" if out else ""
        shown = f"{out / (1 << 20):10.2f}" if out else ""
        print(f"  {tool:<36} {median[tool]:8.2f} {spread:6.1f}% {cpu:6.2f} {mib / median[tool]:7.1f}"
              f" {ref / median[tool]:8.2f}x {shown:>10} {grown:>9}")
    pigz = [tool for tool in rows if tool.startswith("pigz")]
    against = f"{median[pigz[0]] / median[ours]:.2f}x pigz -8 -p 2's throughput, " if pigz else ""
    print(f"  ours: {against}{ref / median[ours]:.2f}x {reference}'s, "
          f"{median[ours] / median[floor]:.1f} times the floor's time; "
          f"output {(sizes[ours] / sizes[reference] - 1) * 100:+.2f}% against {reference}'s, "
          f"{(sizes[ours] / size - 1) * 100:+.2f}% against the input")


FLOOR = "floor: cat into a file"


def compare_writers(inputs, tools, rounds, work):
    for label, path in inputs:
        size = os.path.getsize(path)
        rows = {name: [] for name, _ in tools}
        sizes = {}
        for _ in range(rounds):
            for name, make in tools:
                out = os.path.join(work, "out")
                if os.path.exists(out):
                    os.remove(out)
                argv, to_stdout, written = make(path, out)
                if to_stdout:
                    with open(out, "wb") as f:
                        seconds, cpu, result = run(argv, stdout=f)
                else:
                    seconds, cpu, result = run(argv)
                if result.returncode != 0:
                    sys.exit(f"{name} failed: {result.stderr.decode(errors='replace')}")
                if name.startswith("zk-zip"):
                    check_zip(out, path)
                rows[name].append((seconds, cpu))
                sizes[name] = os.path.getsize(written)
        table(f"{label}: {size >> 20} MiB, median of {rounds}", rows, sizes, size, "zip -8",
              "zk-zip (ours)", FLOOR)


def program_folder(work, zephyrkit):
    program = os.path.join(work, "program-%x" % (hash(os.path.abspath(zephyrkit)) & 0xFFFFFF))
    stand_in_program(program, [zephyrkit])
    return os.path.join(program, "zephyrkit")


def make_project(work, cabinet, zephyrkit_project):
    out = os.path.join(work, "installers")
    os.makedirs(out, exist_ok=True)
    paw = os.path.join(work, "Big.paw")
    project = {"title": "Big", "company": "Bench", "outputFolder": out,
               "cabinets": [{"path": cabinet, "fileName": "big.cab", "forPocketPC": True}]}
    subprocess.run([zephyrkit_project, "import", paw], input=json.dumps(project), text=True,
                   check=True)
    return paw, os.path.join(out, "Big.[MOBILE].exe")


def compare_builds(label, cabinet, builds, rounds, work, zephyrkit_project):
    paw, installer = make_project(work, cabinet, zephyrkit_project)
    size = os.path.getsize(cabinet)
    rows, sizes = {}, {}
    steps = []
    for name, zephyrkit, env in builds:
        program = program_folder(work, zephyrkit)
        rows[name] = []
        steps.append((name, [program, "-silent", paw], env, installer))
    zipped, copied = os.path.join(work, "cab.zip"), os.path.join(work, "cab.copy")
    steps.append(("zip -8 of the cabinet",
                  ["zip", "-8", "-q", "-j", zipped, cabinet], None, zipped))
    steps.append((FLOOR, ["sh", "-c", 'cat "$0" > "$1"', cabinet, copied], None, copied))
    for name, *_ in steps[len(builds):]:
        rows[name] = []
    for _ in range(rounds):
        for name, argv, env, written in steps:
            if name.startswith("zip") and os.path.exists(zipped):
                os.remove(zipped)
            seconds, cpu, result = run(argv, env=env)
            # The silent build answers 1 for a finished build.
            expected = 1 if name.startswith("zephyrkit") else 0
            if result.returncode != expected:
                sys.exit(f"{name} failed ({result.returncode}): "
                         f"{result.stderr.decode(errors='replace')}")
            rows[name].append((seconds, cpu))
            if written == installer:
                # The cabinet's section, the last: the zip archive of it.
                with open(installer, "rb") as f:
                    sizes[name] = len(sections_of(f.read())[-1][1])
            else:
                sizes[name] = os.path.getsize(written)
    table(f"zephyrkit -silent, one {size >> 20} MiB cabinet of {label}, median of {rounds}"
          " (output: the cabinet's section)", rows, sizes, size, "zip -8 of the cabinet",
          builds[0][0], FLOOR)
    return paw, installer


def count_io(zephyrkit, paw, cabinet, work, label):
    """System calls and bytes a silent build reads and writes, per input byte."""
    log = os.path.join(work, "strace.log")
    program = program_folder(work, zephyrkit)
    subprocess.run(["strace", "-f", "-qq", "-o", log, "-e", "trace=read,write,pread64,pwrite64",
                    program, "-silent", paw], stdout=subprocess.DEVNULL, check=False)
    counts = {"read": [0, 0], "write": [0, 0]}
    call = re.compile(r"(read|write|pread64|pwrite64)\((\d+),.*\)\s+=\s+(\d+)")
    with open(log) as f:
        for line in f:
            m = call.search(line)
            if not m or int(m.group(2)) <= 2:
                continue  # standard streams
            kind = "read" if "read" in m.group(1) else "write"
            counts[kind][0] += 1
            counts[kind][1] += int(m.group(3))
    size = os.path.getsize(cabinet)
    print(f"  {label:<34} reads {counts['read'][0]:>6} calls {counts['read'][1] / size:5.2f} B/B"
          f"   writes {counts['write'][0]:>6} calls {counts['write'][1] / size:5.2f} B/B")


def device_package(work, label, zephyrkit, cabs, zephyrkit_project):
    """The mobile installer that `zephyrkit` builds of the real cabinets, each
    once."""
    folder = os.path.join(work, "device-" + re.sub(r"\W+", "-", label))
    program = stand_in_program(
        os.path.join(folder, "program"), [zephyrkit],
        system_info=zip_holding("SystemInfo.exe", b"MZ stand-in", zipfile.ZIP_STORED))
    out = os.path.join(folder, "out")
    os.makedirs(out)
    paw = os.path.join(folder, "Real.paw")
    for args in (["new", paw, "--title", "Real", "--company", "Bench", "--output", out],
                 ["add", paw, *cabs]):
        subprocess.run([zephyrkit_project, *args], check=True, capture_output=True)
    result = subprocess.run([os.path.join(program, "zephyrkit"), "-silent", paw],
                            capture_output=True)
    found = glob.glob(os.path.join(out, "**", "Real.[[]MOBILE].exe"), recursive=True)
    if result.returncode != 1 or len(found) != 1:
        sys.exit(f"{label}: the package of the real cabinets was not built: "
                 f"{result.stdout.decode(errors='replace')}{result.stderr.decode(errors='replace')}")
    return found[0]


def inflate_instructions(zk_device, package, work):
    """Instructions of a whole zk-device run and of zlib's inflate in it,
    counted by callgrind: a measure no busy moment of the machine moves."""
    profile, root = os.path.join(work, "callgrind.out"), os.path.join(work, "device-root")
    shutil.rmtree(root, ignore_errors=True)
    subprocess.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={profile}",
                    zk_device, "install", package, "--root", root, "--profile", "wm5"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    text = subprocess.run(["callgrind_annotate", "--inclusive=yes", profile], capture_output=True,
                          text=True).stdout
    count = {}
    for name, pattern in (("total", r"([\d,]+) \S+\s+PROGRAM TOTALS"),
                          ("inflate", r"([\d,]+) \S+\s+\S*:inflate \[")):
        m = re.search(pattern, text)
        count[name] = int(m.group(1).replace(",", "")) if m else 0
    return count


def compare_device(builds, cabs, rounds, work, zephyrkit_project, zk_device):
    """zk-device installing the package of the real cabinets that each build
    makes: what the device's unpacking costs."""
    packages = [(label, device_package(work, label, zephyrkit, cabs, zephyrkit_project))
                for label, zephyrkit in builds]
    rows = {label: [] for label, _ in packages}
    for _ in range(rounds):
        for label, package in packages:
            root = os.path.join(work, "device-root")
            shutil.rmtree(root, ignore_errors=True)
            seconds, cpu, result = run([zk_device, "install", package, "--root", root,
                                        "--profile", "wm5"])
            if result.returncode != 0:
                sys.exit(f"zk-device failed on {label}'s package: "
                         f"{result.stderr.decode(errors='replace')}")
            rows[label].append((seconds, cpu))
    counting = shutil.which("valgrind") and shutil.which("callgrind_annotate")
    print(f"\nzk-device installing the real cabinets ({len(cabs)}, each once), median of {rounds}")
    print(f"  {'package made by':<26} {'bytes':>9} {'median s':>8} {'cpu s':>6}"
          + (f" {'instructions':>13} {'in inflate':>12}" if counting else ""))
    for label, package in packages:
        runs = rows[label]
        line = (f"  {label:<26} {os.path.getsize(package):>9} "
                f"{statistics.median(t for t, _ in runs):8.3f} "
                f"{statistics.median(c for _, c in runs):6.3f}")
        if counting:
            count = inflate_instructions(zk_device, package, work)
            line += f" {count['total']:>13,} {count['inflate']:>12,}"
        print(line)
    if not counting:
        print("  (valgrind is missing: no instruction counts)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "host"))
    parser.add_argument("--baseline")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--mib", type=int, default=64)
    parser.add_argument("--io", action="store_true")
    parser.add_argument("--device", action="store_true")
    args = parser.parse_args()

    def tools_of(build):
        return (os.path.join(build, "tools", "zk-zip"),
                os.path.join(build, "wizard", "ui", "zephyrkit"),
                os.path.join(build, "wizard", "ui", "zephyrkit-project"))

    zk_device = os.path.join(args.build, "emulator", "host", "zk-device")
    if args.device:
        cabs = sorted(os.path.join(CABS, n) for n in os.listdir(CABS)
                      if n.lower().endswith(".cab")) if os.path.isdir(CABS) else []
        if not cabs or not os.path.exists(zk_device):
            sys.exit(f"--device needs {CABS} and {zk_device}")
        work = tempfile.mkdtemp(prefix="zk-bench-")
        try:
            builds = [("ours", tools_of(args.build)[1])]
            if args.baseline:
                builds.append(("baseline", tools_of(args.baseline)[1]))
            compare_device(builds, cabs, args.rounds, work, tools_of(args.build)[2], zk_device)
        finally:
            shutil.rmtree(work, ignore_errors=True)
        return

    zk_zip, zephyrkit, zephyrkit_project = tools_of(args.build)
    for needed in (zk_zip, zephyrkit, zephyrkit_project):
        if not os.path.exists(needed):
            sys.exit(f"{needed} is missing: build the host preset first")
    for program in ("zip", "unzip", "gzip", "pigz") + (("strace",) if args.io else ()):
        if not shutil.which(program):
            sys.exit(f"{program} is missing: run scripts/setup-bench.sh")

    size = args.mib << 20
    work = tempfile.mkdtemp(prefix="zk-bench-")
    try:
        inputs = []
        path = os.path.join(work, "random.bin")
        make_random(path, size)
        inputs.append(("random bytes", path))
        path = os.path.join(work, "mixed.bin")
        make_repeated(path, size, machine_binaries())
        inputs.append(("mixed binaries", path))
        cabs = sorted(os.path.join(CABS, n) for n in os.listdir(CABS)
                      if n.lower().endswith(".cab")) if os.path.isdir(CABS) else []
        if cabs:
            path = os.path.join(work, "cabinets.bin")
            make_repeated(path, size, cabs)
            inputs.append((f"real cabinets ({len(cabs)}, repeated)", path))
        else:
            print(f"{CABS} is absent: the cabinet set is left out")

        cores = os.cpu_count()
        print(f"{cores} cores; our writer on "
              f"{os.environ.get('ZEPHYRKIT_THREADS', str(min(cores or 1, 8)))} threads")
        tools = [("zk-zip (ours)",
                  lambda src, out: ([zk_zip, out, "input.bin=" + src], False, out))]
        if args.baseline:
            base_zip = tools_of(args.baseline)[0]
            tools.append(("zk-zip (baseline)",
                          lambda src, out: ([base_zip, out, "input.bin=" + src], False, out)))
        tools += [
            ("zip -8",
             lambda src, out: (["zip", "-8", "-q", "-j", out + ".zip", src], False, out + ".zip")),
            ("gzip -8", lambda src, out: (["gzip", "-8", "-c", src], True, out)),
            ("pigz -8 -p 2", lambda src, out: (["pigz", "-8", "-p", "2", "-c", src], True, out)),
            (FLOOR, lambda src, out: (["cat", src], True, out)),
        ]

        # zip appends to an archive that exists: give it a fresh name.
        def fresh(make):
            def wrapped(src, out):
                made = make(src, out)
                if os.path.exists(out + ".zip"):
                    os.remove(out + ".zip")
                return made
            return wrapped

        tools = [(name, fresh(make)) for name, make in tools]
        compare_writers(inputs, tools, args.rounds, work)

        builds = [("zephyrkit -silent (ours)", zephyrkit, None),
                  ("zephyrkit -silent (ours, 1 thread)", zephyrkit,
                   dict(os.environ, ZEPHYRKIT_THREADS="1"))]
        if args.baseline:
            builds.append(("zephyrkit -silent (baseline)", tools_of(args.baseline)[1], None))
        # Random bytes, then the real cabinets (or, without them, the mixed
        # binaries): the last is the project --io counts.
        for label, cabinet in (inputs[0], inputs[-1]):
            paw, _ = compare_builds(label, cabinet, builds, args.rounds, work, zephyrkit_project)
        if args.io:
            print("\nwhat one silent build reads and writes, per byte of the cabinet")
            count_io(zephyrkit, paw, cabinet, work, "ours")
            if args.baseline:
                count_io(tools_of(args.baseline)[1], paw, cabinet, work, "baseline")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
