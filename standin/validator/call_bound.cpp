#include "standin/validator/call_bound.h"

namespace standin::validator {
namespace {

constexpr std::size_t kCallsPerRecord = 16;
constexpr std::size_t kCallsPerCommand = 64;

}  // namespace

std::size_t CallBound(std::size_t records) { return kCallsPerRecord * records + kCallsPerCommand; }

CallBoundedHost::CallBoundedHost(Host &document)
    : document_(document), records_(document.Records().All().size()) {}

void CallBoundedHost::Count() {
    if (++calls_ > CallBound(records_)) document_.RefuseEveryCall();
}

std::string CallBoundedHost::BoundFault() const {
    const std::size_t bound = CallBound(records_);
    if (calls_ <= bound) return {};
    return "FinaleExtensionInvoke went on past " + std::to_string(bound) + " host calls, " +
           std::to_string(kCallsPerRecord) + " for each of the " + std::to_string(records_) +
           " records the host held and " + std::to_string(kCallsPerCommand) +
           ": a walk that does not end, or work that grows faster than the document; the host "
           "refused every call past the bound, and the command made " +
           std::to_string(calls_) + " in all";
}

// The layout update alone may add records of the host's own (a system the
// layout needed), which raise the bound.
int32_t CallBoundedHost::UpdateLayout(int32_t what, int32_t option, uint32_t version) {
    Count();
    const std::size_t before = document_.Records().All().size();
    const int32_t result = document_.UpdateLayout(what, option, version);
    const std::size_t after = document_.Records().All().size();
    if (after > before) records_ += after - before;
    return result;
}

int16_t CallBoundedHost::LoadEData(uint32_t tag, FxDataKey *key, void *buffer, int32_t *size,
                                   uint32_t version) {
    Count();
    return document_.LoadEData(tag, key, buffer, size, version);
}

int16_t CallBoundedHost::SaveEData(uint32_t tag, FxDataKey *key, const void *buffer, int32_t length,
                                   uint32_t version) {
    Count();
    return document_.SaveEData(tag, key, buffer, length, version);
}

int16_t CallBoundedHost::CreateEData(uint32_t tag, FxDataKey *key, const void *buffer,
                                     int32_t length, uint32_t version) {
    Count();
    return document_.CreateEData(tag, key, buffer, length, version);
}

int16_t CallBoundedHost::DeleteEData(uint32_t tag, FxDataKey *key, uint32_t version) {
    Count();
    return document_.DeleteEData(tag, key, version);
}

int16_t CallBoundedHost::NextEData(uint32_t tag, FxDataKey *key, void *unused1, void *unused2,
                                   uint32_t version) {
    Count();
    return document_.NextEData(tag, key, unused1, unused2, version);
}

int16_t CallBoundedHost::SlotToInst(uint32_t slot, uint32_t context, uint32_t version) {
    Count();
    return document_.SlotToInst(slot, context, version);
}

int16_t CallBoundedHost::GetCurrentEnigmaDocument(uint32_t version) {
    Count();
    return document_.GetCurrentEnigmaDocument(version);
}

int32_t CallBoundedHost::GetCurrentPartID(uint32_t version) {
    Count();
    return document_.GetCurrentPartID(version);
}

}  // namespace standin::validator
