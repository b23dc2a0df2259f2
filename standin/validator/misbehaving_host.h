// A host that takes, by name, the freedoms the interface leaves it in the
// answers of its calls: nexts that stay, go back, cycle, jump or fail
// midway; loads that copy less than they report, leave the buffer as it
// was or move the key; saves that fail or move the key; layout updates
// that do less, more or something else than asked; any current document.
// Once it refuses every call (past a command's bound, call_bound.h) it
// answers none of them in its own way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
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

    // A command begins: the steps of its walks are counted from here.
    void BeginCommand();

    int16_t LoadEData(uint32_t tag, FxDataKey *key, void *buffer, int32_t *size,
                      uint32_t version) override;
    int16_t SaveEData(uint32_t tag, FxDataKey *key, const void *buffer, int32_t length,
                      uint32_t version) override;
    int16_t NextEData(uint32_t tag, FxDataKey *key, void *unused1, void *unused2,
                      uint32_t version) override;
    int32_t UpdateLayout(int32_t what, int32_t option, uint32_t version) override;
    int16_t GetCurrentEnigmaDocument(uint32_t version) override;

private:
    std::vector<RecordKey> KeysOf(uint32_t tag) const;
    int16_t AnsweredSave(uint32_t tag, FxDataKey &key, const void *buffer, int32_t length,
                         uint32_t version);
    bool NextAnswered(uint32_t tag, FxDataKey &key);
    void AddOrRemoveASystem();

    std::string next_, load_, save_, layout_, document_;
    std::map<uint32_t, std::size_t> steps_;
    int16_t documentsAnswered_ = 0;
};

}  // namespace standin::validator
