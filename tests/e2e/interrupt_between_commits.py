#!/usr/bin/python3
"""A run that writes the document in place, a picture and a trace, stopped
by Ctrl-C (SIGINT) between two of its outputs taking their places: the
signal waits until every output is in place, and the run then ends as
interrupted, never with 0. The host program tells when it is between the
two; the signal is sent then.

    interrupt_between_commits.py <folder> <document> <expected document>
        <emulator or ''> <program> <module>
"""

import os
import signal
import subprocess
import sys

folder, document, expected, emulator, program, module = sys.argv[1:7]


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


os.makedirs(folder, exist_ok=True)
for name in os.listdir(folder):
    os.remove(os.path.join(folder, name))
with open(document, "rb") as source, open(os.path.join(folder, "doc.json"), "wb") as copy:
    copy.write(source.read())
command = ([emulator] if emulator else []) + [
    program, "run", module, "doc.json", "--command", "0", "--measures", "1-48",
    "--in-place", "--svg", "picture.svg", "--trace", "calls.txt"]
run = subprocess.Popen(command, cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
said = []
for line in run.stderr:
    said.append(line.decode(errors="replace"))
    if line == b"between two commits\n":
        run.send_signal(signal.SIGINT)
        break
said += [line.decode(errors="replace") for line in run.stderr]
status = run.wait()
if not any(line == "between two commits\n" for line in said):
    fail("the program never came between two commits; it said:\n" + "".join(said))
print("exit status", status)
if status == 0:
    fail("an interrupted run ended with status 0")
# On Linux the signal ends the run; on Windows STATUS_CONTROL_C_EXIT does,
# of which Wine passes on the low byte.
if status != (0xC000013A & 0xFF if emulator else -signal.SIGINT):
    fail("the run did not end as an interrupted one")
held = sorted(os.listdir(folder))
if held != ["calls.txt", "doc.json", "picture.svg"]:
    fail("the folder holds %s, not every output and nothing else" % held)
with open(os.path.join(folder, "doc.json"), "rb") as written, open(expected, "rb") as wanted:
    if written.read() != wanted.read():
        fail("the document is not the changed one")
