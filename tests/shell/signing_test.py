"""`zephyrkit-project build --sign`: installers signed by osslsigncode as the
build runs, with a throwaway certificate that openssl makes here (none is
committed).

Signed builds: `osslsigncode verify` passes on the mobile installer, the
desktop installer and autorun.exe, each naming the title, the address and
the build's time; the desktop installer carries the signed mobile installer
byte for byte; two builds under one SOURCE_DATE_EPOCH are identical;
`publish --sign` puts build's signed installers on the site.
Failures: each case of one table gives its exit code and a message naming
the file, and leaves the earlier installers as they were, with no
temporary behind.

Usage: signing_test.py ZEPHYRKIT_PROJECT MAKE_CE_CAB
Skipped, saying so, when osslsigncode or openssl is not installed
(scripts/setup-host.sh installs both).
"""
import calendar
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import package_layout  # noqa: E402

PROJECT, MAKE_CE_CAB = sys.argv[1:3]
del sys.argv[1:3]
PASSWORD = "s3cret pass"
URL = "https://morvane.example/demo"
OUTPUTS = ("Demo.[MOBILE].exe", "Demo.[DESKTOP].exe", "autorun.exe")


def folder_bytes(folder):
    """Every file of `folder` (not below) with its bytes; {} when it is not there."""
    if not os.path.isdir(folder):
        return {}
    found = {}
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if os.path.isfile(path):
            with open(path, "rb") as f:
                found[name] = f.read()
    return found


def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, capture_output=True)


def signing_time(seconds):
    """The signing time as osslsigncode verify prints it (OpenSSL's ASN1 time)."""
    t = time.gmtime(seconds)
    return "%s %2d %02d:%02d:%02d %d GMT" % (calendar.month_abbr[t.tm_mon], t.tm_mday, t.tm_hour,
                                           t.tm_min, t.tm_sec, t.tm_year)


class SigningTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="zk-signing-")
        shop = package_layout.Workshop(
            cls.tmp, MAKE_CE_CAB, [PROJECT], {},
            mobile_stub=package_layout.pe_image(package_layout.stub_length()),
            desktop_stub=package_layout.pe_image(8192))
        cls.shop = shop
        # A self-signed code-signing certificate, its key in PKCS#12 files
        # with and without a password.
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "key.pem",
                "-out", "cert.pem", "-days", "2", "-subj", "/CN=Zephyrkit Test Publisher",
                "-addext", "extendedKeyUsage=codeSigning", cwd=cls.tmp)
        openssl("pkcs12", "-export", "-inkey", "key.pem", "-in", "cert.pem", "-out", "signer.pfx",
                "-passout", "pass:" + PASSWORD, cwd=cls.tmp)
        openssl("pkcs12", "-export", "-inkey", "key.pem", "-in", "cert.pem", "-out", "open.pfx",
                "-passout", "pass:", cwd=cls.tmp)
        for name, text in (("password.txt", PASSWORD + "\n"), ("wrong.txt", "not it\n")):
            with open(shop.path(name), "w") as f:
                f.write(text)
        # Within the certificate's days (it is made first), and not later than
        # the builds: the files a build writes then take this time too.
        cls.epoch = str(int(time.time()))

        cabinet = shop.cabinet("viewer.cab", "Viewer")
        cls.paw = shop.path("Demo.paw")
        for args in (["new", cls.paw, "--title", "Demo", "--company", "Morvane",
                      "--output", shop.path("out"), "--date-folder", "no", "--title-folder", "no",
                      "--removable-card", "yes"],
                     ["add", cls.paw, cabinet]):
            made = cls.project(*args)
            assert made.returncode == 0, made.stderr

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, True)

    @classmethod
    def project(cls, *args, env=None, program=None):
        tool = os.path.join(program or cls.shop.program, "zephyrkit-project")
        return subprocess.run([tool, *args], capture_output=True, text=True, cwd=cls.tmp,
                              env=dict(os.environ, **(env or {})))

    def build(self, output, *options, env=None, program=None):
        return self.project("build", self.paw, "-q", "--output", output, *options,
                            env={"SOURCE_DATE_EPOCH": self.epoch, **(env or {})},
                            program=program)

    def signed(self, output, certificate="signer.pfx", password="password.txt"):
        options = ["--sign", self.shop.path(certificate), "--sign-url", URL]
        if password:
            options += ["--sign-password-file", self.shop.path(password)]
        return self.build(output, *options)

    def verify(self, path):
        return subprocess.run(["osslsigncode", "verify", "-CAfile", self.shop.path("cert.pem"),
                               "-in", path], capture_output=True, text=True)

    def test_signed_installers_verify_and_the_desktop_installer_carries_the_signed_one(self):
        for certificate, password in (("signer.pfx", "password.txt"), ("open.pfx", None)):
            with self.subTest(certificate=certificate):
                out = self.shop.path("signed-" + certificate)
                made = self.signed(out, certificate, password)
                self.assertEqual(made.returncode, 0, made.stderr)
                self.assertEqual(made.stderr, "")
                files = folder_bytes(out)
                self.assertEqual(sorted(files), sorted(OUTPUTS + ("Demo.paw",)),
                                 "no temporary or unsigned copy is left")
                for name in OUTPUTS:
                    verified = self.verify(os.path.join(out, name))
                    self.assertEqual(verified.returncode, 0, name + verified.stdout + verified.stderr)
                    for shown in ("Text description: Demo", "URL description: " + URL,
                                  "Signing time: " + signing_time(int(self.epoch)),
                                  "Signature verification: ok"):
                        self.assertIn(shown, verified.stdout, name)
                # The copy ActiveSync brings to the device is the signed one.
                mobile, desktop = files[OUTPUTS[0]], files[OUTPUTS[1]]
                carried = package_layout.sections_of(desktop, 8192)[0][1]
                self.assertEqual(carried, mobile)
                self.assertEqual(files["autorun.exe"], mobile, "the card copy is signed alike")

    def test_publish_signs_as_build_does_and_sums_the_signed_installers(self):
        site = self.shop.path("site")
        made = self.project("publish", self.paw, "-q", "--to", site, "--sign",
                            self.shop.path("signer.pfx"), "--sign-password-file",
                            self.shop.path("password.txt"), "--sign-url", URL,
                            env={"SOURCE_DATE_EPOCH": self.epoch})
        self.assertEqual(made.returncode, 0, made.stderr)
        out = self.shop.path("same-as-site")
        self.assertEqual(self.signed(out).returncode, 0)
        built = folder_bytes(out)
        for published, name in (("demo-mobile.exe", OUTPUTS[0]), ("demo-desktop.exe", OUTPUTS[1]),
                                ("autorun.exe", OUTPUTS[2])):
            self.assertEqual(self.verify(os.path.join(site, published)).returncode, 0, published)
            with open(os.path.join(site, published), "rb") as f:
                self.assertEqual(f.read(), built[name], published + " is build's signed " + name)
        sums = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=site, capture_output=True)
        self.assertEqual(sums.returncode, 0, sums.stdout)

    def test_two_signed_builds_under_one_source_date_are_identical(self):
        first, second = self.shop.path("same-1"), self.shop.path("same-2")
        for out in (first, second):
            made = self.signed(out)
            self.assertEqual(made.returncode, 0, made.stderr)
            time.sleep(2.1)  # the second build in another second, past a zip time's 2 s
        self.assertEqual(folder_bytes(first), folder_bytes(second))
        # The signing time is the source date's, not the clock's.
        later = self.build(self.shop.path("same-3"), "--sign", self.shop.path("signer.pfx"),
                           "--sign-url", URL, "--sign-password-file", self.shop.path("password.txt"),
                           env={"SOURCE_DATE_EPOCH": str(int(self.epoch) + 1)})
        self.assertEqual(later.returncode, 0, later.stderr)
        self.assertNotEqual(folder_bytes(self.shop.path("same-3"))[OUTPUTS[0]],
                            folder_bytes(first)[OUTPUTS[0]])

    def test_each_signing_failure_names_the_file_and_leaves_the_earlier_installers(self):
        no_tools = os.path.join(self.tmp, "empty-path")
        os.makedirs(no_tools, exist_ok=True)
        unsigned_program = package_layout.stand_in_program(os.path.join(self.tmp, "plain"),
                                                           [PROJECT])
        pfx, password = self.shop.path("signer.pfx"), self.shop.path("password.txt")
        # (what, options, environment, program folder, exit code, message)
        cases = [
            ("a wrong password", ["--sign", pfx, "--sign-password-file", self.shop.path("wrong.txt")],
             None, None, 3,
             "%s: does not open with the password in %s (osslsigncode: " % (pfx, self.shop.path("wrong.txt"))),
            ("no password for a certificate that has one", ["--sign", pfx], None, None, 3,
             "%s: does not open without a password" % pfx),
            ("a certificate that is not there",
             ["--sign", self.shop.path("none.pfx"), "--sign-password-file", password], None, None, 3,
             "%s: cannot read: No such file or directory" % self.shop.path("none.pfx")),
            ("a certificate that is a folder", ["--sign", self.tmp], None, None, 3,
             "%s: cannot read: it is a folder" % self.tmp),
            ("a password file that is not there",
             ["--sign", pfx, "--sign-password-file", self.shop.path("none.txt")], None, None, 3,
             "%s: cannot read: No such file or directory" % self.shop.path("none.txt")),
            ("a PEM certificate, not PKCS#12", ["--sign", self.shop.path("cert.pem")], None, None, 3,
             "%s: is no PKCS#12 file holding a certificate and its key" % self.shop.path("cert.pem")),
            ("no osslsigncode", ["--sign", pfx, "--sign-password-file", password],
             {"PATH": no_tools}, None, 3,
             "zephyrkit-project: osslsigncode: cannot be started: No such file or directory"),
            ("a stub that is no program", ["--sign", pfx, "--sign-password-file", password],
             None, unsigned_program, 4, "Demo.[MOBILE].exe: cannot sign: osslsigncode: "),
            ("--sign-url without --sign", ["--sign-url", URL], None, None, 2, "--sign-url needs --sign"),
        ]
        for what, options, env, program, code, message in cases:
            with self.subTest(what):
                out = self.shop.path("earlier")
                shutil.rmtree(out, True)
                made = self.build(out, program=program)
                self.assertEqual(made.returncode, 0, made.stderr)
                earlier = folder_bytes(out)
                failed = self.build(out, *options, env=env, program=program)
                self.assertEqual(failed.returncode, code, failed.stderr)
                self.assertIn(message, failed.stderr)
                self.assertEqual(failed.stderr.count("\n"), 1 if code != 2 else 2, failed.stderr)
                self.assertEqual(folder_bytes(out), earlier,
                                 "the earlier installers are left as they were, nothing beside them")


def main():
    missing = [tool for tool in ("osslsigncode", "openssl") if not shutil.which(tool)]
    if missing:
        print("signing test skipped: %s not installed (scripts/setup-host.sh installs it)"
              % " and ".join(missing))
        return 0
    return 0 if unittest.main(exit=False).result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
