// The validator's report: a line per check, what each failed case saw with
// the command line that replays it alone, then a summary; as text for
// people or JSON for scripts.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "standin/validator/runner.h"

namespace standin::validator {

struct ReportHeading {
    std::string program;  // as it was started, for the replay lines
    std::string module;
    int level = 0;
    // What ran: "levels 1 to 5", "check init", "case init:word=0x00000000".
    std::string scope;
    uint32_t seed = 0;
    double seconds = 0;
};

// The command line that runs the one case again, with its host calls:
//   FINALE.EXE validate <module> --seed N --case <check>:<parameters> --trace -
std::string ReplayCommand(const ReportHeading &heading, const Check &check,
                          const std::string &parameters);

void WriteTextReport(const ReportHeading &heading, const std::vector<CheckResult> &results,
                     const std::vector<const Check *> &notRun, std::ostream &out);
void WriteJsonReport(const ReportHeading &heading, const std::vector<CheckResult> &results,
                     const std::vector<const Check *> &notRun, std::ostream &out);

}  // namespace standin::validator
