"""Holds the recording schema to both sides of the format: the recording
the plug-in writes, and the host program's reader of recordings.

    recording_schema_against_reader.py SCHEMA PROGRAM MODULE DOCUMENT --folder DIR
                                       [--emulator COMMAND]

The module records one command on the document (measures 1 to 4), as in the
field; the schema must accept that recording and the program read it
(FINALE.EXE import: status 0 for a recording it reads, 2 for one it
refuses). Then each change below, one at a time, at the edges of what the
format allows: the schema and the program must agree, except where the
format reference lists what a schema cannot say, or where a reader refuses
what the format holds (an incomplete recording): there the program must
refuse, and the schema accept. Any other status (a crash) is a failure.
Prints each failure; exits 1 on any.
"""
import argparse
import copy
import glob
import json
import os
import subprocess
import sys
import tempfile

from jsonschema import validators

from schema_against_reader import Key, Obj, Raw, write

# What a reader refuses that the schema accepts.
SCHEMA_ACCEPTS = "schema accepts, reader refuses"
# Both verdicts must be the same, whichever it is.
AGREE = "agree"


def first_call(recording, function):
    return next(call for call in recording.get("calls") if call.get("function") == function)


def head(key, value):
    def change(recording):
        recording.set(key, value)
    return change


def without(key):
    def change(recording):
        recording.delete(key)
    return change


def in_load(key, value):
    def change(recording):
        first_call(recording, "FX_LoadEData").set(key, value)
    return change


def load_bytes_short(recording):
    call = first_call(recording, "FX_LoadEData")
    call.set("handedBack", call.get("handedBack")[:-3])


def save_bytes_long(recording):
    call = first_call(recording, "FX_SaveEData")
    call.set("handedOver", call.get("handedOver") + " 00")


def load_key_twice(recording):
    call = first_call(recording, "FX_LoadEData")
    call.members.append(["room", call.get("room")])


def head_key_twice(recording):
    recording.members.insert(1, ["format", recording.get("format")])


def load_key_escaped(recording):
    call = first_call(recording, "FX_LoadEData")
    for member in call.members:
        if member[0] == "room":
            member[0] = Key('"r\\u006fom"')


def more_calls_made(recording):
    recording.set("callsMade", recording.get("callsMade") + 1)


def absent_but_called(recording):
    recording.set("absentFunctions", ["FX_LoadEData"])


def incomplete(recording):
    recording.set("complete", False)
    recording.members.insert(3, ["incomplete", "the recording reached its bound of 16 MiB: "
                                 "the calls after call 1 are not in it"])
    recording.set("calls", recording.get("calls")[:1])


CHANGES = [
    ("format version 2", AGREE, head("formatVersion", 2)),
    ("another format", AGREE, head("format", "Karvo Indent System document")),
    ("a key of no recording", AGREE, head("colour", "red")),
    ("no callsMade", AGREE, without("callsMade")),
    ("no selection", AGREE, head("selection", None)),
    ("selection of 19 bytes", AGREE, head("selection", " ".join(["00"] * 19))),
    ("selection of 21 bytes", AGREE, head("selection", " ".join(["00"] * 21))),
    ("selection in capitals", AGREE, head("selection", " ".join(["FF"] * 20))),
    ("selection with two spaces", AGREE, head("selection", "00  " + " ".join(["00"] * 19))),
    ("menu index 65535", AGREE, head("menuIndex", 65535)),
    ("menu index 65536", AGREE, head("menuIndex", 65536)),
    ("menu index -1", AGREE, head("menuIndex", -1)),
    ("menu index 1.5", AGREE, head("menuIndex", Raw("1.5"))),
    ("host version of 7 digits", AGREE, head("hostVersion", "0x1900000")),
    ("host version in capitals", AGREE, head("hostVersion", "0x1900000A")),
    ("host version with a G", AGREE, head("hostVersion", "0x1900000G")),
    ("invoke result 4294967296", AGREE, head("invokeResult", 4294967296)),
    ("absent function of no host", AGREE, head("absentFunctions", ["FX_Nothing"])),
    ("absent function twice", AGREE, head("absentFunctions", ["FX_UpdateLayout"] * 2)),
    ("calls not a list", AGREE, head("calls", {})),
    ("load of key 32767", AGREE, in_load("key", [32767, 0])),
    ("load of key 32768", AGREE, in_load("key", [32768, 0])),
    ("load of key -32769", AGREE, in_load("key", [-32769, 0])),
    ("load of key of three", AGREE, in_load("key", [1, 0, 0])),
    ("load of tag of three characters", AGREE, in_load("tag", "SOS")),
    ("load of tag word", AGREE, in_load("tag", "0x534F5353")),
    ("load of another function", AGREE, in_load("function", "FX_LoadTheRecord")),
    ("load without a version", AGREE, lambda r: first_call(r, "FX_LoadEData").delete("version")),
    ("load with arguments", AGREE, in_load("arguments", [1, 2])),
    ("load result 32768", AGREE, in_load("result", 32768)),
    ("load room -2147483649", AGREE, in_load("room", -2147483649)),
    ("load bytes a byte short", SCHEMA_ACCEPTS, load_bytes_short),
    ("save bytes a byte long", SCHEMA_ACCEPTS, save_bytes_long),
    ("load size past the largest record", SCHEMA_ACCEPTS, in_load("size", (1 << 20) + 1)),
    ("load room given twice", SCHEMA_ACCEPTS, load_key_twice),
    ("format given twice", SCHEMA_ACCEPTS, head_key_twice),
    ("load room spelled with an escape", AGREE, load_key_escaped),
    ("more calls made than recorded", SCHEMA_ACCEPTS, more_calls_made),
    ("a call of an absent function", SCHEMA_ACCEPTS, absent_but_called),
    ("incomplete", SCHEMA_ACCEPTS, incomplete),
]


