#include "standin/validator/threat_model.h"

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

const ThreatModel kByLevel[] = {
    {kGuaranteed,
     "a module that does not load or lacks an entry point, answers another interface version, "
     "clears the host's bits of the Init word, writes outside its menu records, offers entries "
     "a host never asks for, or calls the host before it has a document",
     kDeceives},
    {kGuaranteed,
     "a command that answers other than 1, lets an exception out, crashes, hangs, saves or "
     "deletes records it did not load, saves more or less than the host gave or in another "
     "version's layout, leaves records it created, writes into or around the selection, or "
     "leaves the host's process changed",
     kDeceives},
    {kGuaranteed,
     "a command that needs a host function the host lacks, or saves what a failed call did not "
     "give it",
     kDeceives},
    {kGuaranteed,
     "a command that believes what the host says of sizes, keys, walks, layouts or documents "
     "beyond what it was given, or makes more host calls than the document's records allow",
     kDeceives},
    {kGuaranteed,
     "a command that fails on documents of other sizes and shapes, grows the process over a "
     "thousand invokes, is slow beside its host calls, or leaves a document that follows from "
     "its load address or from an earlier document",
     kDeceives},
};

}  // namespace

const ThreatModel &ThreatModelOf(int level) {
    const int index = level < 1 ? 0 : level > 5 ? 4 : level - 1;
    return kByLevel[index];
}

}  // namespace standin::validator
