// The validator's checks, in levels. A check lists its cases and runs any
// one of them from its parameters alone, so that a worker can run a case
// in a process of its own and a person can replay exactly that case.
#pragma once

#include <string>
#include <vector>

#include "standin/validator/case_id.h"
#include "standin/validator/workbench.h"

namespace standin::validator {

constexpr int kLowestLevel = 1;
constexpr int kHighestLevel = 5;

// Whom a check's verdict holds for. Most checks hold any module of this
// interface to the host's rules; a few expect what this plug-in does, and a
// sound module of another kind may fail them.
enum class HoldsFor { AnyModule, ThisPlugin };

struct Check {
    int level;
    const char *name;   // as in case names: "failing-call"
    const char *title;  // what it checks, in one line
    HoldsFor holdsFor;
    std::vector<CaseParameters> (*listCases)(Workbench &bench);
    Faults (*runCase)(Workbench &bench, const CaseParameters &parameters, CaseLog &log);
    // Each case runs in a host program that lacks the host function the
    // case names; its cases are listed without the module.
    bool inHostLacking = false;
};

// Every check, level by level.
const std::vector<Check> &AllChecks();
// Null when there is no check of that name.
const Check *FindCheck(const std::string &name);

// The checks of levels 1 to 4, in the files of their level.
void AddLoadingChecks(std::vector<Check> &checks);
void AddCommandChecks(std::vector<Check> &checks);
void AddFailingHostChecks(std::vector<Check> &checks);
void AddMisbehavingHostChecks(std::vector<Check> &checks);
// Level 5's long runs, in a file each.
Check RandomDocumentsCheck();
Check RepeatedInvokesCheck();
Check CommandTimeCheck();
// Level 5's comparison of fresh instances of the module.
Check IdenticalRunsCheck();

// One case for each command the module offers on the short document with
// every measure selected, named by its "command".
std::vector<CaseParameters> ListEachCommand(Workbench &bench);

// The nine host functions, by their exported names.
const std::vector<std::string> &HostFunctionNames();

// The host versions a module meets at the interface's thresholds and at
// the ends of the range.
const std::vector<uint32_t> &BoundaryHostVersions();

}  // namespace standin::validator
