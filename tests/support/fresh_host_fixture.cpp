#include "tests/support/fresh_host_fixture.h"

#include "hostdata/host_binding.h"
#include "hostdata/host_version.h"
#include "interface/data_tag.h"
#include "interface/record_bytes.h"

HostTest::HostTest() {
    UseHost({});
    hostdata::ForgetHostVersion();
    standin::Host::SetCurrent(&host);
}

HostTest::~HostTest() { standin::Host::SetCurrent(nullptr); }

void HostTest::UseHost(fake_platform::Setup setup) {
    hostdata::ForgetHostBinding();
    fake_platform::Reset(std::move(setup));
}

std::vector<std::string> HostTest::Calls() const {
    std::vector<std::string> lines;
    for (const auto &call : host.Trace()) lines.push_back(call.ToString());
    return lines;
}

std::vector<std::string> HostTest::CallsOf(const std::string &beginning) const {
    std::vector<std::string> lines;
    for (const std::string &line : Calls()) {
        if (line.rfind(beginning, 0) == 0) lines.push_back(line);
    }
    return lines;
}

void HostTest::PutOther(char c1, char c2, int16_t inci, std::array<uint16_t, 6> words,
                        int16_t item) {
    standin::Bytes bytes(12);
    for (std::size_t k = 0; k < words.size(); ++k)
        hostdata::WriteU16(bytes.data(), 2 * k, words[k]);
    host.Records().Put({hostdata::OtherTag(c1, c2), item, inci}, bytes);
}

uint16_t HostTest::OtherWord(char c1, char c2, int16_t inci, int k) const {
    return hostdata::ReadU16(host.Records().Find({hostdata::OtherTag(c1, c2), -2, inci})->data(),
                             static_cast<std::size_t>(2 * k));
}

int HostTest::PutRecordsOf(hostdata::FieldMap map, bool distinctWords) {
    int count = 0;
    for (int i = 0; i < map.rowCount; ++i) {
        const hostdata::FieldMapRow &row = map.rows[i];
        const int16_t item = row.item == 0 ? -2 : row.item;
        const standin::RecordKey key{hostdata::OtherTag(row.tag[0], row.tag[1]), item, row.inci};
        if (host.Records().Find(key) != nullptr) continue;
        standin::Bytes words(12, 0);
        for (std::size_t k = 0; distinctWords && k < 6; ++k) {
            hostdata::WriteU16(words.data(), 2 * k, static_cast<uint16_t>(16 * count + k + 1));
        }
        host.Records().Put(key, words);
        ++count;
    }
    return count;
}
