// What one worker reported, heard line by line from its channel, beside
// what the module printed meanwhile; and, once the worker has ended, the
// account of it: every case it was to run either reported, or is named as
// failed or not run with what became of the worker.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "standin/validator/fault_context.h"
#include "standin/validator/runner.h"
#include "standin/validator/validator_platform.h"

namespace standin::validator {

// `text` safe to show on a terminal and in any report: each control byte
// (C0 and C1), each character that turns the direction of text, and each
// byte that is no part of a whole UTF-8 character becomes '?'; a tab a
// space.
std::string Printable(const std::string &text);

// What the module printed during a case: the first and the last few hundred
// bytes of it, however much it was, on one line.
class KeptOutput {
public:
    void Take(const char *bytes, std::size_t count);
    // "" when nothing was printed; "first bytes ... [N bytes in all] ...
    // last bytes" when it was more than is kept.
    std::string Text() const;
    bool Empty() const { return total_ == 0; }

    static constexpr std::size_t kKeptEachEnd = 200;

private:
    std::string head_, tail_;
    std::size_t total_ = 0;
};

// Splits what arrives on the channel into lines, looking at each byte once.
// A worker's lines are short; a longer one is cut.
class ChannelLines {
public:
    explicit ChannelLines(std::function<void(const std::string &)> onLine)
        : onLine_(std::move(onLine)) {}
    void Take(const char *bytes, std::size_t count);

private:
    static constexpr std::size_t kLongestLine = 1 << 16;
    std::function<void(const std::string &)> onLine_;
    std::string pending_;
};

class WorkerReport {
public:
    // A case has `caseLimit` from its start, and so has the worker's end
    // after its last case. The worker's start, up to its first case (the
    // system starting the program, the module loading, the cases listed),
    // has the default limit when `caseLimit` is shorter: a short limit
    // asked for the cases does not make a slow start a hang.
    // Every line must begin with `channelKey` and a space, when it is not
    // empty.
    explicit WorkerReport(std::chrono::seconds caseLimit, std::string channelKey = {});

    // A line from the channel: taken when it has the key and comes in its
    // turn; else it is a misdeed of the module's.
    void TakeLine(const std::string &line);
    // Something the module did to the validator, or to the channel, worded
    // to follow "the module": held against the case running, or the last
    // that ended.
    void TakeMisdeed(const std::string &what);
    void TakeOutput(const char *bytes, std::size_t count);
    // When the case running (or the listing, or the end) is out of time.
    Clock::time_point Deadline() const { return deadline_; }

    // Why nothing ran because --case names no case of the check; empty
    // when it does.
    const std::string &NoCase() const { return noCase_; }
    // The cases as listed, and one past the last this worker was to run.
    const std::vector<std::string> &Parameters() const { return parameters_; }
    std::size_t Last() const { return last_; }
    const std::string &Calls() const { return calls_; }

private:
    friend class WorkerAccount;
    void TakeKeyed(const std::string &line);
    std::chrono::seconds caseLimit_;
    std::string channelKey_;
    Clock::time_point deadline_;
    bool listed_ = false, ranged_ = false, done_ = false;
    std::size_t next_ = 0;  // the case that may begin next
    std::string unlisted_, noCase_;
    std::vector<std::string> parameters_;
    std::size_t first_ = 0, last_ = 0;  // the cases it runs: last one past
    std::map<std::size_t, CaseResult> ended_;
    std::map<std::size_t, std::vector<std::string>> notes_;  // of cases not yet ended
    std::optional<std::size_t> running_;
    std::map<std::size_t, std::vector<std::string>> late_;  // by the case that caused it
    // By the case running, or the last ended; kNoCase before any.
    std::map<std::size_t, std::vector<std::string>> misdeeds_;
    std::optional<std::size_t> lastEnded_;
    std::string crash_;
    std::string calls_;
    KeptOutput printed_;  // since the last case ended
};

// How the whole run stands when a worker has ended.
struct RunLimits {
    std::chrono::seconds caseLimit{10};
    std::chrono::seconds runLimit{900};
    bool runOut = false;  // the run's time is up
};

// The account of one worker that has ended: adds what it reported to
// `result`, and answers the case the next worker starts from; none when the
// check is over (done, or stopped, with `trouble` and `notRun` saying why).
class WorkerAccount {
public:
    static std::optional<std::size_t> Settle(const WorkerReport &report, const ChildEnd &end,
                                             const RunLimits &limits, CheckResult &result);

private:
    WorkerAccount(const WorkerReport &report, const ChildEnd &end, const RunLimits &limits,
                  CheckResult &result);
    std::optional<std::size_t> Settle();
    void TakeReported();
    void TakeLateFaults();
    std::optional<std::size_t> Done();
    std::optional<std::size_t> EndedInCase(std::size_t running);
    std::optional<std::size_t> EndedBetweenCases();
    std::optional<std::size_t> After(std::size_t number) const;
    void NotRunFrom(std::size_t first, const std::string &why);
    // "the module crashed the host ...; " when the worker said so.
    std::string CrashSaid() const;
    // What the module did to the channel or the validator in the case.
    void AddMisdeeds(CaseResult &taken, std::size_t number) const;
    // Why the worker ended, when the module closed its channel or left
    // processes that outlived it; empty otherwise.
    std::string HowTheModuleEndedIt() const;

    const WorkerReport &report_;
    const ChildEnd &end_;
    const RunLimits &limits_;
    CheckResult &result_;
    std::string ended_;  // "the host ended: exit status 3"
    std::optional<std::size_t> lastEnded_;
    std::vector<std::string> ofRunning_;  // late faults of the case running
    bool ofEarlier_ = false;              // one was an earlier case's
};

}  // namespace standin::validator
