#include "standin/program/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standin/platform/errors.h"

namespace {

// A program with one verb shaped as `run`: two paths, options with values,
// and a flag.
struct Program {
    CLI::App app{"test", "FINALE.EXE"};
    std::string module, document, command, measures;
    bool inPlace = false;

    Program() {
        CLI::App *run = app.add_subcommand("run", "");
        run->add_option("module", module)->required();
        run->add_option("document", document)->required();
        run->add_option("--command", command)->required();
        run->add_option("--measures", measures);
        run->add_flag("--in-place", inPlace);
        app.require_subcommand(1);
    }

    // What the program says of the command line; empty when it takes it.
    std::string Refusal(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "FINALE.EXE");
        std::vector<char *> argv;
        for (std::string &argument : arguments) argv.push_back(argument.data());
        const int argc = static_cast<int>(argv.size());
        try {
            app.parse(argc, argv.data());
            standin::RefuseEmptyValues(app);
        } catch (const standin::UsageError &error) {
            return error.what();
        } catch (const CLI::ParseError &error) {
            return standin::ParseErrorText(error, app);
        }
        return "";
    }
};

TEST(CommandLine, IsRefusedInTheProgramsWordsFirstFaultFirst) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"frob"}, "unknown command 'frob' (the commands are: run)"},
        {{}, "no command given; FINALE.EXE --help lists the commands"},
        // The unknown option, not the module missing before it.
        {{"run", "--frob"}, "unknown option '--frob' for run; FINALE.EXE run --help lists them"},
        {{"run", "m", "d", "--command", "0", "-x=1"},
         "unknown option '-x' for run; FINALE.EXE run --help lists them"},
        {{"run", "m", "d", "--command", "0", "--measures", ""},
         "--measures is given as ''; give a value, or leave --measures out"},
        {{"run", "m", "", "--command", "0"}, "the document is given as ''; give its path"},
        {{"run", "m", "--command", "0"},
         "run needs the document's path; FINALE.EXE run --help says what to give"},
        {{"run", "m", "d"}, "run needs --command; FINALE.EXE run --help says what to give"},
        {{"run", "m", "d", "e", "--command", "0"},
         "run takes no more arguments: 'e' is too many; FINALE.EXE run --help says what to give"},
    };
    for (const auto &[arguments, message] : cases) {
        SCOPED_TRACE(arguments.empty() ? "" : arguments.back());
        EXPECT_EQ(Program().Refusal(arguments), message);
    }
}

// The library's own refusals, in its own words: they name the option.
TEST(CommandLine, RefusesAValueOptionGivenTwiceOrWithoutItsValue) {
    const std::vector<std::string> cases[] = {
        {"run", "m", "d", "--command", "0", "--command", "1"},
        {"run", "m", "d", "--command"},
        {"run", "m", "d", "--command", "0", "--measures="},
        {"run", "m", "d", "--measures", "1", "--command", "0", "--measures", "2"},
    };
    for (const std::vector<std::string> &arguments : cases) {
        SCOPED_TRACE(arguments.back());
        const std::string refusal = Program().Refusal(arguments);
        const std::string option = arguments.back() == "--measures=" ? "--measures" : arguments[3];
        EXPECT_EQ(refusal.rfind(option, 0), 0u) << refusal;
    }
}

TEST(CommandLine, TakesValuesThatLookLikeOptionsAndFlagsGivenTwice) {
    Program program;
    EXPECT_EQ(program.Refusal({"run", "m", "d", "--command", "-1", "--measures=-5", "--in-place",
                               "--in-place"}),
              "");
    EXPECT_EQ(program.command, "-1");
    EXPECT_EQ(program.measures, "-5");
    EXPECT_TRUE(program.inPlace);
}

}  // namespace
