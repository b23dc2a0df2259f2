"""Compares two verdicts on generated documents: the document schema's, with
Debian's validator, and the host program's own (FINALE.EXE check: status 0
for a document it reads, 2 for one it refuses).

    schema_against_reader.py SCHEMA PROGRAM --seed N --count N --folder DIR
                             [--emulator COMMAND]

Each document is a sound one, made from the seed, with one to three changes
at the edges of what the format allows. The two must agree, except for the
changes the format reference lists as what a schema cannot say: there the
program must refuse, and the schema, where nothing else is wrong, accept.
Any other status (a crash) is a failure. Prints each failure with the
document's file, and the seed; exits 1 on any.
"""
import argparse
import json
import os
import random
import subprocess
import sys
import tempfile

from jsonschema import validators

INT16 = (-32768, 32767)
SPACES = " \t\n\r"


class Raw:
    """A value written as the text given, such as the number 1.0."""

    def __init__(self, text):
        self.text = text


class Obj:
    """An object as a list of members, so that a key may be given twice or
    spelled with escapes."""

    def __init__(self, members=()):
        self.members = [list(member) for member in members]

    def get(self, key):
        return next(value for name, value in self.members if name == key)

    def set(self, key, value):
        for member in self.members:
            if member[0] == key:
                member[1] = value
                return
        self.members.append([key, value])

    def delete(self, key):
        self.members = [member for member in self.members if member[0] != key]

    def keys(self):
        return [name for name, _ in self.members]


class Key:
    """A key written as the JSON text given."""

    def __init__(self, text):
        self.text = text


def write(value):
    if isinstance(value, Raw):
        return value.text
    if isinstance(value, Obj):
        return "{" + ", ".join(
            (name.text if isinstance(name, Key) else json.dumps(name)) + ": " + write(member)
            for name, member in value.members) + "}"
    if isinstance(value, list):
        return "[" + ", ".join(write(element) for element in value) + "]"
    return json.dumps(value)


def hex_bytes(values, named=()):
    return " ".join(".." if i in named else "%02x" % byte for i, byte in enumerate(values))


PAGE_FORMAT_RECORDS = [  # tag, inci, named bytes
    ("ot14", 0, ()), ("ot15", 0, ()), ("ot39", 0, ()), ("ot16", 0, ()), ("ot02", 0, ()),
    ("ot13", 0, ()), ("ot17", 0, (2, 3)), ("ot03", 0, (2, 3)), ("ot01", 0, (10, 11)),
    ("ot93", 0, (4, 5, 8, 9)), ("ot76", 0, (6, 7, 8, 9)), ("ot77", 0, ()), ("ot77", 1, ()),
    ("ot77", 2, (4, 5)), ("ot77", 3, (10, 11)), ("ot77", 4, (0, 1)),
]


def sound_document(rng):
    """A document the format allows, of a few systems and measures."""
    measures = rng.randint(0, 4)
    systems = rng.randint(0, 3)
    document = Obj()
    if rng.random() < 0.3:
        document.set("description", rng.choice(["a work", "", "Ünïcode ♪", "line\nbreak"]))
    document.set("hostVersion", rng.choice(["0x12000000", "0x0F000000", 0x19000000, "0X1a"]))
    document.set("currentPart", rng.randint(0, 2))
    if rng.random() < 0.5:
        document.set("slots", Obj([(str(slot), rng.randint(*INT16)) for slot in (1, 2)]))
    page_format = Obj()
    for variant in ("score", "parts"):
        page_format.set(variant, Obj([(name, rng.randint(*INT16)) for name in (
            "systemIndent", "firstSystemIndent", "extraValue1", "extraValue2", "extraValue3")]))
    document.set("pageFormat", page_format)
    listed = []
    for item in range(systems):
        system = Obj([("firstMeasure", rng.randint(0, measures + 1)),
                      ("leftIndent", rng.randint(*INT16))])
        if rng.random() < 0.3:
            system.set("layoutFirstMeasure", rng.randint(1, 9))
        if rng.random() < 0.4:
            system.set("bytes", hex_bytes([rng.randrange(256) for _ in range(28)],
                                          named=(2, 3, 8, 9)))
        listed.append(system)
    document.set("systems", listed)
    bars = []
    for number in range(1, measures + 1):
        measure = Obj([("number", number), ("barlineStyle", rng.randint(0, 15)),
                       ("fullNames", rng.random() < 0.3)])
        if rng.random() < 0.4:
            raw = [rng.randrange(256) for _ in range(30)]
            raw[13] &= 0xF7  # the full-names bit is fullNames'
            raw[14] &= 0x0F  # the barline style's bits are barlineStyle's
            measure.set("bytes", hex_bytes(raw))
        bars.append(measure)
    document.set("measures", bars)
    records = []
    for tag, inci, named in PAGE_FORMAT_RECORDS:
        if named and rng.random() < 0.5:
            continue  # one that holds 0 besides may be left out
        records.append(Obj([("tag", tag), ("item", -2), ("inci", inci),
                            ("bytes", hex_bytes([0] * 12, named))]))
    for _ in range(rng.randint(0, 2)):
        records.append(Obj([("tag", "otXY"), ("item", rng.randint(*INT16)),
                            ("inci", rng.randint(0, 9)),
                            ("bytes", hex_bytes([rng.randrange(256)
                                                 for _ in range(rng.randint(0, 14))]))]))
    document.set("records", records)
    return document


