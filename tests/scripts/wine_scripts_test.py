#!/usr/bin/python3
"""scripts/wine-run and scripts/wine-server against a stand-in Wine: a
folder of programs named wine, wineserver and date, first on the PATH,
that note every call in a log and play what the test asks of them.

    wine_scripts_test.py <scripts folder>
"""

import os
import subprocess
import sys
import tempfile
import unittest

SCRIPTS = None

# The stand-in for each program: it notes its name and arguments, one call
# a line, then does what the variables the test sets ask.
STAND_IN = """#!/bin/sh
printf '%s' "$(basename "$0")" >> "$STAND_IN_LOG"
printf ' [%s]' "$@" >> "$STAND_IN_LOG"
printf '\\n' >> "$STAND_IN_LOG"
[ -n "$PERSONALITY_LOG" ] && cat /proc/self/personality >> "$PERSONALITY_LOG"
case "$(basename "$0")" in
  wine)
    # As Wine does, it tells of its own workings unless asked not to.
    [ "$WINEDEBUG" = -all ] || echo "fixme:stand-in: a message of Wine's own" >&2
    [ -n "$WINE_SAYS" ] && printf '%s' "$WINE_SAYS"
    [ "$1" = cmd ] && exit "${WINE_CMD_STATUS:-7}"
    exit "${WINE_STATUS:-0}" ;;
  wineserver)
    [ "$1" = --persistent ] && exit "${WINESERVER_STATUS:-0}"
    exit 0 ;;
esac
exit 0
"""


class StandInWine(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        root = self.scratch.name
        self.bin = os.path.join(root, "bin")
        os.makedirs(self.bin)
        for name in ("wine", "wineserver", "date"):
            path = os.path.join(self.bin, name)
            with open(path, "w") as f:
                f.write(STAND_IN)
            os.chmod(path, 0o755)
        self.log = os.path.join(root, "calls.log")
        # A prefix that is there already: wine-prefix has nothing to make.
        self.prefix = os.path.join(root, "prefix")
        os.makedirs(self.prefix)

    def tearDown(self):
        self.scratch.cleanup()

    def run_script(self, name, *arguments, **variables):
        environment = dict(os.environ, PATH=self.bin + os.pathsep + os.environ["PATH"],
                           STAND_IN_LOG=self.log, WINEPREFIX=self.prefix)
        environment.setdefault("PERSONALITY_LOG", "")
        environment.update(variables)
        return subprocess.run([os.path.join(SCRIPTS, name), *arguments], env=environment,
                              capture_output=True, text=True)

    def calls(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log) as f:
            return f.read().splitlines()


class WineRun(StandInWine):
    def test_a_program_that_ends_with_1_at_once_is_started_once(self):
        ran = self.run_script("wine-run", "FINALE.EXE", "diff", "a b.json", "c.json",
                              WINE_STATUS="1", WINE_SAYS="differs\n")
        self.assertEqual(ran.returncode, 1)
        self.assertEqual(ran.stdout, "differs\n")
        self.assertEqual(self.calls(), ["wine [FINALE.EXE] [diff] [a b.json] [c.json]"])

    def test_gives_the_programs_status_whatever_it_is(self):
        for status in (0, 2, 3, 130):
            with self.subTest(status=status):
                open(self.log, "w").close()
                ran = self.run_script("wine-run", "P.EXE", WINE_STATUS=str(status))
                self.assertEqual(ran.returncode, status)
                self.assertEqual(self.calls(), ["wine [P.EXE]"])

    def test_runs_the_program_without_address_space_randomisation(self):
        personality = os.path.join(self.scratch.name, "personality")
        ran = self.run_script("wine-run", "P.EXE", PERSONALITY_LOG=personality)
        self.assertEqual(ran.returncode, 0, ran.stderr)
        with open(personality) as f:
            flags = int(f.read().strip(), 16)
        ADDR_NO_RANDOMIZE = 0x0040000
        self.assertTrue(flags & ADDR_NO_RANDOMIZE, "personality %#x" % flags)

    def test_runs_in_the_given_prefix_quietly(self):
        ran = self.run_script("wine-run", "P.EXE", WINE_SAYS="")
        self.assertEqual(ran.returncode, 0)
        self.assertEqual(ran.stderr, "")


class WineServer(StandInWine):
    def test_start_replaces_any_server_then_starts_one_that_stays_and_runs_a_program(self):
        ran = self.run_script("wine-server", "start")
        self.assertEqual(ran.returncode, 0, ran.stderr)
        self.assertEqual(self.calls(), [
            "wineserver [-k]", "wineserver [-w]", "wineserver [--persistent]",
            "wine [cmd] [/c] [exit] [7]"])

    def test_start_fails_when_no_server_starts(self):
        ran = self.run_script("wine-server", "start", WINESERVER_STATUS="1")
        self.assertEqual(ran.returncode, 1)
        self.assertIn("no Wine server could be started", ran.stderr)
        self.assertNotIn("wine [cmd] [/c] [exit] [7]", self.calls())

    def test_start_fails_and_ends_the_server_when_no_program_runs_under_it(self):
        ran = self.run_script("wine-server", "start", WINE_CMD_STATUS="1")
        self.assertEqual(ran.returncode, 1)
        self.assertIn("a program under it ended with status 1", ran.stderr)
        self.assertEqual(self.calls()[-2:], ["wineserver [-k]", "wineserver [-w]"])

    def test_stop_ends_the_server_and_waits_for_it(self):
        ran = self.run_script("wine-server", "stop")
        self.assertEqual(ran.returncode, 0)
        self.assertEqual(self.calls(), ["wineserver [-k]", "wineserver [-w]"])

    def test_anything_else_is_a_usage_error(self):
        ran = self.run_script("wine-server", "restart")
        self.assertEqual(ran.returncode, 2)
        self.assertEqual(self.calls(), [])


class NoClock(StandInWine):
    def test_neither_script_reads_the_clock(self):
        self.run_script("wine-run", "P.EXE", WINE_STATUS="1")
        self.run_script("wine-server", "start")
        self.run_script("wine-server", "stop")
        self.assertEqual([call for call in self.calls() if call.startswith("date")], [])


if __name__ == "__main__":
    SCRIPTS = sys.argv.pop(1)
    unittest.main(verbosity=2)
