// The host program's commands over document files: `run` drives a module's
// menu command over a document, `check` reads one and writes it again.
#pragma once

#include <ostream>
#include <string>

namespace standin {

struct RunRequest {
    std::string module;
    std::string document;
    std::string hostVersion;  // empty: the document's
    std::string command;      // menu index or menu text
    std::string measures;     // empty: no selection record
    std::string output;       // the changed document; empty: not written
    bool inPlace = false;     // write the changed document over its input
    std::string trace;        // host calls; "-" for standard output
    std::string svg;          // the systems before and after
};

struct CheckRequest {
    std::string document;
    std::string output;
};

// Both check all their input before they write anything, and throw
// UsageError (a DocumentError for the document) on bad input.
void RunDocument(const RunRequest &request, std::ostream &out);
void CheckDocument(const CheckRequest &request, std::ostream &out);

}  // namespace standin