# Each change: (name, whether the schema cannot say it, function). A function
# changes the document in place and may answer a name of its own case.

def int16_places(document):
    """(object, key) of every 16-bit number but the keys of the page formats'
    records: another key makes another record of those."""
    places = []
    for variant in ("score", "parts"):
        values = document.get("pageFormat").get(variant)
        places += [(values, key) for key in values.keys()]
    for system in document.get("systems"):
        places += [(system, key) for key in ("firstMeasure", "leftIndent")]
    for record in document.get("records"):
        if record.get("tag") == "otXY":
            places += [(record, key) for key in ("item", "inci")]
    return places


def change_host_version(document, rng):
    value = rng.choice(["", "0x", "0x1G", "0x123456789", "0x0000000012000000", "12000000",
                        "0X1f", " 0x1", "0x1\n", "0x-1", "0x+1", "0x 1", "0x12000000 ",
                        4294967295, 4294967296, -1, 0, True, None, Raw("1.5"), Raw("1e400"),
                        Raw("18446744073709551616")])
    document.set("hostVersion", value)
    return "hostVersion %s" % write(value)


def change_current_part(document, rng):
    value = rng.choice([2147483647, 2147483648, -2147483648, -2147483649, "0", Raw("0.5")])
    document.set("currentPart", value)
    return "currentPart %s" % write(value)


def change_int16(document, rng):
    place, key = rng.choice(int16_places(document))
    value = rng.choice([-32769, -32768, 32767, 32768, Raw("1e400"), Raw("-1e400"), Raw("1.5"),
                        "1", None, True, Raw("18446744073709551616"), Raw("1e5"),
                        Raw("-9223372036854775809")])
    place.set(key, value)
    return "%s %s" % (key, write(value))


def whole_number_with_fraction(document, rng):
    place, key = rng.choice(int16_places(document))
    text = rng.choice(["1.0", "0e0", "-0.0", "1E2", "2.0e1", "100e-2", "-1.0"])
    place.set(key, Raw(text))
    return "%s %s" % (key, text)


def duplicate_key(document, rng):
    objects = [document, document.get("pageFormat").get("score")] + document.get("systems")
    target = rng.choice(objects)
    name, value = rng.choice(target.members)
    spelled = Key('"\\u%04x%s"' % (ord(name[0]), name[1:])) if rng.random() < 0.5 else name
    target.members.append([spelled, value])
    return "key %s twice" % name


def record_twice(document, rng):
    for list_name in rng.sample(["records", "measures"], 2):
        entries = document.get(list_name)
        if entries:
            entries.append(entries[rng.randrange(len(entries))])
            return "an entry of %s twice" % list_name
    document.get("records").extend([Obj([("tag", "otQQ"), ("item", 1), ("inci", 0),
                                         ("bytes", "")])] * 2)
    return "a record twice"


def measure_bits(document, rng):
    measures = document.get("measures")
    if not measures:
        measures.append(Obj([("number", 1), ("barlineStyle", 0), ("fullNames", False)]))
    raw = [0] * 30
    byte, bits = rng.choice([(13, 0x08), (14, 0x10), (14, 0x80), (13, 0x01), (14, 0x0F),
                             (12, 0xFF), (15, 0xFF)])
    raw[byte] = bits
    rng.choice(measures).set("bytes", hex_bytes(raw))
    return "measure byte %d %02x" % (byte, bits)


