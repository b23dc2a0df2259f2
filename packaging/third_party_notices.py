#!/usr/bin/python3
"""Writes the package's third-party notices from what the link took in.

    third_party_notices.py <linker map> <linked-code table> <notices folder> <output>

The linker's map names every input file that put bytes into the module. Each
of them must match a line of the linked-code table, which says whose code it
is; the notices file then carries, for every project whose code is in the
module, what of it was linked and that project's notice (from the notices
folder). An input no line covers, or one the table marks as under a licence
the notices do not carry, stops the build: a new dependency cannot ship
without its notice. The output is written whole or not at all.
"""

import fnmatch
import os
import re
import sys
import tempfile

# The plug-in's own code, under the licence in LICENSE.txt: no notice of its own.
OWN = "own"
# A table line whose project is "-" names code that must not ship as it is.
NOT_COVERED = "-"

# An input section in the map: its name (or nothing, when a long name stands
# on the line before), address, size and the input file it came from.
INPUT_SECTION = re.compile(r"^ (\S+)?\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S+)$")
# An output section starts in the first column.
OUTPUT_SECTION = re.compile(r"^(\.\S+|/DISCARD/)")


class TableError(Exception):
    pass


def input_name(path):
    """An input as the table names it: archive(member) or an object's file
    name for the toolchain's files, a path relative to the build folder for
    the plug-in's own objects."""
    if path.endswith(")") and "(" in path:
        archive, member = path[:-1].split("(", 1)
        return "%s(%s)" % (os.path.basename(archive), member)
    if os.path.isabs(path):
        return os.path.basename(path)
    return os.path.normpath(path)


def linked_inputs(map_lines):
    """The inputs that put bytes into sections the module loads (debug
    information, which the release strips, and discarded sections do not
    count), in the order the map first names them."""
    inputs = {}
    in_memory_map = False
    output_section = None
    for line in map_lines:
        line = line.rstrip("\r\n")
        if line.startswith("Linker script and memory map"):
            in_memory_map = True
            continue
        if not in_memory_map:
            continue
        output = OUTPUT_SECTION.match(line)
        if output:
            output_section = output.group(1)
        match = INPUT_SECTION.match(line)
        if not match or match.group(1) == "*fill*" or output_section is None:
            continue
        if output_section == "/DISCARD/" or output_section.startswith(
                (".debug", ".zdebug", ".gnu_debuglink")):
            continue
        if int(match.group(2), 16) > 0:
            inputs.setdefault(input_name(match.group(3)), None)
    if not in_memory_map:
        raise TableError("the linker map has no memory map")
    return list(inputs)


def read_table(lines):
    """(pattern, project, what it is) for each line; '#' starts a comment."""
    table = []
    for number, line in enumerate(lines, 1):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        fields = line.split(None, 2)
        if len(fields) < 3:
            raise TableError("line %d: expected a pattern, a project and what it is" % number)
        table.append(tuple(fields))
    return table


def covering_line(table, name):
    for line in table:
        if fnmatch.fnmatchcase(name, line[0]):
            return line
    return None


def notices(inputs, table, read_notice):
    """The notices text, or a TableError naming every input not covered."""
    used = set()
    uncovered = []
    for name in inputs:
        line = covering_line(table, name)
        if line is None:
            uncovered.append("%s: not in the linked-code table" % name)
        elif line[1] == NOT_COVERED:
            uncovered.append("%s: %s" % (name, line[2]))
        else:
            used.add(line)
    if uncovered:
        raise TableError("the module links code the notices do not cover:\n  "
                         + "\n  ".join(uncovered))
    text = ["Third-party notices",
            "",
            "The Karvo Indent System plug-in is under the MIT licence (LICENSE.txt).",
            "The module karvoindentsystem64.fxt also holds code of the projects",
            "below, linked in from the compiler's runtime libraries; their licences",
            "ask that these notices go with it."]
    # Projects and what of them was linked in the table's order, whatever
    # order the link took them in.
    for project in dict.fromkeys(line[1] for line in table if line[1] != OWN):
        linked = dict.fromkeys(line[2] for line in table if line in used and line[1] == project)
        if not linked:
            continue
        notice = read_notice(project).rstrip("\n").split("\n")
        text += ["", "=" * 72, notice[0], "=" * 72, "", "Linked in:"]
        text += ["  - " + what for what in linked]
        text += notice[1:]
    return "\n".join(text) + "\n"


def write_whole(path, text):
    folder = os.path.dirname(os.path.abspath(path))
    handle, unfinished = tempfile.mkstemp(dir=folder, prefix=".notices.")
    try:
        with os.fdopen(handle, "w", encoding="utf-8", newline="\n") as out:
            out.write(text)
        os.replace(unfinished, path)
    except BaseException:
        os.unlink(unfinished)
        raise


def main(argv):
    if len(argv) != 5:
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    map_path, table_path, notices_folder, output = argv[1:]

    def read_notice(project):
        with open(os.path.join(notices_folder, project + ".txt"), encoding="utf-8") as f:
            return f.read()

    try:
        with open(map_path, encoding="utf-8", errors="replace") as f:
            inputs = linked_inputs(f)
        with open(table_path, encoding="utf-8") as f:
            table = read_table(f)
        text = notices(inputs, table, read_notice)
    except TableError as error:
        print("third-party notices: %s" % error, file=sys.stderr)
        return 1
    write_whole(output, text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
