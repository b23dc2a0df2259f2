#include "standin/validator/command_run.h"

#include "interface/record_bytes.h"
#include "standin/platform/text_output.h"
#include "standin/program/run_command.h"
#include "standin/validator/call_bound.h"
#include "standin/validator/command_invariants.h"
#include "standin/validator/guarded_buffer.h"
#include "standin/validator/validation_documents.h"

namespace standin::validator {
namespace {

// The host's 8-bit menu record with room past its end, as menus are asked
// for.
constexpr std::size_t kMenuRecordRoom = FINALE_MENU_RECORD_FLAG_OFFSET + 4 + 64;
constexpr uint32_t kInitWord = 0x10;
constexpr const char *kRetiredMenuRecord =
    "the 8-bit menu record FinaleExtensionEnumerate handed over";

}  // namespace

std::vector<uint16_t> OfferedCommands(Plugin &module, uint32_t hostVersion) {
    CallEntryPoint("FinaleExtensionVersion", [&] { module.version(hostVersion); });
    std::vector<uint16_t> offered;
    for (uint32_t index = 0; index <= 0xFFFF; ++index) {
        GuardedBuffer record(kMenuRecordRoom, 0);
        uint32_t answer = 0;
        CallEntryPoint("FinaleExtensionEnumerate", [&] {
            answer = module.enumerate(nullptr, static_cast<uint16_t>(index), record.Data());
        });
        record.Retire(kRetiredMenuRecord);
        if (answer == 0) break;
        offered.push_back(static_cast<uint16_t>(index));
    }
    return offered;
}

Faults Handshake(Plugin &module, uint32_t hostVersion) {
    Faults faults = CallEntryPoint("FinaleExtensionVersion", [&] { module.version(hostVersion); });
    GuardedBuffer word(4, 0);
    hostdata::WriteU32(word.Data(), 0, kInitWord);
    AddFaults(faults, CallEntryPoint("FinaleExtensionInit", [&] {
                  module.init(nullptr, reinterpret_cast<uint32_t *>(word.Data()));
              }));
    word.Retire(kRetiredInitWord);
    return faults;
}

Faults InvokeAndCheck(Plugin &module, Host &host, uint16_t command,
                      const std::optional<std::vector<uint8_t>> &selection,
                      const std::function<void(Host &)> &prepare) {
    std::optional<GuardedBuffer> record;
    if (selection) record.emplace(*selection);
    host.ClearTrace();
    if (prepare) prepare(host);
    CallBoundedHost bounded(host);
    const CurrentHost current(bounded);
    uint32_t answer = 1;
    const Faults called = CallEntryPoint("FinaleExtensionInvoke", [&] {
        answer = module.invoke(nullptr, command, record ? record->Data() : nullptr);
    });
    if (record) record->Retire(kRetiredSelection);
    // Past its bound the command's other faults may follow from the calls
    // refused: the bound comes first.
    Faults faults;
    AddFault(faults, bounded.BoundFault());
    AddFaults(faults, called);
    AddFaults(faults, BrokenRules(host.Trace(), answer));
    if (record) {
        AddFault(faults, record->WritesOutside("the 20-byte selection record"));
        const std::string inside = record->ChangedInside(*selection);
        if (!inside.empty()) {
            faults.push_back("changed " + inside + " of the selection record, which is the host's");
        }
    }
    return faults;
}

CommandScenario CommandScenario::From(const CaseParameters &parameters) {
    CommandScenario scenario;
    const uint32_t command = parameters.Number("command");
    if (command > 0xFFFF) {
        throw UsageError("command " + std::to_string(command) + " is not a menu index");
    }
    scenario.command = static_cast<uint16_t>(command);
    scenario.document = parameters.Text("document");
    scenario.selection = parameters.Text("selection");
    if (parameters.Has("version")) scenario.hostVersion = parameters.Number("version");
    return scenario;
}

CaseParameters CommandScenario::Parameters() const {
    CaseParameters parameters;
    parameters.Set("command", command).Set("document", document).Set("selection", selection);
    if (hostVersion) parameters.SetWord("version", *hostVersion);
    return parameters;
}

std::string CommandScenario::Title() const {
    return "command " + std::to_string(command) + " on the " + document + " document, selection " +
           selection + (hostVersion ? ", host version " + Hex32(*hostVersion) : "");
}

// What a host does once a command has run, as users go on: it asks for the
// menus again, whether the command may be picked, and at the end of the
// session calls Terminate.
Faults AfterTheCommand(Plugin &module, uint16_t command) {
    Faults faults;
    bool offered = false;
    for (uint32_t index = 0; index <= command; ++index) {
        GuardedBuffer record(kMenuRecordRoom, 0);
        uint32_t answer = 0;
        AddFaults(faults, CallEntryPoint("FinaleExtensionEnumerate", [&] {
                      answer =
                          module.enumerate(nullptr, static_cast<uint16_t>(index), record.Data());
                  }));
        record.Retire(kRetiredMenuRecord);
        if (answer == 0) break;
        offered = index == command;
    }
    if (!offered) {
        AddFault(faults, "once the command had run, the menus no longer offered index " +
                             std::to_string(command));
    }
    uint32_t status = 1;
    AddFaults(faults, CallEntryPoint("FinaleExtensionGetMenuStatus",
                                     [&] { status = module.menuStatus(); }));
    if (status == 0) {
        AddFault(faults,
                 "once the command had run, FinaleExtensionGetMenuStatus answered 0, which "
                 "greys the menu out");
    }
    AddFaults(faults, CallEntryPoint("FinaleExtensionTerminate", [&] { module.terminate(); }));
    return faults;
}

Faults RunScenario(Plugin &module, const CommandScenario &scenario, CaseLog &log,
                   const std::function<void(Host &)> &adjust,
                   const std::function<void(Host &)> &prepare) {
    ValidationDocument document = BuildDocument(scenario.document);
    if (adjust) adjust(document.host);
    return RunScenarioOn(module, scenario, document, document.host, log, prepare);
}

Faults RunScenarioOn(Plugin &module, const CommandScenario &scenario,
                     const ValidationDocument &document, Host &host, CaseLog &log,
                     const std::function<void(Host &)> &prepare) {
    const auto selection = BuildSelection(scenario.selection, document.lastMeasure);
    Faults faults;
    {
        const CurrentHost current(host);
        faults = Handshake(module, scenario.hostVersion.value_or(document.hostVersion));
    }
    AddFaults(faults, InvokeAndCheck(module, host, scenario.command, selection, [&](Host &invoked) {
                  log.Watch(invoked, scenario.Title());
                  if (prepare) prepare(invoked);
              }));
    const CurrentHost current(host);
    AddFaults(faults, AfterTheCommand(module, scenario.command));
    return faults;
}

std::vector<CommandScenario> OfferedScenarios(Plugin &module,
                                              const std::vector<std::string> &documents,
                                              const std::vector<std::string> &selections) {
    std::vector<CommandScenario> scenarios;
    for (const std::string &name : documents) {
        const uint32_t hostVersion = BuildDocument(name).hostVersion;
        for (const uint16_t command : OfferedCommands(module, hostVersion)) {
            for (const std::string &selection : selections) {
                CommandScenario scenario;
                scenario.command = command;
                scenario.document = name;
                scenario.selection = selection;
                scenarios.push_back(scenario);
            }
        }
    }
    return scenarios;
}

}  // namespace standin::validator