def slot_twice(document, rng):
    document.set("slots", Obj([("1", 1), ("01", 2)]) if rng.random() < 0.5
                 else Obj([("7", 1), ("00007", 2)]))
    return "one slot under two names"


def slot_name(document, rng):
    name = rng.choice(["65535", "65536", "-1", "1 ", "1\n", "", "00000", "x", "000001",
                       "\u0663", "+1", "0x1"])
    document.set("slots", Obj([(name, 1)]))
    return "slot %r" % name


def byte_separator(document, rng):
    texts = [entry for section in ("systems", "measures", "records")
             for entry in document.get(section)
             if "bytes" in entry.keys() and " " in entry.get("bytes")]
    if not texts:
        record = Obj([("tag", "otSP"), ("item", 0), ("inci", 0), ("bytes", "00 01 02")])
        document.get("records").append(record)
        texts = [record]
    entry = rng.choice(texts)
    separator = rng.choice(["\u00a0", "\u2003", "\t", "\n", "\u000b", "\u000c", "\r",
                            "\u0085", "\u3000", "  ", "", "\u200b", "\ufeff"])
    text = entry.get("bytes")
    at = rng.choice([i for i, c in enumerate(text) if c == " "])
    entry.set("bytes", text[:at] + separator + text[at + 1:])
    return "bytes separated by %r" % separator


def byte_text_edges(document, rng):
    record = Obj([("tag", "otBT"), ("item", 0), ("inci", 0)])
    text = rng.choice(["00 01\n", " 00 01 ", "0A ff", "0 01", "000 1", ".. 00", "00 0g",
                       "\n", "00\u00a0", "x"])
    record.set("bytes", text)
    document.get("records").append(record)
    return "bytes %r" % text


def surrogates(document, rng):
    text = rng.choice(['"\\ud800"', '"\\udc00\\ud800"', '"a\\udfffb"', '"\\ud83d\\ude00"',
                       '"\\u00e9"'])
    document.set("description", Raw(text))
    return "description %s" % text


def byte_order_mark(document, rng):
    return "byte-order mark"  # added to the text by the caller


def tag_edges(document, rng):
    tag = rng.choice(["ot7", "ot777", "ot7\u00e9", "ot7\n", "ot7\t", "ot7~", "ot7\u007f",
                      "    ", "ot7 "])
    document.get("records").append(Obj([("tag", tag), ("item", 5), ("inci", 0),
                                        ("bytes", "")]))
    return "tag %r" % tag


def unknown_key(document, rng):
    key = rng.choice(["sytems", "\u001b[31mred", "records ", ""])
    target = rng.choice([document, rng.choice(document.get("systems") or [document])])
    target.set(key, 1)
    return "unknown key %r" % key


def raw_system(document, rng):
    """Answers the case, and whether the schema cannot say it."""
    count = len(document.get("systems"))
    item, size, inci = rng.choice([(count + 1, 28, 0), (count + 2, 28, 0), (count + 1, 27, 0),
                                   (count + 1, 28, 1), (0, 28, 0)])
    document.get("records").append(Obj([("tag", "SOSS"), ("item", item), ("inci", inci),
                                        ("bytes", hex_bytes([0] * size))]))
    return "raw system %d of %d bytes, inci %d" % (item, size, inci), (
        item == count + 1 and size == 28 and inci == 0)


def raw_measure(document, rng):
    item, size, inci = rng.choice([(1, 30, 0), (40, 30, 0), (40, 29, 0), (0, 30, 0),
                                   (-1, 30, 0), (1, 30, 1)])
    document.get("records").append(Obj([("tag", "SOMS"), ("item", item), ("inci", inci),
                                        ("bytes", hex_bytes([0] * size))]))
    return "raw measure %d of %d bytes, inci %d" % (item, size, inci)


def named_bytes(document, rng):
    records = [r for r in document.get("records") if r.get("tag") in ("ot17", "ot93", "ot77")]
    if not records:
        return "no page format record to change"
    record = rng.choice(records)
    text = record.get("bytes").split(" ")
    at = rng.randrange(len(text))
    text[at] = "00" if text[at] == ".." else ".."
    record.set("bytes", " ".join(text))
    return "named byte %d of %s" % (at, record.get("tag"))


