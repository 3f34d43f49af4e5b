#include "support/cli_command.h"

#include "support/image_fixture.h"

namespace datrevo::test {

std::string CliProgram() { return ShellQuote(DATREVO_CLI_PATH); }

std::string Cli(const std::string& arguments) {
    return CliProgram() + " -q --inventory-root /nonexistent " + arguments;
}

std::string CliWithProgress(const std::string& arguments) {
    return CliProgram() + " --inventory-root /nonexistent " + arguments;
}

}  // namespace datrevo::test
