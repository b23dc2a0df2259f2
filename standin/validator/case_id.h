// A case's name: its check, then its parameters, as in
//   failing-call:command=0,document=short,selection=all,call=17
// which is all a worker needs to run that case again and nothing else.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace standin::validator {

class CaseParameters {
public:
    CaseParameters() = default;
    // "key=value,key=value"; throws UsageError when it is not that.
    static CaseParameters Parse(const std::string &text);

    CaseParameters &Set(const std::string &key, const std::string &value);
    CaseParameters &Set(const std::string &key, uint32_t number);    // in decimal
    CaseParameters &SetWord(const std::string &key, uint32_t word);  // "0x0E010000"

    // Each throws UsageError when the key is missing or its value is not of
    // the kind asked for.
    const std::string &Text(const std::string &key) const;
    uint32_t Number(const std::string &key) const;  // decimal or 0x-hexadecimal
    bool Has(const std::string &key) const;
    // The same keys with the same values, in any order.
    bool Matches(const CaseParameters &other) const;

    std::string ToString() const;

private:
    std::vector<std::pair<std::string, std::string>> values_;
};

struct CaseId {
    std::string check;
    CaseParameters parameters;

    std::string ToString() const { return check + ":" + parameters.ToString(); }
    // Throws UsageError when `text` has no check name before a colon.
    static CaseId Parse(const std::string &text);
};

}  // namespace standin::validator
