// Why each staff system has the left indent it has after a command: the
// command's rule, applied by the host to the document as it was before the
// run, so that a module that strays from the rule shows.
//
// The one place the host program knows this plug-in's commands: it includes
// their table (the karvo_command_table target) and no other file does.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "shell/command_table.h"
#include "standin/host/record_store.h"
#include "standin/program/system_change.h"

namespace standin {

struct MeasureRange {
    int16_t first = 0;
    int16_t last = 0;
};

struct IndentRule {
    shell::Command command = shell::Command::IndentAfterFinalBarlines;
    bool fullNamesKnown = false;  // the host version has full names
    std::optional<MeasureRange> selection;
    bool partViewed = false;  // the parts' page format applies
};

// The command an invoke of `menuIndex` runs, as the plug-in's table says.
shell::Command InvokedCommand(uint16_t menuIndex);

// Fills in each system's reason. A system takes part when its first
// measure (once laid out) lies in the selection; of several that start at
// one measure, only the first.
void ExplainIndents(const RecordStore &before, const IndentRule &rule,
                    std::vector<SystemChange> &systems);

}  // namespace standin
