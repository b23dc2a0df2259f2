#include "standin/document_commands.h"

#include <filesystem>
#include <fstream>

#include "hostdata/data_tag.h"
#include "standin/call_trace.h"
#include "standin/document.h"
#include "standin/run_command.h"
#include "standin/svg_picture.h"
#include "standin/text_output.h"

namespace standin {
namespace {

bool SameFile(const std::string &a, const std::string &b) {
    std::error_code error;
    return std::filesystem::equivalent(std::filesystem::path(a), std::filesystem::path(b), error);
}

// Files go out byte for byte, so a document reads the same on every system.
void WriteFile(const std::string &path, const std::string &text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) throw UsageError("cannot write '" + path + "'");
}

void RefuseInput(const std::string &input, const std::string &path, const char *option) {
    if (!path.empty() && path != "-" && SameFile(input, path)) {
        throw UsageError(std::string(option) + " '" + path +
                         "' is the input document; write elsewhere, or use --in-place for "
                         "the changed document");
    }
}

std::size_t Count(const RecordStore &records, bool (*matches)(const RecordKey &)) {
    std::size_t count = 0;
    for (const auto &entry : records.All()) count += matches(entry.first) ? 1 : 0;
    return count;
}

}  // namespace

void RunDocument(const RunRequest &request, std::ostream &out) {
    Document document = ReadDocumentFile(request.document);
    RunOptions options;
    options.hostVersion = request.hostVersion.empty()
                              ? document.hostVersion
                              : ParseWord(request.hostVersion, "host version");
    options.command = request.command;
    if (!request.measures.empty()) options.measures = ParseMeasureRange(request.measures);
    if (request.inPlace && !request.output.empty()) {
        throw UsageError("--in-place writes over the input document; give no --output with it");
    }
    RefuseInput(request.document, request.output, "--output");
    RefuseInput(request.document, request.trace, "--trace");
    RefuseInput(request.document, request.svg, "--svg");

    Host host;
    PutIntoHost(document, host);
    Host::SetCurrent(&host);
    RunResult result;
    {
        Plugin plugin(request.module);
        result = RunMenuCommand(plugin, host, options);
    }
    Host::SetCurrent(nullptr);

    TakeFromHost(document, host);
    const std::string documentPath = request.inPlace ? request.document : request.output;
    const std::string documentText = documentPath.empty() ? "" : DocumentText(document);
    PrintRunReport(result, out);
    if (!documentPath.empty()) WriteFile(documentPath, documentText);
    if (request.trace == "-") {
        out << "host calls:\n" << TraceText(host.Trace());
    } else if (!request.trace.empty()) {
        WriteFile(request.trace, TraceText(host.Trace()));
    }
    if (!request.svg.empty()) {
        WriteFile(request.svg, SystemsPicture(result.systems, RunCaption(result)));
    }
}

void CheckDocument(const CheckRequest &request, std::ostream &out) {
    const Document document = ReadDocumentFile(request.document);
    RefuseInput(request.document, request.output, "--output");
    const std::string text = DocumentText(document);
    const auto systems = Count(document.records, [](const RecordKey &key) {
        return key.tag == hostdata::kStaffSystemTag;
    });
    const auto measures = Count(
        document.records, [](const RecordKey &key) { return key.tag == hostdata::kMeasureTag; });
    out << "host version " << Hex32(document.hostVersion) << ", "
        << (document.currentPart == 0
                ? std::string("the score is viewed")
                : "part " + std::to_string(document.currentPart) + " is viewed")
        << "\n"
        << systems << " staff system records, " << measures << " measure records, "
        << document.records.All().size() - systems - measures << " other records\n";
    if (!request.output.empty()) WriteFile(request.output, text);
}

}  // namespace standin
