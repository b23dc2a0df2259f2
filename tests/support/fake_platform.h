// The platform seam as the unit tests play it: the test program itself is
// the host, found under a chosen program name, and chosen FX_ functions can
// be made absent. Every lookup is counted.
#pragma once

#include <set>
#include <string>
#include <vector>

namespace fake_platform {

struct Setup {
    std::string programName = "FINALE.EXE";
    std::set<std::string> absentFunctions;
};

// Starts a new host: clears the lookup counts.
void Reset(Setup setup = {});

const std::vector<std::string> &ModuleLookups();
int ExportLookups(const std::string &name);

}  // namespace fake_platform
