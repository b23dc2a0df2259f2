#include "standin/document/document_builder.h"

#include "interface/data_tag.h"
#include "interface/record_bytes.h"

namespace standin::document_builder {
namespace {

constexpr std::size_t kSystemSize = 28;
constexpr std::size_t kMeasureSize = 30;
constexpr std::size_t kMeasureFlagsOffset = 12;
constexpr std::size_t kBarlineOffset = 14;
constexpr uint16_t kFullNamesBit = 0x0800;
constexpr int16_t kOtherItem = -2;

Bytes &Measure(Host &host, int16_t number) {
    return *host.Records().Find({hostdata::kMeasureTag, number, 0});
}

void PutOther(Host &host, char c1, char c2, int16_t inci, int word, uint16_t value) {
    const RecordKey key{hostdata::OtherTag(c1, c2), kOtherItem, inci};
    Bytes *record = host.Records().Find(key);
    if (record == nullptr) {
        host.Records().Put(key, Bytes(12, 0));
        record = host.Records().Find(key);
    }
    hostdata::WriteU16(record->data(), 2 * static_cast<std::size_t>(word), value);
}

}  // namespace

void AddSystems(Host &host, const std::vector<int16_t> &firstMeasures) {
    int16_t item = 1;
    for (const int16_t firstMeasure : firstMeasures) {
        Bytes record(kSystemSize);
        for (std::size_t i = 0; i < kSystemSize; ++i) {
            record[i] = static_cast<uint8_t>(item * 16 + i);
        }
        hostdata::WriteU16(record.data(), 8, static_cast<uint16_t>(firstMeasure));
        host.Records().Put({hostdata::kStaffSystemTag, item++, 0}, record);
    }
}

void AddMeasures(Host &host, int16_t count) {
    for (int number = 1; number <= count; ++number) {
        host.PutMeasure(static_cast<int16_t>(number), Bytes(kMeasureSize, 0));
    }
}

void SetBarlineStyle(Host &host, int16_t measure, int style) {
    hostdata::WriteU16(Measure(host, measure).data(), kBarlineOffset,
                       static_cast<uint16_t>(style << 4));
}

void SetShowsFullNames(Host &host, int16_t measure) {
    hostdata::WriteU16(Measure(host, measure).data(), kMeasureFlagsOffset, kFullNamesBit);
}

void AddPageFormats(Host &host) {
    // The score's page format: every other record its field map reads,
    // with the system indent in 'ot17' word 1 and the first-system indent
    // in 'ot03' word 1.
    for (const char *tag : {"14", "15", "39", "16", "02", "17", "01", "13", "03", "93", "76"}) {
        PutOther(host, tag[0], tag[1], 0, 0, 0);
    }
    PutOther(host, '1', '7', 0, 1, kScoreSystemIndent);
    PutOther(host, '0', '3', 0, 1, kScoreFirstSystemIndent);
    // The parts' page format: the 48-byte record as 'ot77' inci 0 to 3, the
    // system indent at byte 28 (inci 2, word 2), the first-system indent at
    // byte 46 (inci 3, word 5). Inci 4 holds a parts extra value.
    for (int16_t inci = 0; inci <= 4; ++inci) PutOther(host, '7', '7', inci, 0, 0);
    PutOther(host, '7', '7', 2, 2, kPartsSystemIndent);
    PutOther(host, '7', '7', 3, 5, kPartsFirstSystemIndent);
}

uint16_t LeftIndent(const Host &host, int16_t system) {
    return hostdata::ReadU16(host.Records().Find({hostdata::kStaffSystemTag, system, 0})->data(),
                             2);
}

std::vector<uint8_t> Selection(int16_t start, int16_t end) {
    std::vector<uint8_t> record(20, 0);
    hostdata::WriteU16(record.data(), 2, 1);
    hostdata::WriteU16(record.data(), 4, static_cast<uint16_t>(start));
    hostdata::WriteU16(record.data(), 12, 1);
    hostdata::WriteU16(record.data(), 14, static_cast<uint16_t>(end));
    return record;
}

}  // namespace standin::document_builder
