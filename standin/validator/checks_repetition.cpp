// Level 5: random documents and repetition. Many documents no person would
// make, drawn from the seed; a thousand invokes in a row, as a long working
// session makes them, with the process's memory measured around them; and
// the command's time beside the time of its bare host calls.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "standin/host/host_replay.h"
#include "standin/validator/checks.h"
#include "standin/validator/command_run.h"
#include "standin/validator/guarded_buffer.h"
#include "standin/validator/random_documents.h"
#include "standin/validator/validation_documents.h"
#include "standin/validator/validator_platform.h"

namespace standin::validator {
namespace {

constexpr uint32_t kRandomDocuments = 1000;
// About 1 KiB an invoke: more than the allocator's own rounding, far less
// than any record a command keeps by mistake.
constexpr uint64_t kMostMemoryGrowth = 1u << 20;
constexpr int kTimedRounds = 5;
// A module's own work should vanish beside its calls into the host; at ten
// times their time it is the module the user waits for. Work a command
// does once, whatever the document (finding its host functions, say), has
// a millisecond besides.
constexpr double kMostTimeRatio = 10.0;
constexpr double kOnceSeconds = 1e-3;

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
    if (offered.empty()) return {};
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

std::vector<CaseParameters> ListEachCommand(Workbench &bench) {
    std::vector<CaseParameters> cases;
    for (const CommandScenario &scenario : OfferedScenarios(bench.Module(), {"short"}, {"all"})) {
        cases.push_back(CaseParameters().Set("command", scenario.command));
    }
    return cases;
}

// How many invokes a memory case makes on each document, after as many
// again as a tenth to warm up.
struct Repetition {
    const char *document;
    int invokes;
};
// The long document's selection is a hundred times the short one's: a
// module that keeps something per measure grows with it.
const Repetition kRepetitions[] = {{"short", 1000}, {"long", 200}};

std::vector<CaseParameters> ListRepeatedInvokes(Workbench &bench) {
    std::vector<CaseParameters> cases;
    for (const CaseParameters &command : ListEachCommand(bench)) {
        for (const Repetition &repetition : kRepetitions) {
            cases.push_back(CaseParameters(command).Set("document", repetition.document));
        }
    }
    return cases;
}

std::string Kibibytes(uint64_t bytes) { return std::to_string(bytes >> 10) + " KiB"; }

Faults RunRepeatedInvokes(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    const auto command = static_cast<uint16_t>(parameters.Number("command"));
    const std::string &name = parameters.Text("document");
    const auto repetition =
        std::find_if(std::begin(kRepetitions), std::end(kRepetitions),
                     [&](const Repetition &candidate) { return name == candidate.document; });
    if (repetition == std::end(kRepetitions)) {
        throw UsageError("no repeated invokes on the document '" + name + "'");
    }
    const int invokes = repetition->invokes, warmUp = invokes / 10;
    ValidationDocument document = BuildDocument(name);
    const auto selection = BuildSelection("all", document.lastMeasure);
    GuardedBuffer record(*selection);
    // A real host keeps no trace; a trace here would grow on its own.
    document.host.SetTracing(false);
    Plugin &module = bench.Module();
    const CurrentHost current(document.host);
    Faults faults = Handshake(module, document.hostVersion);
    uint64_t before = 0;
    for (int invoke = 1; invoke <= warmUp + invokes && faults.empty(); ++invoke) {
        if (invoke == warmUp + 1) before = ProcessMemoryBytes();
        uint32_t answer = 1;
        AddFaults(faults, CallEntryPoint("FinaleExtensionInvoke", [&] {
                      answer = module.invoke(nullptr, command, record.Data());
                  }));
        if (answer != 1) {
            faults.push_back("invoke " + std::to_string(invoke) + " answered " +
                             std::to_string(answer) + ", not 1");
        }
    }
    record.Retire(kRetiredSelection);
    if (!faults.empty()) return faults;
    const uint64_t after = ProcessMemoryBytes();
    const uint64_t growth = after > before ? after - before : 0;
    const std::string measured = "command " + std::to_string(command) + " on the " + name +
                                 " document: memory grew by " + Kibibytes(growth) + " over " +
                                 std::to_string(invokes) + " invokes";
    log.Note(measured);
    if (growth > kMostMemoryGrowth) {
        faults.push_back(measured + " (from " + Kibibytes(before) + " to " + Kibibytes(after) +
                         "); the bound is " + Kibibytes(kMostMemoryGrowth));
    }
    return faults;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string Milliseconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f ms", seconds * 1e3);
    return text;
}

Faults RunCommandTime(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    const auto command = static_cast<uint16_t>(parameters.Number("command"));
    const ValidationDocument document = BuildDocument("long");
    const auto selection = BuildSelection("all", document.lastMeasure);
    GuardedBuffer record(*selection);
    Plugin &module = bench.Module();
    Host byCommand = document.host;
    {
        const CurrentHost current(byCommand);
        Handshake(module, document.hostVersion);
    }
    Faults faults = InvokeAndCheck(module, byCommand, command, selection, [&](Host &host) {
        log.Watch(host, "command " + std::to_string(command) + " on the long document");
    });
    const std::string difference = ReplayDifference(document.host, byCommand);
    if (!difference.empty()) {
        faults.push_back("its host calls could not be made again as it made them: " + difference);
    }
    if (!faults.empty()) return faults;

    // The module is timed within each call; what a call left changed is
    // looked at after it, outside the time.
    const HostReplay replay(byCommand.Trace());
    std::vector<double> commandSeconds, callSeconds;
    for (int round = 0; round < kTimedRounds; ++round) {
        // Both sides start from the same document and keep no trace;
        // taking turns at going first keeps caches from favouring either.
        Host forCommand = document.host, forCalls = document.host;
        forCommand.SetTracing(false);
        forCalls.SetTracing(false);
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (round % 2 == 0)) {
                const CurrentHost current(forCommand);
                AddFaults(faults, CallEntryPoint("FinaleExtensionInvoke", [&] {
                              const Clock::time_point start = Clock::now();
                              module.invoke(nullptr, command, record.Data());
                              commandSeconds.push_back(
                                  std::chrono::duration<double>(Clock::now() - start).count());
                          }));
            } else {
                const Clock::time_point start = Clock::now();
                replay.Run(forCalls);
                callSeconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
            }
        }
    }
    record.Retire(kRetiredSelection);
    if (!faults.empty()) return faults;
    const double commandTime = Median(commandSeconds), callTime = Median(callSeconds);
    const double ratio = callTime > 0 ? commandTime / callTime : 0;
    char ratioText[32];
    std::snprintf(ratioText, sizeof ratioText, "%.2f", ratio);
    const std::string measured = "command " + std::to_string(command) + ": " +
                                 Milliseconds(commandTime) + " against " + Milliseconds(callTime) +
                                 " for its " + std::to_string(replay.CallCount()) +
                                 " host calls, " + ratioText + " times";
    log.Note(measured);
    if (commandTime > kMostTimeRatio * callTime + kOnceSeconds) {
        faults.push_back(measured + "; the bound is 10 times and 1 ms");
    }
    return faults;
}

}  // namespace

void AddRepetitionChecks(std::vector<Check> &checks) {
    checks.insert(
        checks.end(),
        {
            {5, "random-documents", "random documents and host behaviour drawn from the seed",
             ListRandomDocuments, RunRandomDocument},
            {5, "repeated-invokes",
             "invokes in a row on a short and a long document, memory growing by 1 MiB at most",
             ListRepeatedInvokes, RunRepeatedInvokes},
            {5, "command-time",
             "each command on a long document: at most 10 times its bare host calls, and 1 ms",
             ListEachCommand, RunCommandTime},
        });
}

}  // namespace standin::validator
