// Builds documents in the stand-in host's memory, piece by piece: staff
// systems, measures and both page formats. The tests and the validator
// build theirs with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "standin/host/host.h"

namespace standin::document_builder {

// The indents AddPageFormats writes.
constexpr uint16_t kScoreSystemIndent = 0;
constexpr uint16_t kScoreFirstSystemIndent = 144;
constexpr uint16_t kPartsSystemIndent = 36;
constexpr uint16_t kPartsFirstSystemIndent = 288;

// Adds staff systems beginning at the given measures, as items 1, 2, ...;
// every byte outside the first measure is filled with a pattern of its own.
void AddSystems(Host &host, const std::vector<int16_t> &firstMeasures);

// Adds measures 1..count, plain: barline style 0, no full names.
void AddMeasures(Host &host, int16_t count);
void SetBarlineStyle(Host &host, int16_t measure, int style);
void SetShowsFullNames(Host &host, int16_t measure);

// Both page formats, in the other records the host keeps them in.
void AddPageFormats(Host &host);

uint16_t LeftIndent(const Host &host, int16_t system);

// The selection record the host hands over for measures start..end.
std::vector<uint8_t> Selection(int16_t start, int16_t end);

}  // namespace standin::document_builder
