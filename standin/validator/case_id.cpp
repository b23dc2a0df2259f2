#include "standin/validator/case_id.h"

#include <algorithm>

#include "standin/platform/byte_text.h"
#include "standin/platform/errors.h"

namespace standin::validator {
namespace {

bool Plain(const std::string &text) { return text.find_first_of(",=: ") == std::string::npos; }

}  // namespace

CaseParameters CaseParameters::Parse(const std::string &text) {
    CaseParameters parameters;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        const std::string pair = text.substr(start, end - start);
        const std::size_t equals = pair.find('=');
        if (equals == std::string::npos || equals == 0) {
            throw UsageError("case parameters '" + text +
                             "' are not key=value pairs separated by commas");
        }
        parameters.Set(pair.substr(0, equals), pair.substr(equals + 1));
        start = end + 1;
    }
    return parameters;
}

CaseParameters &CaseParameters::Set(const std::string &key, const std::string &value) {
    if (!Plain(key) || !Plain(value)) {
        throw UsageError("case parameter '" + key + "=" + value +
                         "' holds a comma, colon, space or '='");
    }
    for (auto &[name, held] : values_) {
        if (name == key) {
            held = value;
            return *this;
        }
    }
    values_.emplace_back(key, value);
    return *this;
}

CaseParameters &CaseParameters::Set(const std::string &key, uint32_t number) {
    return Set(key, std::to_string(number));
}

CaseParameters &CaseParameters::SetWord(const std::string &key, uint32_t word) {
    return Set(key, Hex32(word));
}

const std::string &CaseParameters::Text(const std::string &key) const {
    for (const auto &[name, value] : values_) {
        if (name == key) return value;
    }
    throw UsageError("the case names no " + key);
}

uint32_t CaseParameters::Number(const std::string &key) const {
    return ParseWord(Text(key), key.c_str());
}

bool CaseParameters::Has(const std::string &key) const {
    for (const auto &value : values_) {
        if (value.first == key) return true;
    }
    return false;
}

bool CaseParameters::Matches(const CaseParameters &other) const {
    auto mine = values_, theirs = other.values_;
    std::sort(mine.begin(), mine.end());
    std::sort(theirs.begin(), theirs.end());
    return mine == theirs;
}

std::string CaseParameters::ToString() const {
    std::string text;
    for (const auto &[name, value] : values_) {
        text += (text.empty() ? "" : ",") + name + "=" + value;
    }
    return text;
}

CaseId CaseId::Parse(const std::string &text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0) {
        throw UsageError("case '" + text + "' is not CHECK:PARAMETERS, as a failure line gives it");
    }
    return {text.substr(0, colon), CaseParameters::Parse(text.substr(colon + 1))};
}

}  // namespace standin::validator
