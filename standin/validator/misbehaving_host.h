// A host that takes, by name, the freedoms the interface leaves it in the
// answers of its calls: nexts that stay, go back, cycle, jump or fail
// midway; loads that copy less than they report, leave the buffer as it
// was or move the key; saves that fail or move the key; layout updates
// that do less, more or something else than asked; any current document.
// It also bounds the host calls of a command by the records it holds, and
// refuses every call past the bound, so that a module whose walk never
// ends is stopped, not waited for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "standin/host/host.h"

namespace standin::validator {

// "stays", "goes-back", "cycles", "jumps-to-the-last", "jumps-to-no-record",
// "fails-midway"
const std::vector<std::string> &NextAnswerNames();
// "copies-half", "leaves-the-buffer", "moves-the-key-on", "moves-the-key-away"
const std::vector<std::string> &LoadAnswerNames();
// "fails", "moves-the-key-on"
const std::vector<std::string> &SaveAnswerNames();
// "changes-nothing", "lays-out-others", "moves-systems", "adds-a-system",
// "removes-a-system"
const std::vector<std::string> &LayoutAnswerNames();
// "0", "-1", "32767", "-32768", "changes"
const std::vector<std::string> &DocumentAnswerNames();

// The most host calls one command may make on a host holding `records`
// records: sixteen for each, and 64.
std::size_t CallBound(std::size_t records);

class MisbehavingHost : public Host {
public:
    explicit MisbehavingHost(Host document) : Host(std::move(document)) {}

    // Each chooses how every later call of its function is answered, by
    // one of the names above. Throws UsageError for a name it does not know.
    void AnswerNexts(const std::string &name);
    void AnswerLoads(const std::string &name);
    void AnswerSaves(const std::string &name);
    void AnswerLayoutUpdates(const std::string &name);
    void AnswerCurrentDocument(const std::string &name);

    // A command begins: its calls are counted, and its bound set, from here.
    // One command to a host: past the bound it refuses every call for good.
    void BeginCommand();
    // The case's fault when the command went past its bound, a sentence of
    // its own ("FinaleExtensionInvoke went on past ..."); empty when it kept
    // within it.
    std::string BoundFault() const;

    int16_t LoadEData(uint32_t tag, FxDataKey *key, void *buffer, int32_t *size,
                      uint32_t version) override;
    int16_t SaveEData(uint32_t tag, FxDataKey *key, const void *buffer, int32_t length,
                      uint32_t version) override;
    int16_t CreateEData(uint32_t tag, FxDataKey *key, const void *buffer, int32_t length,
                        uint32_t version) override;
    int16_t DeleteEData(uint32_t tag, FxDataKey *key, uint32_t version) override;
    int16_t NextEData(uint32_t tag, FxDataKey *key, void *unused1, void *unused2,
                      uint32_t version) override;
    int16_t SlotToInst(uint32_t slot, uint32_t context, uint32_t version) override;
    int32_t UpdateLayout(int32_t what, int32_t option, uint32_t version) override;
    int16_t GetCurrentEnigmaDocument(uint32_t version) override;
    int32_t GetCurrentPartID(uint32_t version) override;

private:
    // Counts a call; true once the command is past its bound, when the call
    // is to be refused.
    bool PastTheBound();
    std::vector<RecordKey> KeysOf(uint32_t tag) const;
    int16_t AnsweredSave(uint32_t tag, FxDataKey &key, const void *buffer, int32_t length,
                         uint32_t version);
    bool NextAnswered(uint32_t tag, FxDataKey &key);
    void AddOrRemoveASystem();

    std::string next_, load_, save_, layout_, document_;
    // The records of the command's document: those held when it began, and
    // those the host added since. What the module makes does not raise its
    // own bound.
    std::set<RecordKey> held_;
    std::map<uint32_t, std::size_t> steps_;
    std::size_t calls_ = 0;
    std::size_t bound_ = 0;
    bool counting_ = false;
    int16_t documentsAnswered_ = 0;
};

}  // namespace standin::validator
