#include "standin/validator/worker_report.h"

#include <algorithm>
#include <cstring>

#include "standin/validator/fault_context.h"
#include "standin/validator/worker_protocol.h"

namespace standin::validator {
namespace {

// A hostile count cannot make the validator reserve all its memory.
constexpr std::size_t kMostCases = 1000000;

// A case number: digits only.
std::optional<std::size_t> NumberIn(const std::string &text) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(std::stoul(text));
}

// Splits "<word> <rest>".
std::pair<std::string, std::string> Split(const std::string &text) {
    const std::size_t space = text.find(' ');
    if (space == std::string::npos) return {text, ""};
    return {text.substr(0, space), text.substr(space + 1)};
}

// The length of the UTF-8 character that begins with `lead`; 0 when no
// character begins so.
std::size_t CharacterLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

// Whether the character is one to show: not a control, nor one that turns
// the direction of the text after it (U+202A-U+202E, U+2066-U+2069).
bool Shown(const std::string &character) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(character[at]); };
    if (character.size() == 1) return byte(0) >= 0x20 && byte(0) != 0x7F;
    if (character.size() == 2) return !(byte(0) == 0xC2 && byte(1) < 0xA0);
    if (character.size() == 3 && byte(0) == 0xE2) {
        if (byte(1) == 0x80 && byte(2) >= 0xAA && byte(2) <= 0xAE) return false;
        if (byte(1) == 0x81 && byte(2) >= 0xA6 && byte(2) <= 0xA9) return false;
    }
    return true;
}

bool Continues(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// A whole character at `at`, of its shortest form; empty when none is.
std::string CharacterAt(const std::string &text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = CharacterLength(lead);
    if (length == 0 || at + length > text.size()) return {};
    for (std::size_t i = 1; i < length; ++i) {
        if (!Continues(static_cast<unsigned char>(text[at + i]))) return {};
    }
    const auto second = static_cast<unsigned char>(length > 1 ? text[at + 1] : 0);
    // Overlong forms, the surrogates, and past U+10FFFF.
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
        return {};
    }
    return text.substr(at, length);
}

// What the module printed, on one line: line ends become " / ".
std::string OnOneLine(const std::string &bytes) {
    std::string lines;
    for (const char c : bytes) {
        if (c == '\n') {
            lines += " / ";
        } else if (c != '\r') {
            lines += c;
        }
    }
    const std::string text = Printable(lines);
    const std::size_t first = text.find_first_not_of(" /");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" /") + 1 - first);
}

std::string Cases(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " case" : " cases");
}

CaseResult *Reported(CheckResult &result, std::size_t number, std::size_t workerFrom) {
    for (auto found = result.cases.rbegin(); found != result.cases.rend(); ++found) {
        if (found->number == number && found->workerFrom == workerFrom) return &*found;
    }
    return nullptr;
}

void AddFault(CaseResult &result, const std::string &fault) {
    result.passed = false;
    result.seen += (result.seen.empty() ? "" : "; ") + fault;
}

// A line of the channel as a report shows it: printable, and short.
std::string Quoted(const std::string &line) {
    constexpr std::size_t kShown = 80;
    const std::string shown = line.size() > kShown ? line.substr(0, kShown) + "..." : line;
    return "'" + shown + "'";
}

}  // namespace

std::string Printable(const std::string &text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::string character = CharacterAt(text, at);
        if (character.empty()) {
            shown += '?';
            ++at;
            continue;
        }
        at += character.size();
        if (character == "\t") {
            shown += ' ';
        } else {
            shown += Shown(character) ? character : "?";
        }
    }
    return shown;
}

void ChannelLines::Take(const char *bytes, std::size_t count) {
    const char *end = bytes + count;
    while (bytes < end) {
        const auto *newline = static_cast<const char *>(
            std::memchr(bytes, '\n', static_cast<std::size_t>(end - bytes)));
        const char *upTo = newline != nullptr ? newline : end;
        const std::size_t room = kLongestLine - std::min(kLongestLine, pending_.size());
        pending_.append(bytes, std::min(room, static_cast<std::size_t>(upTo - bytes)));
        if (newline == nullptr) return;
        onLine_(pending_);
        pending_.clear();
        bytes = newline + 1;
    }
}

