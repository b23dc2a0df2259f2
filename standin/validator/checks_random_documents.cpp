// Level 5: many documents no person would make, drawn from the seed, each
// with a command the module offers and, at times, a host call that fails.
#include "standin/validator/checks.h"
#include "standin/validator/command_run.h"
#include "standin/validator/random_documents.h"

namespace standin::validator {
namespace {

constexpr uint32_t kRandomDocuments = 1000;
std::vector<CaseParameters> ListRandomDocuments(Workbench &) {
    std::vector<CaseParameters> cases;
    for (uint32_t number = 1; number <= kRandomDocuments; ++number) {
        cases.push_back(CaseParameters().Set("number", number));
    }
    return cases;
}

Faults RunRandomDocument(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    RandomRun run = MakeRandomRun(bench.Seed(), parameters.Number("number"));
    Plugin &module = bench.Module();
    std::vector<uint16_t> offered;
    {
        const CurrentHost current(run.host);
        offered = OfferedCommands(module, run.hostVersion);
    }
    // Nothing checked is no pass: a module whose menus are empty here left
    // the host's user nothing to pick.
    if (offered.empty()) {
        return {run.description + ": the menus offered no command, so none could run"};
    }
    const uint16_t command = offered[run.commandPick % offered.size()];
    Faults faults;
    {
        const CurrentHost current(run.host);
        faults = Handshake(module, run.hostVersion);
    }
    const uint32_t failing = run.failingCall;
    const std::string title = "command " + std::to_string(command) + ", " + run.description;
    AddFaults(faults, InvokeAndCheck(module, run.host, command, run.selection, [&](Host &host) {
                  log.Watch(host, title);
                  if (failing == 0) return;
                  host.FailCallsWhere([&host, failing](const HostCall &) {
                      return host.Trace().size() + 1 == failing;
                  });
              }));
    Faults described;
    AddFaults(described, faults, title);
    return described;
}

}  // namespace

Check RandomDocumentsCheck() {
    return {5,
            "random-documents",
            "random documents and host behaviour drawn from the seed",
            HoldsFor::ThisPlugin,
            ListRandomDocuments,
            RunRandomDocument};
}

}  // namespace standin::validator
