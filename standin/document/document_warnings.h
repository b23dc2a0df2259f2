// What no real host would hold, though a document can say it: such a
// document stays loadable, since tests need such documents, and the host
// program warns about each thing.
#pragma once

#include <string>
#include <vector>

#include "standin/document/document.h"

namespace standin {

// One line each, naming the file and the place in it: a system whose first
// measure is negative or beyond the last measure, a system that does not
// start after the one before it, a system that will never be laid out, and
// a current part that cannot exist.
std::vector<std::string> DocumentWarnings(const Document &document, const std::string &fileName);

// The highest measure number the document has a measure for; 0 for none.
int LastMeasure(const Document &document);

}  // namespace standin
