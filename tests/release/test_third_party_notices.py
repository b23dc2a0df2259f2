#!/usr/bin/python3
"""The third-party notices: made from what a link map says was linked, and
refused when the link took in code the notices do not cover.

    test_third_party_notices.py <packaging folder> [<module's map> <package>]

With the module's map and the release package, also checks that the
package holds the notices of that link.
"""

import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

PACKAGING = None
RELEASE = None

TABLE = """\
# comment
shell/*                     own     the plug-in
libstdc++.a(cp-demangle.o)  -       the demangler: not covered yet
libstdc++.a(*)              gcc     libstdc++
libgcc.a(*)                 gcc     libgcc
dllcrt2.o                   mingw   DLL start-up
"""


def map_of(*inputs, discarded=(), debug=()):
    """A linker map in GNU ld's layout, with the given (section, size, file)
    inputs in .text, others discarded or in debug information only."""
    lines = ["Archive member included to satisfy reference by file (symbol)", "",
             "Discarded input sections", ""]
    lines += [" .text          0x0000000000000000       0x%x %s" % (size, path)
              for size, path in discarded]
    lines += ["", "Linker script and memory map", "",
              "LOAD /usr/lib/gcc/x86_64-w64-mingw32/12-win32/crtbegin.o",
              ".text           0x000000032eda1000    0x14000",
              " *(.text)"]
    for size, path in inputs:
        lines.append(" .text          0x000000032eda1000       0x%x %s" % (size, path))
        lines.append("                0x000000032eda1010                some_symbol")
    lines.append(" *fill*         0x000000032eda2000        0xc ")
    lines.append(" .text$_ZN5shell13IndentSystemsERK13FCMusicRegioni")
    lines.append("                0x000000032eda2010       0x40 shell/CMakeFiles/x.dir/long.cpp.obj")
    lines.append(" .idata$7       0x000000032edc8000        0x4 dll stuff")
    lines += ["", ".debug_info     0x000000032edd0000     0x5000"]
    lines += [" .debug_info    0x0000000000000000     0x%x %s" % (size, path) for size, path in debug]
    lines += ["", "/DISCARD/", " *(.note.GNU-stack)"]
    return "\n".join(lines) + "\n"


LIB = "/usr/lib/gcc/x86_64-w64-mingw32/12-win32/"


