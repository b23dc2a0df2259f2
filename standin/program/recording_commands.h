// The host program's verbs over recordings the plug-in made of a user's
// invoke: `replay` runs the module against the recorded host, `import`
// writes the document the recording shows.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <string>

#include "standin/program/recording_import.h"
#include "standin/program/recording_replay.h"

namespace standin {

struct RecordingRequests {
    ReplayRequest replay;
    ImportRequest import;
};

// Adds both verbs; `footer` makes a verb's help footer from its own text.
void AddRecordingCommands(CLI::App &app, RecordingRequests &requests,
                          const std::function<std::string(const char *)> &footer);

}  // namespace standin
