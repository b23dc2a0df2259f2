// A stand-in host that takes every freedom the interface leaves it, call by
// call as the fuzz input draws: loads that fail, report any size, copy less
// than they report, move the key or leave the buffer alone; saves that fail
// or move the key; nexts that stay, move back, jump or fail; layout updates
// that change any system or add and remove them; any current part and
// document. It logs what it really did, for the checks after a command.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

#include "standin/host/host.h"

namespace hostile {

// A load as the host answered it: the key asked, the bytes it wrote into
// the buffer from the start (fewer than the room, or none, when it chose),
// and the size it reported.
struct LoggedLoad {
    uint32_t tag;
    int16_t item, inci;
    std::vector<uint8_t> written;
    int32_t reported;
    bool succeeded;
};

// A save as the host was handed it, and how many loads came before it.
struct LoggedSave {
    uint32_t tag;
    int16_t item, inci;
    std::vector<uint8_t> bytes;
    std::size_t loadsBefore;
};

class FreeHost : public standin::Host {
public:
    // `answers` draws one choice per call; past its end every call is
    // answered as an honest host would.
    void SetAnswers(std::vector<uint8_t> answers) { answers_ = std::move(answers); }

    int16_t LoadEData(uint32_t tag, FxDataKey *key, void *buffer, int32_t *size,
                      uint32_t version) override;
    int16_t SaveEData(uint32_t tag, FxDataKey *key, const void *buffer, int32_t length,
                      uint32_t version) override;
    int16_t NextEData(uint32_t tag, FxDataKey *key, void *unused1, void *unused2,
                      uint32_t version) override;
    int32_t UpdateLayout(int32_t what, int32_t option, uint32_t version) override;
    int16_t GetCurrentEnigmaDocument(uint32_t version) override;
    int32_t GetCurrentPartID(uint32_t version) override;

    // Starts a command's count of calls: none may be made past
    // 15 R + 48, R the staff system records the host has held.
    void BeginCommand();
    void EndCommand() { inCommand_ = false; }
    const std::vector<LoggedLoad> &Loads() const { return loads_; }
    const std::vector<LoggedSave> &Saves() const { return saves_; }
    // Whether any call of this command drew its answer from the input.
    bool DrewAnswers() const;
    std::size_t Calls() const { return calls_; }
    std::size_t CallBound() const { return 15 * systemsHeld_.size() + 48; }

private:
    uint8_t Draw();
    void Count();
    void NoteSystems();

    std::vector<uint8_t> answers_;
    std::size_t next_ = 0;
    std::size_t nextAtBegin_ = 0;
    std::size_t calls_ = 0;
    bool inCommand_ = false;
    std::set<int16_t> systemsHeld_;
    std::vector<LoggedLoad> loads_;
    std::vector<LoggedSave> saves_;
};

}  // namespace hostile
