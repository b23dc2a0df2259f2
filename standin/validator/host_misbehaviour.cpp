#include "standin/validator/host_misbehaviour.h"

#include <limits>

#include "interface/data_tag.h"
#include "standin/platform/errors.h"

namespace standin::validator {
namespace {

constexpr uint8_t kAddedByte = 0xEE;
constexpr std::size_t kMuchLonger = 64;

bool OfKind(const RecordKey &key, const std::string &kind) {
    if (kind == "all") return true;
    if (kind == "systems") return key.tag == hostdata::kStaffSystemTag;
    if (kind == "measures") return key.tag == hostdata::kMeasureTag;
    if (kind == "other") return (key.tag >> 16) == (hostdata::OtherTag(0, 0) >> 16);
    throw UsageError("no record kind '" + kind + "' (the kinds are systems, measures, other, all)");
}

std::size_t NewLength(std::size_t length, const std::string &name) {
    if (name == "empty") return 0;
    if (name == "half") return length / 2;
    if (name == "one-short") return length > 0 ? length - 1 : 0;
    if (name == "one-more") return length + 1;
    if (name == "much-longer") return length + kMuchLonger;
    throw UsageError("no record length '" + name + "'");
}

// Wraps around as a host's 32-bit arithmetic would.
int32_t Wrapped(int64_t size) { return static_cast<int32_t>(static_cast<uint32_t>(size)); }

int32_t ReportedSize(int32_t room, const std::string &report) {
    if (report == "room-plus-one") return Wrapped(int64_t{room} + 1);
    if (report == "twice-room") return Wrapped(int64_t{room} * 2);
    if (report == "room-less-one") return Wrapped(int64_t{room} - 1);
    if (report == "zero") return 0;
    if (report == "minus-one") return -1;
    if (report == "most-negative") return std::numeric_limits<int32_t>::min();
    if (report == "most-positive") return std::numeric_limits<int32_t>::max();
    throw UsageError("no size report '" + report + "'");
}

}  // namespace

const std::vector<std::string> &RecordKindNames() {
    static const std::vector<std::string> names{"systems", "measures", "other", "all"};
    return names;
}

const std::vector<std::string> &ShorterLengthNames() {
    static const std::vector<std::string> names{"empty", "half", "one-short"};
    return names;
}

const std::vector<std::string> &LongerLengthNames() {
    static const std::vector<std::string> names{"one-more", "much-longer"};
    return names;
}

void ResizeRecords(Host &host, const std::string &kind, const std::string &length) {
    NewLength(0, length);
    std::vector<RecordKey> keys;
    for (const auto &[key, bytes] : host.Records().All()) {
        if (OfKind(key, kind)) keys.push_back(key);
    }
    for (const RecordKey &key : keys) {
        Bytes *bytes = host.Records().Find(key);
        bytes->resize(NewLength(bytes->size(), length), kAddedByte);
    }
}

const std::vector<std::string> &SizeReportNames() {
    static const std::vector<std::string> names{"room-plus-one", "twice-room", "room-less-one",
                                                "zero",          "minus-one",  "most-negative",
                                                "most-positive"};
    return names;
}

void MisreportSizes(Host &host, const std::string &report) {
    ReportedSize(0, report);
    host.BendLoadSizes(
        [report](int32_t room, int32_t *size) { *size = ReportedSize(room, report); });
}

}  // namespace standin::validator
