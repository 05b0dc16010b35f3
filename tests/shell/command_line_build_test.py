"""The host front's command-line habits: `zephyrkit-project build` (exit code
per failure kind, messages naming the file or entry, section lines),
`zephyrkit PROJECT.paw` in one line, check's warnings, and --version.

Usage: command_line_build_test.py ZEPHYRKIT ZEPHYRKIT_PROJECT ZEPHYRKIT_CAB ZK_DEVICE MAKE_CE_CAB
       ZEPHYRKIT_PACKAGE
"""
import glob
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from package_layout import stub_length  # noqa: E402

ZEPHYRKIT, PROJECT, CAB, DEVICE, MAKE_CE_CAB, PACKAGE = sys.argv[1:7]
MOBILE_STUB_FIRST_SECTION_OFFSET = stub_length()
del sys.argv[1:7]


class Folder(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="zk-clbuild-")
        self.addCleanup(shutil.rmtree, self.dir, True)
        self.program = self.path("program")
        os.mkdir(self.program)
        for tool in (ZEPHYRKIT, PROJECT):
            shutil.copy(tool, self.program)
        self.stub(MOBILE_STUB_FIRST_SECTION_OFFSET)
        with open(os.path.join(self.program, "DesktopZephyrkit.exe"), "wb") as f:
            f.write(b"MZ" + b"D" * 4094)
        with zipfile.ZipFile(os.path.join(self.program, "SystemInfo.dat"), "w") as z:
            z.writestr("SystemInfo.exe", b"tool")

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def stub(self, length):
        with open(os.path.join(self.program, "MobileZephyrkit.exe"), "wb") as f:
            f.write(b"MZ" + b"M" * (length - 2))

    def cabinet(self, name, *options):
        path = self.path(name)
        subprocess.run([sys.executable, MAKE_CE_CAB, *options, path], check=True,
                       capture_output=True)
        return path

    def tool(self, name, *args):
        return subprocess.run([os.path.join(self.program, name), *args], capture_output=True,
                              text=True, cwd=self.dir)

    def project(self, *args):
        return self.tool("zephyrkit-project", *args)

    def new(self, title="Demo", *presets):
        """A project whose output folder does not exist yet."""
        paw = self.path("Demo.paw")
        r = self.project("new", paw, "--title", title, "--company", "Morvane", "--output",
                         self.path("out"), *presets)
        self.assertEqual(r.returncode, 0, r.stderr)
        return paw


class BuildTest(Folder):
    def test_a_build_prints_its_sections_and_a_second_goes_quiet(self):
        paw = self.new()
        a, b = self.cabinet("a.cab", "--app-name", "A"), self.cabinet("b.cab", "--app-name", "B")
        self.assertEqual(self.project("add", paw, a, b).returncode, 0)
        r = self.project("build", paw)
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(r.stderr, "")
        mobile = glob.glob(self.path("out", "*", "Demo", "Demo.[[]MOBILE].exe"))
        self.assertEqual(len(mobile), 1)
        lines = r.stdout.splitlines()
        self.assertEqual(lines[0], mobile[0])
        names = [line.split("\t")[0].strip() for line in lines[1:4]]
        self.assertEqual(names, ["SystemInfo.dat", "Demo.paw", "a.cab", "b.cab"][:3])
        self.assertRegex(lines[3], r"\tdeflated \d+%$")
        # The section sizes are the installer's own: they add up to its length.
        sizes = [int(line.split("\t")[1].split()[0]) for line in lines[1:5]]
        self.assertEqual(MOBILE_STUB_FIRST_SECTION_OFFSET + sum(4 + s for s in sizes),
                         os.path.getsize(mobile[0]))

        fresh = self.path("new", "deep", "er")
        r = self.project("build", paw, "--output", fresh, "-q")
        self.assertEqual((r.returncode, r.stdout, r.stderr), (0, "", ""))
        self.assertEqual(len(glob.glob(os.path.join(fresh, "*", "Demo", "*.exe"))), 2)

    def test_each_failure_has_its_code_and_names_what_is_wrong(self):
        paw = self.new()
        a = self.cabinet("a.cab", "--app-name", "A")
        self.assertEqual(self.project("add", paw, a).returncode, 0)

        r = self.project("build", self.path("none.paw"))
        self.assertEqual(r.returncode, 3)
        self.assertIn("none.paw: no such project file", r.stderr)

        with open(self.path("bad.paw"), "wb") as f:
            f.write(b"not a project")
        r = self.project("build", self.path("bad.paw"))
        self.assertEqual(r.returncode, 1)
        self.assertTrue(r.stderr.startswith("zephyrkit-project: " + self.path("bad.paw") + ": "))

        self.assertEqual(self.project("build", paw, "--frobnicate").returncode, 2)

        os.rename(a, a + ".away")
        r = self.project("build", paw)
        self.assertEqual(r.returncode, 3)
        self.assertIn(a + ": cabinet 0 (a.cab) is missing", r.stderr)
        os.rename(a + ".away", a)

        self.stub(1000)
        r = self.project("build", paw)
        self.assertEqual(r.returncode, 3)
        self.assertIn("MobileZephyrkit.exe: is 1000 bytes long", r.stderr)
        self.assertIn(str(MOBILE_STUB_FIRST_SECTION_OFFSET), r.stderr)
        self.assertEqual(glob.glob(self.path("out", "*", "Demo", "*.exe")), [])
        self.stub(MOBILE_STUB_FIRST_SECTION_OFFSET)

        blocker = self.path("file")
        open(blocker, "w").close()
        r = self.project("build", paw, "--output", os.path.join(blocker, "below"))
        self.assertEqual(r.returncode, 4)
        self.assertIn("cannot make the output folder", r.stderr)

    def test_an_entry_no_filter_lets_through_is_named(self):
        paw = self.new("Demo", "--os-filter", "2002")
        wm5 = self.cabinet("wm5.cab", "--app-name", "W", "--os-min", "5.0", "--os-max", "5.99")
        self.assertEqual(self.project("add", paw, wm5).returncode, 0)
        r = self.project("build", paw)
        self.assertEqual(r.returncode, 1)
        self.assertIn("cabinet 0 (wm5.cab)", r.stderr)
        self.assertIn("OS filter", r.stderr)


