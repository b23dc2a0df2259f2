// Level 1: loading and the handshake. Everything a host does with a module
// before the user picks a command: the entry points, the version handshake,
// Init, the menu records in both forms, and that none of it reaches for the
// document, which the host has not opened to the module yet.
#include <algorithm>
#include <set>

#include "interface/finale_extension.h"
#include "interface/record_bytes.h"
#include "standin/platform/text_output.h"
#include "standin/program/menu_listing.h"
#include "standin/validator/checks.h"
#include "standin/validator/command_run.h"
#include "standin/validator/guarded_buffer.h"
#include "standin/validator/validation_documents.h"

namespace standin::validator {
namespace {

// What the host fills a record with before it hands it over.
constexpr uint8_t kRecordFill = 0xA5;
// Indices asked for after the first refusal, besides the last one.
constexpr uint32_t kIndicesPastTheRefusal = 4;
constexpr uint32_t kLastIndex = 0xFFFF;
// A text as long as a field holds but for its terminator was cut to fit.
constexpr std::size_t kCutLength = 63;

// The boundaries, and between each two the version halfway: a module that
// takes a whole range of hosts for another shows on neither of its ends.
std::vector<CaseParameters> ByHostVersion() {
    std::vector<uint32_t> versions = BoundaryHostVersions();
    std::sort(versions.begin(), versions.end());
    std::vector<CaseParameters> cases;
    for (std::size_t i = 0; i < versions.size(); ++i) {
        cases.push_back(CaseParameters().SetWord("version", versions[i]));
        if (i + 1 < versions.size() && versions[i + 1] - versions[i] > 1) {
            const uint32_t halfway = versions[i] + (versions[i + 1] - versions[i]) / 2;
            cases.push_back(CaseParameters().SetWord("version", halfway));
        }
    }
    return cases;
}

std::vector<CaseParameters> ListByHostVersion(Workbench &) { return ByHostVersion(); }

std::vector<CaseParameters> ListExports(Workbench &) {
    return {CaseParameters().Set("entry-points", "seven")};
}

Faults RunExports(Workbench &bench, const CaseParameters &, CaseLog &) {
    try {
        bench.Module();
    } catch (const UsageError &error) {
        return {error.what()};
    }
    return {};
}

Faults RunHandshake(Workbench &bench, const CaseParameters &parameters, CaseLog &) {
    const uint32_t version = parameters.Number("version");
    Plugin &module = bench.Module();
    uint32_t answer = 0;
    bool returned = false;
    Faults faults = CallEntryPoint("FinaleExtensionVersion", [&] {
        answer = module.version(version);
        returned = true;
    });
    if (returned && answer != FINALE_EXTENSION_INTERFACE_VERSION) {
        faults.push_back("answered " + Hex32(answer) + ", not the interface version " +
                         Hex32(FINALE_EXTENSION_INTERFACE_VERSION));
    }
    return faults;
}

std::vector<CaseParameters> ListInit(Workbench &) {
    std::vector<CaseParameters> cases;
    for (const uint32_t word : {0x00000000u, 0x00000010u, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
        cases.push_back(CaseParameters().SetWord("word", word));
    }
    return cases;
}

Faults RunInit(Workbench &bench, const CaseParameters &parameters, CaseLog &) {
    const uint32_t before = parameters.Number("word");
    Plugin &module = bench.Module();
    GuardedBuffer word(4, 0);
    hostdata::WriteU32(word.Data(), 0, before);
    uint32_t answer = 0;
    bool returned = false;
    Faults faults = CallEntryPoint("FinaleExtensionInit", [&] {
        answer = module.init(nullptr, reinterpret_cast<uint32_t *>(word.Data()));
        returned = true;
    });
    word.Retire(kRetiredInitWord);
    if (!returned) return faults;
    if (answer != 1) faults.push_back("answered " + std::to_string(answer) + ", not 1");
    const uint32_t after = hostdata::ReadU32(word.Data(), 0);
    if (after != (before | 1u)) {
        faults.push_back("left the word " + Hex32(before) + " as " + Hex32(after) + ", not " +
                         Hex32(before | 1u) + " (bit 0 set, the others as they were)");
    }
    AddFault(faults, word.WritesOutside("the 4-byte word"));
    return faults;
}

const char *EntryPointOf(const MenuRecordForm &form) {
    return form.unitBytes == 1 ? "FinaleExtensionEnumerate" : "FinaleExtensionEnumerate_UTF16";
}

const char *RetiredRecordOf(const MenuRecordForm &form) {
    return form.unitBytes == 1
               ? "the 8-bit menu record FinaleExtensionEnumerate handed over"
               : "the UTF-16 menu record FinaleExtensionEnumerate_UTF16 handed over";
}

// One enumeration of a form, with what was wrong with the record.
struct MenuEntry {
    uint32_t answer = 0;
    std::vector<MenuField> fields;
    Faults faults;
};

MenuEntry AskForEntry(Plugin &module, const MenuRecordForm &form, uint32_t index) {
    MenuEntry entry;
    GuardedBuffer record(form.recordBytes, kRecordFill);
    AddFaults(entry.faults, CallEntryPoint(EntryPointOf(form), [&] {
                  entry.answer =
                      form.Enumerate(module, static_cast<uint16_t>(index), record.Data());
              }));
    record.Retire(RetiredRecordOf(form));
    const std::string where = "index " + std::to_string(index) + ": ";
    const std::string outside =
        record.WritesOutside("its " + std::to_string(form.recordBytes) + "-byte record");
    if (!outside.empty()) entry.faults.push_back(where + outside);
    if (entry.answer == 0) {
        const std::string inside =
            record.ChangedInside(std::vector<uint8_t>(form.recordBytes, kRecordFill));
        if (!inside.empty()) {
            entry.faults.push_back(where + "refused, yet changed " + inside + " of the record");
        }
        return entry;
    }
    const uint32_t flag = hostdata::ReadU32(record.Data(), form.flagOffset);
    if (flag != 1) entry.faults.push_back(where + "entry flag " + std::to_string(flag) + ", not 1");
    for (std::size_t field = 0; field < kMenuFieldCount; ++field) {
        entry.fields.push_back(ReadMenuField(record.Data(), form, field));
        // An 8-bit field may be cut at its end; a UTF-16 one always ends.
        if (form.unitBytes == 2 && !entry.fields.back().terminated) {
            entry.faults.push_back(where + "text field " + std::to_string(field + 1) +
                                   " has no terminator within its " + std::to_string(form.Units()) +
                                   " units");
        }
    }
    if (entry.fields.back().units.empty()) entry.faults.push_back(where + "the menu text is empty");
    return entry;
}

// The entries up to the first refusal; past it, a few more and the last
// index must be refused too: a host never asks for them.
std::vector<MenuEntry> Enumerate(Plugin &module, const MenuRecordForm &form, Faults &faults) {
    std::vector<MenuEntry> offered;
    uint32_t index = 0;
    for (; index <= kLastIndex; ++index) {
        MenuEntry entry = AskForEntry(module, form, index);
        AddFaults(faults, entry.faults);
        if (entry.answer == 0) break;
        offered.push_back(std::move(entry));
    }
    std::set<uint32_t> past;
    for (uint32_t more = index + 1; more <= index + kIndicesPastTheRefusal && more <= kLastIndex;
         ++more) {
        past.insert(more);
    }
    if (index < kLastIndex) past.insert(kLastIndex);
    for (const uint32_t more : past) {
        const MenuEntry entry = AskForEntry(module, form, more);
        AddFaults(faults, entry.faults);
        if (entry.answer != 0) {
            faults.push_back("offers index " + std::to_string(more) + " after refusing index " +
                             std::to_string(index) + ": a host stops asking at the first refusal");
        }
    }
    return offered;
}

Faults RunMenuForm(Workbench &bench, const CaseParameters &parameters, const MenuRecordForm &form) {
    Plugin &module = bench.Module();
    Faults faults = Handshake(module, parameters.Number("version"));
    Enumerate(module, form, faults);
    return faults;
}

Faults RunEightBitMenu(Workbench &bench, const CaseParameters &parameters, CaseLog &) {
    return RunMenuForm(bench, parameters, kEightBitMenuRecord);
}

Faults RunUtf16Menu(Workbench &bench, const CaseParameters &parameters, CaseLog &) {
    return RunMenuForm(bench, parameters, kUtf16MenuRecord);
}

// The same text in both forms: equal, or the shorter one cut to fit its
// field. A byte past ASCII may stand for any character of the host's code
// page, so it agrees with any unit past ASCII.
bool SameText(const MenuField &eightBit, const MenuField &utf16) {
    const std::size_t common = std::min(eightBit.units.size(), utf16.units.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned byte = eightBit.units[i], unit = utf16.units[i];
        if (byte < 0x80 ? unit != byte : unit < 0x80) return false;
    }
    return eightBit.units.size() == utf16.units.size() || common >= kCutLength;
}

bool Identical(const MenuField &first, const MenuField &second) {
    return first.units == second.units && first.terminated == second.terminated;
}

using Entries = std::vector<MenuEntry>;

// The entries of two enumerations that differ, by `same`; `between` says
// which two ("between the two forms").
void Compare(const Entries &first, const Entries &second,
             bool (*same)(const MenuField &, const MenuField &), const std::string &between,
             Faults &faults) {
    if (first.size() != second.size()) {
        faults.push_back("offers " + std::to_string(first.size()) + " and " +
                         std::to_string(second.size()) + " entries " + between);
    }
    const char *names[] = {"name", "description", "menu text"};
    for (std::size_t index = 0; index < std::min(first.size(), second.size()); ++index) {
        for (std::size_t field = 0; field < kMenuFieldCount; ++field) {
            if (!same(first[index].fields[field], second[index].fields[field])) {
                faults.push_back("index " + std::to_string(index) + ": the " + names[field] +
                                 " differs " + between);
            }
        }
    }
}

// Each form is asked for twice, as a host that rebuilds its menu does.
Faults RunFormsAgree(Workbench &bench, const CaseParameters &parameters, CaseLog &) {
    Plugin &module = bench.Module();
    Faults faults = Handshake(module, parameters.Number("version"));
    Faults recordFaults;  // the form checks report these
    const Entries eightBit = Enumerate(module, kEightBitMenuRecord, recordFaults);
    const Entries utf16 = Enumerate(module, kUtf16MenuRecord, recordFaults);
    const Entries eightBitAgain = Enumerate(module, kEightBitMenuRecord, recordFaults);
    const Entries utf16Again = Enumerate(module, kUtf16MenuRecord, recordFaults);
    Compare(eightBit, utf16, SameText, "between the two forms", faults);
    Compare(eightBit, eightBitAgain, Identical,
            "between the first and the second time the 8-bit form is asked for", faults);
    Compare(utf16, utf16Again, Identical,
            "between the first and the second time the UTF-16 form is asked for", faults);
    return faults;
}

// The calls the host saw since `seen`, said of `step`.
void NoteHostCalls(const Host &host, std::size_t &seen, const char *step, Faults &faults) {
    const auto &trace = host.Trace();
    for (; seen < trace.size(); ++seen) {
        faults.push_back("called the host " + std::string(step) + ": " + trace[seen].ToString());
    }
}

Faults RunQuietStart(Workbench &bench, const CaseParameters &parameters, CaseLog &log) {
    Host host = BuildDocument("short").host;
    log.Watch(host, "loading, handshake, Init, menus, menu status, Terminate");
    Faults faults;
    std::size_t seen = 0;
    {
        const CurrentHost current(host);
        Plugin &module = bench.Module();
        NoteHostCalls(host, seen, "while it was loaded", faults);
        const uint32_t version = parameters.Number("version");
        AddFaults(faults,
                  CallEntryPoint("FinaleExtensionVersion", [&] { module.version(version); }));
        NoteHostCalls(host, seen, "in the handshake", faults);
        GuardedBuffer word(4, 0);
        AddFaults(faults, CallEntryPoint("FinaleExtensionInit", [&] {
                      module.init(nullptr, reinterpret_cast<uint32_t *>(word.Data()));
                  }));
        word.Retire(kRetiredInitWord);
        NoteHostCalls(host, seen, "in Init", faults);
        Faults recordFaults;  // the form checks report these
        Enumerate(module, kEightBitMenuRecord, recordFaults);
        Enumerate(module, kUtf16MenuRecord, recordFaults);
        NoteHostCalls(host, seen, "while the menus were asked for", faults);
        AddFaults(faults,
                  CallEntryPoint("FinaleExtensionGetMenuStatus", [&] { module.menuStatus(); }));
        NoteHostCalls(host, seen, "for the menu status", faults);
        AddFaults(faults, CallEntryPoint("FinaleExtensionTerminate", [&] { module.terminate(); }));
        NoteHostCalls(host, seen, "in Terminate", faults);
    }
    return faults;
}

}  // namespace

void AddLoadingChecks(std::vector<Check> &checks) {
    checks.insert(
        checks.end(),
        {
            {1, "exports", "the module loads and exports the seven entry points by name",
             HoldsFor::AnyModule, ListExports, RunExports},
            {1, "handshake",
             "the handshake answers the interface version at every boundary and between",
             HoldsFor::AnyModule, ListByHostVersion, RunHandshake},
            {1, "init", "Init sets bit 0 of the host's word, keeps the rest, answers 1",
             HoldsFor::AnyModule, ListInit, RunInit},
            {1, "menu-8bit",
             "8-bit menu records: written within the record, entry flag 1, a menu text",
             HoldsFor::AnyModule, ListByHostVersion, RunEightBitMenu},
            {1, "menu-utf16",
             "UTF-16 menu records: written within the record, texts ended, entry flag 1",
             HoldsFor::AnyModule, ListByHostVersion, RunUtf16Menu},
            {1, "menu-forms-agree", "both menu forms offer the same entries with the same texts",
             HoldsFor::AnyModule, ListByHostVersion, RunFormsAgree},
            {1, "quiet-start",
             "no host call while loading, in the handshake, Init, the menus or Terminate",
             HoldsFor::AnyModule, ListByHostVersion, RunQuietStart},
        });
}

}  // namespace standin::validator
