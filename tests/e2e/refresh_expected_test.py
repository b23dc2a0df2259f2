#!/usr/bin/python3
"""scripts/refresh-expected on a scratch checkout with two build folders,
and the end-to-end driver that leaves the .actual files it takes.

    refresh_expected_test.py <scripts/refresh-expected> <run_host_program.cmake>
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SCRIPT = None
DRIVER = None


class Checkout:
    """A scratch checkout: the script, tests/e2e/expected/ with two outputs,
    an example, and build folders whose CTest lists e2e tests."""

    def __init__(self, root):
        self.root = root
        self.expected = os.path.join(root, "tests", "e2e", "expected")
        os.makedirs(self.expected)
        os.makedirs(os.path.join(root, "scripts"))
        os.makedirs(os.path.join(root, "examples"))
        self.script = os.path.join(root, "scripts", "refresh-expected")
        shutil.copy2(SCRIPT, self.script)
        for name in ("menu.txt", "run.txt"):
            self.write(os.path.join(self.expected, name), "old " + name + "\n")
        os.chmod(os.path.join(self.expected, "menu.txt"), 0o644)
        self.example = os.path.join(root, "examples", "work.json")
        self.write(self.example, "{}\n")
        # An input beside the expected outputs.
        self.document = os.path.join(root, "tests", "e2e", "work.json")
        self.write(self.document, "{}\n")

    @staticmethod
    def write(path, text):
        with open(path, "w") as f:
            f.write(text)

    @staticmethod
    def read(path):
        with open(path) as f:
            return f.read()

    def build(self, name, tests):
        """A build folder whose tests compare test -> expected file; returns
        where each test leaves its .actual."""
        folder = os.path.join(self.root, "build", name)
        os.makedirs(folder)
        actuals = {}
        lines = []
        for test, expected in tests.items():
            actuals[test] = os.path.join(folder, test + ".actual")
            lines.append('add_test(e2e.%s "cmake" "-DEXPECT_OUTPUT=%s" "-DACTUAL_OUTPUT=%s" "-P" "x")'
                         % (test, expected, actuals[test]))
        self.write(os.path.join(folder, "CTestTestfile.cmake"), "\n".join(lines) + "\n")
        return actuals

    def refresh(self, *arguments):
        return subprocess.run([self.script, *arguments], capture_output=True, text=True)


class RefreshExpected(unittest.TestCase):
    def setUp(self):
        scratch = tempfile.TemporaryDirectory()
        self.addCleanup(scratch.cleanup)
        self.checkout = Checkout(scratch.name)
        self.menu = os.path.join(self.checkout.expected, "menu.txt")
        self.run_txt = os.path.join(self.checkout.expected, "run.txt")

    def expected_files(self):
        return sorted(os.listdir(self.checkout.expected))

    def test_copies_what_differs_lists_it_and_leaves_the_rest(self):
        native = self.checkout.build("native", {"menu": self.menu, "run": self.run_txt})
        self.checkout.write(native["menu"], "new menu\n")
        done = self.checkout.refresh()
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertIn("menu.actual -> tests/e2e/expected/menu.txt", done.stdout)
        self.assertNotIn("run", done.stdout)
        self.assertEqual(self.checkout.read(self.menu), "new menu\n")
        self.assertEqual(self.checkout.read(self.run_txt), "old run.txt\n")
        self.assertEqual(os.stat(self.menu).st_mode & 0o777, 0o644)
        self.assertEqual(self.expected_files(), ["menu.txt", "run.txt"])
        self.assertFalse(os.path.exists(native["menu"]), "a copied .actual stays behind")
        self.assertNotEqual(self.checkout.refresh().returncode, 0,
                            "a second refresh found something to copy")

    def test_a_dry_run_copies_nothing(self):
        native = self.checkout.build("native", {"menu": self.menu})
        self.checkout.write(native["menu"], "new menu\n")
        done = self.checkout.refresh("--dry-run")
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertIn("menu.txt", done.stdout)
        self.assertEqual(self.checkout.read(self.menu), "old menu.txt\n")
        self.assertTrue(os.path.exists(native["menu"]))

    def test_refuses_when_no_run_left_an_output(self):
        self.checkout.build("native", {"menu": self.menu})
        done = self.checkout.refresh()
        self.assertEqual(done.returncode, 1)
        self.assertIn("no .actual file of an expected output", done.stderr)
        self.assertEqual(self.checkout.read(self.menu), "old menu.txt\n")

    def test_never_writes_a_file_that_is_not_an_expected_output(self):
        past = os.path.join(self.checkout.expected, "..", "..", "..", "examples", "work.json")
        native = self.checkout.build("native", {
            "example": self.checkout.example, "past": past, "beside": self.checkout.document,
            "new": os.path.join(self.checkout.expected, "new.txt")})
        for actual in native.values():
            self.checkout.write(actual, "overwritten\n")
        done = self.checkout.refresh()
        self.assertEqual(done.returncode, 1)
        self.assertEqual(done.stdout.count("left alone"), 4, done.stdout)
        self.assertEqual(self.checkout.read(self.checkout.example), "{}\n")
        self.assertEqual(self.checkout.read(self.checkout.document), "{}\n")
        self.assertEqual(self.expected_files(), ["menu.txt", "run.txt"])

    def test_builds_that_agree_give_one_copy_and_builds_that_disagree_none(self):
        native = self.checkout.build("native", {"menu": self.menu, "run": self.run_txt})
        windows = self.checkout.build("windows", {"menu": self.menu, "run": self.run_txt})
        for build in (native, windows):
            self.checkout.write(build["menu"], "new menu\n")
        self.checkout.write(native["run"], "new run, native\n")
        self.checkout.write(windows["run"], "new run, windows\n")
        done = self.checkout.refresh()
        self.assertEqual(done.returncode, 1)
        self.assertIn("disagree", done.stderr)
        self.assertEqual(self.checkout.read(self.menu), "old menu.txt\n")

        os.remove(windows["run"])
        done = self.checkout.refresh()
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertEqual(self.checkout.read(self.menu), "new menu\n")
        self.assertEqual(self.checkout.read(self.run_txt), "new run, native\n")
        self.assertFalse(os.path.exists(windows["menu"]) or os.path.exists(native["menu"]))


class DriverLeavesTheActualOutput(unittest.TestCase):
    def run_driver(self, expected, actual):
        return subprocess.run(
            ["cmake", "-DPROGRAM=echo", "-DARGS=printed", "-DEXPECT_STATUS=0",
             "-DEXPECT_OUTPUT=" + expected, "-DACTUAL_OUTPUT=" + actual, "-P", DRIVER],
            capture_output=True, text=True)

    def test_writes_an_output_that_differs_and_removes_one_that_agrees(self):
        with tempfile.TemporaryDirectory() as scratch:
            expected = os.path.join(scratch, "expected.txt")
            actual = os.path.join(scratch, "test.actual")
            Checkout.write(expected, "something else\n")
            self.assertNotEqual(self.run_driver(expected, actual).returncode, 0)
            self.assertEqual(Checkout.read(actual), "printed\n")

            Checkout.write(expected, "printed\n")
            done = self.run_driver(expected, actual)
            self.assertEqual(done.returncode, 0, done.stderr)
            self.assertFalse(os.path.exists(actual), "an old .actual outlived a passing run")


if __name__ == "__main__":
    SCRIPT, DRIVER = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1])
