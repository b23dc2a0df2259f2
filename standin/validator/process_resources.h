// More of the process a host relies on, compared after every entry point
// as the current folder is. On Linux: the host's thread's locale and signal
// mask, every signal's action, the umask, the resource limits, timers, the
// standard streams' status flags, the open descriptors, the scheduling, and
// the files left in the worker's private folders. On Windows: the error
// mode and the locale of the host's thread, the scheduling (the thread's
// priority, the priority class, the processors), the DLL search folder, the
// C runtime's signal handlers and the standard streams' translation modes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "standin/validator/validator_platform.h"

namespace standin::validator {

// Each aspect as it stands now. `privateFolders` are folders that were
// empty when the worker began (its current folder and its temporary
// folder, named as the report names them); a file that appears in one is
// reported and removed (Linux; Windows makes a worker none).
struct PrivateFolder {
    std::string path;
    std::string name;  // "the host's current folder"
};
std::vector<std::unique_ptr<ProcessAspect>> ResourceAspects(
    const std::vector<PrivateFolder> &privateFolders);

}  // namespace standin::validator