def folder_bytes(folder):
    """Every file below `folder` with its bytes."""
    found = {}
    for root, _, files in os.walk(folder):
        for name in files:
            with open(os.path.join(root, name), "rb") as f:
                found[os.path.relpath(os.path.join(root, name), folder)] = f.read()
    return found


class OutputsTest(Folder):
    """The earlier installers stay whole while a build runs, is stopped or
    competes with another one."""

    def built(self):
        paw = self.new()
        a = self.cabinet("a.cab", "--app-name", "A")
        self.assertEqual(self.project("add", paw, a).returncode, 0)
        r = self.project("build", paw, "-q")
        self.assertEqual(r.returncode, 0, r.stderr)
        # From now on a.cab is a large file the build takes a while to pack.
        with open(a, "wb") as f:
            f.write(os.urandom(64 << 20))
        return paw

    def start(self, *args):
        return subprocess.Popen([os.path.join(self.program, args[0]), *args[1:]], cwd=self.dir,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                env=dict(os.environ, ZEPHYRKIT_THREADS="1"))

    def test_a_build_stopped_by_a_signal_leaves_the_earlier_installers(self):
        paw = self.built()
        out = self.path("out")
        earlier = folder_bytes(out)
        self.assertEqual(len(earlier), 3)
        for command, sent, code in ((("zephyrkit-project", "build", paw), signal.SIGINT, 130),
                                    (("zephyrkit", "-silent", paw), signal.SIGTERM, 143)):
            child = self.start(*command)
            deadline = time.monotonic() + 20
            # Under way: its installer has begun under a temporary name.
            while not glob.glob(os.path.join(out, "*", "Demo", "*.partial")):
                if child.poll() is not None:
                    self.fail("ended before it was stopped: " + str(child.communicate()))
                self.assertLess(time.monotonic(), deadline)
                time.sleep(0.002)
            child.send_signal(sent)
            _, err = child.communicate(timeout=30)
            self.assertEqual(child.returncode, code, err)
            self.assertEqual(folder_bytes(out), earlier, command[0] + ": as they were")

    def test_two_builds_into_one_folder_take_turns(self):
        paw = self.built()
        children = [self.start("zephyrkit-project", "build", paw, "-q") for _ in range(2)]
        results = [(c.wait(timeout=60), c.stderr.read()) for c in children]
        for child in children:
            child.stdout.close()
            child.stderr.close()
        for code, err in results:
            # The second waits for the first, or gives up after a few
            # seconds with the code of an output that cannot be written.
            self.assertIn(code, (0, 4), err)
            if code == 4:
                self.assertRegex(err, r"another build is writing into .*Demo\n$")
        self.assertIn(0, [code for code, _ in results])
        installers = glob.glob(self.path("out", "*", "Demo", "*.exe"))
        self.assertEqual(len(installers), 2)
        for installer in installers:
            r = subprocess.run([PACKAGE, "test", installer, "--desktop-stub-length", "4096"],
                               capture_output=True, text=True)
            self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertEqual(sorted(os.listdir(os.path.dirname(installers[0]))),
                         ["Demo.[DESKTOP].exe", "Demo.[MOBILE].exe", "Demo.paw"])

    def test_every_command_into_a_full_disk_fails_and_says_so(self):
        if not os.path.exists("/dev/full"):
            self.skipTest("no /dev/full")
        paw = self.new()
        a = self.cabinet("a.cab", "--app-name", "A")
        self.assertEqual(self.project("add", paw, a).returncode, 0)
        self.assertEqual(self.project("build", paw, "-q").returncode, 0)
        mobile = glob.glob(self.path("out", "*", "Demo", "Demo.[[]MOBILE].exe"))[0]
        project = os.path.join(self.program, "zephyrkit-project")
        zephyrkit = os.path.join(self.program, "zephyrkit")
        commands = [
            (project, "export", paw), (project, "show", paw), (project, "check", paw),
            (project, "build", paw), (project, "--help"), (zephyrkit, paw),
            (zephyrkit, "-silent", paw), (CAB, a),
            (PACKAGE, "list", mobile), (PACKAGE, "list", mobile, "--json"),
            (PACKAGE, "matrix", mobile), (PACKAGE, "test", mobile),
            (PACKAGE, "extract", mobile, "-d", self.path("x")),
        ]
        for command in commands:
            with open("/dev/full", "w") as full:
                r = subprocess.run(command, stdout=full, stderr=subprocess.PIPE, text=True,
                                   cwd=self.dir)
            name = os.path.basename(command[0])
            # The silent build's failures exit with 0, its success with 1.
            failed = r.returncode == 0 if command[1] == "-silent" else r.returncode != 0
            self.assertTrue(failed, (command, r.returncode))
            self.assertIn(name + ": cannot write to standard output: No space left on device",
                          r.stderr, command)


