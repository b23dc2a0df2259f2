#include "standin/program/document_commands.h"

#include <algorithm>
#include <sstream>

#include "interface/data_tag.h"
#include "standin/document/document.h"
#include "standin/document/document_diff.h"
#include "standin/document/document_warnings.h"
#include "standin/host/call_trace.h"
#include "standin/platform/output_files.h"
#include "standin/platform/text_output.h"
#include "standin/program/run_command.h"
#include "standin/program/run_report.h"
#include "standin/program/svg_picture.h"

namespace standin {
namespace {

void Warn(const Streams &streams, const std::string &warning) {
    streams.err << "FINALE.EXE: warning: " << Printable(warning) << "\n";
}

Document ReadWithWarnings(const std::string &path, const Streams &streams,
                          std::string *wasRead = nullptr) {
    Document document = ReadDocumentFile(path, wasRead);
    for (const std::string &warning : DocumentWarnings(document, DocumentName(path))) {
        Warn(streams, warning);
    }
    return document;
}

// Standard input is no file that an output could be.
std::vector<Input> FileInputs(std::vector<Input> inputs) {
    inputs.erase(std::remove_if(inputs.begin(), inputs.end(),
                                [](const Input &input) { return input.path == kStandardInput; }),
                 inputs.end());
    return inputs;
}

// A selection a user most likely did not mean.
void WarnAboutSelection(const MeasureRange &range, int lastMeasure, const Streams &streams) {
    const std::string selected =
        "--measures " + std::to_string(range.first) + "-" + std::to_string(range.last);
    const std::string measures =
        lastMeasure == 0 ? "the document has no measures"
                         : "the document's measures are 1 to " + std::to_string(lastMeasure);
    if (range.first > range.last) {
        Warn(streams, selected + " is reversed: it selects no measure");
    } else if (range.last < 1 || range.first > lastMeasure) {
        Warn(streams, selected + " selects no measure of the document (" + measures + ")");
    } else if (range.first < 1 || range.last > lastMeasure) {
        Warn(streams, selected + " reaches outside the document (" + measures + ")");
    }
}

std::size_t Count(const RecordStore &records, uint32_t tag) {
    std::size_t count = 0;
    for (const auto &entry : records.All()) count += entry.first.tag == tag ? 1 : 0;
    return count;
}

// The systems a picture shows: --changed-only keeps those the run changed,
// --measures those in the selection and any the run changed outside it.
// `shown` says which, when some are left out.
std::vector<SystemChange> PictureSystems(const RunResult &result, bool changedOnly,
                                         std::string &shown) {
    std::vector<SystemChange> systems;
    for (const SystemChange &system : result.systems) {
        const bool kept = changedOnly ? system.Changed()
                                      : !result.measures || system.inSelection || system.Changed();
        if (kept) systems.push_back(system);
    }
    if (systems.size() < result.systems.size()) {
        shown = std::to_string(systems.size()) + " of the " +
                std::to_string(result.systems.size()) + " systems shown: " +
                (changedOnly ? std::string("those the run changed (--changed-only)")
                             : "those in the selection, and any the run changed (--measures)");
    }
    return systems;
}

// Outputs that cannot go together, refused before anything is read.
void RefuseOutputsThatClash(const RunRequest &request, ReportFormat format) {
    if (request.inPlace && !request.output.empty()) {
        throw UsageError("--in-place writes over the input document; give no --output with it");
    }
    if (request.inPlace && request.document == kStandardInput) {
        throw UsageError(
            "--in-place replaces the input document, and standard input is no file to "
            "replace: give the document's path, or --output");
    }
    if (IsStandardOutput(request.trace) && format != ReportFormat::Table) {
        throw UsageError("--trace - would mix the trace into the " + request.format +
                         " report; write the trace to a file");
    }
}

// The files the run writes, in the order they are written; `wasRead` is the
// input as read, which --in-place replaces only if it is still so.
std::vector<Output> RunOutputs(const RunRequest &request, const std::string &wasRead) {
    std::vector<Output> outputs;
    if (!request.output.empty()) outputs.push_back({"--output", request.output});
    if (request.inPlace) outputs.push_back({"--in-place", request.document, wasRead});
    if (!request.trace.empty()) outputs.push_back({"--trace", request.trace});
    if (!request.svg.empty()) outputs.push_back({"--svg", request.svg});
    return outputs;
}

RunOptions MakeRunOptions(const RunRequest &request, const Document &document,
                          const Streams &streams) {
    RunOptions options;
    options.hostVersion = request.hostVersion.empty()
                              ? document.hostVersion
                              : ParseWord(request.hostVersion, "host version");
    options.command = request.command;
    if (!request.measures.empty()) options.measures = ParseMeasureRange(request.measures);
    options.warn = [&streams](const std::string &warning) { Warn(streams, warning); };
    return options;
}

void WarnAboutSelection(const RunOptions &options, const Document &document,
                        const Streams &streams) {
    if (options.measures) {
        WarnAboutSelection(*options.measures, LastMeasure(document), streams);
        return;
    }
    Warn(streams,
         "no --measures: the module is invoked without a selection, so a command on the "
         "selected measures has none to work on");
}

// Each output's text: all are made before any file is written, so that a
// document the host left unwritable does not leave the other outputs behind.
std::vector<std::string> OutputTexts(const std::vector<Output> &outputs, const Document &document,
                                     const Host &host, const RunResult &result, bool changedOnly) {
    std::vector<std::string> texts;
    for (const Output &output : outputs) {
        if (output.option == "--trace") {
            texts.push_back((IsStandardOutput(output.path) ? "host calls:\n" : "") +
                            TraceText(host.Trace()));
        } else if (output.option == "--svg") {
            std::string shown;
            const std::vector<SystemChange> systems = PictureSystems(result, changedOnly, shown);
            texts.push_back(
                SystemsPicture(systems, RunCaption(result), SelectionText(result.measures), shown));
        } else {
            texts.push_back(DocumentText(document));
        }
    }
    return texts;
}

}  // namespace

void RunDocument(const RunRequest &request, const Streams &streams) {
    const ReportFormat format = ParseReportFormat(request.format);
    RefuseOutputsThatClash(request, format);
    std::string wasRead;
    Document document = ReadWithWarnings(request.document, streams, &wasRead);
    const std::vector<Output> outputs = RunOutputs(request, wasRead);
    const RunOptions options = MakeRunOptions(request, document, streams);
    VetOutputs(outputs, FileInputs({{"the input document", request.document, true},
                                    {"the plug-in module", request.module}}));
    Plugin plugin(request.module);
    WarnAboutSelection(options, document, streams);

    Host host;
    PutIntoHost(document, host);
    Host::SetCurrent(&host);
    const RunResult result = RunMenuCommand(plugin, host, options);
    Host::SetCurrent(nullptr);
    TakeFromHost(document, host);

    std::ostringstream standardOutput;
    WriteOutputs(outputs, OutputTexts(outputs, document, host, result, request.changedOnly),
                 standardOutput);
    // The report shares standard output only with the trace, and only as a
    // table: a document, a picture, JSON or CSV must stay whole to be read.
    const bool dataToStandardOutput =
        IsStandardOutput(request.output) || IsStandardOutput(request.svg);
    PrintRunReport(result, format, request.changedOnly,
                   dataToStandardOutput ? streams.err : streams.out);
    streams.out << standardOutput.str();
}

void SummariseDocument(const SummaryRequest &request, const Streams &streams) {
    const Document document = ReadWithWarnings(request.document, streams);
    std::vector<Output> outputs;
    if (!request.output.empty()) outputs.push_back({"--output", request.output});
    VetOutputs(outputs, FileInputs({{"the input document", request.document}}));
    const std::string text = DocumentText(document);
    const auto systems = Count(document.records, hostdata::kStaffSystemTag);
    const auto measures = Count(document.records, hostdata::kMeasureTag);
    std::ostream &summary = IsStandardOutput(request.output) ? streams.err : streams.out;
    WriteOutputs(outputs, {text}, streams.out);
    summary << "host version " << Hex32(document.hostVersion) << ", "
            << (document.currentPart == 0
                    ? std::string("the score is viewed")
                    : "part " + std::to_string(document.currentPart) + " is viewed")
            << "\n"
            << systems << " staff system records, " << measures << " measure records, "
            << document.records.All().size() - systems - measures << " other records\n";
}

bool DiffDocuments(const DiffRequest &request, const Streams &streams) {
    if (request.first == kStandardInput && request.second == kStandardInput) {
        throw UsageError("standard input holds one document: give the other one's path");
    }
    const Document first = ReadWithWarnings(request.first, streams);
    const Document second = ReadWithWarnings(request.second, streams);
    const std::vector<std::string> differences = DocumentDifferences(first, second);
    for (const std::string &line : differences) streams.out << line << "\n";
    streams.out << (differences.empty()
                        ? std::string("no differences")
                        : std::to_string(differences.size()) +
                              (differences.size() == 1 ? " difference" : " differences"))
                << "\n";
    return !differences.empty();
}

}  // namespace standin
