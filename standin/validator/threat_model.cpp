#include "standin/validator/threat_model.h"

#include <cstring>

namespace standin::validator {
namespace {

constexpr const char *kGuaranteed =
    "each case ends within the case limit and the run within the run limit; the validator does "
    "not crash; no process of the module's outlives the check on Linux; only the worker's keyed "
    "lines count as results";

constexpr const char *kDeceives =
    "a module runs code in the worker: it can read the channel's key and report results of its "
    "own, undo what the worker watches before the worker looks, behave well only when it sees "
    "the validator, or stop the validator with SIGSTOP or SIGKILL";

struct CheckCatches {
    const char *check;
    const char *catches;
};

const CheckCatches kCatches[] = {
    {"exports",
     "a module that does not load, or lacks one of the seven entry points under its exact "
     "name"},
    {"handshake",
     "a module that answers another interface version, at any host version or a whole "
     "range of them"},
    {"init",
     "an Init that clears the host's bits of its word, writes around the word or answers "
     "other than 1"},
    {"menu-8bit",
     "an 8-bit menu record written past its end or left without the entry flag or a text, "
     "a refused index that changes the record, or an entry offered past a refusal"},
    {"menu-utf16", "the same in the UTF-16 record, and a text that does not end within its field"},
    {"menu-forms-agree",
     "menus that differ between the two forms, or between the first and the second time a "
     "form is asked for"},
    {"quiet-start",
     "a host call while the module loads, in the handshake, Init, the menus, the menu "
     "status or Terminate"},
    {"commands-selection",
     "a command that answers other than 1, lets an exception out, crashes, hangs, saves or "
     "deletes records it did not load, saves more or less than the host gave or in another "
     "version's layout, leaves records it created, writes into or around the selection, "
     "makes more host calls than the document's records allow, or leaves the host's "
     "process changed"},
    {"commands-no-selection",
     "the same faults when there is no selection record, reading a selection that is not "
     "there among them"},
    {"absent-function", "a command that needs a host function the host lacks"},
    {"failing-call",
     "a command that saves what a failed call did not give it, or crashes or goes on "
     "without end when a call fails"},
    {"short-records",
     "a command that believes a record is as long as its room when the host gives fewer "
     "bytes, or none"},
    {"long-records",
     "a command that cuts a longer record short when it saves it, or takes more than its "
     "room"},
    {"misreported-sizes",
     "a command that believes the size a load reports beyond what the host gave"},
    {"version-boundaries",
     "a command that fails at a host version on one of the interface's thresholds"},
    {"unusual-parts",
     "a command that fails on a current part no ordinary run has, or takes one for another"},
    {"unusual-selections",
     "a command that believes a reversed, empty, out-of-range or damaged selection"},
    {"unusual-walks",
     "a walk that does not end when nexts stay, go back, cycle or jump, or that fails when "
     "one stops early"},
    {"unusual-loads",
     "a command that saves bytes a load did not give, or under a key the host moved"},
    {"unusual-saves", "a command that fails when a save fails, or follows a key the host moved"},
    {"unusual-layouts", "a command that believes a layout update did what it asked"},
    {"unusual-documents",
     "a command that fails on a current document number no ordinary run has, or one that "
     "changes"},
    {"identical-runs",
     "a command whose result follows from the module's load address or from an earlier "
     "document"},
    {"random-documents",
     "a command that fails on documents of other sizes and shapes, host versions, parts "
     "and selections"},
    {"repeated-invokes",
     "a command that fails after many invokes, or grows the process's memory or address "
     "space over them, with all or a few measures selected"},
    {"command-time", "a command slow beside its host calls, with all or a few measures selected"},
};

}  // namespace

ThreatModel ThreatModelOf(const char *check) {
    for (const CheckCatches &entry : kCatches) {
        if (std::strcmp(entry.check, check) == 0) return {kGuaranteed, entry.catches, kDeceives};
    }
    return {kGuaranteed, "", kDeceives};
}

}  // namespace standin::validator
