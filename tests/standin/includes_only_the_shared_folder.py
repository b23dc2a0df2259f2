"""Holds the host program to the one plug-in folder it shares, interface/.

    includes_only_the_shared_folder.py SOURCE_ROOT

The host program (standin/) and its tests include nothing of the plug-in's
other folders, and the program's CMake files link none of the plug-in's targets,
but for the one dependency named for it: the reasons in run's table include
the plug-in's command table (standin/program/indent_reasons.h, through the
karvo_command_table target). The small test module plays a plug-in built
elsewhere and is no part of the host program.

interface/ itself leans on neither side: its files include only each other
and the C++ standard library, but for the host program's reader of
recordings. Prints each file and line that breaks a rule; exits 1 on any.
"""
import pathlib
import re
import sys

PLUGIN_FOLDERS = ("shell", "hostdata", "framework", "platform")
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')
PLUGIN_TARGET = re.compile(r"\bkarvo_(shell|hostdata|framework|platform|platform_files)\b")

COMMAND_TABLE = "shell/command_table.h"
COMMAND_TABLE_USER = "standin/program/indent_reasons.h"
NOT_THE_HOST_PROGRAM = {"tests/standin/validator/small_module.cpp"}
# The host program's part of the recording format, with the JSON library.
HOST_PROGRAM_IN_INTERFACE = {"interface/recording/recording_reader.h",
                             "interface/recording/recording_reader.cpp"}
STANDARD_HEADER = re.compile(r"^[a-z_]+(\.h)?$")


def host_program_files(root):
    for folder in ("standin", "tests/standin"):
        for path in sorted((root / folder).rglob("*")):
            name = path.relative_to(root).as_posix()
            if path.is_file() and name not in NOT_THE_HOST_PROGRAM:
                yield name, path


def faults_of_sources(name, text):
    for number, line in enumerate(text.splitlines(), 1):
        match = INCLUDE.match(line)
        if not match:
            continue
        included = match.group(1)
        if included.split("/")[0] not in PLUGIN_FOLDERS:
            continue
        if included == COMMAND_TABLE and name == COMMAND_TABLE_USER:
            continue
        yield "%s:%d: includes %s; the host program takes the plug-in's code only from interface/%s" % (
            name, number, included,
            "" if included != COMMAND_TABLE else
            ", and its commands only through " + COMMAND_TABLE_USER)


def faults_of_cmake(name, text):
    for number, line in enumerate(text.splitlines(), 1):
        code = line.split("#")[0]
        match = PLUGIN_TARGET.search(code)
        if match:
            yield "%s:%d: links %s; the host program links only karvo_interface and karvo_command_table" % (
                name, number, match.group(0))


def faults_of_interface(name, text):
    for number, line in enumerate(text.splitlines(), 1):
        match = INCLUDE.match(line)
        if not match:
            continue
        included = match.group(1)
        quoted = '"' in line.split("include", 1)[1].split(included)[0]
        if quoted and included.startswith("interface/"):
            continue
        if not quoted and STANDARD_HEADER.match(included):
            continue
        yield "%s:%d: includes %s; interface/ needs only itself and the C++ standard library" % (
            name, number, included)


def main():
    root = pathlib.Path(sys.argv[1])
    faults = []
    checked = 0
    for name, path in host_program_files(root):
        if path.suffix in (".h", ".cpp"):
            faults += faults_of_sources(name, path.read_text(encoding="utf-8"))
            checked += 1
        elif name.startswith("standin/") and (path.name == "CMakeLists.txt" or path.suffix == ".cmake"):
            faults += faults_of_cmake(name, path.read_text(encoding="utf-8"))
            checked += 1
    for path in sorted((root / "interface").rglob("*")):
        name = path.relative_to(root).as_posix()
        if path.suffix in (".h", ".cpp") and name not in HOST_PROGRAM_IN_INTERFACE:
            faults += faults_of_interface(name, path.read_text(encoding="utf-8"))
            checked += 1
    if checked == 0:
        print("no host program files under %s" % root)
        return 1
    for fault in faults:
        print(fault)
    print("%d files checked, %d breaking the rule" % (checked, len(faults)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
