// The state of the process that a host relies on and a module must leave as
// it found it, checked after every entry point: the current folder, the
// locale, the floating-point control state, the standard streams, the
// handlers of faults and signals, the environment, and no thread or process
// left running. Each change is reported and put back, so that the next case
// starts from the process the host had, whatever ran before it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "standin/validator/validator_platform.h"

namespace standin::validator {

class ProcessWatch {
public:
    // Takes every aspect as it stands now.
    ProcessWatch();
    // What the module changed or left running since, each put back.
    std::vector<std::string> Check();

private:
    std::vector<std::unique_ptr<ProcessAspect>> aspects_;
};

// The watch CallEntryPoint checks with: the worker's; none elsewhere.
void WatchThisProcess();
ProcessWatch *ActiveProcessWatch();

}  // namespace standin::validator