def structure(document, rng):
    choice = rng.randrange(7)
    if choice == 0:
        document.delete(rng.choice(["hostVersion", "currentPart", "pageFormat", "systems",
                                    "measures"]))
    elif choice == 1:
        document.set(rng.choice(["systems", "measures", "records"]), Obj())
    elif choice == 2:
        document.get("pageFormat").get("parts").set("extraValue4", 0)
    elif choice == 3:
        document.set("pageFormat", [])
    elif choice == 4:
        document.set("description", Raw("[" * 40 + "]" * 40))
    elif choice == 5:
        document.get("systems").append(Obj([("firstMeasure", 1)]))
    else:
        document.set("systems", [Obj([("firstMeasure", 1), ("leftIndent", 0)])] * 32768)
    return "structure %d" % choice


CHANGES = [
    ("host version", False, change_host_version),
    ("current part", False, change_current_part),
    ("16-bit number", False, change_int16),
    ("whole number written with a fraction or an exponent", True, whole_number_with_fraction),
    ("a key given twice", True, duplicate_key),
    ("a record given twice", True, record_twice),
    ("measure bits", False, measure_bits),
    ("one slot under two names", True, slot_twice),
    ("slot name", False, slot_name),
    ("byte separator", False, byte_separator),
    ("byte text", False, byte_text_edges),
    ("surrogates", False, surrogates),
    ("byte-order mark", False, byte_order_mark),
    ("tag", False, tag_edges),
    ("unknown key", False, unknown_key),
    ("raw staff system", None, raw_system),
    ("raw measure", False, raw_measure),
    ("named bytes", False, named_bytes),
    ("structure", False, structure),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("schema")
    parser.add_argument("program")
    parser.add_argument("--emulator", default="")
    parser.add_argument("--seed", type=int, required=True)
    parser.add_argument("--count", type=int, required=True)
    parser.add_argument("--folder", required=True)
    arguments = parser.parse_args()

    with open(arguments.schema, encoding="utf-8") as file:
        schema = json.load(file)
    validator = validators.validator_for(schema)(schema)
    os.makedirs(arguments.folder, exist_ok=True)
    rng = random.Random(arguments.seed)
    failures = []
    reader_only = 0
    for number in range(arguments.count):
        document = sound_document(rng)
        cases = []
        unsayable = []
        chosen = rng.sample(CHANGES, rng.randint(1, 3))
        # What a schema cannot say after the rest, so that no other change
        # undoes it; last, the change that may take the others' lists away.
        chosen.sort(key=lambda each: 2 if each[2] is structure else 0 if each[1] is False else 1)
        for name, cannot_say, change in chosen:
            answer = change(document, rng)
            if isinstance(answer, tuple):
                answer, cannot_say = answer
            cases.append(answer)
            if cannot_say:
                unsayable.append(answer)
        text = write(document)
        if "byte-order mark" in cases:
            text = "\ufeff" + text
        path = os.path.join(arguments.folder, "%04d.json" % number)
        with open(path, "w", encoding="utf-8", errors="surrogatepass") as file:
            file.write(text)

        try:
            value = json.loads(text.encode("utf-8", "surrogatepass").decode("utf-8-sig",
                                                                            "surrogatepass"))
            schema_accepts = validator.is_valid(value)
        except ValueError:
            schema_accepts = False
        command = ([arguments.emulator] if arguments.emulator else []) + [
            arguments.program, "check", path]
        # Into a file: Wine starts a program with its output on a pipe some
        # twenty times slower.
        with tempfile.TemporaryFile() as said_there:
            status = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=said_there,
                                    stderr=said_there).returncode
            said_there.seek(0)
            message = said_there.read().decode(errors="replace").strip()
        said = "%s (%s): " % (path, "; ".join(cases))
        if status not in (0, 2):
            failures.append(said + "status %d: %s" % (status, message))
            continue
        reader_accepts = status == 0
        if unsayable:
            reader_only += 1
            if reader_accepts:
                failures.append(said + "the program reads it, but must refuse it")
            if not schema_accepts and len(unsayable) == len(cases):
                failures.append(said + "the schema refuses it, though it can say none of it")
        elif schema_accepts != reader_accepts:
            failures.append(said + "the schema %s it, the program %s it: %s" % (
                "accepts" if schema_accepts else "refuses",
                "reads" if reader_accepts else "refuses", message))

    for failure in failures:
        print(failure)
    print("seed %d: %d documents, %d with what a schema cannot say, %d failures" % (
        arguments.seed, arguments.count, reader_only, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
