// The plug-in's only use of the file system: recordings of its conversation
// with the host, which a user asks for by naming a folder in the environment
// variable KARVO_INDENT_RECORD_DIR. One implementation file per platform.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A folder in the system's own spelling (UTF-16 on Windows), so that any
// folder a user can name works. (Not std::wstring: its library code alone
// would add a fifth to the module.)
#if defined(_WIN32)
using NativePath = std::vector<wchar_t>;
#else
using NativePath = std::string;
#endif

// The environment variable that turns recording on.
#define KARVO_RECORD_DIR_VARIABLE "KARVO_INDENT_RECORD_DIR"

// Puts the folder KARVO_INDENT_RECORD_DIR names into `folder`; false when the
// variable is unset or empty. When it is unset this reads the environment
// once and allocates nothing.
bool RecordingFolder(NativePath &folder);

enum class NewFile {
    kWritten,
    kNameTaken,  // a file of that name, or of its temporary name, is there: nothing written
    kFailed,     // nothing written, and no file left behind
};

// Writes `pieces`, one after the other, as the new file `name` (ASCII) in
// `folder`, whole or not at all: into `name`.tmp first, flushed to the disk,
// then given its name, never over a file that has it.
NewFile WriteNewFile(const NativePath &folder, const std::string &name,
                     std::initializer_list<std::string_view> pieces);

// Adds the ASCII names of the files in `folder` that begin with `prefix` to
// `names`; false when the folder cannot be read.
bool FileNamesBeginning(const NativePath &folder, const std::string &prefix,
                        std::vector<std::string> &names);

// Whether the regular file `name` in `folder` begins with the bytes of
// `start`; false when it is shorter, holds others, or cannot be read.
bool FileBegins(const NativePath &folder, const std::string &name, std::string_view start);

// Removes the file `name` from `folder`; false when it could not.
bool RemoveFile(const NativePath &folder, const std::string &name);

}  // namespace platform
