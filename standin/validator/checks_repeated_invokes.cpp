// Level 5: a thousand invokes in a row, as a long working session makes
// them, with the process's memory measured around them.
#include <algorithm>
#include <iterator>

#include "standin/validator/call_bound.h"
#include "standin/validator/checks.h"
#include "standin/validator/command_invariants.h"
#include "standin/validator/command_run.h"
#include "standin/validator/guarded_buffer.h"
#include "standin/validator/validation_documents.h"
#include "standin/validator/validator_platform.h"

namespace standin::validator {
namespace {

// About 1 KiB an invoke: more than the allocator's own rounding, far less
// than any record a command keeps by mistake.
constexpr uint64_t kMostMemoryGrowth = 1u << 20;
// Memory mapped and kept, even untouched, is address space and commit
// charge the host no longer has; a session of a day's commands runs out of
// it. 64 MiB is what the C library reserves at once for a thread's heap.
constexpr uint64_t kMostAddressSpaceGrowth = 64u << 20;
// How many invokes a memory case makes on each document and selection,
// after as many again as a tenth to warm up.
struct Repetition {
    const char *document;
    const char *selection;
    int invokes;
    // Whether every invoke's host calls are held to the rules, or only the
    // last one's: on the long document they are a hundred times as many, and
    // the short one's run is the longer, where a fault that waits for the
    // thousandth command shows.
    bool rulesEveryInvoke;
};
// The long document's selection is a hundred times the short one's: a
// module that keeps something per measure grows with it. A few measures
// selected at the start, the middle and the end are what users select most
// often, and a module may keep something only then.
const Repetition kRepetitions[] = {{"short", "all", 1000, true},
                                   {"long", "all", 200, false},
                                   {"short", "start", 200, false},
                                   {"short", "middle", 200, false},
                                   {"short", "end", 200, false}};

std::vector<CaseParameters> ListRepeatedInvokes(Workbench &bench) {
    std::vector<CaseParameters> cases;
    for (const CaseParameters &command : ListEachCommand(bench)) {
        for (const Repetition &repetition : kRepetitions) {
            cases.push_back(CaseParameters(command)
                                .Set("document", repetition.document)
                                .Set("selection", repetition.selection));
        }
    }
    return cases;
}

std::string Kibibytes(uint64_t bytes) { return std::to_string(bytes >> 10) + " KiB"; }

const Repetition &RepetitionOf(const std::string &name, const std::string &selected) {
    const auto repetition = std::find_if(
        std::begin(kRepetitions), std::end(kRepetitions), [&](const Repetition &candidate) {
            return name == candidate.document && selected == candidate.selection;
        });
    if (repetition == std::end(kRepetitions)) {
        throw UsageError("no repeated invokes on the document '" + name + "' with selection '" +
                         selected + "'");
    }
    return *repetition;
}

// The process's memory and address space, in bytes, at one moment.
struct Footprint {
    uint64_t memory = 0;
    uint64_t addressSpace = 0;
};

Footprint FootprintNow() { return {ProcessMemoryBytes(), ProcessAddressSpaceBytes()}; }

// The warm-up's and then the measured invokes of `command`, in a row, each
// held to the bound on host calls and to the rules; `before` is taken
// between the two. The save rules hold for the thousandth invoke as for the
// first: an invoke's calls are looked at, then let go, so that the trace
// does not grow with the invokes.
Faults InvokeRepeatedly(Plugin &module, uint16_t command, const Repetition &repetition,
                        ValidationDocument &document, const std::string &what, Footprint &before) {
    const int invokes = repetition.invokes, warmUp = invokes / 10;
    GuardedBuffer record(*BuildSelection(repetition.selection, document.lastMeasure));
    Faults faults;
    {
        const CurrentHost current(document.host);
        faults = Handshake(module, document.hostVersion);
    }
    for (int invoke = 1; invoke <= warmUp + invokes && faults.empty(); ++invoke) {
        if (invoke == warmUp + 1) before = FootprintNow();
        uint32_t answer = 1;
        document.host.ClearTrace();
        document.host.SetTracing(repetition.rulesEveryInvoke || invoke == warmUp + invokes);
        CallBoundedHost bounded(document.host);
        const CurrentHost current(bounded);
        const Faults called = CallEntryPoint("FinaleExtensionInvoke", [&] {
            answer = module.invoke(nullptr, command, record.Data());
        });
        const std::string where = what + ", invoke " + std::to_string(invoke);
        const std::string past = bounded.BoundFault();
        if (!past.empty()) faults.push_back(where + ": " + past);
        AddFaults(faults, called);
        AddFaults(faults, BrokenRules(document.host.Trace(), answer), where);
    }
    record.Retire(kRetiredSelection);
    return faults;
}

uint64_t Growth(uint64_t before, uint64_t after) { return after > before ? after - before : 0; }

// What the invokes grew, as a note, and as faults where past a bound.
Faults GrowthFaults(const std::string &what, int invokes, const Footprint &before,
                    const Footprint &after, CaseLog &log) {
    const uint64_t growth = Growth(before.memory, after.memory);
    const uint64_t spaceGrowth = Growth(before.addressSpace, after.addressSpace);
    const std::string over = " over " + std::to_string(invokes) + " invokes";
    log.Note(what + ": memory grew by " + Kibibytes(growth) + over + ", the address space by " +
             Kibibytes(spaceGrowth));
    Faults faults;
    if (growth > kMostMemoryGrowth) {
        faults.push_back(what + ": memory grew by " + Kibibytes(growth) + over + " (from " +
                         Kibibytes(before.memory) + " to " + Kibibytes(after.memory) +
                         "); the bound is " + Kibibytes(kMostMemoryGrowth));
    }
    if (spaceGrowth > kMostAddressSpaceGrowth) {
        faults.push_back(what + ": the address space grew by " + Kibibytes(spaceGrowth) + over +
                         " (from " + Kibibytes(before.addressSpace) + " to " +
                         Kibibytes(after.addressSpace) +
                         "), mapped and kept whether touched or not; the bound is " +
                         Kibibytes(kMostAddressSpaceGrowth));
    }
    return faults;
}

Faults RunRepeatedInvokes(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    const auto command = static_cast<uint16_t>(parameters.Number("command"));
    const std::string &name = parameters.Text("document");
    const std::string &selected = parameters.Text("selection");
    const Repetition &repetition = RepetitionOf(name, selected);
    ValidationDocument document = BuildDocument(name);
    const std::string what = "command " + std::to_string(command) + " on the " + name +
                             " document" + (selected == "all" ? "" : ", selection " + selected);
    Footprint before;
    Faults faults = InvokeRepeatedly(bench.Module(), command, repetition, document, what, before);
    if (!faults.empty()) return faults;
    return GrowthFaults(what, repetition.invokes, before, FootprintNow(), log);
}

}  // namespace

Check RepeatedInvokesCheck() {
    return {5,
            "repeated-invokes",
            "invokes in a row on a short and a long document, all or a few measures selected, "
            "memory growing by 1 MiB at most, the address space by 64 MiB",
            HoldsFor::AnyModule,
            ListRepeatedInvokes,
            RunRepeatedInvokes};
}

}  // namespace standin::validator
