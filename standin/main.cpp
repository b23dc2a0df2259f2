// FINALE.EXE, the stand-in host program: loads a plug-in module and drives
// it as the host would, over an in-memory document.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <string>

#include "interface/host_version_words.h"
#include "karvo_source.h"
#include "karvo_version.h"
#include "standin/host/host.h"
#include "standin/host/plugin.h"
#include "standin/platform/file_access.h"
#include "standin/platform/memory_reserve.h"
#include "standin/platform/standard_output.h"
#include "standin/platform/text_output.h"
#include "standin/program/command_line.h"
#include "standin/program/document_commands.h"
#include "standin/program/menu_listing.h"
#include "standin/program/program_help.h"
#include "standin/program/recording_commands.h"
#include "standin/program/run_report.h"
#include "standin/validator/report.h"
#include "standin/validator/validate_command.h"
#include "standin/validator/worker_command.h"

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kBadInput = 2;
constexpr int kDiffers = 1;
constexpr const char *kDefaultHostVersion = "0x19000000";

// "FINALE.EXE 1.0.3.0, built from commit 0123abc...": the build's version
// and the commit it was built from, as the module's version resource gives
// them.
std::string VersionText() {
    const std::string commit = KARVO_COMMIT_TEXT;  // "Built from commit ..."
    return std::string("FINALE.EXE ") + KARVO_VERSION_DOTTED + ", b" + commit.substr(1);
}

// A verb's own help, then what holds for every verb.
std::string Footer(const char *own) {
    return std::string(own) + "\n" + standin::help::kOutputs + "\n" + standin::help::kFormat +
           "\n" + standin::help::kExitCodes;
}

struct MenuArguments {
    std::string module;
    std::string hostVersion = kDefaultHostVersion;
    bool noHandshake = false;
    std::string index;
    bool raw = false;
    std::string fill = "0xCC";
};

void AddMenuCommand(CLI::App &app, MenuArguments &arguments) {
    CLI::App *menu = app.add_subcommand(
        "menu", "Handshake, then list the menu entries the module registers, in both forms.");
    menu->footer(Footer(standin::help::kMenu));
    menu->add_option("module", arguments.module, "Path of the plug-in module")->required();
    menu->add_option("--host-version", arguments.hostVersion, "Host version word for the handshake")
        ->capture_default_str();
    menu->add_flag("--no-handshake", arguments.noHandshake,
                   "Skip the handshake, as a host that never reports its version");
    menu->add_option("--index", arguments.index,
                     "Ask for this menu index only (0 to 65535); otherwise ask from 0 on");
    menu->add_flag("--raw", arguments.raw, "Show every record's bytes");
    menu->add_option("--fill", arguments.fill, "Byte the host fills each record with first")
        ->capture_default_str();
}

int RunMenu(const MenuArguments &arguments) {
    standin::MenuOptions options;
    if (!arguments.noHandshake) {
        options.hostVersion = standin::ParseWord(arguments.hostVersion, "host version");
    }
    if (!arguments.index.empty()) {
        const uint32_t index = standin::ParseWord(arguments.index, "menu index");
        if (index > 0xFFFF) {
            throw standin::UsageError("menu index '" + arguments.index +
                                      "' is not a 16-bit number");
        }
        options.index = static_cast<uint16_t>(index);
    }
    const uint32_t fill = standin::ParseWord(arguments.fill, "fill byte");
    if (fill > 0xFF) throw standin::UsageError("fill byte '" + arguments.fill + "' is not a byte");
    options.fill = static_cast<uint8_t>(fill);
    options.raw = arguments.raw;

    standin::Host host;
    standin::Host::SetCurrent(&host);
    standin::Plugin plugin(arguments.module);
    standin::ListMenu(plugin, options, std::cout);
    return kDone;
}

