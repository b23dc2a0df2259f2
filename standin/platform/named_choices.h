// A value an option names by a word, such as a report's format: the words
// kept in one list, from which the option reads its value and its help and
// its messages list them, so that none of them falls behind.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace standin {

template <typename Value>
struct NamedChoice {
    Value value;
    const char *name;
};

// The value `name` names; none for a word not in the list.
template <typename Value, std::size_t N>
std::optional<Value> FindChoice(const NamedChoice<Value> (&choices)[N], const std::string &name) {
    for (const NamedChoice<Value> &choice : choices) {
        if (name == choice.name) return choice.value;
    }
    return std::nullopt;
}

// The names in order, with `last` before the last of them: "table, json or
// csv" with " or ", "table, json, csv" with ", ".
template <typename Value, std::size_t N>
std::string ChoiceNames(const NamedChoice<Value> (&choices)[N], const char *last) {
    std::string names;
    for (std::size_t i = 0; i < N; ++i) {
        names += i == 0 ? "" : i + 1 == N ? last : ", ";
        names += choices[i].name;
    }
    return names;
}

}  // namespace standin
