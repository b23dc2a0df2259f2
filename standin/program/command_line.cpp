#include "standin/program/command_line.h"

#include <map>

#include "standin/system/errors.h"

namespace standin {
namespace {

std::string Verb(int argc, char **argv) { return argc > 1 ? argv[1] : ""; }

std::string SeeHelp(const std::string &verb) {
    return "FINALE.EXE " + (verb.empty() ? std::string() : verb + " ") + "--help";
}

// A name the library reads as an option, not a value: "-" is standard
// output, and a value such as "-1" follows an option that takes it.
bool LooksLikeOption(const std::string &argument) {
    return argument.size() > 1 && argument[0] == '-';
}

// Not a flag.
bool TakesValue(const CLI::Option &option) { return option.get_expected_min() > 0; }

UsageError EmptyValue(const std::string &option) {
    return UsageError(option + " is given as ''; give a value, or leave " + option + " out");
}

// The text after "prefix" in `text`; empty when it does not start so.
std::string After(const std::string &text, const std::string &prefix) {
    return text.rfind(prefix, 0) == 0 ? text.substr(prefix.size()) : std::string();
}

}  // namespace

void CheckCommandLine(CLI::App &app, int argc, char **argv) {
    const std::string verb = Verb(argc, argv);
    if (verb.empty() || LooksLikeOption(verb)) return;
    CLI::App *command = nullptr;
    std::string known;
    for (CLI::App *each : app.get_subcommands([](CLI::App *) { return true; })) {
        if (each->get_name() == verb) command = each;
        known += (known.empty() ? "" : ", ") + each->get_name();
    }
    if (command == nullptr) {
        throw UsageError("unknown command '" + verb + "' (the commands are: " + known + ")");
    }
    std::map<std::string, int> given;
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!LooksLikeOption(argument)) continue;
        const std::string name = argument.substr(0, argument.find('='));
        if (name == "--help" || name == "-h") return;
        const CLI::Option *option = command->get_option_no_throw(name);
        if (option == nullptr || option->get_positional()) {
            throw UsageError("unknown option '" + name + "' for " + verb + "; " + SeeHelp(verb) +
                             " lists them");
        }
        if (!TakesValue(*option)) continue;
        if (++given[name] > 1) {
            throw UsageError(name + " is given twice; give it once");
        }
        if (name.size() + 1 == argument.size()) throw EmptyValue(name);  // "--output="
        if (name.size() == argument.size()) {
            if (i + 1 == argc) throw UsageError(name + " needs a value");
            ++i;  // its value, whatever it looks like
        }
    }
}

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

std::string ParseErrorText(const CLI::ParseError &error, int argc, char **argv) {
    const std::string verb = Verb(argc, argv);
    std::string what = error.what();
    if (dynamic_cast<const CLI::RequiredError *>(&error) != nullptr) {
        const std::string name = what.substr(0, what.rfind(" is required"));
        if (name == "A subcommand") {
            return "no command given; " + SeeHelp("") + " lists the commands";
        }
        const bool document = name == "first" || name == "second";
        const std::string needed = LooksLikeOption(name) ? name
                                   : document            ? "the " + name + " document's path"
                                                         : "the " + name + "'s path";
        return verb + " needs " + needed + "; " + SeeHelp(verb) + " says what to give";
    }
    if (dynamic_cast<const CLI::ExtrasError *>(&error) != nullptr) {
        const auto colon = what.find(": ");
        return verb + " takes no more arguments: '" +
               (colon == std::string::npos ? what : what.substr(colon + 2)) + "' is too many; " +
               SeeHelp(verb) + " says what to give";
    }
    if (dynamic_cast<const CLI::ConversionError *>(&error) != nullptr) {
        const std::string conversion = After(what, "Could not convert: ");
        const auto equals = conversion.find(" = ");
        if (equals != std::string::npos) {
            return conversion.substr(0, equals) + " '" + conversion.substr(equals + 3) +
                   "' is not a number";
        }
    }
    return what;
}

}  // namespace standin