void AddRunCommand(CLI::App &app, standin::RunRequest &request) {
    CLI::App *run = app.add_subcommand(
        "run", "Run one menu command of the module over a document and show what it changed.");
    run->footer(Footer(standin::help::kRun));
    run->add_option("module", request.module, "Path of the plug-in module")->required();
    run->add_option("document", request.document,
                    "Path of the document (JSON; '-': standard input)")
        ->required();
    run->add_option("--command", request.command,
                    "Menu index (decimal or 0x hexadecimal), or the menu text the module "
                    "registers")
        ->required();
    run->add_option("--measures", request.measures,
                    "Selected measures, FIRST-LAST or one number; none: no selection record");
    run->add_option("--host-version", request.hostVersion,
                    "Host version word for the handshake (default: the document's)");
    run->add_option("--output", request.output,
                    "Write the changed document here ('-': standard output)");
    run->add_flag("--in-place", request.inPlace, "Write the changed document over its input");
    run->add_option("--trace", request.trace, "Write the host calls here ('-': standard output)");
    run->add_option("--svg", request.svg,
                    "Draw the systems before and after (SVG) here ('-': standard output)");
    run->add_option("--format", request.format,
                    "Form of the report: " + standin::ChoiceNames(standin::kReportFormats, " or "))
        ->capture_default_str();
    run->add_flag("--changed-only", request.changedOnly,
                  "Report only the systems whose record the run changed");
}

void AddSummaryCommand(CLI::App &app, standin::SummaryRequest &request) {
    CLI::App *check = app.add_subcommand(
        "check", "Read a document, say what it holds, and write it again where asked.");
    check->footer(Footer(standin::help::kSummary));
    check
        ->add_option("document", request.document,
                     "Path of the document (JSON; '-': standard input)")
        ->required();
    check->add_option("--output", request.output,
                      "Write the document here as this program writes documents "
                      "('-': standard output)");
}

void AddDiffCommand(CLI::App &app, standin::DiffRequest &request) {
    CLI::App *diff = app.add_subcommand(
        "diff", "List what differs between two documents, record by record and field by field.");
    diff->footer(Footer(standin::help::kDiff));
    diff->add_option("first", request.first,
                     "Path of the first document (JSON; '-': standard input)")
        ->required();
    diff->add_option("second", request.second,
                     "Path of the second document (JSON; '-': standard input)")
        ->required();
}

void AddValidateCommand(CLI::App &app, standin::validator::ValidateRequest &request) {
    CLI::App *validate = app.add_subcommand(
        "validate", "Check a plug-in module the way a careful host would, level by level.");
    validate->footer(Footer(standin::help::kValidate));
    validate->add_option("module", request.module, "Path of the plug-in module")->required();
    validate->add_option("--level", request.level, "Run the checks of levels 1 to this (1 to 5)")
        ->capture_default_str();
    validate->add_option("--seed", request.seed,
                         "Seed of the random documents (default: a new one)");
    validate
        ->add_option("--format", request.format,
                     "Form of the report: " +
                         standin::ChoiceNames(standin::validator::kReportFormats, " or "))
        ->capture_default_str();
    validate->add_option("--check", request.check, "Run only this check, whatever its level");
    validate->add_option("--case", request.onlyCase,
                         "Run only this case (CHECK:PARAMETERS, as a failure line gives it)");
    validate->add_option("--from", request.from,
                         "With --case: run the check's cases from this number up to that one, "
                         "in one process");
    validate->add_option("--trace", request.trace,
                         "With --case: write the case's host calls here ('-': standard output)");
    validate->add_option("--case-limit", request.caseLimit, "Seconds each case may take")
        ->capture_default_str();
    validate->add_option("--run-limit", request.runLimit, "Seconds the whole run may take")
        ->capture_default_str();
    // The validator starts itself as a worker with these; not for people.
    validate->add_option("--worker", request.worker)->group("");
    validate->add_option("--channel", request.channel)->group("");
}

int Fail(const std::string &what, int status) {
    std::cerr << "FINALE.EXE: " << standin::Printable(what) << "\n";
    return status;
}

// What a failure of the verb named first says. diff says 1 for "they
// differ" and replay 1 for "the module answered otherwise", so any trouble of
// theirs is 2; of every other verb, 1.
int FailureStatus(int argc, char **argv) {
    if (argc < 2) return kFailed;
    const bool answersOne =
        std::strcmp(argv[1], "diff") == 0 || std::strcmp(argv[1], "replay") == 0;
    return answersOne ? kBadInput : kFailed;
}

