"""The benchmark times the plug-in's code as the release compiles it, in any build.

Reads the build's link line for indent_benchmark (build.ninja) and the compile
command of each object on it (compile_commands.json), and fails for any object
of the plug-in's code or of the benchmark itself that is compiled without
optimisation, with its lines counted, or with assertions on: the figures would
then be of code no user runs.

usage: measures_the_released_code.py <build folder> <source folder>
"""

import json
import pathlib
import shlex
import sys

PLUGIN_FOLDERS = ("shell", "hostdata", "framework", "platform", "interface")


def linked_objects(build):
    for line in (build / "build.ninja").read_text().splitlines():
        if line.startswith("build tests/bench/indent_benchmark:"):
            words = line.split(":", 1)[1].split()
            return [w for w in words[1:] if w.endswith(".o")]
    sys.exit("measures_the_released_code: no link line for indent_benchmark in build.ninja")


def faults(arguments):
    """What is wrong with one object's compile command; empty when nothing is."""
    levels = [a for a in arguments if a.startswith("-O")]
    found = []
    if not levels or levels[-1] in ("-O0", "-O", "-O1", "-Og"):
        found.append("not optimised (" + (levels[-1] if levels else "no -O") + ")")
    if "--coverage" in arguments:
        found.append("lines counted (--coverage)")
    if "-DNDEBUG" not in arguments:
        found.append("assertions on (no -DNDEBUG)")
    return found


def main():
    build, source = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2]).resolve()
    commands = {}
    for entry in json.loads((build / "compile_commands.json").read_text()):
        arguments = shlex.split(entry["command"])
        commands[arguments[arguments.index("-o") + 1]] = (entry["file"], arguments)
    checked, failed = 0, 0
    for obj in linked_objects(build):
        if obj not in commands:
            continue
        file, arguments = commands[obj]
        relative = pathlib.Path(file).resolve().relative_to(source)
        if relative.parts[0] not in PLUGIN_FOLDERS and relative.parts[:2] != ("tests", "bench"):
            continue
        checked += 1
        for fault in faults(arguments):
            print(f"{relative}: {fault}")
            failed += 1
    if checked == 0:
        sys.exit("measures_the_released_code: no object of the plug-in's code on the link line")
    print(f"{checked} objects checked, {failed} faults")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
