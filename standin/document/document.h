// A document file: what the stand-in host holds for one score, kept as JSON
// that a person can read and edit. Staff systems, measures and the page
// formats' indents and extra values are given by name; every other record
// goes in raw, so a document loaded and saved again loses nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "interface/host_version_words.h"
#include "standin/host/host.h"
#include "standin/host/record_store.h"
#include "standin/platform/errors.h"

namespace standin {

// A document that cannot be read; the message names the file, the place in
// it as a JSON pointer, and what was expected there.
class DocumentError : public UsageError {
public:
    using UsageError::UsageError;
};

struct Document {
    std::string description;  // free text for the reader, kept as it is
    uint32_t hostVersion = hostdata::kFrameworkDataVersion;
    int32_t currentPart = 0;            // 0: the score is viewed
    std::map<uint16_t, int16_t> slots;  // staff slot -> staff number
    std::map<int16_t, int16_t> layout;  // system item -> first measure once laid out
    RecordStore records;                // as the host keeps them
    // Where the file gave each record, as a JSON pointer: for messages.
    std::map<RecordKey, std::string> places;
};

// The most a document file may hold: far more than the largest document
// (32767 systems and measures with all their bytes) takes.
constexpr std::size_t kDocumentSizeLimit = 16u << 20;
// And the most JSON values (numbers, texts, objects, lists...) it may hold:
// the largest document holds some 330,000.
constexpr std::size_t kDocumentMostValues = 1000000;
// And the deepest it may nest lists and objects: a document nests them 3
// deep (a system in the list of systems in the document).
constexpr std::size_t kDocumentMostDepth = 32;

// The path that stands for standard input.
constexpr const char *kStandardInput = "-";
// The document's name in messages: its path, or "standard input".
std::string DocumentName(const std::string &path);

// `fileName` only names the document in messages.
Document ParseDocument(const std::string &text, const std::string &fileName);
// `wasRead`, when given, gets the file's bytes. A path of "-" reads
// standard input to its end.
Document ReadDocumentFile(const std::string &path, std::string *wasRead = nullptr);

// The document as the file holds it; byte for byte what was read when the
// file was written by this function and nothing changed since. Throws
// DocumentError when the records no longer hold what the named fields need.
std::string DocumentText(const Document &document);

// The host serves the document's records, slots, layout and current part.
void PutIntoHost(const Document &document, Host &host);
// What the host holds now replaces the document's records.
void TakeFromHost(Document &document, const Host &host);

}  // namespace standin
