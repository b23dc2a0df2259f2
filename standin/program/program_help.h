// What `FINALE.EXE --help` and each verb's --help say beyond the options:
// the exit codes, where the document format is described, and what the
// fields of each output mean.
#pragma once

namespace standin::help {

inline constexpr const char *kExitCodes =
    "Exit status: 0 done; 2 bad input (arguments, a document, a module, or outputs\n"
    "that cannot be written as asked: then nothing is written); 1 anything else\n"
    "(an output or standard output the system failed to write, an input changed\n"
    "by another program meanwhile, out of memory). diff answers 0 for documents\n"
    "that hold the same, 1 for documents that differ, 2 for any trouble.\n";

inline constexpr const char *kFormat =
    "Documents are JSON; docs/document-format.md describes every key, and\n"
    "docs/document.schema.json is a JSON Schema for editors. A document no real\n"
    "host would hold still loads, with a warning on standard error for each thing.\n";

inline constexpr const char *kOutputs =
    "Outputs: '-' is standard output. Every file is written whole or not at all:\n"
    "first to a new file beside it, then all put in their places in one step (an\n"
    "interruption before leaves no new file behind; one during it waits until\n"
    "every output is in place). All outputs are checked before anything runs or\n"
    "is written: distinct, not over an input or a read-only file, in a folder that\n"
    "takes a new file. '-' as the document of run, check or diff is standard input.\n";

inline constexpr const char *kProgram =
    "Verbs: menu, run, check, diff, validate, replay, import; FINALE.EXE <verb> --help\n"
    "for each.\n";

inline constexpr const char *kMenu =
    "Each line names a call the host made and what came back:\n"
    "  handshake: the host version passed to FinaleExtensionVersion, and the\n"
    "    interface version the module answered\n"
    "  init: what FinaleExtensionInit answered; word 0x00000010 -> W: the word the\n"
    "    host passed in, and what the module left in it\n"
    "  menu status: what FinaleExtensionGetMenuStatus answered\n"
    "  8-bit / UTF-16 record, index N: what the enumeration answered (0: not\n"
    "    offered), then the record's name, description, menu text and entry flag\n";

inline constexpr const char *kRun =
    "The report (--format table):\n"
    "  handshake: the host version passed to FinaleExtensionVersion, and the\n"
    "    interface version the module answered\n"
    "  command: the menu index invoked, and the menu text the module registers\n"
    "    for it at that host version (a warning when it registers none)\n"
    "  selection: the measures of the selection record handed to the invoke\n"
    "  invoke: what FinaleExtensionInvoke answered (1: done)\n"
    "  then per staff system: its number, first measure (before -> after, when\n"
    "    the host laid it out), left indent before -> after in EVPUs, 'changed',\n"
    "    and the reason for the new indent as the host reads the document, with\n"
    "    'expected N' where the module did otherwise\n"
    "  other records changed: records besides the systems that were added,\n"
    "    removed or rewritten\n"
    "--changed-only lists only the systems whose record the run changed: the left\n"
    "indent, the first measure or any other byte. --format json and csv give the\n"
    "same for scripts, as docs/document-format.md describes. When --output or --svg\n"
    "is '-', the report goes to standard error.\n"
    "The trace (--trace) names its fields in a header: room = bytes offered for a\n"
    "load, length = bytes handed over, v= the data version of the call, -> the\n"
    "host's answer, size = the bytes the record holds; under each save, the bytes\n"
    "it changed. With --trace -, it follows the table report.\n";

inline constexpr const char *kSummary =
    "Prints the host version, the part viewed and how many records of each kind\n"
    "the document holds; with --output -, that goes to standard error.\n";

inline constexpr const char *kDiff =
    "One line per difference: named fields by name (system 3: leftIndent: 36 ->\n"
    "144), other bytes by offset (bytes 20-21: 60 00 -> 61 00), records only in one\n"
    "document; then the count.\n";

inline constexpr const char *kValidate =
    "One line per check: pass or FAIL, its level, its name, what it checks and how\n"
    "many cases it ran; under a failed check, why not every case ran and each failed\n"
    "case (up to three) with what was seen, what the module printed meanwhile, and\n"
    "the command line that makes that case fail again with its host calls; then the\n"
    "summary with the seed. Each level includes those below:\n"
    "  1 loading: entry points, handshake, Init, menu records in both forms, no host call\n"
    "  2 commands: each offered command on ordinary documents, with and without a selection\n"
    "  3 a failing host: each host function absent in turn, each host call failing in turn\n"
    "  4 a misbehaving host: short and long records, wrong sizes, boundary versions,\n"
    "    unusual parts and selections\n"
    "  5 random documents, repeated invokes with bounded memory, time against host calls\n"
    "After every call into the module the process must be as the host had it (folder,\n"
    "locale, floating-point control, streams, handlers, environment, no thread or\n"
    "process left running), and no buffer the call handed over may change afterwards.\n"
    "Each case has --case-limit seconds, whatever the module prints; a check stops at\n"
    "its first case that hangs; the whole run has --run-limit seconds.\n"
    "A check marked [knows this plug-in] expects what Karvo Indent System does; a\n"
    "sound module of another kind may fail it. Every other holds for any module.\n"
    "Exit status: 0 every check passed, 1 a check failed, 2 bad input.\n"
    "docs/validate.md describes every check and the JSON report.\n";

}  // namespace standin::help
