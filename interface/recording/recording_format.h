// What the plug-in that writes a recording and the host program that reads
// one agree on, beside the text's pieces (recording_text.h) and its head
// (recording_head.h); docs/recording.md describes the format and
// recording.schema.json beside this file is its schema.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace hostdata::recording_text {

inline constexpr char kFormatName[] = "Karvo Indent System recording";

// How every recording begins, and how one is told from any other file.
inline constexpr char kRecordingStart[] = "{\n  \"format\": \"Karvo Indent System recording\",\n";
static_assert(std::string_view(kRecordingStart).find(kFormatName) != std::string_view::npos,
              "a recording begins by naming its format");

// How the head's line naming the module's version begins. A module holds
// that line whole, as one literal, so that a program finds in the module's
// bytes which version it records.
inline constexpr char kModuleLineStart[] = "\n  \"module\": \"";

// A reader tells this format from later ones by the number.
inline constexpr int kFormatVersion = 1;

// No recording file is larger than this: one that would be ends at the
// last call that fits, marked incomplete.
inline constexpr std::size_t kMostRecordingBytes = 16u << 20;

// The part of the selection record a recording holds: what the command reads.
inline constexpr std::size_t kSelectionBytes = 20;

// No host record comes near this; a host that reports a larger one, or a
// negative size, for a record it loaded did not report a record's size.
inline constexpr int32_t kLargestRecordSize = 1 << 20;

}  // namespace hostdata::recording_text
