#include "standin/validator/worker.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <iostream>

#include "standin/validator/checks.h"
#include "standin/validator/fault_context.h"
#include "standin/validator/process_state.h"
#include "standin/validator/validator_platform.h"
#include "standin/validator/worker_protocol.h"

namespace standin::validator {
namespace protocol {

std::string OneLine(std::string text) {
    for (char &c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

}  // namespace protocol

namespace {

// Each line goes out whole and at once, so that a crash right after it
// leaves it read; what the module printed before it goes out first.
void ReportNow(const std::string &text) {
    std::fflush(nullptr);
    std::cout.flush();
    std::cerr.flush();
    if (IsCopyOfTheWorker()) std::_Exit(0);
    if (!ChannelIntact()) std::_Exit(protocol::kChannelLostStatus);
    std::string line = protocol::OneLine(text).substr(0, protocol::kLongestLine);
    line += '\n';
    WriteReport(line.data(), line.size());
}

void Report(const std::string &text) {
    if (IsCopyOfTheWorker()) std::_Exit(0);
    // The process is ending at a fault, whose report stands.
    while (FaultReported()) WaitForTheEnd();
    ReportNow(text);
}

// A module that ends the host with exit() gets no crash handler's report.
void ReportAnExit() {
    if (IsCopyOfTheWorker() || FaultReported()) return;
    const char *entryPoint = RunningEntryPoint();
    Report(std::string("crash ended the host by calling exit()") +
           (entryPoint != nullptr ? std::string(" during ") + entryPoint : ""));
}

std::string Joined(const Faults &faults) {
    std::string text;
    for (const std::string &fault : faults) text += (text.empty() ? "" : "; ") + fault;
    return text;
}

// Runs a step that reaches into the module; what escapes it is a fault.
template <typename Step>
std::string Guarded(Step step) {
    try {
        step();
    } catch (const std::exception &error) {
        return error.what();
    } catch (...) {
        return "an exception left the module";
    }
    return {};
}

// The cases to run: all from the first asked for, or up to the one asked
// for; empty, with `noCase` saying why, when it is not among them.
struct Range {
    std::size_t first = 0, last = 0;  // last: one past
    std::string noCase;
};

Range RangeOf(const WorkerRequest &request, const std::vector<CaseParameters> &cases) {
    Range range{request.from.value_or(0), cases.size(), {}};
    if (!request.onlyCase) return range;
    const CaseParameters asked = CaseParameters::Parse(*request.onlyCase);
    for (std::size_t number = 0; number < cases.size(); ++number) {
        if (!cases[number].Matches(asked)) continue;
        range.first = request.from.value_or(number);
        range.last = number + 1;
        if (range.first > number) {
            range.noCase = "--from " + std::to_string(range.first) + " comes after the case, " +
                           "which is number " + std::to_string(number) + " of its check";
        }
        return range;
    }
    range.noCase =
        "no case '" + request.check + ":" + *request.onlyCase + "' in the check " + request.check +
        (cases.empty() ? ", which has no cases for this module"
                       : "; its cases are like " + request.check + ":" + cases.front().ToString() +
                             " (" + std::to_string(cases.size()) + " cases)");
    return range;
}

}  // namespace

namespace {

[[noreturn]] void RunCases(const WorkerRequest &request) {
    OpenReportChannel(request.channel);
    const std::string module = EnterPrivateFolders(request.module);
    ReportFaultsOnTheChannel();
    std::atexit(ReportAnExit);
    // What the process is now is what the module must leave it as.
    WatchThisProcess();
    const Check *check = FindCheck(request.check);
    Workbench bench(module, request.seed);
    std::vector<CaseParameters> cases;
    const std::string unlisted = Guarded([&] {
        if (check == nullptr) throw std::runtime_error("no check '" + request.check + "'");
        cases = check->listCases(bench);
    });
    const Range range = unlisted.empty() ? RangeOf(request, cases) : Range{};
    if (!unlisted.empty()) {
        Report("unlisted " + unlisted);
    } else if (!range.noCase.empty()) {
        Report("nocase " + range.noCase);
    } else {
        Report("cases " + std::to_string(cases.size()));
        for (std::size_t i = 0; i < cases.size(); ++i) {
            Report("case " + std::to_string(i) + " " + cases[i].ToString());
        }
        Report("runs " + std::to_string(range.first) + " " + std::to_string(range.last));
        for (std::size_t i = range.first; i < range.last; ++i) {
            const std::string number = std::to_string(i);
            SetCurrentCase(i);
            Report("begin " + number);
            CaseLog log(request.trace
                            ? std::function<void(const std::string &)>(
                                  [](const std::string &line) { Report("trace " + line); })
                            : nullptr);
            Faults faults = bench.TakeLoadingFaults();
            AddFault(faults,
                     Guarded([&] { AddFaults(faults, check->runCase(bench, cases[i], log)); }));
            AddFaults(faults, bench.TakeLoadingFaults());
            for (const std::string &note : log.Notes()) Report("note " + number + " " + note);
            Report(faults.empty() ? "pass " + number : "fail " + number + " " + Joined(faults));
            SetCurrentCase(kNoCase);
        }
    }
    Report("done");
    std::_Exit(0);
}

}  // namespace

// On a thread with the stack a host's thread has: a module that needs more
// crashes here as it would in the host.
void RunWorker(const WorkerRequest &request) {
    RunOnAHostSizedStack([&] { RunCases(request); });
    // The cases end the process; their thread ended before. Either the
    // module ended it (pthread_exit, ExitThread), or a fault's report was
    // begun and the thread ended with it, as under Wine at a stack overflow.
    const char *entryPoint = RunningEntryPoint();
    const std::string during = entryPoint != nullptr ? std::string(" during ") + entryPoint : "";
    ReportNow(FaultReported() ? "crash crashed the host" + during +
                                    ": its thread ended while the fault was being reported, as "
                                    "at an overflow of its stack"
                              : "crash ended the host's thread" + during);
    std::_Exit(1);
}

}  // namespace standin::validator
