"""zephyrkit-project serve on the loopback address, through curl and plain
sockets: the page and each installer come back whole with their types, a
range is answered 206 with its bytes and a cut download resumes, a download
the client drops is logged as cut, no request reaches a file outside the
folder, and Ctrl+C stops the server.

Usage: serve_test.py ZEPHYRKIT_PROJECT MAKE_CE_CAB
"""
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from package_layout import Workshop  # noqa: E402

PROJECT, MAKE_CE_CAB = sys.argv[1:3]
del sys.argv[1:3]

SECRET = b"outside the served folder\n"
BIG = 16 << 20  # more than the sockets between client and server hold


class ServeTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory(prefix="zk-serve-")
        shop = Workshop(cls.tmp.name, MAKE_CE_CAB, [PROJECT], {})
        tool = os.path.join(shop.program, "zephyrkit-project")
        paw, cls.site = shop.path("Demo.paw"), shop.path("site")
        for command in (["new", paw, "--title", "Demo", "--company", "Morvane"],
                        ["add", paw, shop.cabinet("a.cab", "Viewer")],
                        ["publish", paw, "--to", cls.site, "-q"]):
            subprocess.run([tool, *command], check=True, capture_output=True, cwd=cls.tmp.name)
        with open(shop.path("secret.txt"), "wb") as f:
            f.write(SECRET)
        with open(os.path.join(cls.site, "big.bin"), "wb") as f:
            f.write(os.urandom(BIG))
        os.symlink(shop.path("secret.txt"), os.path.join(cls.site, "out-link.txt"))
        os.symlink("../secret.txt", os.path.join(cls.site, "up-link.txt"))
        os.symlink(cls.tmp.name, os.path.join(cls.site, "out-folder"))
        os.mkdir(os.path.join(cls.site, "sub"))

        cls.server = subprocess.Popen([tool, "serve", cls.site, "--port", "0", "--bind", "127.0.0.1",
                                       "--seconds", "90"], stdout=subprocess.PIPE, text=True,
                                      cwd=cls.tmp.name)
        cls.lines, cls.arrived = [], threading.Condition()
        threading.Thread(target=cls.read_log, daemon=True).start()
        address = cls.wait_for(r"On the device, type: (http://127\.0\.0\.1:(\d+)/)$")
        cls.url, cls.port = address.group(1), int(address.group(2))

    @classmethod
    def read_log(cls):
        for line in cls.server.stdout:
            with cls.arrived:
                cls.lines.append(line.rstrip("\n"))
                cls.arrived.notify_all()

    @classmethod
    def wait_for(cls, pattern, seconds=20):
        deadline = time.monotonic() + seconds
        with cls.arrived:
            while True:
                for line in cls.lines:
                    found = re.search(pattern, line)
                    if found:
                        return found
                left = deadline - time.monotonic()
                if left <= 0 or cls.server.poll() is not None:
                    raise AssertionError(f"no line {pattern!r} in {cls.lines}")
                cls.arrived.wait(left)

    @classmethod
    def tearDownClass(cls):
        if cls.server.poll() is None:
            cls.server.kill()
        cls.server.wait()
        cls.tmp.cleanup()

    def curl(self, path, *options):
        r = subprocess.run(["curl", "-s", "--path-as-is", "-D", "-", "-o", "-", *options, self.url + path],
                           capture_output=True, timeout=60)
        head, _, body = r.stdout.partition(b"\r\n\r\n")
        lines = head.decode("latin-1").split("\r\n")
        headers = dict(line.lower().split(": ", 1) for line in lines[1:] if ": " in line)
        return int(lines[0].split()[1]), headers, body

    def raw(self, target):
        """The status of a request for `target` sent as it is, with no client
        tidying it first."""
        with socket.create_connection(("127.0.0.1", self.port), timeout=10) as s:
            s.sendall(b"GET " + target.encode("latin-1") + b" HTTP/1.1\r\nHost: x\r\n"
                      b"Connection: close\r\n\r\n")
            answer = b""
            while chunk := s.recv(65536):
                answer += chunk
        return int(answer.split(b" ", 2)[1]), answer

    def test_a_published_site_downloads_whole(self):
        listed = sorted(os.listdir(self.site))
        for name in ("", "index.html", "SHA256SUMS", "demo-mobile.exe", "demo-desktop.exe"):
            with self.subTest(name=name):
                status, headers, body = self.curl(name)
                self.assertEqual(status, 200)
                with open(os.path.join(self.site, name or "index.html"), "rb") as f:
                    self.assertEqual(body, f.read())
                self.assertEqual(int(headers["content-length"]), len(body))
                exe = name.endswith(".exe")
                self.assertEqual(headers["content-type"], "application/octet-stream" if exe
                                 else "text/plain; charset=utf-8" if name == "SHA256SUMS"
                                 else "text/html; charset=utf-8")
                self.assertEqual(headers.get("content-disposition"), "attachment" if exe else None)
                if name:
                    self.wait_for(rf"^\d\d:\d\d:\d\d 127\.0\.0\.1 {re.escape(name)}: "
                                  rf"{len(body)} of {len(body)} bytes, complete$")
        self.assertEqual(sorted(os.listdir(self.site)), listed)

    def test_a_range_is_answered_206_and_a_cut_download_resumes(self):
        with open(os.path.join(self.site, "demo-mobile.exe"), "rb") as f:
            whole = f.read()
        status, headers, body = self.curl("demo-mobile.exe", "-r", "100-199")
        self.assertEqual((status, body), (206, whole[100:200]))
        self.assertEqual(headers["content-range"], f"bytes 100-199/{len(whole)}")
        self.wait_for(rf"demo-mobile\.exe \(bytes 100-199 of {len(whole)}\): 100 of 100 bytes, complete")
        # Past the end: cut to the file, or nothing to send at all.
        status, headers, body = self.curl("demo-mobile.exe", "-r", f"{len(whole) - 10}-{len(whole) + 50}")
        self.assertEqual((status, body), (206, whole[-10:]))
        self.assertEqual(self.curl("demo-mobile.exe", "-r", f"{len(whole)}-")[0], 416)

        part = os.path.join(self.tmp.name, "resumed.exe")
        with open(part, "wb") as f:
            f.write(whole[:len(whole) // 3])
        r = subprocess.run(["curl", "-s", "-C", "-", "-o", part, self.url + "demo-mobile.exe"], timeout=60)
        self.assertEqual(r.returncode, 0)
        with open(part, "rb") as f:
            self.assertEqual(f.read(), whole)

    def test_a_download_the_client_drops_is_logged_as_cut(self):
        s = socket.socket()
        s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        s.connect(("127.0.0.1", self.port))
        s.sendall(b"GET /big.bin HTTP/1.1\r\nHost: x\r\n\r\n")
        got = 0
        while got < 100000:
            got += len(s.recv(65536))
        s.close()
        found = self.wait_for(rf"127\.0\.0\.1 big\.bin: (\d+) of {BIG} bytes, cut$", 40)
        self.assertLess(int(found.group(1)), BIG)

    def test_nothing_outside_the_folder_is_reached(self):
        secret = os.path.join(self.tmp.name, "secret.txt")
        for target in ("/../secret.txt", "/%2e%2e/secret.txt", "/%2E%2E%2Fsecret.txt",
                       "/..%2fsecret.txt", "/..%5csecret.txt", "/sub/../../secret.txt",
                       "/sub/%2e%2e/%2e%2e/secret.txt", "//etc/passwd", "/etc/passwd", secret,
                       "/" + secret, "../secret.txt", "secret.txt", "*",
                       "http://127.0.0.1/../secret.txt", "/out-link.txt", "/up-link.txt",
                       "/out-folder/secret.txt", "/out-folder/", "/sub/", "/sub", "/.htaccess",
                       "/.zephyrkit-publish.lock", "/index.html%00.exe", "/index.html/", "/nothing"):
            with self.subTest(target=target):
                status, answer = self.raw(target)
                self.assertEqual(status, 404, answer[:200])
                self.assertNotIn(SECRET.strip(), answer)
        self.wait_for(r"127\.0\.0\.1 /out-link\.txt: not found$")

    def test_zz_ctrl_c_stops_the_server(self):
        # Last (by name): the other cases need the server.
        self.server.send_signal(signal.SIGINT)
        self.assertEqual(self.server.wait(timeout=20), 0)
        self.wait_for(r"^Stopped\.$")


if __name__ == "__main__":
    unittest.main()
