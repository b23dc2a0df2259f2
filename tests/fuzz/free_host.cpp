#include "tests/fuzz/free_host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "interface/data_tag.h"

namespace hostile {

uint8_t FreeHost::Draw() { return next_ < answers_.size() ? answers_[next_++] : 0; }

bool FreeHost::DrewAnswers() const { return next_ > nextAtBegin_; }

void FreeHost::NoteSystems() {
    for (const auto &[key, bytes] : Records().All()) {
        if (key.tag == hostdata::kStaffSystemTag) systemsHeld_.insert(key.item);
    }
}

void FreeHost::BeginCommand() {
    inCommand_ = true;
    calls_ = 0;
    nextAtBegin_ = next_;
    loads_.clear();
    saves_.clear();
    systemsHeld_.clear();
    NoteSystems();
}

// A command that has not ended within its bound is stopped here, before
// it could run on for ever.
void FreeHost::Count() {
    if (++calls_ <= CallBound() || !inCommand_) return;
    std::fprintf(stderr, "invariant broken: a command made more than %zu host calls\n",
                 CallBound());
    std::abort();
}

int16_t FreeHost::LoadEData(uint32_t tag, FxDataKey *key, void *buffer, int32_t *size,
                            uint32_t version) {
    Count();
    const uint8_t answer = Draw();
    LoggedLoad load{tag, key ? key->item : int16_t{0}, key ? key->inci : int16_t{0}, {}, 0, false};
    const int32_t room = size ? *size : 0;
    if (answer % 16 == 1) {  // fails, touching nothing
        loads_.push_back(load);
        return 0;
    }
    // The honest answer, into a copy of the buffer, of which the host then
    // writes what it chooses.
    std::vector<uint8_t> copy(static_cast<std::size_t>(std::max(room, 0)));
    if (buffer != nullptr) std::memcpy(copy.data(), buffer, copy.size());
    const int16_t result = Host::LoadEData(tag, key, buffer ? copy.data() : nullptr, size, version);
    std::size_t written = result != 0 && buffer != nullptr ? Trace().back().data.size() : 0;
    switch (answer % 16) {
        case 2:  // copies fewer bytes than it reports
            written = written > 0 ? answer / 16 % written : 0;
            break;
        case 3:  // reports more than the room
            if (result != 0 && size) *size = room + 1 + answer / 16;
            break;
        case 4:  // reports a size below 0
            if (result != 0 && size) *size = -1 - answer / 16;
            break;
        case 5:  // moves the key anywhere
            if (key) key->item = static_cast<uint16_t>(answer / 16);
            break;
        case 6:  // leaves the buffer as it was
            written = 0;
            break;
        case 7:  // reports a size below the room
            if (result != 0 && size && *size > 0) *size -= 1 + answer / 16 % *size;
            break;
        default:
            break;
    }
    if (buffer != nullptr) std::memcpy(buffer, copy.data(), written);
    load.written.assign(copy.begin(), copy.begin() + static_cast<std::ptrdiff_t>(written));
    load.reported = size ? *size : 0;
    load.succeeded = result != 0;
    loads_.push_back(load);
    return result;
}

int16_t FreeHost::SaveEData(uint32_t tag, FxDataKey *key, const void *buffer, int32_t length,
                            uint32_t version) {
    Count();
    const uint8_t answer = Draw();
    const auto *bytes = static_cast<const uint8_t *>(buffer);
    LoggedSave save{
        tag, key ? key->item : int16_t{0}, key ? key->inci : int16_t{0},
        bytes && length > 0 ? std::vector<uint8_t>(bytes, bytes + length) : std::vector<uint8_t>{},
        loads_.size()};
    saves_.push_back(save);
    if (answer % 8 == 1) return 0;
    const int16_t result = Host::SaveEData(tag, key, buffer, length, version);
    if (answer % 8 == 2 && key) key->item = static_cast<uint16_t>(answer / 8);
    return result;
}

int16_t FreeHost::NextEData(uint32_t tag, FxDataKey *key, void *unused1, void *unused2,
                            uint32_t version) {
    Count();
    const uint8_t answer = Draw();
    if (key == nullptr) return Host::NextEData(tag, key, unused1, unused2, version);
    switch (answer % 8) {
        case 1:  // success without moving
            return 1;
        case 2:  // moves back
            key->item = static_cast<int16_t>(key->item - 1 - answer / 8 % 4);
            return 1;
        case 3:  // jumps to any key
            key->item = static_cast<uint16_t>(answer / 8);
            return 1;
        case 4:  // fails midway
            return 0;
        default:
            return Host::NextEData(tag, key, unused1, unused2, version);
    }
}

int32_t FreeHost::UpdateLayout(int32_t what, int32_t option, uint32_t version) {
    Count();
    const uint8_t answer = Draw();
    switch (answer % 8) {
        case 1:  // changes nothing
            return 1;
        case 2:  // lays out another system
            Layout()[static_cast<int16_t>(answer / 8 % 8 + 1)] = static_cast<int16_t>(answer / 64);
            break;
        case 3: {  // adds a system
            const auto item = static_cast<int16_t>(answer / 8 % 32 + 1);
            Records().Put({hostdata::kStaffSystemTag, item, 0}, standin::Bytes(28, answer));
            break;
        }
        case 4:  // removes one
            Records().Erase(
                {hostdata::kStaffSystemTag, static_cast<int16_t>(answer / 8 % 32 + 1), 0});
            break;
        default:
            break;
    }
    const int32_t result = Host::UpdateLayout(what, option, version);
    NoteSystems();
    return result;
}

int16_t FreeHost::GetCurrentEnigmaDocument(uint32_t version) {
    Count();
    const uint8_t answer = Draw();
    if (answer % 4 == 1) return static_cast<int16_t>(answer);
    return Host::GetCurrentEnigmaDocument(version);
}

int32_t FreeHost::GetCurrentPartID(uint32_t version) {
    Count();
    const uint8_t answer = Draw();
    if (answer % 4 == 1) return answer << 12;
    return Host::GetCurrentPartID(version);
}

}  // namespace hostile
