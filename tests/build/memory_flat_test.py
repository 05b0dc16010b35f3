#!/usr/bin/env python3
"""Packing a 200 MiB cabinet with `zephyrkit -silent` keeps the resident
memory of the build below 32 MiB: nothing is held in memory whole.

usage: memory_flat_test.py ZEPHYRKIT ZEPHYRKIT_PROJECT"""
import json
import os
import resource
import subprocess
import sys
import tempfile
import unittest

ZEPHYRKIT, ZEPHYRKIT_PROJECT = sys.argv[1], sys.argv[2]


sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from package_layout import stand_in_program  # noqa: E402

LIMIT_KIB = 32 * 1024


class MemoryFlatTest(unittest.TestCase):
    def test_200_mib_cabinet(self):
        with tempfile.TemporaryDirectory() as work:
            program = os.path.join(work, "program")
            out = os.path.join(work, "out")
            os.mkdir(out)
            stand_in_program(program, [ZEPHYRKIT])
            cab = os.path.join(work, "big.cab")
            with open(cab, "wb") as f:
                chunk = os.urandom(1 << 20)
                for i in range(200):
                    # Half noise, half runs: deflate works on every block.
                    f.write(chunk[: 1 << 19] + bytes([i]) * (1 << 19))
            paw = os.path.join(work, "Big.paw")
            project = {"title": "Big", "company": "Test", "outputFolder": out,
                       "cabinets": [{"path": cab, "fileName": "big.cab", "forPocketPC": True}]}
            subprocess.run([ZEPHYRKIT_PROJECT, "import", paw], input=json.dumps(project),
                           text=True, check=True)
            # Eight deflate threads, the most the build takes: the most
            # pieces in flight at once.
            result = subprocess.run([os.path.join(program, "zephyrkit"), "-silent", paw],
                                    capture_output=True, text=True,
                                    env=dict(os.environ, ZEPHYRKIT_THREADS="8"))
            peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
            self.assertEqual(result.returncode, 1, result.stdout + result.stderr)
            self.assertLess(peak, LIMIT_KIB, f"peak resident {peak} KiB")
            print(f"peak resident memory: {peak} KiB")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