void KeptOutput::Take(const char *bytes, std::size_t count) {
    total_ += count;
    const std::size_t toHead = std::min(count, kKeptEachEnd - head_.size());
    head_.append(bytes, toHead);
    bytes += toHead;
    count -= toHead;
    if (count >= kKeptEachEnd) {
        tail_.assign(bytes + count - kKeptEachEnd, kKeptEachEnd);
        return;
    }
    tail_.append(bytes, count);
    if (tail_.size() > kKeptEachEnd) tail_.erase(0, tail_.size() - kKeptEachEnd);
}

std::string KeptOutput::Text() const {
    const std::size_t left = total_ - head_.size() - tail_.size();
    if (left == 0) return OnOneLine(head_ + tail_);
    return OnOneLine(head_) + " [... " + std::to_string(total_) + " bytes in all ...] " +
           OnOneLine(tail_);
}

WorkerReport::WorkerReport(std::chrono::seconds caseLimit, std::string channelKey)
    : caseLimit_(caseLimit),
      channelKey_(std::move(channelKey)),
      deadline_(Clock::now() + std::max(caseLimit, kDefaultCaseLimit)) {}

void WorkerReport::TakeMisdeed(const std::string &what) {
    misdeeds_[running_.value_or(lastEnded_.value_or(kNoCase))].push_back(Printable(what));
}

void WorkerReport::TakeLine(const std::string &line) {
    const std::string text = Printable(line);
    if (channelKey_.empty()) return TakeKeyed(text);
    const std::string key = channelKey_ + " ";
    if (text.compare(0, key.size(), key) == 0) return TakeKeyed(text.substr(key.size()));
    TakeMisdeed("wrote onto the host's private report channel: " + Quoted(text));
}

void WorkerReport::TakeOutput(const char *bytes, std::size_t count) { printed_.Take(bytes, count); }

void WorkerReport::TakeKeyed(const std::string &line) {
    const auto [word, rest] = Split(line);
    const auto [first, more] = Split(rest);
    const std::optional<std::size_t> number = NumberIn(first);
    const bool between = ranged_ && !running_ && !done_;
    if (word == "cases" && number && *number <= kMostCases && !listed_) {
        listed_ = true;
        parameters_.assign(*number, {});
        first_ = 0;
        last_ = *number;
    } else if (word == "case" && number && *number < parameters_.size() && !ranged_) {
        parameters_[*number] = more;
    } else if (word == "runs" && number && listed_ && !ranged_) {
        const std::optional<std::size_t> last = NumberIn(more);
        ranged_ = true;
        first_ = std::min(*number, parameters_.size());
        last_ = std::clamp(last.value_or(first_), first_, parameters_.size());
        next_ = first_;
    } else if (word == "unlisted" && !listed_) {
        unlisted_ = rest;
    } else if (word == "nocase" && !listed_) {
        noCase_ = rest;
    } else if (word == "begin" && number == next_ && next_ < last_ && between) {
        // What was printed since the last case ended is this one's: the
        // output may be read before the line that begins it.
        running_ = number;
        ++next_;
        deadline_ = Clock::now() + caseLimit_;
    } else if (word == "note" && number && number == running_) {
        notes_[*number].push_back(more);
    } else if (word == "trace") {
        calls_ += rest + "\n";
    } else if ((word == "pass" || word == "fail") && number && number == running_) {
        CaseResult &ended = ended_[*number];
        ended.passed = word == "pass";
        ended.seen = ended.passed ? "" : more;
        ended.notes = std::move(notes_[*number]);
        ended.printed = printed_.Text();
        printed_ = {};
        running_.reset();
        lastEnded_ = number;
        deadline_ = Clock::now() + caseLimit_;
    } else if (word == "late" && number && *number < next_) {
        late_[*number].push_back(more);
    } else if (word == "crash" && crash_.empty()) {
        crash_ = rest;
    } else if (word == "done" && !running_ && !done_) {
        done_ = true;
        deadline_ = Clock::now() + caseLimit_;
    } else {
        TakeMisdeed("put a line out of its turn onto the host's private report channel: " +
                    Quoted(line));
    }
}

