// Level 2: each command the module offers, on ordinary documents, with and
// without a selection, as a user runs it. After each invoke: what the
// module answered, what it saved and deleted against what it loaded, and
// the selection record untouched inside and around.
#include "standin/validator/checks.h"
#include "standin/validator/command_run.h"
#include "standin/validator/validation_documents.h"

namespace standin::validator {
namespace {

std::vector<CaseParameters> AsCases(const std::vector<CommandScenario> &scenarios) {
    std::vector<CaseParameters> cases;
    cases.reserve(scenarios.size());
    for (const CommandScenario &scenario : scenarios) cases.push_back(scenario.Parameters());
    return cases;
}

std::vector<CaseParameters> ListWithSelection(Workbench &bench) {
    return AsCases(OfferedScenarios(bench.Module(), DocumentNames(), {"all", "inner"}));
}

std::vector<CaseParameters> ListWithoutSelection(Workbench &bench) {
    return AsCases(OfferedScenarios(bench.Module(), DocumentNames(), {"none"}));
}

Faults RunCommand(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    return RunScenario(bench.Module(), CommandScenario::From(parameters), log);
}

}  // namespace

void AddCommandChecks(std::vector<Check> &checks) {
    checks.insert(checks.end(),
                  {
                      {2, "commands-selection",
                       "each offered command on ordinary documents, with measures selected",
                       HoldsFor::AnyModule, ListWithSelection, RunCommand},
                      {2, "commands-no-selection",
                       "each offered command on ordinary documents, with no selection record",
                       HoldsFor::AnyModule, ListWithoutSelection, RunCommand},
                  });
}

}  // namespace standin::validator
