#include "standin/program/recording_commands.h"

namespace standin {
namespace {

constexpr const char *kReplayHelp =
    "Loads the module, makes the recorded handshake and invoke, and answers every\n"
    "host call exactly as recorded: the result, the key, size and bytes handed back.\n"
    "Prints \"reproduced: N calls, M saves\" when the module made every recorded call\n"
    "with the same arguments and bytes; otherwise the first call that differs, as\n"
    "recorded (expected) and as made (got), with the bytes handed over side by side.\n"
    "Exit status: 0 reproduced; 1 a difference; 2 a recording it cannot read\n"
    "(truncated, incomplete, another format version, an impossible size: the message\n"
    "says which) or other bad input. docs/recording.md describes recordings.\n";

constexpr const char *kImportHelp =
    "Writes the document the recording shows: the records the module loaded, as the\n"
    "host held them before the command. Records the module never loaded are absent,\n"
    "and the document's description says so, and what in it is not from the field.\n"
    "Then says how many records it holds and the run options (--command, --measures)\n"
    "that invoke the module as the field did; its host version is the recorded one.\n";

}  // namespace

void AddRecordingCommands(CLI::App &app, RecordingRequests &requests,
                          const std::function<std::string(const char *)> &footer) {
    CLI::App *replay = app.add_subcommand(
        "replay", "Run the module against a recording of a user's invoke and compare its calls.");
    // Its exit status is its own, and it writes no file.
    replay->footer(kReplayHelp);
    replay->add_option("module", requests.replay.module, "Path of the plug-in module")->required();
    replay
        ->add_option("recording", requests.replay.recording,
                     "Path of a recording (karvo-indent-NNNNNNNNNN.json)")
        ->required();

    CLI::App *import = app.add_subcommand(
        "import", "Write the document a recording shows, to run and look at like any other.");
    import->footer(footer(kImportHelp));
    import->add_option("recording", requests.import.recording, "Path of a recording")->required();
    import
        ->add_option("--output", requests.import.output,
                     "Write the document here ('-': standard output)")
        ->required();
}

}  // namespace standin
