#include "standin/validator/misbehaving_host.h"

#include <algorithm>
#include <cstring>

#include "interface/data_tag.h"
#include "interface/record_bytes.h"
#include "standin/platform/errors.h"

namespace standin::validator {
namespace {

// A key the validation documents hold no record under.
constexpr uint16_t kNoRecordItem = 0x7FFF;

bool Known(const std::vector<std::string> &names, const std::string &name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::string Chosen(const std::vector<std::string> &names, const std::string &name,
                   const char *what) {
    if (name.empty() || Known(names, name)) return name;
    std::string list;
    for (const std::string &known : names) list += (list.empty() ? "" : ", ") + known;
    throw UsageError("no " + std::string(what) + " answer '" + name + "' (they are " + list + ")");
}

RecordKey KeyOf(uint32_t tag, const FxDataKey &key) { return {tag, key.item, key.inci}; }

HostCall KeyedCall(const char *function, uint32_t tag, const FxDataKey &key, uint32_t version) {
    HostCall call;
    call.function = function;
    call.tag = tag;
    call.version = version;
    call.hasKey = true;
    call.itemIn = call.itemOut = key.item;
    call.inciIn = call.inciOut = key.inci;
    return call;
}

void NoteKeyOut(HostCall &call, const FxDataKey &key) {
    call.itemOut = key.item;
    call.inciOut = key.inci;
}

bool EveryOther(const FxDataKey &key) { return key.item % 2 == 0; }

}  // namespace

const std::vector<std::string> &NextAnswerNames() {
    static const std::vector<std::string> names{
        "stays", "goes-back", "cycles", "jumps-to-the-last", "jumps-to-no-record", "fails-midway"};
    return names;
}

const std::vector<std::string> &LoadAnswerNames() {
    static const std::vector<std::string> names{"copies-half", "leaves-the-buffer",
                                                "moves-the-key-on", "moves-the-key-away"};
    return names;
}

const std::vector<std::string> &SaveAnswerNames() {
    static const std::vector<std::string> names{"fails", "moves-the-key-on"};
    return names;
}

const std::vector<std::string> &LayoutAnswerNames() {
    static const std::vector<std::string> names{
        "changes-nothing", "lays-out-others", "moves-systems", "adds-a-system", "removes-a-system"};
    return names;
}

const std::vector<std::string> &DocumentAnswerNames() {
    static const std::vector<std::string> names{"0", "-1", "32767", "-32768", "changes"};
    return names;
}

void MisbehavingHost::AnswerNexts(const std::string &name) {
    next_ = Chosen(NextAnswerNames(), name, "next");
}
void MisbehavingHost::AnswerLoads(const std::string &name) {
    load_ = Chosen(LoadAnswerNames(), name, "load");
}
void MisbehavingHost::AnswerSaves(const std::string &name) {
    save_ = Chosen(SaveAnswerNames(), name, "save");
}
void MisbehavingHost::AnswerLayoutUpdates(const std::string &name) {
    layout_ = Chosen(LayoutAnswerNames(), name, "layout update");
}
void MisbehavingHost::AnswerCurrentDocument(const std::string &name) {
    document_ = Chosen(DocumentAnswerNames(), name, "current document");
}

void MisbehavingHost::BeginCommand() { steps_.clear(); }

std::vector<RecordKey> MisbehavingHost::KeysOf(uint32_t tag) const {
    std::vector<RecordKey> keys;
    for (const auto &[key, bytes] : Records().All()) {
        if (key.tag == tag) keys.push_back(key);
    }
    return keys;
}

int16_t MisbehavingHost::LoadEData(uint32_t tag, FxDataKey *key, void *buffer, int32_t *size,
                                   uint32_t version) {
    const Bytes *stored = key != nullptr ? Records().Find(KeyOf(tag, *key)) : nullptr;
    if (RefusesEveryCall() || load_.empty() || stored == nullptr || size == nullptr) {
        return Host::LoadEData(tag, key, buffer, size, version);
    }
    HostCall call = KeyedCall("FX_LoadEData", tag, *key, version);
    call.hasSize = true;
    call.sizeIn = *size;
    const Bytes served = tag == hostdata::kMeasureTag ? MeasureInLayout(*stored, version) : *stored;
    std::size_t written = buffer != nullptr && *size > 0
                              ? std::min(served.size(), static_cast<std::size_t>(*size))
                              : 0;
    if (load_ == "copies-half" && EveryOther(*key)) written /= 2;
    if (load_ == "leaves-the-buffer" && EveryOther(*key)) written = 0;
    if (written > 0) std::memcpy(buffer, served.data(), written);
    call.data.assign(served.begin(), served.begin() + static_cast<std::ptrdiff_t>(written));
    *size = call.sizeOut = static_cast<int32_t>(served.size());
    if (load_ == "moves-the-key-on") ++key->item;
    if (load_ == "moves-the-key-away") *key = FxDataKey{kNoRecordItem, kNoRecordItem};
    NoteKeyOut(call, *key);
    call.result = 1;
    return static_cast<int16_t>(Record(std::move(call)));
}

int16_t MisbehavingHost::SaveEData(uint32_t tag, FxDataKey *key, const void *buffer, int32_t length,
                                   uint32_t version) {
    if (RefusesEveryCall() || save_.empty() || key == nullptr || buffer == nullptr || length < 0) {
        return Host::SaveEData(tag, key, buffer, length, version);
    }
    return AnsweredSave(tag, *key, buffer, length, version);
}

int16_t MisbehavingHost::AnsweredSave(uint32_t tag, FxDataKey &key, const void *buffer,
                                      int32_t length, uint32_t version) {
    HostCall call = KeyedCall("FX_SaveEData", tag, key, version);
    call.hasLength = true;
    call.length = length;
    const auto *bytes = static_cast<const uint8_t *>(buffer);
    call.data.assign(bytes, bytes + length);
    if (save_ == "fails") return static_cast<int16_t>(Record(std::move(call)));
    // Saved as a host saves it, then the key moved on.
    const RecordKey recordKey = KeyOf(tag, key);
    const Bytes *earlier = Records().Find(recordKey);
    if (earlier != nullptr) {
        call.replaced = true;
        call.earlier = tag == hostdata::kMeasureTag ? MeasureInLayout(*earlier, version) : *earlier;
    }
    Records().Put(recordKey,
                  tag == hostdata::kMeasureTag
                      ? MeasureFromLayout(call.data, version, earlier ? *earlier : Bytes{})
                      : call.data);
    ++key.item;
    NoteKeyOut(call, key);
    call.result = 1;
    return static_cast<int16_t>(Record(std::move(call)));
}

// Where the chosen next sends the key from where it stands, at the step'th
// next of its tag in this command; false when it fails.
bool MisbehavingHost::NextAnswered(uint32_t tag, FxDataKey &key) {
    const std::size_t step = ++steps_[tag];
    const std::vector<RecordKey> keys = KeysOf(tag);
    const RecordKey at = KeyOf(tag, key);
    const auto here = std::find(keys.begin(), keys.end(), at);
    const auto moveTo = [&key](const RecordKey &to) {
        key.item = to.item;
        key.inci = to.inci;
        return true;
    };
    const auto honest = [&]() {
        const auto after = Records().Next(at);
        return after && moveTo(*after);
    };
    if (next_ == "stays") return true;
    if (next_ == "goes-back" && here != keys.end() && here != keys.begin()) {
        return moveTo(*(here - 1));
    }
    if (next_ == "cycles" && here != keys.end() &&
        (here - keys.begin() == 2 || here + 1 == keys.end())) {
        return moveTo(keys.front());
    }
    if (next_ == "jumps-to-the-last" && !keys.empty() && here == keys.begin()) {
        return moveTo(keys.back());
    }
    if (next_ == "jumps-to-no-record" && here == keys.begin()) {
        key.item = kNoRecordItem;
        return true;
    }
    if (next_ == "fails-midway" && step == 2) return false;
    return honest();
}

int16_t MisbehavingHost::NextEData(uint32_t tag, FxDataKey *key, void *unused1, void *unused2,
                                   uint32_t version) {
    if (RefusesEveryCall() || next_.empty() || key == nullptr) {
        return Host::NextEData(tag, key, unused1, unused2, version);
    }
    HostCall call = KeyedCall("FX_NextEData", tag, *key, version);
    FxDataKey moved = *key;
    if (NextAnswered(tag, moved)) {
        *key = moved;
        NoteKeyOut(call, *key);
        call.result = 1;
    }
    return static_cast<int16_t>(Record(std::move(call)));
}

// After the host's own layout, a system more or one fewer: the added one a
// copy of the last, a measure on.
void MisbehavingHost::AddOrRemoveASystem() {
    const std::vector<RecordKey> systems = KeysOf(hostdata::kStaffSystemTag);
    if (systems.empty()) return;
    if (layout_ == "removes-a-system") Records().Erase(systems.back());
    if (layout_ != "adds-a-system") return;
    const auto item = Records().NextFreeItem(hostdata::kStaffSystemTag);
    if (!item) return;
    Bytes added = *Records().Find(systems.back());
    if (added.size() >= kStaffSystemSize) {
        const int16_t after = hostdata::ReadI16(added.data(), kFirstMeasureOffset);
        hostdata::WriteU16(added.data(), kFirstMeasureOffset, static_cast<uint16_t>(after + 1));
    }
    const RecordKey key{hostdata::kStaffSystemTag, *item, 0};
    Records().Put(key, std::move(added));
}

int32_t MisbehavingHost::UpdateLayout(int32_t what, int32_t option, uint32_t version) {
    if (RefusesEveryCall() || layout_.empty()) return Host::UpdateLayout(what, option, version);
    if (layout_ == "changes-nothing") {
        HostCall call;
        call.function = "FX_UpdateLayout";
        call.version = version;
        call.arguments = {what, option};
        call.result = 1;
        return Record(std::move(call));
    }
    // The host's own layout of the waiting systems, of which the chosen
    // answer lays out some or moves them all.
    const std::map<int16_t, int16_t> waiting = Layout();
    if (layout_ == "lays-out-others" && !Layout().empty()) Layout().erase(Layout().begin());
    if (layout_ == "moves-systems") {
        for (auto &[item, firstMeasure] : Layout()) ++firstMeasure;
    }
    const int32_t result = Host::UpdateLayout(what, option, version);
    Layout() = waiting;
    AddOrRemoveASystem();
    return result;
}

int16_t MisbehavingHost::GetCurrentEnigmaDocument(uint32_t version) {
    if (RefusesEveryCall() || document_.empty()) return Host::GetCurrentEnigmaDocument(version);
    HostCall call;
    call.function = "FX_GetCurrentEnigmaDocument";
    call.version = version;
    call.result = document_ == "changes" ? ++documentsAnswered_ : std::stoi(document_);
    return static_cast<int16_t>(Record(std::move(call)));
}

}  // namespace standin::validator
