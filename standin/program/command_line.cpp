#include "standin/program/command_line.h"

#include "standin/platform/errors.h"

namespace standin {
namespace {

std::string SeeHelp(const std::string &verb) {
    return "FINALE.EXE " + (verb.empty() ? std::string() : verb + " ") + "--help";
}

// A name the library reads as an option, not a value: "-" is standard
// output.
bool LooksLikeOption(const std::string &argument) {
    return argument.size() > 1 && argument[0] == '-';
}

// Not a flag.
bool TakesValue(const CLI::Option &option) { return option.get_expected_min() > 0; }

UsageError EmptyValue(const std::string &option) {
    return UsageError(option + " is given as ''; give a value, or leave " + option + " out");
}

std::string Commands(const CLI::App &app) {
    std::string known;
    for (const CLI::App *each : app.get_subcommands([](const CLI::App *) { return true; })) {
        known += (known.empty() ? "" : ", ") + each->get_name();
    }
    return known;
}

// Without a verb, the first argument the library could not place is the
// verb it does not know.
std::string WithoutVerb(const CLI::App &app) {
    const std::vector<std::string> unplaced = app.remaining();
    if (unplaced.empty() || LooksLikeOption(unplaced.front())) {
        return "no command given; " + SeeHelp("") + " lists the commands";
    }
    return "unknown command '" + unplaced.front() + "' (the commands are: " + Commands(app) + ")";
}

// The first of the verb's required options and arguments not given.
const CLI::Option *FirstMissing(const CLI::App &verb) {
    for (const CLI::Option *option : verb.get_options()) {
        if (option->get_required() && option->count() == 0) return option;
    }
    return nullptr;
}

std::string Needed(const CLI::Option &option) {
    if (!option.get_positional()) return option.get_name();
    const std::string name = option.get_name();
    const bool document = name == "first" || name == "second";
    return "the " + name + (document ? " document's path" : "'s path");
}

}  // namespace

void RefuseEmptyValues(const CLI::App &app) {
    for (const CLI::App *command : app.get_subcommands()) {
        for (const CLI::Option *option : command->get_options()) {
            for (const std::string &value : option->results()) {
                if (!value.empty() || !TakesValue(*option)) continue;
                if (option->get_positional()) {
                    throw UsageError("the " + option->get_name(true) + " is given as ''; " +
                                     "give its path");
                }
                throw EmptyValue(option->get_name());
            }
        }
    }
}

std::string ParseErrorText(const CLI::ParseError &error, const CLI::App &app) {
    const std::vector<CLI::App *> verbs = app.get_subcommands();
    if (verbs.empty()) {
        if (dynamic_cast<const CLI::RequiredError *>(&error) != nullptr) return WithoutVerb(app);
        return error.what();
    }
    const CLI::App &verb = *verbs.front();
    const std::string name = verb.get_name();
    // What the verb could not place is named before anything missing.
    const std::vector<std::string> unplaced = verb.remaining();
    if (!unplaced.empty() && LooksLikeOption(unplaced.front())) {
        const std::string option = unplaced.front().substr(0, unplaced.front().find('='));
        return "unknown option '" + option + "' for " + name + "; " + SeeHelp(name) + " lists them";
    }
    if (!unplaced.empty()) {
        return name + " takes no more arguments: '" + unplaced.front() + "' is too many; " +
               SeeHelp(name) + " says what to give";
    }
    if (dynamic_cast<const CLI::RequiredError *>(&error) != nullptr) {
        if (const CLI::Option *missing = FirstMissing(verb)) {
            return name + " needs " + Needed(*missing) + "; " + SeeHelp(name) +
                   " says what to give";
        }
    }
    return error.what();
}

}  // namespace standin