def run(arguments, *words, environment=None):
    command = ([arguments.emulator] if arguments.emulator else []) + [arguments.program, *words]
    # Into a file: Wine starts a program with its output on a pipe some
    # twenty times slower.
    with tempfile.TemporaryFile() as said_there:
        status = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=said_there,
                                stderr=said_there, env=environment).returncode
        said_there.seek(0)
        return status, said_there.read().decode(errors="replace").strip()


def recorded(arguments):
    """The recording the module writes of one command, as a user's would be."""
    field = os.path.join(arguments.folder, "field")
    os.makedirs(field, exist_ok=True)
    for old in glob.glob(os.path.join(field, "*")):
        os.remove(old)
    environment = dict(os.environ, KARVO_INDENT_RECORD_DIR=field)
    status, message = run(arguments, "run", arguments.module, arguments.document,
                          "--command", "0", "--measures", "1-4", environment=environment)
    made = glob.glob(os.path.join(field, "*.json"))
    if status != 0 or len(made) != 1:
        sys.exit("the recorded run: status %d, %d recordings: %s" % (status, len(made), message))
    return made[0]


def verdicts(arguments, validator, path, text):
    try:
        schema_accepts = validator.is_valid(json.loads(text))
    except ValueError:
        schema_accepts = False
    status, message = run(arguments, "import", path, "--output", path + ".document.json")
    return schema_accepts, status, message


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("schema")
    parser.add_argument("program")
    parser.add_argument("module")
    parser.add_argument("document")
    parser.add_argument("--emulator", default="")
    parser.add_argument("--folder", required=True)
    arguments = parser.parse_args()

    with open(arguments.schema, encoding="utf-8") as file:
        schema = json.load(file)
    validator = validators.validator_for(schema)(schema)
    os.makedirs(arguments.folder, exist_ok=True)

    written = recorded(arguments)
    with open(written, encoding="utf-8") as file:
        text = file.read()
    failures = []
    schema_accepts, status, message = verdicts(arguments, validator, written, text)
    if not schema_accepts:
        failures.append("the schema refuses the recording the module wrote")
    if status != 0:
        failures.append("the program does not read the recording the module wrote: %s" % message)
    sound = json.loads(text, object_pairs_hook=Obj)

    for number, (name, expected, change) in enumerate(CHANGES):
        recording = copy.deepcopy(sound)
        change(recording)
        path = os.path.join(arguments.folder, "%02d.json" % number)
        changed = write(recording) + "\n"
        with open(path, "w", encoding="utf-8") as file:
            file.write(changed)
        schema_accepts, status, message = verdicts(arguments, validator, path, changed)
        said = "%s (%s): " % (path, name)
        if status not in (0, 2):
            failures.append(said + "status %d: %s" % (status, message))
        elif expected == SCHEMA_ACCEPTS:
            if status == 0:
                failures.append(said + "the program reads it, but must refuse it")
            if not schema_accepts:
                failures.append(said + "the schema refuses it, though it cannot say this")
        elif schema_accepts != (status == 0):
            failures.append(said + "the schema %s it, the program %s it: %s" % (
                "accepts" if schema_accepts else "refuses",
                "reads" if status == 0 else "refuses", message))

    for failure in failures:
        print(failure)
    print("the module's recording and %d changes of it, %d failures" % (len(CHANGES), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
