// What the installed command offers around itself: --version, the manual page
// and the bash completion, kept in step with the options --help lists.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "support/cli_command.h"
#include "support/image_fixture.h"
#include "support/text_file.h"

namespace datrevo {
namespace {
namespace fs = std::filesystem;
using test::ReadFileText;
using test::RunCommand;
using test::ShellQuote;

const fs::path kDataDir = fs::path(DATREVO_FIXTURE_DIR) / "../../data";

std::string Cli(const std::string& arguments) {
    return test::CliProgram() + " " + arguments + " 2>&1";
}

// The words bash completion offers for `line` (the cursor at its end).
std::string Complete(const std::string& line) {
    const std::string script =
        "source /usr/share/bash-completion/bash_completion; source " +
        ShellQuote((kDataDir / "completion/datrevo-cli").string()) +
        "; COMP_LINE=" + ShellQuote(line) +
        "; COMP_POINT=${#COMP_LINE}; read -ra COMP_WORDS <<<\"$COMP_LINE\"; "
        "[[ $COMP_LINE == *' ' ]] && COMP_WORDS+=(''); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
        "_datrevo_cli; ((${#COMPREPLY[@]})) && printf '%s\\n' \"${COMPREPLY[@]}\" | sort | tr "
        "'\\n' ' '";
    return RunCommand("bash -c " + ShellQuote(script) + " 2>&1").output;
}

bool HaveBashCompletion() { return fs::exists("/usr/share/bash-completion/bash_completion"); }

TEST(CliShellIntegration, VersionNamesTheProgramAndItsVersion) {
    const auto result = RunCommand(Cli("--version"));
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(std::regex_match(result.output, std::regex("datrevo-cli [0-9]+\\.[0-9]+.*\n")))
        << result.output;
}

TEST(CliShellIntegration, HelpSaysWhoNeedsTheRightToReadADevice) {
    const auto result = RunCommand(Cli("--help"));
    EXPECT_NE(result.output.find("'disk' group"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("udisks2"), std::string::npos) << result.output;
}

TEST(CliShellIntegration, CompletionOffersSubcommandsOptionsAndValues) {
    if (!HaveBashCompletion()) GTEST_SKIP() << "bash-completion is not installed";
    EXPECT_EQ(Complete("datrevo-cli "), "details disks load lost-partitions partitions search ");
    EXPECT_EQ(Complete("datrevo-cli lo"), "load lost-partitions ");
    EXPECT_EQ(Complete("datrevo-cli search card.img --mode "), "advance standard ");
    EXPECT_EQ(Complete("datrevo-cli search card.img -m Adv"), "advance ");
    EXPECT_EQ(Complete("datrevo-cli search card.img --kind fat"), "FAT16 FAT32 ");
    EXPECT_EQ(Complete("datrevo-cli search card.img --ki"), "--kind ");
    EXPECT_EQ(Complete("datrevo-cli -q search card.img --sk"), "--skip-existing ");
    EXPECT_EQ(Complete("datrevo-cli load scan.MPD card.img --m"), "");  // no mode for load
    EXPECT_EQ(Complete("datrevo-cli partitions card.img --ki"), "");
    EXPECT_EQ(Complete("datrevo-cli --ver"), "--version ");
}

// Every long option some --help lists, for the program and each subcommand.
std::set<std::string> OptionsInHelp() {
    std::set<std::string> options;
    const std::regex option("(^|[ ,])(--[a-z][a-z-]*)");
    for (const char* command :
         {"", "disks ", "details ", "partitions ", "lost-partitions ", "search ", "load "}) {
        const std::string help = RunCommand(Cli(std::string(command) + "--help")).output;
        for (std::sregex_iterator it(help.begin(), help.end(), option), end; it != end; ++it)
            options.insert((*it)[2]);
    }
    return options;
}

TEST(CliShellIntegration, ManualPageAndCompletionKnowEveryOptionHelpLists) {
    const std::set<std::string> options = OptionsInHelp();
    ASSERT_TRUE(options.count("--save")) << "no options read from --help";
    // The manual page writes a dash as \-.
    std::string manual = ReadFileText(kDataDir / "man/datrevo-cli.1");
    for (std::size_t at = 0; (at = manual.find("\\-", at)) != std::string::npos;)
        manual.replace(at, 2, "-");
    const std::string completion = ReadFileText(kDataDir / "completion/datrevo-cli");
    for (const std::string& name : options) {
        EXPECT_NE(manual.find(name), std::string::npos) << name << " is not in datrevo-cli.1";
        EXPECT_TRUE(std::regex_search(completion, std::regex("[ ']" + name + "[ '\n]")))
            << name << " is not completed";
    }
}

}  // namespace
}  // namespace datrevo
