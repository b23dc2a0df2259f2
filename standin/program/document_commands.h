// The host program's commands over document files: `run` drives a module's
// menu command over a document, `check` reads one and writes it again,
// `diff` compares two.
#pragma once

#include <ostream>
#include <string>

namespace standin {

struct RunRequest {
    std::string module;
    std::string document;
    std::string hostVersion;       // empty: the document's
    std::string command;           // menu index or menu text
    std::string measures;          // empty: no selection record
    std::string output;            // the changed document; empty: not written
    bool inPlace = false;          // write the changed document over its input
    std::string trace;             // host calls
    std::string svg;               // the systems before and after
    std::string format = "table";  // of the report: a name in kReportFormats
    bool changedOnly = false;      // report only the systems the run changed
};

struct SummaryRequest {
    std::string document;
    std::string output;
};

struct DiffRequest {
    std::string first;
    std::string second;
};

// Where the host program says what it has to say: the report or data on
// standard output, warnings on standard error.
struct Streams {
    std::ostream &out;
    std::ostream &err;
};

// An output path of "-" is standard output. Both check all their input and
// every output before the module runs or anything is written, and throw
// UsageError (a DocumentError for a document) on bad input, FileError when
// an output could not be written; then no file is changed. Warnings about
// the document and the run go to `err`; so does the report when standard
// output carries the changed document or the picture.
void RunDocument(const RunRequest &request, const Streams &streams);
void SummariseDocument(const SummaryRequest &request, const Streams &streams);

// Lists the differences; answers whether there were any.
bool DiffDocuments(const DiffRequest &request, const Streams &streams);

}  // namespace standin
