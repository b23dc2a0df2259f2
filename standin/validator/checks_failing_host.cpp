// Level 3: a host that fails. A host may lack any of its nine functions (an
// older or a smaller host), and any call may fail (a record that is not
// there, a document that is locked). The module must carry on, keep the
// rules, and never save what a failed load did not give it.
#include "standin/platform/module_loader.h"
#include "standin/validator/checks.h"
#include "standin/validator/command_run.h"
#include "standin/validator/validation_documents.h"

namespace standin::validator {
namespace {

// The documents a failing host serves: small, so that every call of a
// command can fail in turn.
const std::vector<std::string> kSmallDocuments{"short", "part-view", "not-laid-out"};

std::vector<CaseParameters> ListAbsentFunctions(Workbench &) {
    std::vector<CaseParameters> cases;
    for (const std::string &function : HostFunctionNames()) {
        cases.push_back(CaseParameters().Set("function", function));
    }
    return cases;
}

// Runs in a host program built without the function.
Faults RunAbsentFunction(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    const std::string &function = parameters.Text("function");
    if (ThisProgramExports(function.c_str())) {
        return {"this host program has " + function +
                "; the validator runs this case in the one "
                "beside it that lacks it (lacking/" +
                function + "/)"};
    }
    Faults faults;
    for (const CommandScenario &scenario :
         OfferedScenarios(bench.Module(), kSmallDocuments, {"all", "none"})) {
        AddFaults(faults, RunScenario(bench.Module(), scenario, log), scenario.Title());
    }
    return faults;
}

std::size_t CallsOf(Plugin &module, const CommandScenario &scenario) {
    ValidationDocument document = BuildDocument(scenario.document);
    {
        const CurrentHost current(document.host);
        Handshake(module, document.hostVersion);
    }
    InvokeAndCheck(module, document.host, scenario.command,
                   BuildSelection(scenario.selection, document.lastMeasure));
    return document.host.Trace().size();
}

std::vector<CaseParameters> ListFailingCalls(Workbench &bench) {
    std::vector<CaseParameters> cases;
    for (const CommandScenario &scenario :
         OfferedScenarios(bench.Module(), kSmallDocuments, {"all"})) {
        const std::size_t calls = CallsOf(bench.Module(), scenario);
        for (std::size_t call = 1; call <= calls; ++call) {
            cases.push_back(scenario.Parameters().Set("call", static_cast<uint32_t>(call)));
        }
    }
    return cases;
}

Faults RunFailingCall(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    const uint32_t failing = parameters.Number("call");
    return RunScenario(
        bench.Module(), CommandScenario::From(parameters), log, {}, [failing](Host &host) {
            // The trace holds the calls before this one.
            host.FailCallsWhere(
                [&host, failing](const HostCall &) { return host.Trace().size() + 1 == failing; });
        });
}

}  // namespace

void AddFailingHostChecks(std::vector<Check> &checks) {
    checks.insert(
        checks.end(),
        {
            {3, "absent-function", "a host that lacks one of its nine functions, each in turn",
             HoldsFor::AnyModule, ListAbsentFunctions, RunAbsentFunction, true},
            {3, "failing-call", "each host call of a command failing in turn", HoldsFor::AnyModule,
             ListFailingCalls, RunFailingCall},
        });
}

}  // namespace standin::validator
