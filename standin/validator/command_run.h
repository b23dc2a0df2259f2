// One command run as a host makes it: the handshake and Init, then the
// invoke on a selection record with guard bytes around it, then the rules
// the command's host calls must keep.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "standin/validator/case_id.h"
#include "standin/validator/validation_documents.h"
#include "standin/validator/workbench.h"

namespace standin::validator {

// How a crash report names a buffer the host handed over, once the call
// has returned.
inline constexpr const char *kRetiredInitWord = "the 4-byte word FinaleExtensionInit handed over";
inline constexpr const char *kRetiredSelection =
    "the selection record FinaleExtensionInvoke handed over";

// The commands the module offers after a handshake at `hostVersion`: the
// menu indices from 0 up to the first it refuses, in the 8-bit form. What
// the calls did wrong the menu checks report.
std::vector<uint16_t> OfferedCommands(Plugin &module, uint32_t hostVersion);

// The handshake and Init, as a host makes them before anything else.
Faults Handshake(Plugin &module, uint32_t hostVersion);

// Invokes `command` with `host` current, `prepare` having seen the host
// just before; checks the calls the invoke made (left in host.Trace()),
// that they kept within the document's bound (call_bound.h; past it `host`
// refuses every call from then on), and that nothing was written outside
// or into the selection record.
Faults InvokeAndCheck(Plugin &module, Host &host, uint16_t command,
                      const std::optional<std::vector<uint8_t>> &selection,
                      const std::function<void(Host &)> &prepare = {});

// A command on a named document and selection: command=N,document=NAME,
// selection=NAME[,version=0x...] (the document's host version when not
// given).
struct CommandScenario {
    uint16_t command = 0;
    std::string document = "short";
    std::string selection = "all";
    std::optional<uint32_t> hostVersion;

    static CommandScenario From(const CaseParameters &parameters);
    CaseParameters Parameters() const;
    // "command 0 on the short document, selection all"
    std::string Title() const;
};

// Builds the scenario's document, lets `adjust` change the host (records,
// current part, failures), runs the command and checks it; the calls go to
// `trace` under the scenario's title.
Faults RunScenario(Plugin &module, const CommandScenario &scenario, CaseLog &log,
                   const std::function<void(Host &)> &adjust = {},
                   const std::function<void(Host &)> &prepare = {});

// The same on `host`, which a caller made from `document`, the
// scenario's: the handshake, the invoke and its checks, and what a host
// does once a command has run.
Faults RunScenarioOn(Plugin &module, const CommandScenario &scenario,
                     const ValidationDocument &document, Host &host, CaseLog &log,
                     const std::function<void(Host &)> &prepare = {});

// The commands offered on each named document at its host version, as
// scenarios with each of `selections`.
std::vector<CommandScenario> OfferedScenarios(Plugin &module,
                                              const std::vector<std::string> &documents,
                                              const std::vector<std::string> &selections);

}  // namespace standin::validator
