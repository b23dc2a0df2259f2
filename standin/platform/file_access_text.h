// What the file access seam says, the same on every platform: messages that
// name the file and give the operating system's reason, and the checks made before a
// file is opened.
#pragma once

#include <cstddef>
#include <string>

#include "standin/platform/file_access.h"

namespace standin {

std::string CannotRead(const std::string &path, const std::string &reason);
std::string CannotWrite(const std::string &path, const std::string &reason);
std::string TooLarge(const std::string &path, std::size_t limit);
// The file to be replaced no longer holds what was read from it.
std::string ChangedSinceRead(const std::string &path);

// Throws FileError unless `facts` are those of a regular file of at most
// `limit` bytes.
void RequireReadable(const std::string &path, const PathFacts &facts, std::size_t limit);

// The start of a temporary file's name in the folder of `target`: hidden,
// and naming the file it is for.
std::string TemporaryNameBeside(const std::string &target);

}  // namespace standin
