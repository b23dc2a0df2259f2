// Level 5: the command's time beside the time of its bare host calls, made
// again from its trace.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "standin/host/trace_reissue.h"
#include "standin/validator/checks.h"
#include "standin/validator/command_run.h"
#include "standin/validator/guarded_buffer.h"
#include "standin/validator/validation_documents.h"
#include "standin/validator/validator_platform.h"

namespace standin::validator {
namespace {

constexpr int kTimedRounds = 5;
// A module's own work should vanish beside its calls into the host; at ten
// times their time it is the module the user waits for. Work a command
// does once, whatever the document (finding its host functions, say), has
// a millisecond besides.
constexpr double kMostTimeRatio = 10.0;
constexpr double kOnceSeconds = 1e-3;

// The least of the rounds: a run the system interrupted, or gave another
// program's turn to, only ever takes longer, and on a short selection a
// single interruption is many times the command's own time.
double Least(const std::vector<double> &values) {
    return *std::min_element(values.begin(), values.end());
}

std::string Milliseconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f ms", seconds * 1e3);
    return text;
}

// Each command with every measure selected and with a few at the start,
// the middle and the end: a module may be slow only on a part of the score.
std::vector<CaseParameters> ListCommandTimes(Workbench &bench) {
    std::vector<std::string> selections{"all"};
    for (const std::string &partial : PartialSelectionNames()) selections.push_back(partial);
    std::vector<CaseParameters> cases;
    for (const CaseParameters &command : ListEachCommand(bench)) {
        for (const std::string &selection : selections) {
            cases.push_back(CaseParameters(command).Set("selection", selection));
        }
    }
    return cases;
}

// The least times, in seconds, of the command and of its bare host calls.
struct Times {
    double command = 0;
    double calls = 0;
};

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The command and its reissued calls, each timed kTimedRounds times from
// the same document. The module is timed within each call; what a call
// left changed is looked at after it, outside the time.
Times TimeRounds(Plugin &module, uint16_t command, const Host &original,
                 const TraceReissue &reissue, GuardedBuffer &record, Faults &faults) {
    std::vector<double> commandSeconds, callSeconds;
    for (int round = 0; round < kTimedRounds; ++round) {
        // Both sides start from the same document and keep no trace;
        // taking turns at going first keeps caches from favouring either.
        Host forCommand = original, forCalls = original;
        forCommand.SetTracing(false);
        forCalls.SetTracing(false);
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (round % 2 == 0)) {
                const CurrentHost current(forCommand);
                AddFaults(faults, CallEntryPoint("FinaleExtensionInvoke", [&] {
                              const Clock::time_point start = Clock::now();
                              module.invoke(nullptr, command, record.Data());
                              commandSeconds.push_back(SecondsSince(start));
                          }));
            } else {
                const Clock::time_point start = Clock::now();
                reissue.Run(forCalls);
                callSeconds.push_back(SecondsSince(start));
            }
        }
    }
    return {Least(commandSeconds), Least(callSeconds)};
}

// The times, as a note, and as a fault where past the bound.
Faults TimeFaults(const std::string &title, const Times &times, std::size_t callCount,
                  CaseLog &log) {
    const double ratio = times.calls > 0 ? times.command / times.calls : 0;
    char ratioText[32];
    std::snprintf(ratioText, sizeof ratioText, "%.2f", ratio);
    const std::string measured = title + ": " + Milliseconds(times.command) + " against " +
                                 Milliseconds(times.calls) + " for its " +
                                 std::to_string(callCount) + " host calls, " + ratioText + " times";
    log.Note(measured);
    if (times.command > kMostTimeRatio * times.calls + kOnceSeconds) {
        return {measured + "; the bound is 10 times and 1 ms"};
    }
    return {};
}

Faults RunCommandTime(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    const auto command = static_cast<uint16_t>(parameters.Number("command"));
    const std::string &selected = parameters.Text("selection");
    const ValidationDocument document = BuildDocument("long");
    const auto selection = BuildSelection(selected, document.lastMeasure);
    const std::string title = "command " + std::to_string(command) + " on the long document" +
                              (selected == "all" ? "" : ", selection " + selected);
    GuardedBuffer record(*selection);
    Plugin &module = bench.Module();
    Host byCommand = document.host;
    {
        const CurrentHost current(byCommand);
        Handshake(module, document.hostVersion);
    }
    Faults faults = InvokeAndCheck(module, byCommand, command, selection,
                                   [&](Host &host) { log.Watch(host, title); });
    const std::string difference = ReissueDifference(document.host, byCommand);
    if (!difference.empty()) {
        faults.push_back("its host calls could not be made again as it made them: " + difference);
    }
    if (!faults.empty()) return faults;

    const TraceReissue reissue(byCommand.Trace());
    const Times times = TimeRounds(module, command, document.host, reissue, record, faults);
    record.Retire(kRetiredSelection);
    if (!faults.empty()) return faults;
    return TimeFaults(title, times, reissue.CallCount(), log);
}

}  // namespace

Check CommandTimeCheck() {
    return {5,
            "command-time",
            "each command on a long document, all or a few measures selected: at most 10 times "
            "its bare host calls, and 1 ms",
            HoldsFor::ThisPlugin,
            ListCommandTimes,
            RunCommandTime};
}

}  // namespace standin::validator
