// The menu commands, one entry each in the order of the host's menu indices.
// Everything the plug-in and the stand-in host know of a command comes from
// here: its identity, its texts, the hosts it is offered to, and the rule by
// which it tells a first system from the others.
#pragma once

#include <cstddef>
#include <cstdint>

#include "interface/host_version_words.h"

namespace shell {

// A command's identity; the value is its menu index.
enum class Command : uint16_t {
    IndentAfterFinalBarlines = 0,
    IndentForFullNames = 1,
};

// Which systems in the selection get the first-system indent rather than
// the system indent. The system at measure 1 always does, under every rule.
enum class FirstSystemRule {
    // The measure before the system's first measure ends in a final barline.
    AfterFinalBarline,
    // The system's first measure asks for full staff and group names; only
    // hosts from kFullNamesHostVersion on keep that flag.
    FullNamesFlag,
};

// The three texts of a menu entry: plain ASCII, as the records widen each
// byte to one UTF-16 unit.
struct CommandTexts {
    const char *name;
    const char *description;
    const char *menuText;
};

// Offered to every host, also to one that never made the handshake.
constexpr uint32_t kEveryHost = 0;

struct CommandEntry {
    Command command;
    CommandTexts texts;
    // The lowest host version offered the command. Any other than
    // kEveryHost is offered only once the host has reported its version.
    uint32_t lowestHostVersion;
    FirstSystemRule rule;
};

inline constexpr CommandEntry kCommands[] = {
    {Command::IndentAfterFinalBarlines,
     {"Karvo Indent System (after Final Barlines)",
      "Indents/unindents systems after final barlines.", "Indent System/Final Barlines"},
     kEveryHost,
     FirstSystemRule::AfterFinalBarline},
    {Command::IndentForFullNames,
     {"Karvo Indent System (for Show Full Names)",
      "Indents/unindents systems with the 'Show Full Staff & Group Names' setting.",
      "Indent System/Show Full Names"},
     hostdata::kFullNamesHostVersion,
     FirstSystemRule::FullNamesFlag},
};

constexpr std::size_t kCommandCount = sizeof kCommands / sizeof kCommands[0];

// The menu index is the entry's place in the table.
constexpr bool EachCommandAtItsMenuIndex() {
    for (std::size_t i = 0; i < kCommandCount; ++i) {
        if (static_cast<std::size_t>(kCommands[i].command) != i) return false;
    }
    return true;
}
static_assert(EachCommandAtItsMenuIndex(), "a command's identity is its place in kCommands");

// No entry is offered past a refusal. The host asks for menu entries from
// index 0 up and stops at the first index it is refused, so an entry past a
// refusal would never reach its menu. Whatever the host's version, the
// entries offered must be the first few of the table: no entry may ask for
// a newer host than the entry after it.
constexpr bool NoEntryPastARefusal() {
    for (std::size_t i = 1; i < kCommandCount; ++i) {
        if (kCommands[i].lowestHostVersion < kCommands[i - 1].lowestHostVersion) return false;
    }
    return true;
}
static_assert(NoEntryPastARefusal(),
              "kCommands must be in order of their lowest host version: a host stops asking "
              "for menu entries at the first it is refused");

constexpr const CommandEntry &EntryOf(Command command) {
    return kCommands[static_cast<std::size_t>(command)];
}

// The command an invoke of a menu index runs. The host invokes only the
// indices it was offered; an index past the table runs the last command,
// as any index but 0 always has, and a script or a recording may rely on it.
constexpr const CommandEntry &InvokedCommand(uint16_t menuIndex) {
    return kCommands[menuIndex < kCommandCount ? menuIndex : kCommandCount - 1];
}

}  // namespace shell
