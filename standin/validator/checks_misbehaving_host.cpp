// Level 4: a host that misbehaves. Records shorter or longer than the room
// the module offers, sizes reported wrongly, host versions at every
// boundary, parts and selections no ordinary run produces, and every other
// answer the interface leaves a host free to give. The module must hold
// only what it was given, keep every rule of level 2, and end each command
// within a number of host calls that grows with the document's records
// alone.
#include "standin/platform/text_output.h"
#include "standin/validator/checks.h"
#include "standin/validator/command_run.h"
#include "standin/validator/host_misbehaviour.h"
#include "standin/validator/misbehaving_host.h"
#include "standin/validator/validation_documents.h"

namespace standin::validator {
namespace {

// The current parts: the first part, a part whose low 16 bits are 0 (the
// score, as the host counts), and the ends of the range.
const std::vector<uint32_t> kUnusualParts{1, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};

// Runs the case's command on a misbehaving host made from its document,
// which `choose` tells how to answer.
Faults RunMisbehaving(Workbench &bench, const CaseParameters &parameters, CaseLog &log,
                      const std::function<void(MisbehavingHost &)> &choose = {}) {
    const CommandScenario scenario = CommandScenario::From(parameters);
    ValidationDocument document = BuildDocument(scenario.document);
    MisbehavingHost host(std::move(document.host));
    if (choose) choose(host);
    return RunScenarioOn(bench.Module(), scenario, document, host, log,
                         [&host](Host &) { host.BeginCommand(); });
}

// The offered commands on `document`, all measures selected, each with
// every value of `key`.
std::vector<CaseParameters> EachCommandWith(Workbench &bench, const std::string &key,
                                            const std::vector<std::string> &values,
                                            const std::string &document = "short") {
    std::vector<CaseParameters> cases;
    for (const CommandScenario &scenario : OfferedScenarios(bench.Module(), {document}, {"all"})) {
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
    return RunMisbehaving(bench, parameters, log, [&](MisbehavingHost &host) {
        ResizeRecords(host, records.substr(0, slash), records.substr(slash + 1));
    });
}

std::vector<CaseParameters> ListSizes(Workbench &bench) {
    return EachCommandWith(bench, "size", SizeReportNames());
}

Faults RunSizes(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    return RunMisbehaving(bench, parameters, log, [&](MisbehavingHost &host) {
        MisreportSizes(host, parameters.Text("size"));
    });
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
    return RunMisbehaving(bench, parameters, log);
}

std::vector<CaseParameters> ListParts(Workbench &bench) {
    std::vector<std::string> parts;
    parts.reserve(kUnusualParts.size());
    for (const uint32_t part : kUnusualParts) parts.push_back(Hex32(part));
    return EachCommandWith(bench, "part", parts);
}

Faults RunPart(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    const auto part = static_cast<int32_t>(parameters.Number("part"));
    return RunMisbehaving(bench, parameters, log,
                          [part](MisbehavingHost &host) { host.SetCurrentPart(part); });
}

std::vector<CaseParameters> ListWalks(Workbench &bench) {
    return EachCommandWith(bench, "next", NextAnswerNames());
}

Faults RunWalks(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    return RunMisbehaving(bench, parameters, log, [&](MisbehavingHost &host) {
        host.AnswerNexts(parameters.Text("next"));
    });
}

std::vector<CaseParameters> ListLoads(Workbench &bench) {
    return EachCommandWith(bench, "load", LoadAnswerNames());
}

Faults RunLoads(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    return RunMisbehaving(bench, parameters, log, [&](MisbehavingHost &host) {
        host.AnswerLoads(parameters.Text("load"));
    });
}

std::vector<CaseParameters> ListSaves(Workbench &bench) {
    return EachCommandWith(bench, "save", SaveAnswerNames());
}

Faults RunSaves(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    return RunMisbehaving(bench, parameters, log, [&](MisbehavingHost &host) {
        host.AnswerSaves(parameters.Text("save"));
    });
}

// On a document whose systems wait for their layout, so that a command asks
// for it.
std::vector<CaseParameters> ListLayouts(Workbench &bench) {
    return EachCommandWith(bench, "layout", LayoutAnswerNames(), "not-laid-out");
}

Faults RunLayouts(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    return RunMisbehaving(bench, parameters, log, [&](MisbehavingHost &host) {
        host.AnswerLayoutUpdates(parameters.Text("layout"));
    });
}

std::vector<CaseParameters> ListDocuments(Workbench &bench) {
    return EachCommandWith(bench, "current", DocumentAnswerNames());
}

Faults RunDocuments(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    return RunMisbehaving(bench, parameters, log, [&](MisbehavingHost &host) {
        host.AnswerCurrentDocument(parameters.Text("current"));
    });
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
             HoldsFor::AnyModule, ListShortRecords, RunResized},
            {4, "long-records", "records longer than the room the module offers",
             HoldsFor::AnyModule, ListLongRecords, RunResized},
            {4, "misreported-sizes", "loads that report a record's size wrongly",
             HoldsFor::AnyModule, ListSizes, RunSizes},
            {4, "version-boundaries", "each offered command at every boundary host version",
             HoldsFor::AnyModule, ListVersions, RunScenarioAsItIs},
            {4, "unusual-parts", "current parts no ordinary document has", HoldsFor::AnyModule,
             ListParts, RunPart},
            {4, "unusual-selections", "selection records no ordinary selection makes",
             HoldsFor::AnyModule, ListSelections, RunScenarioAsItIs},
            {4, "unusual-walks", "nexts that stay, go back, cycle, jump or fail midway",
             HoldsFor::AnyModule, ListWalks, RunWalks},
            {4, "unusual-loads", "loads that copy less than they report or move the key",
             HoldsFor::AnyModule, ListLoads, RunLoads},
            {4, "unusual-saves", "saves that fail or move the key", HoldsFor::AnyModule, ListSaves,
             RunSaves},
            {4, "unusual-layouts", "layout updates that do less, more or other than asked",
             HoldsFor::AnyModule, ListLayouts, RunLayouts},
            {4, "unusual-documents", "current documents of any number, or another each time",
             HoldsFor::AnyModule, ListDocuments, RunDocuments},
        });
}

}  // namespace standin::validator
