// What the host program says about a command line it cannot take, in its
// own words rather than the command-line library's, and before it looks any
// further: an unknown verb or option, an option given twice or without its
// value, an empty value.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace standin {

// Before parsing: throws UsageError for an unknown verb, an option the verb
// does not have, a value option given twice or last without its value.
void CheckCommandLine(CLI::App &app, int argc, char **argv);

// After parsing: throws UsageError for an option or argument given as "":
// a path or number left out by a script, which must not pass for "not
// given".
void RefuseEmptyValues(const CLI::App &app);

// The message for what the library refused, in the program's words.
std::string ParseErrorText(const CLI::ParseError &error, int argc, char **argv);

}  // namespace standin
