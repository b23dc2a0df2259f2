#include "interface/recording/recording_head.h"

#include "interface/recording/recording_text.h"

namespace hostdata::recording_text {

std::string HeadText(const Head &head) {
    std::string text = std::string(kRecordingStart) + "  \"formatVersion\": ";
    AppendNumber(text, kFormatVersion);
    if (head.missing == Missing::kNone) {
        text += ",\n  \"complete\": true";
    } else {
        text += ",\n  \"complete\": false,\n  \"incomplete\": \"";
        text += head.missing == Missing::kPastBound
                    ? "the recording reached its bound of 16 MiB"
                    : "the plug-in ran out of memory for the recording";
        text += ": the calls after call ";
        AppendNumber(text, static_cast<int64_t>(head.callsRecorded));
        text += " are not in it\"";
    }
    text += ",";
    text += head.moduleLine;
    text += ",\n  \"interfaceVersion\": ";
    AppendHexWord(text, head.interfaceVersion);
    text += ",\n  \"hostVersion\": ";
    AppendHexWord(text, head.hostVersion);
    text += ",\n  \"menuIndex\": ";
    AppendNumber(text, head.menuIndex);
    text += ",\n  \"selection\": ";
    if (head.selection != nullptr) {
        AppendBytes(text, head.selection, kSelectionBytes);
    } else {
        text += "null";
    }
    text += ",\n  \"absentFunctions\": " + head.absentFunctions;
    text += ",\n  \"invokeResult\": ";
    AppendNumber(text, head.invokeResult);
    text += ",\n  \"callsMade\": ";
    AppendNumber(text, static_cast<int64_t>(head.callsMade));
    text += ",\n  \"calls\": [";
    return text;
}

const char *CallsOpening(uint64_t callsRecorded) { return callsRecorded == 0 ? "" : "\n"; }

const char *RecordingEnd(uint64_t callsRecorded) {
    return callsRecorded == 0 ? "]\n}\n" : "\n  ]\n}\n";
}

}  // namespace hostdata::recording_text