class NoticesFromMaps(unittest.TestCase):
    def run_notices(self, link_map):
        with tempfile.TemporaryDirectory() as work:
            def write(name, text):
                with open(os.path.join(work, name), "w") as f:
                    f.write(text)
            write("link.map", link_map)
            write("table.txt", TABLE)
            write("gcc.txt", "The GCC runtime\n\nGPL with the exception.\n")
            write("mingw.txt", "mingw-w64\n\nZPL.\n")
            output = os.path.join(work, "NOTICES.txt")
            done = subprocess.run(
                [sys.executable, os.path.join(PACKAGING, "third_party_notices.py"),
                 os.path.join(work, "link.map"), os.path.join(work, "table.txt"), work, output],
                capture_output=True, text=True)
            text = None
            if os.path.exists(output):
                with open(output) as f:
                    text = f.read()
            return done.returncode, done.stderr, text

    def test_each_linked_project_gets_its_notice_listing_what_was_linked(self):
        status, error, text = self.run_notices(map_of(
            (0x40, LIB + "../../../../x86_64-w64-mingw32/lib/dllcrt2.o"),
            (0x20, LIB + "libgcc.a(_chkstk_ms.o)"),
            (0x100, LIB + "libstdc++.a(eh_throw.o)"),
            (0x80, LIB + "libstdc++.a(new_op.o)"),
            (0x300, "shell/CMakeFiles/karvo_shell.dir/exports.cpp.obj")))
        self.assertEqual(status, 0, error)
        gcc = text.index("The GCC runtime")
        mingw = text.index("mingw-w64")
        # In the table's order, whatever order the link took them in.
        self.assertLess(gcc, mingw)
        self.assertIn("Linked in:\n  - libstdc++\n  - libgcc\n\nGPL with the exception.", text)
        self.assertIn("Linked in:\n  - DLL start-up\n\nZPL.", text)
        self.assertNotIn("the plug-in", text)

    def test_a_project_the_link_did_not_take_gets_no_notice(self):
        status, error, text = self.run_notices(map_of(
            (0x100, LIB + "libstdc++.a(eh_throw.o)")))
        self.assertEqual(status, 0, error)
        self.assertIn("The GCC runtime", text)
        self.assertNotIn("mingw-w64", text)
        self.assertNotIn("libgcc", text)

    def test_code_no_line_covers_stops_the_build_and_writes_nothing(self):
        status, error, text = self.run_notices(map_of(
            (0x100, LIB + "libstdc++.a(eh_throw.o)"),
            (0x200, "/usr/x86_64-w64-mingw32/lib/libpthread.a(libwinpthread_la-thread.o)"),
            (0x10, "standin/CMakeFiles/other.dir/host.cpp.obj")))
        self.assertEqual(status, 1)
        self.assertIn("libpthread.a(libwinpthread_la-thread.o): not in the linked-code table", error)
        self.assertIn("standin/CMakeFiles/other.dir/host.cpp.obj: not in the linked-code table", error)
        self.assertIsNone(text)

    def test_code_under_a_licence_not_carried_stops_the_build_though_its_archive_is_covered(self):
        status, error, text = self.run_notices(map_of(
            (0x100, LIB + "libstdc++.a(cp-demangle.o)")))
        self.assertEqual(status, 1)
        self.assertIn("libstdc++.a(cp-demangle.o): the demangler: not covered yet", error)
        self.assertIsNone(text)

    def test_only_code_in_the_loaded_module_counts(self):
        # Discarded by --gc-sections, empty, or debug information only,
        # which the release strips: none of it ships.
        status, error, text = self.run_notices(map_of(
            (0x100, LIB + "libstdc++.a(eh_throw.o)"),
            (0x0, "/usr/x86_64-w64-mingw32/lib/libpthread.a(libwinpthread_la-mutex.o)"),
            discarded=[(0x40, "/usr/x86_64-w64-mingw32/lib/libpthread.a(libwinpthread_la-cond.o)")],
            debug=[(0x900, "/usr/x86_64-w64-mingw32/lib/libpthread.a(libwinpthread_la-misc.o)")]))
        self.assertEqual(status, 0, error)
        self.assertIn("libstdc++", text)

    def test_a_map_without_a_memory_map_is_refused(self):
        status, error, text = self.run_notices("Archive member included\n")
        self.assertEqual(status, 1)
        self.assertIn("no memory map", error)
        self.assertIsNone(text)


class TheReleasesNotices(unittest.TestCase):
    def test_the_package_holds_the_notices_of_the_modules_link(self):
        if RELEASE is None:
            self.skipTest("no release given")
        link_map, package = RELEASE
        with tempfile.TemporaryDirectory() as work:
            expected = os.path.join(work, "NOTICES.txt")
            subprocess.run([sys.executable, os.path.join(PACKAGING, "third_party_notices.py"),
                            link_map, os.path.join(PACKAGING, "notices", "linked-code.txt"),
                            os.path.join(PACKAGING, "notices"), expected], check=True)
            with open(expected, "rb") as f:
                expected = f.read().replace(b"\n", b"\r\n")
        with zipfile.ZipFile(package) as packed:
            self.assertEqual(packed.read("THIRD-PARTY-NOTICES.txt"), expected)


if __name__ == "__main__":
    PACKAGING = sys.argv[1]
    if len(sys.argv) == 4:
        RELEASE = sys.argv[2:]
    unittest.main(argv=sys.argv[:1], verbosity=2)
