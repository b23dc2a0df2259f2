#include "standin/platform/output_files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "standin/platform/errors.h"
#include "standin/platform/file_access.h"
#include "standin/platform/file_access_text.h"
#include "standin/platform/temporary_files.h"

namespace standin {
namespace {

namespace fs = std::filesystem;

BetweenCommits betweenCommits = nullptr;

// Where a link leads; links that loop are refused where the output is
// checked.
std::string LinkTarget(const std::string &path) {
    try {
        return FinalTarget(path);
    } catch (const FileError &) {
        return path;
    }
}

// The path as the operating system will find it, for paths that need not exist yet
// (or that a link leads to).
std::string Comparable(const std::string &path) {
    std::error_code error;
    fs::path full = fs::weakly_canonical(fs::absolute(fs::path(LinkTarget(path)), error), error);
    std::string text = (error ? fs::path(path) : full).lexically_normal().string();
    if (PathNamesIgnoreCase()) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    }
    return text;
}

bool SameFile(const std::string &a, const std::string &b) {
    std::error_code error;
    if (fs::equivalent(fs::path(a), fs::path(b), error)) return true;
    return Comparable(a) == Comparable(b);
}

std::string Named(const Output &output) { return output.option + " '" + output.path + "'"; }

void VetTarget(const Output &output) {
    const PathFacts facts = FactsOf(output.path);
    if (facts.folder) throw UsageError(Named(output) + " is a folder; name a file in it");
    if (facts.exists && !facts.regularFile) {
        throw UsageError(Named(output) +
                         " is not a regular file; write to a file, or to standard output with -");
    }
    if (facts.exists && !facts.writable) {
        throw UsageError(output.option + ": " + CannotWrite(output.path, std::strerror(EACCES)) +
                         " (the file is read-only)");
    }
    try {
        ReplacementFile probe(output.path);
    } catch (const FileError &error) {
        if (!error.Refused()) throw FileError(output.option + ": " + error.what());
        // The file itself may be written: what refuses is its folder, where
        // the new file is made first.
        const std::string folder =
            facts.exists ? std::string("; the folder it is in must be writable too, as the new ") +
                               (output.overInput ? "document" : "file") +
                               " is written beside the old one first and then takes its place"
                         : "";
        throw UsageError(output.option + ": " + error.what() + folder);
    }
}

}  // namespace

bool IsStandardOutput(const std::string &path) { return path == "-"; }

void VetOutputs(const std::vector<Output> &outputs, const std::vector<Input> &inputs) {
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const Output &output = outputs[i];
        for (std::size_t j = 0; j < i; ++j) {
            const Output &earlier = outputs[j];
            if (IsStandardOutput(output.path) && IsStandardOutput(earlier.path)) {
                throw UsageError(earlier.option + " and " + output.option +
                                 " both ask for standard output; give one of them a file");
            }
            if (!IsStandardOutput(output.path) && !IsStandardOutput(earlier.path) &&
                SameFile(output.path, earlier.path)) {
                throw UsageError(Named(output) + " is the file " + earlier.option +
                                 " writes; give each output a file of its own");
            }
        }
        if (IsStandardOutput(output.path)) continue;
        for (const Input &input : inputs) {
            if (!output.overInput && SameFile(output.path, input.path)) {
                const bool meantAsChange = input.changeable && output.option == "--output";
                throw UsageError(Named(output) + " is " + input.what + "; write elsewhere" +
                                 (meantAsChange ? ", or use --in-place to replace it" : ""));
            }
        }
        VetTarget(output);
    }
}

void SetBetweenCommitsHook(BetweenCommits hook) { betweenCommits = hook; }

void WriteOutputs(const std::vector<Output> &outputs, const std::vector<std::string> &texts,
                  std::ostream &standardOutput) {
    std::vector<std::unique_ptr<ReplacementFile>> written(outputs.size());
    // The input first: when it changed since it was read, nothing is put
    // in place at all.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        if (IsStandardOutput(outputs[i].path)) continue;
        written[i] = std::make_unique<ReplacementFile>(outputs[i].path);
        written[i]->Write(texts[i]);
        order.insert(outputs[i].overInput ? order.begin() : order.end(), i);
    }
    {
        const temporary_files::Hold hold;
        for (std::size_t n = 0; n < order.size(); ++n) {
            const std::size_t i = order[n];
            if (n > 0 && betweenCommits != nullptr) betweenCommits();
            if (outputs[i].overInput) {
                written[i]->CommitIfStill(*outputs[i].overInput);
            } else {
                written[i]->Commit();
            }
        }
    }
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        if (IsStandardOutput(outputs[i].path)) standardOutput << texts[i];
    }
}

}  // namespace standin