std::optional<std::size_t> WorkerAccount::Settle(const WorkerReport &report, const ChildEnd &end,
                                                 const RunLimits &limits, CheckResult &result) {
    return WorkerAccount(report, end, limits, result).Settle();
}

WorkerAccount::WorkerAccount(const WorkerReport &report, const ChildEnd &end,
                             const RunLimits &limits, CheckResult &result)
    : report_(report),
      end_(end),
      limits_(limits),
      result_(result),
      ended_("the host " + (end.stopped ? std::string("was stopped") : "ended: " + end.how)) {}

std::string WorkerAccount::CrashSaid() const {
    return report_.crash_.empty() ? "" : "the module " + report_.crash_ + "; ";
}

std::optional<std::size_t> WorkerAccount::After(std::size_t number) const {
    if (number + 1 >= report_.last_) return std::nullopt;
    return number + 1;
}

void WorkerAccount::NotRunFrom(std::size_t first, const std::string &why) {
    for (std::size_t number = first; number < report_.last_; ++number) {
        result_.notRun.push_back(report_.parameters_[number]);
    }
    result_.trouble =
        why + ": " + Cases(report_.last_ - std::min(first, report_.last_)) + " not run";
}

void WorkerAccount::AddMisdeeds(CaseResult &taken, std::size_t number) const {
    const auto found = report_.misdeeds_.find(number);
    if (found == report_.misdeeds_.end()) return;
    for (const std::string &misdeed : found->second) AddFault(taken, "the module " + misdeed);
}

std::string WorkerAccount::HowTheModuleEndedIt() const {
    std::string how;
    if (end_.exitedNormally && end_.exitStatus == protocol::kChannelLostStatus &&
        report_.crash_.empty()) {
        how =
            "the module closed the host's descriptors, its private report channel among them: "
            "the host could report nothing more";
    }
    if (end_.outlived > 0) {
        how += std::string(how.empty() ? "" : "; ") + "the module started " +
               std::to_string(end_.outlived) + (end_.outlived == 1 ? " process" : " processes") +
               " that left the host's process group and outlived the host, ended then";
    }
    return how;
}

std::optional<std::size_t> WorkerAccount::Settle() {
    result_.calls += report_.calls_;
    if (!report_.listed_) {
        const std::string printed =
            report_.printed_.Empty() ? "" : " (it printed: " + report_.printed_.Text() + ")";
        result_.trouble =
            !report_.unlisted_.empty()
                ? "the cases could not be listed: " + report_.unlisted_
                : "the worker ended before it listed the cases: " + CrashSaid() + ended_ + printed;
        return std::nullopt;
    }
    TakeReported();
    TakeLateFaults();
    const auto early = report_.misdeeds_.find(kNoCase);
    if (early != report_.misdeeds_.end()) {
        for (const std::string &misdeed : early->second) {
            result_.trouble += (result_.trouble.empty() ? "" : "; ") +
                               std::string("before its first case, the module ") + misdeed;
        }
    }
    if (report_.done_) return Done();
    if (report_.running_) return EndedInCase(*report_.running_);
    return EndedBetweenCases();
}

void WorkerAccount::TakeReported() {
    for (const auto &[number, reported] : report_.ended_) {
        if (number < report_.first_ || number >= report_.last_) continue;
        CaseResult taken = reported;
        taken.parameters = report_.parameters_[number];
        taken.number = number;
        taken.workerFrom = report_.first_;
        AddMisdeeds(taken, number);
        result_.cases.push_back(std::move(taken));
        lastEnded_ = number;
    }
}