// Every verb's options, as the command line fills them.
struct Verbs {
    MenuArguments menu;
    standin::RunRequest run;
    standin::SummaryRequest summary;
    standin::DiffRequest diff;
    standin::validator::ValidateRequest validate;
    standin::RecordingRequests recording;
};

void AddVerbs(CLI::App &app, Verbs &verbs, const std::string &program) {
    app.footer(Footer(standin::help::kProgram));
    app.set_version_flag("--version", VersionText(), "Print the program's version and commit");
    app.require_subcommand(1);
    // On Windows CLI11 reads "/name" as an option; under Wine every absolute
    // path begins with "/".
    app.allow_windows_style_options(false);
    AddMenuCommand(app, verbs.menu);
    AddRunCommand(app, verbs.run);
    AddSummaryCommand(app, verbs.summary);
    AddDiffCommand(app, verbs.diff);
    verbs.validate.program = program;
    AddValidateCommand(app, verbs.validate);
    standin::AddRecordingCommands(app, verbs.recording, Footer);
}

// The exit status of the verb the command line chose.
int RunChosenVerb(const CLI::App &app, const Verbs &verbs, const standin::Streams &streams) {
    if (app.got_subcommand("menu")) return RunMenu(verbs.menu);
    if (app.got_subcommand("run")) {
        standin::RunDocument(verbs.run, streams);
        return kDone;
    }
    if (app.got_subcommand("check")) {
        standin::SummariseDocument(verbs.summary, streams);
        return kDone;
    }
    if (app.got_subcommand("validate")) {
        if (!verbs.validate.worker.empty()) standin::validator::RunValidateWorker(verbs.validate);
        return standin::validator::Validate(verbs.validate, streams);
    }
    if (app.got_subcommand("replay"))
        return standin::ReplayRecording(verbs.recording.replay, streams);
    if (app.got_subcommand("import")) {
        standin::ImportRecording(verbs.recording.import, streams);
        return kDone;
    }
    if (app.got_subcommand("diff"))
        return standin::DiffDocuments(verbs.diff, streams) ? kDiffers : kDone;
    return kBadInput;
}

// The verb's exit status; `failed` is what a failure of the verb says.
int RunVerb(int argc, char **argv, int failed) {
    standin::PrepareStandardStreams();
    standin::ProgramArguments arguments(argc, argv);
    standin::KeepMemoryInReserve();
    CLI::App app{"FINALE.EXE - a stand-in host that loads a plug-in module and drives it",
                 "FINALE.EXE"};
    Verbs verbs;
    AddVerbs(app, verbs, arguments.Count() > 0 ? arguments.Values()[0] : "FINALE.EXE");
    try {
        app.parse(arguments.Count(), arguments.Values());
        standin::RefuseEmptyValues(app);
        return RunChosenVerb(app, verbs, {std::cout, std::cerr});
    } catch (const CLI::Success &helpOrVersion) {
        return app.exit(helpOrVersion);
    } catch (const CLI::ParseError &error) {
        return Fail(standin::ParseErrorText(error, app), kBadInput);
    } catch (const standin::UsageError &error) {
        return Fail(error.what(), kBadInput);
    } catch (const standin::FileError &error) {
        return Fail(error.what(), failed);
    } catch (const std::bad_alloc &) {
        return Fail("out of memory", failed);
    } catch (const std::exception &error) {
        return Fail(std::string("unexpected failure: ") + error.what(), failed);
    } catch (...) {
        return Fail("unexpected failure", failed);
    }
}

}  // namespace

int main(int argc, char **argv) {
    const int failed = FailureStatus(argc, argv);
    try {
        standin::WatchStandardOutput();
        const int status = RunVerb(argc, argv, failed);
        const std::string unwritten = standin::FinishStandardOutput();
        if (unwritten.empty()) return status;
        return Fail("cannot write standard output: " + unwritten, failed);
    } catch (...) {
        // Only a failure to report a failure ends here: no message can be
        // made, and the status says what happened.
        return failed;
    }
}
