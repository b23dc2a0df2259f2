// The validator's report: a line per check, what each failed case saw with
// the command line that replays it alone, then a summary; as text for
// people or JSON for scripts.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "standin/platform/named_choices.h"
#include "standin/validator/runner.h"

namespace standin::validator {

enum class ReportFormat { Text, Json };

// The formats by the names --format takes, in the order help lists them.
inline constexpr NamedChoice<ReportFormat> kReportFormats[] = {{ReportFormat::Text, "text"},
                                                               {ReportFormat::Json, "json"}};

struct ReportHeading {
    std::string program;  // as it was started, for the replay lines
    std::string module;
    int level = 0;
    // What ran: "levels 1 to 5", "check init", "case init:word=0x00000000".
    std::string scope;
    uint32_t seed = 0;
    double seconds = 0;
    // The bounds the run kept to, in seconds: each case, and the whole.
    long long caseLimit = 0, runLimit = 0;
    // How the workers were kept in (Containment()).
    std::string containment;
};

// A check that did not run, and why: "the module does not load with its
// seven entry points".
struct CheckNotRun {
    const Check *check;
    std::string why;
};

// The command line that makes the failed case happen again, with its host
// calls: the case alone, or with the cases its worker ran before it when
// only that makes it fail again:
//   FINALE.EXE validate <module> --seed N --case <check>:<parameters> [--from F] --trace -
std::string ReplayCommand(const ReportHeading &heading, const Check &check,
                          const CaseResult &failed);

void WriteTextReport(const ReportHeading &heading, const std::vector<CheckResult> &results,
                     const std::vector<CheckNotRun> &notRun, std::ostream &out);
void WriteJsonReport(const ReportHeading &heading, const std::vector<CheckResult> &results,
                     const std::vector<CheckNotRun> &notRun, std::ostream &out);

}  // namespace standin::validator