class FrontTest(Folder):
    def test_a_project_named_alone_is_looked_over_in_one_line(self):
        paw = self.new()
        a = self.cabinet("a.cab", "--app-name", "A")
        self.project("add", paw, a)
        r = self.tool("zephyrkit", paw)
        self.assertEqual(r.returncode, 0)
        self.assertEqual(len(r.stdout.splitlines()), 1)
        self.assertIn("loads", r.stdout)
        os.remove(a)
        r = self.tool("zephyrkit", paw)
        self.assertEqual(r.returncode, 1)
        self.assertEqual(r.stdout, paw + ": loads, but 1 of the files it names is missing: " +
                         a + "\n")
        self.assertEqual(self.tool("zephyrkit", self.path("no.paw")).returncode, 1)

    def test_check_warns_of_flags_a_range_excludes_and_a_missing_folder(self):
        paw = self.new()
        # All filters off: a row refresh sets every flag, WM 2002 included.
        wm5 = self.cabinet("wm5.cab", "--app-name", "W", "--os-min", "5.2", "--os-max", "7.99")
        self.project("add", paw, wm5)
        r = self.project("set", paw, "--os-filter", "2002,wm5")
        self.assertEqual(r.returncode, 0, r.stderr + r.stdout)
        self.assertEqual(self.project("flag", paw, "0", "2002", "yes").returncode, 0)
        r = self.project("check", paw)
        self.assertEqual(r.returncode, 0, r.stderr + r.stdout)
        self.assertIn("Warning: cabinet 0 (wm5.cab) is flagged for 2002, which its declared "
                      "versions 5.2 to 7.99 exclude", r.stdout)
        self.assertIn("Warning: the output folder " + self.path("out") + " does not exist",
                      r.stdout)

    def test_every_host_tool_tells_its_version(self):
        for tool in (ZEPHYRKIT, PROJECT, CAB, DEVICE):
            r = subprocess.run([tool, "--version"], capture_output=True, text=True)
            self.assertEqual(r.returncode, 0)
            name, version = r.stdout.split()
            self.assertEqual(name, os.path.basename(tool))
            self.assertRegex(version, r"^\d+\.\d+")


if __name__ == "__main__":
    unittest.main()
