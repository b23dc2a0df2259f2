// What differs between two documents, as a maintainer reads it: record by
// record, named fields by name and other bytes by offset.
#pragma once

#include <string>
#include <vector>

#include "standin/document/document.h"

namespace standin {

// One line per difference, in document order, such as
//   system 3: leftIndent: 36 -> 144
//   measure 7: bytes 20-21: 00 00 -> 01 00
//   record 'ot02' (-2,0): only in the second document
// Empty when the documents hold the same.
std::vector<std::string> DocumentDifferences(const Document &first, const Document &second);

}  // namespace standin
