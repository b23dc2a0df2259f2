// The host program's `import`: the document a recording shows, so that a
// user's problem can be run, looked at and changed like any document.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "interface/recording/recording_reader.h"
#include "standin/document/document.h"
#include "standin/program/document_commands.h"
#include "standin/program/indent_reasons.h"

namespace standin {

struct ImportedDocument {
    // The records the module loaded, as the host held them before the
    // command; its description says what else it holds and lacks.
    Document document;
    // What `run` takes to do the same: the menu index, and the selected
    // measures (none: no selection record).
    uint16_t menuIndex = 0;
    std::optional<MeasureRange> measures;
    // Where the document cannot be what the field's host held.
    std::vector<std::string> notes;
};

ImportedDocument ImportDocument(const Recording &recording);

struct ImportRequest {
    std::string recording;
    std::string output;  // "-": standard output
};

// Writes the document whole, or nothing, and says how to run it. Throws
// RecordingError for a recording it cannot read, UsageError for an output
// that cannot be written as asked, FileError when the write fails.
void ImportRecording(const ImportRequest &request, const Streams &streams);

}  // namespace standin
