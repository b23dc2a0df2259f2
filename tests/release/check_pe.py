#!/usr/bin/python3
"""Checks of the Windows release module as a PE file, one per call:

    check_pe.py imports <module> <allowed imports>
    check_pe.py tls-callbacks <module> <debug file> <binutils prefix>
    check_pe.py checksum <module>
    check_pe.py hardening <module> <debug file> <binutils prefix>
    check_pe.py version-resource <module> <build record>

imports: every function the module imports is on the allow-list.
tls-callbacks: the module runs, on every thread the host starts or ends,
only the C runtime's own thread-local storage callbacks.
checksum: the stored PE checksum is the one pefile and osslsigncode compute
alike, which they do at an even file length.
hardening: the module is marked for ASLR, high-entropy addresses and DEP,
and its code checks its stack guards.
version-resource: the strings the module's Properties show name the
authors, the copyright up to the year of the commit, and the commit the
build record names.
"""

import re
import subprocess
import sys

import pefile

# The C runtime's callbacks (tlssup.c): thread-local initialisers and
# destructors, which this module has none of. Anything else is a thread
# library's or the plug-in's own, and neither should be there.
ALLOWED_TLS_CALLBACKS = {"__dyn_tls_init", "__dyn_tls_dtor"}


def fail(module, message):
    print("%s: %s" % (module, message), file=sys.stderr)
    return 1


def check_imports(module_path, allowed_path):
    allowed = set()
    with open(allowed_path) as f:
        for line in f:
            fields = line.split("#", 1)[0].split()
            if fields:
                allowed.add((fields[0].lower(), fields[1]))
    module = pefile.PE(module_path)
    imported = [(entry.dll.decode(), function.name.decode())
                for entry in getattr(module, "DIRECTORY_ENTRY_IMPORT", [])
                for function in entry.imports]
    unexpected = [" ".join(i) for i in imported if (i[0].lower(), i[1]) not in allowed]
    if unexpected:
        return fail(module_path, "imports what %s does not allow: %s"
                    % (allowed_path, ", ".join(unexpected)))
    print("%s: %d imports, all allowed" % (module_path, len(imported)))
    return 0


def symbol_table(debug_path, binutils):
    """Address to name of every function in the debug file."""
    symbols = {}
    listing = subprocess.run([binutils + "nm", debug_path], check=True,
                             capture_output=True, text=True).stdout
    for line in listing.splitlines():
        fields = line.split()
        # Functions only: a section's symbol (".text") may share the address.
        if len(fields) == 3 and fields[1] in "Tt" and not fields[2].startswith("."):
            symbols.setdefault(int(fields[0], 16), fields[2])
    return symbols


def check_hardening(module_path, debug_path, binutils):
    flags = pefile.PE(module_path, fast_load=True).OPTIONAL_HEADER.DllCharacteristics
    wanted = {"ASLR": 0x40, "high-entropy addresses": 0x20, "DEP": 0x100}
    missing = [name for name, bit in wanted.items() if not flags & bit]
    if "__stack_chk_fail" not in symbol_table(debug_path, binutils).values():
        missing.append("the stack protector")
    if missing:
        return fail(module_path, "lacks " + ", ".join(missing))
    print("%s: %s and the stack protector" % (module_path, ", ".join(wanted)))
    return 0


def check_tls_callbacks(module_path, debug_path, binutils):
    module = pefile.PE(module_path)
    callbacks = []
    if hasattr(module, "DIRECTORY_ENTRY_TLS"):
        base = module.OPTIONAL_HEADER.ImageBase
        entry = module.DIRECTORY_ENTRY_TLS.struct.AddressOfCallBacks
        while entry:
            callback = module.get_qword_at_rva(entry - base)
            if not callback:
                break
            callbacks.append(callback)
            entry += 8
    symbols = symbol_table(debug_path, binutils)
    names = [symbols.get(callback, hex(callback)) for callback in callbacks]
    unexpected = [name for name in names if name not in ALLOWED_TLS_CALLBACKS]
    if unexpected:
        return fail(module_path, "runs these TLS callbacks besides the C runtime's: "
                    + ", ".join(unexpected))
    print("%s: TLS callbacks %s" % (module_path, ", ".join(names) or "none"))
    return 0


def check_checksum(module_path):
    with open(module_path, "rb") as f:
        length = len(f.read())
    if length % 2:
        return fail(module_path, "is %d bytes long, an odd length" % length)
    module = pefile.PE(module_path, fast_load=True)
    stored = module.OPTIONAL_HEADER.CheckSum
    computed = module.generate_checksum()
    if stored != computed:
        return fail(module_path, "stores PE checksum %08X; pefile computes %08X" % (stored, computed))
    # osslsigncode prints the checksum it finds even for a module it has no
    # signature to verify in, and warns when it computes another.
    said = subprocess.run(["osslsigncode", "verify", "-in", module_path],
                          capture_output=True, text=True)
    said = said.stdout + said.stderr
    found = re.search(r"PE checksum\s*:\s*([0-9A-Fa-f]{8})", said)
    if not found or int(found.group(1), 16) != stored or "invalid PE checksum" in said:
        return fail(module_path, "osslsigncode does not accept its PE checksum %08X:\n%s"
                    % (stored, said))
    print("%s: PE checksum %08X, by pefile and osslsigncode alike" % (module_path, stored))
    return 0


def check_version_resource(module_path, record_path):
    with open(record_path, encoding="utf-8") as f:
        record = f.read().replace("\r\n", "\n")
    commit = re.search(r"^commit: (.+)$", record, re.M).group(1)
    epoch = int(re.search(r"^SOURCE_DATE_EPOCH: (\d+) ", record, re.M).group(1))
    year = subprocess.run(["date", "-u", "-d", "@%d" % epoch, "+%Y"], check=True,
                          capture_output=True, text=True).stdout.strip()
    module = pefile.PE(module_path)
    strings = {}
    for info in module.FileInfo[0]:
        for table in getattr(info, "StringTable", []):
            for key, value in table.entries.items():
                strings[key.decode()] = value.decode()
    expected = {
        "CompanyName": "^the Karvo Indent System authors$",
        "LegalCopyright": r"^Copyright \(c\) %s the Karvo Indent System authors$"
                          % ("2026" if year == "2026" else "2026-" + year),
        "Comments": "^Built from commit %s$" % re.escape(commit),
    }
    wrong = ["%s is %r" % (key, strings.get(key)) for key, pattern in expected.items()
             if not re.match(pattern, strings.get(key, ""))]
    if wrong:
        return fail(module_path, "version resource: " + "; ".join(wrong))
    print("%s: %s" % (module_path, "; ".join(strings[key] for key in expected)))
    return 0


CHECKS = {
    "imports": (check_imports, 2),
    "tls-callbacks": (check_tls_callbacks, 3),
    "checksum": (check_checksum, 1),
    "hardening": (check_hardening, 3),
    "version-resource": (check_version_resource, 2),
}


def main(argv):
    if len(argv) < 2 or argv[1] not in CHECKS or len(argv) - 2 != CHECKS[argv[1]][1]:
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    return CHECKS[argv[1]][0](*argv[2:])


if __name__ == "__main__":
    sys.exit(main(sys.argv))
