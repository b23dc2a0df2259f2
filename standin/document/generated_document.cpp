#include "standin/document/generated_document.h"

#include <vector>

#include "standin/document/document_builder.h"

namespace standin::generated_document {
namespace {

constexpr std::size_t kMeasureSize = 30;
constexpr int kFinalBarlineStyle = 5;
constexpr int kDoubleBarlineStyle = 2;
// Every fifth system follows a final barline, every third shows full names;
// the systems in between end in other barlines or none.
constexpr int kFinalBarlineEvery = 5;
constexpr int kFullNamesEvery = 3;
constexpr int kDoubleBarlineEvery = 4;

int FirstMeasureOf(Size size, int system) {
    return 1 + static_cast<int>(int64_t{system} * size.measures / size.systems);
}

}  // namespace

Host Generate(Size size) {
    Host host;
    for (int number = 1; number <= size.measures; ++number) {
        host.PutMeasure(static_cast<int16_t>(number), Bytes(kMeasureSize, 0));
    }
    std::vector<int16_t> firstMeasures;
    for (int system = 0; system < size.systems; ++system) {
        const auto first = static_cast<int16_t>(FirstMeasureOf(size, system));
        firstMeasures.push_back(first);
        if (first == 1) continue;
        if (system % kFinalBarlineEvery == 0) {
            document_builder::SetBarlineStyle(host, static_cast<int16_t>(first - 1),
                                              kFinalBarlineStyle);
        } else if (system % kDoubleBarlineEvery == 0) {
            document_builder::SetBarlineStyle(host, static_cast<int16_t>(first - 1),
                                              kDoubleBarlineStyle);
        }
        if (system % kFullNamesEvery == 0) document_builder::SetShowsFullNames(host, first);
    }
    document_builder::AddSystems(host, firstMeasures);
    document_builder::AddPageFormats(host);
    return host;
}

}  // namespace standin::generated_document
