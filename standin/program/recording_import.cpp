#include "standin/program/recording_import.h"

#include <map>
#include <set>
#include <sstream>

#include "interface/data_tag.h"
#include "interface/host_version_words.h"
#include "interface/record_bytes.h"
#include "standin/document/document_fields.h"
#include "standin/platform/byte_text.h"
#include "standin/platform/output_files.h"
#include "standin/program/run_command.h"

namespace standin {
namespace {

using hostdata::HostFunction;

std::string KeyText(const RecordKey &key) {
    return "'" + hostdata::TagText(key.tag) + "' (" + std::to_string(key.item) + "," +
           std::to_string(key.inci) + ")";
}

RecordKey KeyIn(const HostCall &call) { return {call.tag, call.itemIn, call.inciIn}; }
RecordKey KeyOut(const HostCall &call) { return {call.tag, call.itemOut, call.inciOut}; }

bool Writes(const HostCall &call) {
    return call.Is(HostFunction::SaveEData) || call.Is(HostFunction::CreateEData) ||
           call.Is(HostFunction::DeleteEData);
}

// Builds the document call by call. A record's first load shows it as the
// host held it before the command, unless the command wrote it first.
class Importer {
public:
    explicit Importer(ImportedDocument &imported) : imported_(imported) {}

    void Take(const HostCall &call) {
        if (call.Is(HostFunction::LoadEData) && call.hasKey) {
            Load(call);
        } else if (call.hasKey && Writes(call)) {
            settled_.insert(KeyIn(call));
            settled_.insert(KeyOut(call));
        } else if (call.Is(HostFunction::NextEData) && call.hasKey && call.result != 0) {
            named_.insert(KeyOut(call));
        } else if (call.Is(HostFunction::UpdateLayout)) {
            laidOut_ = true;
        } else if (call.Is(HostFunction::GetCurrentPartID) && !partKnown_) {
            partKnown_ = true;
            imported_.document.currentPart = call.result;
        } else if (call.Is(HostFunction::SlotToInst) && call.result != 0) {
            imported_.document.slots.emplace(static_cast<uint16_t>(call.arguments[0]),
                                             static_cast<int16_t>(call.result));
        }
    }

    // The records a later call named but none loaded.
    void NoteUnloaded() {
        std::string unloaded;
        for (const RecordKey &key : named_) {
            if (settled_.count(key) == 0) unloaded += (unloaded.empty() ? "" : ", ") + KeyText(key);
        }
        if (!unloaded.empty()) {
            Note("the host holds records the module stepped to but never loaded, absent here: " +
                 unloaded);
        }
    }

    void Note(const std::string &note) { imported_.notes.push_back(note); }

    // Whether measures were loaded in the 26-byte layout, which lacks bytes
    // 4 to 7 of the layout a document keeps.
    bool ShortMeasures() const { return shortMeasures_; }

private:
    void Load(const HostCall &call) {
        const RecordKey key = KeyIn(call);
        const bool loaded = call.result != 0 && call.hasSize;
        if (settled_.insert(key).second) {
            if (loaded) Put(key, call);
            first_[key] = call;
            return;
        }
        const auto first = first_.find(key);
        if (first == first_.end()) return;  // written by the command before
        const Bytes *held = imported_.document.records.Find(key);
        if (laidOut_ && held != nullptr && loaded && LaidOut(key, *held, call)) return;
        if (first->second.result != call.result || first->second.data != call.data ||
            first->second.sizeOut != call.sizeOut) {
            Note("the host answered two loads of " + KeyText(key) +
                 " differently, with no write between; the document holds the first answer");
            first_.erase(first);
        }
    }

    // A staff system the layout update gave its first measure: the
    // document keeps it not laid out, with the first measure to come.
    bool LaidOut(const RecordKey &key, const Bytes &held, const HostCall &call) {
        constexpr std::size_t offset = fields::kSystemFirstMeasure;
        if (key.tag != hostdata::kStaffSystemTag || held.size() < offset + 2 ||
            call.data.size() < offset + 2 || hostdata::ReadI16(held.data(), offset) != 0) {
            return false;
        }
        Bytes before = call.data;
        hostdata::WriteU16(before.data(), offset, 0);
        if (before != first_[key].data) return false;
        imported_.document.layout[key.item] = hostdata::ReadI16(call.data.data(), offset);
        return true;
    }

    void Put(const RecordKey &key, const HostCall &call) {
        const std::size_t size = static_cast<std::size_t>(call.sizeOut);
        Bytes bytes(call.data.begin(), call.data.begin() + static_cast<std::ptrdiff_t>(
                                                               std::min(size, call.data.size())));
        if (bytes.size() < size) {
            Note("the module loaded only the first " + std::to_string(bytes.size()) + " of the " +
                 std::to_string(size) + " bytes of " + KeyText(key) + "; the rest are 0 here");
            bytes.resize(size, 0);
        }
        if (key.tag == hostdata::kMeasureTag && call.version < hostdata::kLongMeasureHostVersion) {
            bytes = MeasureFromLayout(bytes, call.version, {});
            shortMeasures_ = true;
        }
        imported_.document.records.Put(key, std::move(bytes));
    }

