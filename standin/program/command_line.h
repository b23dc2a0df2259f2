// The rules the host program's command line keeps beyond the command-line
// library's own, and the program's words for what the library refused
// where the parse itself names the fault: an unknown verb or option, an
// argument too many, a path or option left out.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace standin {

// After parsing: throws UsageError for an option or argument given as "":
// a path or number left out by a script, which must not pass for "not
// given".
void RefuseEmptyValues(const CLI::App &app);

// The message for what the library refused: in the program's words where
// the state the parse stopped in tells what was wrong, the library's own
// message otherwise.
std::string ParseErrorText(const CLI::ParseError &error, const CLI::App &app);

}  // namespace standin