// A fault a crash handler traced to the case that caused it: the case
// running, or one before it, which fails now.
void WorkerAccount::TakeLateFaults() {
    const std::optional<std::size_t> running = report_.running_;
    for (const auto &[number, faults] : report_.late_) {
        if (number == running) {
            ofRunning_ = faults;
            continue;
        }
        CaseResult *cause = Reported(result_, number, report_.first_);
        if (cause == nullptr) continue;
        const std::string when =
            running ? "while case " + std::to_string(*running) + " ran" : "after it";
        for (const std::string &fault : faults) {
            AddFault(*cause, "later, " + when + ", the module " + fault + "; " + ended_);
        }
        if (running) cause->seenWhile = report_.parameters_[*running];
        ofEarlier_ = true;
    }
}

// Done, yet every case it was to run must have reported.
std::optional<std::size_t> WorkerAccount::Done() {
    std::size_t missing = 0;
    for (std::size_t number = report_.first_; number < report_.last_; ++number) {
        if (report_.ended_.count(number) != 0) continue;
        result_.notRun.push_back(report_.parameters_[number]);
        ++missing;
    }
    if (missing > 0) {
        result_.trouble =
            Cases(missing) + " never reported, though the worker said it was done; " + ended_;
    } else if (!end_.exitedNormally || end_.exitStatus != 0 || end_.outlived > 0) {
        if (CaseResult *last =
                lastEnded_ ? Reported(result_, *lastEnded_, report_.first_) : nullptr) {
            const std::string how = HowTheModuleEndedIt();
            AddFault(*last, "after it, " + (how.empty() ? CrashSaid() + ended_ : how));
        }
    }
    return std::nullopt;
}

// The case running when the worker ended: it crashed or hung, unless what
// ended the worker was an earlier case's doing.
std::optional<std::size_t> WorkerAccount::EndedInCase(std::size_t running) {
    CaseResult failed;
    failed.number = running;
    failed.parameters = report_.parameters_[running];
    failed.printed = report_.printed_.Text();
    failed.workerFrom = report_.first_;
    AddMisdeeds(failed, running);
    if (end_.stopped) {
        AddFault(failed, limits_.runOut
                             ? "stopped: the run's time limit of " +
                                   std::to_string(limits_.runLimit.count()) + " s was reached"
                             : "the module did not end the case within " +
                                   std::to_string(limits_.caseLimit.count()) +
                                   " s, so the host stopped it");
        result_.cases.push_back(failed);
        result_.outOfTime = limits_.runOut;
        result_.hung = !limits_.runOut;
        NotRunFrom(running + 1, limits_.runOut ? "the run's time limit was reached"
                                               : "the check stopped at the case that hung");
        return std::nullopt;
    }
    // Not its doing: it runs again in the next worker.
    if (ofEarlier_ && ofRunning_.empty() && report_.crash_.empty() && failed.seen.empty()) {
        return running;
    }
    for (const std::string &fault : ofRunning_) AddFault(failed, "the module " + fault);
    const std::string how = HowTheModuleEndedIt();
    if (!how.empty()) AddFault(failed, how);
    if (!report_.crash_.empty()) {
        AddFault(failed, "the module " + report_.crash_ +
                             (end_.exitedNormally ? " (" + end_.how + ")" : ""));
    }
    if (failed.seen.empty()) {
        AddFault(failed, std::string("the module ") + (end_.exitedNormally ? "ended" : "crashed") +
                             " the host: " + end_.how);
    }
    result_.cases.push_back(failed);
    return After(running);
}

// Between cases: the last case that ended is the last the module ran.
std::optional<std::size_t> WorkerAccount::EndedBetweenCases() {
    CaseResult *last = lastEnded_ ? Reported(result_, *lastEnded_, report_.first_) : nullptr;
    if (last == nullptr) {
        NotRunFrom(report_.first_,
                   "the worker ended before its first case (" + CrashSaid() + ended_ + ")");
        return std::nullopt;
    }
    const std::string how = HowTheModuleEndedIt();
    if (!how.empty()) {
        AddFault(*last, "after it, " + how);
        if (last->printed.empty()) last->printed = report_.printed_.Text();
    } else if (!report_.crash_.empty() || !ofEarlier_) {
        AddFault(*last, "after it, " + CrashSaid() + ended_);
        if (last->printed.empty()) last->printed = report_.printed_.Text();
    }
    return After(*lastEnded_);
}

}  // namespace standin::validator
