// Level 5: the same command on the same document, by instances of the
// module a host started afresh, must leave the same document, whether it
// is the instance's first command or comes after one on another document.
// A module whose result follows from where it was loaded, or from what an
// earlier document left in it, gives the user a score that depends on the
// session's history.
#include "interface/data_tag.h"
#include "standin/validator/checks.h"
#include "standin/validator/command_run.h"
#include "standin/validator/validation_documents.h"

namespace standin::validator {
namespace {

std::vector<CaseParameters> ListIdenticalRuns(Workbench &bench) {
    std::vector<CaseParameters> cases;
    for (const CommandScenario &scenario :
         OfferedScenarios(bench.Module(), DocumentNames(), {"all"})) {
        cases.push_back(scenario.Parameters());
    }
    return cases;
}

// The document the scenario leaves, and what went wrong on the way.
struct Outcome {
    RecordStore::Map records;
    Faults faults;
};

Outcome Run(Plugin &module, const CommandScenario &scenario, CaseLog &log) {
    ValidationDocument document = BuildDocument(scenario.document);
    Outcome outcome;
    outcome.faults = RunScenarioOn(module, scenario, document, document.host, log);
    outcome.records = document.host.Records().All();
    return outcome;
}

std::string Named(const RecordKey &key) {
    return "'" + hostdata::TagText(key.tag) + "' (" + std::to_string(key.item) + "," +
           std::to_string(key.inci) + ")";
}

// The first record in which two documents differ, and how: "'SOSS' (1,0),
// bytes 2-3: 48 00 -> 90 00"; empty when they are the same.
std::string FirstDifference(const RecordStore::Map &first, const RecordStore::Map &second) {
    auto a = first.begin();
    auto b = second.begin();
    for (; a != first.end() && b != second.end(); ++a, ++b) {
        if (a->first < b->first) return Named(a->first) + " only in the first";
        if (b->first < a->first) return Named(b->first) + " only in the second";
        if (a->second != b->second)
            return Named(a->first) + ", " + ChangedBytes(a->second, b->second);
    }
    if (a != first.end()) return Named(a->first) + " only in the first";
    if (b != second.end()) return Named(b->first) + " only in the second";
    return {};
}

// Another document for the instance's first command: the one not laid out,
// whose systems differ from every other's in their first measures, or the
// short one when the case is on it. Both are small: the check stays quick.
CommandScenario EarlierScenario(const CommandScenario &scenario) {
    CommandScenario earlier = scenario;
    earlier.document = scenario.document == "not-laid-out" ? "short" : "not-laid-out";
    return earlier;
}

Faults RunIdentically(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    const CommandScenario scenario = CommandScenario::From(parameters);
    const CommandScenario earlier = EarlierScenario(scenario);
    // Each instance is loaded while the ones before it still are: at an
    // address of its own.
    const auto alone = bench.Fresh();
    Outcome first = Run(*alone->plugin, scenario, log);
    const auto later = bench.Fresh();
    Faults faults = Run(*later->plugin, earlier, log).faults;
    Outcome second = Run(*later->plugin, scenario, log);
    AddFaults(faults, first.faults);
    AddFaults(faults, second.faults);
    const std::string differs = FirstDifference(first.records, second.records);
    if (differs.empty()) return faults;
    // Which of the two: a third instance, alone again.
    const auto again = bench.Fresh();
    Outcome third = Run(*again->plugin, scenario, log);
    AddFaults(faults, third.faults);
    const std::string alonesDiffer = FirstDifference(first.records, third.records);
    if (!alonesDiffer.empty()) {
        faults.push_back(
            "two instances of the module, each loaded afresh at an address of its own, left "
            "different documents after the same command: " +
            alonesDiffer + ": the result follows from something other than the document");
    } else {
        faults.push_back("after " + earlier.Title() +
                         ", the same instance left another document than one loaded afresh: " +
                         differs + ": it carried something from one document to the next");
    }
    return faults;
}

}  // namespace

Check IdenticalRunsCheck() {
    return {5,
            "identical-runs",
            "each offered command leaves the same document in fresh instances of the module and "
            "after a command on another document",
            HoldsFor::AnyModule,
            ListIdenticalRuns,
            RunIdentically};
}

}  // namespace standin::validator
