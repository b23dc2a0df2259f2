#include "standin/validator/checks.h"

#include "interface/host_functions.h"
#include "interface/host_version_words.h"
#include "standin/validator/command_run.h"

namespace standin::validator {

const std::vector<Check> &AllChecks() {
    static const std::vector<Check> checks = [] {
        std::vector<Check> all;
        AddLoadingChecks(all);
        AddCommandChecks(all);
        AddFailingHostChecks(all);
        AddMisbehavingHostChecks(all);
        all.push_back(IdenticalRunsCheck());
        all.push_back(RandomDocumentsCheck());
        all.push_back(RepeatedInvokesCheck());
        all.push_back(CommandTimeCheck());
        return all;
    }();
    return checks;
}

const Check *FindCheck(const std::string &name) {
    for (const Check &check : AllChecks()) {
        if (name == check.name) return &check;
    }
    return nullptr;
}

std::vector<CaseParameters> ListEachCommand(Workbench &bench) {
    std::vector<CaseParameters> cases;
    for (const CommandScenario &scenario : OfferedScenarios(bench.Module(), {"short"}, {"all"})) {
        cases.push_back(CaseParameters().Set("command", scenario.command));
    }
    return cases;
}

const std::vector<std::string> &HostFunctionNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const hostdata::HostFunctionFacts &function : hostdata::kHostFunctions) {
            all.push_back(function.name);
        }
        return all;
    }();
    return names;
}

const std::vector<uint32_t> &BoundaryHostVersions() {
    static const std::vector<uint32_t> versions{0x00000000u,
                                                hostdata::kFullNamesHostVersion - 1,
                                                hostdata::kFullNamesHostVersion,
                                                hostdata::kLongMeasureHostVersion - 1,
                                                hostdata::kLongMeasureHostVersion,
                                                hostdata::kFrameworkDataVersion - 1,
                                                hostdata::kFrameworkDataVersion,
                                                0x7FFFFFFFu,
                                                0x80000000u,
                                                0xFFFFFFFFu};
    return versions;
}

}  // namespace standin::validator
