// Level 4: a host that misbehaves. Records shorter or longer than the room
// the module offers, sizes reported wrongly, host versions at every
// boundary, parts and selections no ordinary run produces. The module must
// hold only what it was given and keep every rule of level 2.
#include "standin/system/text_output.h"
#include "standin/validator/checks.h"
#include "standin/validator/command_run.h"
#include "standin/validator/host_misbehaviour.h"
#include "standin/validator/validation_documents.h"

namespace standin::validator {
namespace {

// The current parts: the first part, a part whose low 16 bits are 0 (the
// score, as the host counts), and the ends of the range.
const std::vector<uint32_t> kUnusualParts{1, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};

// The offered commands on the short document, all measures selected, each
// with every value of `key`.
std::vector<CaseParameters> EachCommandWith(Workbench &bench, const std::string &key,
                                            const std::vector<std::string> &values) {
    std::vector<CaseParameters> cases;
    for (const CommandScenario &scenario : OfferedScenarios(bench.Module(), {"short"}, {"all"})) {
        for (const std::string &value : values) {
            cases.push_back(scenario.Parameters().Set(key, value));
        }
    }
    return cases;
}

std::vector<CaseParameters> EachKindWith(Workbench &bench,
                                         const std::vector<std::string> &lengths) {
    std::vector<std::string> values;
    for (const std::string &kind : RecordKindNames()) {
        for (const std::string &length : lengths) values.push_back(kind + "/" + length);
    }
    return EachCommandWith(bench, "records", values);
}

std::vector<CaseParameters> ListShortRecords(Workbench &bench) {
    return EachKindWith(bench, ShorterLengthNames());
}
std::vector<CaseParameters> ListLongRecords(Workbench &bench) {
    return EachKindWith(bench, LongerLengthNames());
}

Faults RunResized(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    const std::string &records = parameters.Text("records");
    const std::size_t slash = records.find('/');
    if (slash == std::string::npos) {
        throw UsageError("records '" + records + "' is not KIND/LENGTH");
    }
    return RunScenario(bench.Module(), CommandScenario::From(parameters), log, [&](Host &host) {
        ResizeRecords(host, records.substr(0, slash), records.substr(slash + 1));
    });
}

std::vector<CaseParameters> ListSizes(Workbench &bench) {
    return EachCommandWith(bench, "size", SizeReportNames());
}

Faults RunSizes(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    return RunScenario(bench.Module(), CommandScenario::From(parameters), log,
                       [&](Host &host) { MisreportSizes(host, parameters.Text("size")); });
}

std::vector<CaseParameters> ListVersions(Workbench &bench) {
    std::vector<CaseParameters> cases;
    for (const uint32_t version : BoundaryHostVersions()) {
        for (const uint16_t command : OfferedCommands(bench.Module(), version)) {
            CommandScenario scenario;
            scenario.command = command;
            scenario.hostVersion = version;
            cases.push_back(scenario.Parameters());
        }
    }
    return cases;
}

Faults RunScenarioAsItIs(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    return RunScenario(bench.Module(), CommandScenario::From(parameters), log);
}

std::vector<CaseParameters> ListParts(Workbench &bench) {
    std::vector<std::string> parts;
    parts.reserve(kUnusualParts.size());
    for (const uint32_t part : kUnusualParts) parts.push_back(Hex32(part));
    return EachCommandWith(bench, "part", parts);
}

Faults RunPart(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    const auto part = static_cast<int32_t>(parameters.Number("part"));
    return RunScenario(bench.Module(), CommandScenario::From(parameters), log,
                       [part](Host &host) { host.SetCurrentPart(part); });
}

std::vector<CaseParameters> ListSelections(Workbench &bench) {
    std::vector<CaseParameters> cases;
    for (const CommandScenario &scenario :
         OfferedScenarios(bench.Module(), {"short"}, UnusualSelectionNames())) {
        cases.push_back(scenario.Parameters());
    }
    return cases;
}

}  // namespace

void AddMisbehavingHostChecks(std::vector<Check> &checks) {
    checks.insert(
        checks.end(),
        {
            {4, "short-records", "records shorter than the room the module offers",
             ListShortRecords, RunResized},
            {4, "long-records", "records longer than the room the module offers", ListLongRecords,
             RunResized},
            {4, "misreported-sizes", "loads that report a record's size wrongly", ListSizes,
             RunSizes},
            {4, "version-boundaries", "each offered command at every boundary host version",
             ListVersions, RunScenarioAsItIs},
            {4, "unusual-parts", "current parts no ordinary document has", ListParts, RunPart},
            {4, "unusual-selections", "selection records no ordinary selection makes",
             ListSelections, RunScenarioAsItIs},
        });
}

}  // namespace standin::validator