    ImportedDocument &imported_;
    std::set<RecordKey> settled_;  // decided: loaded, refused or written first
    std::set<RecordKey> named_;    // keys the host stepped to
    std::map<RecordKey, HostCall> first_;
    bool laidOut_ = false;
    bool partKnown_ = false;
    bool shortMeasures_ = false;
};

// The page format values a document must give, from records the module
// never loaded: 0 here, and said so.
void FillPageFormatGaps(ImportedDocument &imported) {
    std::string made;
    for (const auto &word : fields::kPageFormatWords) {
        if (imported.document.records.Find(word.Key()) != nullptr) continue;
        imported.document.records.Put(word.Key(), Bytes(fields::kOtherRecordSize, 0));
        made += (made.empty() ? "" : ", ") + std::string(word.variant) + " " + word.name;
    }
    if (!made.empty()) {
        imported.notes.push_back(
            "0 stands for page format values the module never loaded, "
            "not from the field: " +
            made);
    }
}

// The measures of the selection record, where `run --measures` can give
// them.
void TakeSelection(const Recording &recording, ImportedDocument &imported) {
    if (!recording.selection) return;
    const uint8_t *bytes = recording.selection->data();
    const int16_t first = hostdata::ReadI16(bytes, 4);
    const int16_t last = hostdata::ReadI16(bytes, 14);
    if (first < 0 || last < 0) {
        imported.notes.push_back("the selection's measures " + std::to_string(first) + " to " +
                                 std::to_string(last) + " cannot be given to run --measures");
        return;
    }
    imported.measures = MeasureRange{first, last};
    if (SelectionRecord(*imported.measures) != *recording.selection) {
        imported.notes.push_back(
            "the selection record's other bytes, which the command does not read, differ from "
            "those run --measures makes: " +
            FormatByteText(Bytes(recording.selection->begin(), recording.selection->end())));
    }
}

std::string Description(const Recording &recording, const ImportedDocument &imported) {
    std::string text = "Imported from a recording by Karvo Indent System " + recording.module +
                       " of menu index " + std::to_string(recording.menuIndex) + ", " +
                       (recording.selection && !imported.measures
                            ? std::string("a selection of no measures run can give")
                            : SelectionText(imported.measures)) +
                       ", at host version " + Hex32(recording.hostVersion) +
                       ". It holds only the records the module loaded, as the host held them "
                       "before the command: every other record of the field's document is "
                       "absent.";
    for (const std::string &note : imported.notes) text += " Note: " + note + ".";
    return text;
}

// "1 measure", "2 measures"
std::string Counted(std::size_t count, const std::string &thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

std::string RunArguments(const ImportedDocument &imported) {
    std::string arguments = "--command " + std::to_string(imported.menuIndex);
    if (imported.measures) {
        arguments += " --measures " + std::to_string(imported.measures->first) + "-" +
                     std::to_string(imported.measures->last);
    }
    return arguments;
}

}  // namespace

ImportedDocument ImportDocument(const Recording &recording) {
    ImportedDocument imported;
    imported.menuIndex = recording.menuIndex;
    imported.document.hostVersion = recording.hostVersion;
    Importer importer(imported);
    for (const RecordedCall &recorded : recording.calls) importer.Take(recorded.call);
    importer.NoteUnloaded();
    if (importer.ShortMeasures()) {
        importer.Note(
            "the module loaded the measures in the 26-byte layout: their bytes 4 to 7 "
            "are not known, and are 0 here");
    }
    for (const std::string &function : recording.absentFunctions) {
        importer.Note("the field's host lacked " + function + ", which run's host has");
    }
    FillPageFormatGaps(imported);
    TakeSelection(recording, imported);
    imported.document.description = Description(recording, imported);
    return imported;
}

void ImportRecording(const ImportRequest &request, const Streams &streams) {
    const std::vector<Output> outputs{{"--output", request.output}};
    VetOutputs(outputs, {{"the recording", request.recording}});
    const ImportedDocument imported = ImportDocument(ReadRecordingFile(request.recording));
    std::string text;
    try {
        text = DocumentText(imported.document);
    } catch (const DocumentError &error) {
        throw RecordingError(request.recording + ": cannot be imported: " + error.what());
    }
    std::ostringstream standardOutput;
    WriteOutputs(outputs, {text}, standardOutput);
    streams.out << standardOutput.str();

    std::size_t systems = 0, measures = 0, others = 0;
    for (const auto &entry : imported.document.records.All()) {
        const uint32_t tag = entry.first.tag;
        systems += tag == hostdata::kStaffSystemTag ? 1 : 0;
        measures += tag == hostdata::kMeasureTag ? 1 : 0;
        others += tag != hostdata::kStaffSystemTag && tag != hostdata::kMeasureTag ? 1 : 0;
    }
    std::ostream &report = IsStandardOutput(request.output) ? streams.err : streams.out;
    report << "imported: " << Counted(systems, "staff system") << ", "
           << Counted(measures, "measure") << ", " << Counted(others, "other record") << ", "
           << Counted(imported.notes.size(), "note") << " in its description\n"
           << "run it as the field did: run <module> <document> " << RunArguments(imported) << "\n";
}

}  // namespace standin
