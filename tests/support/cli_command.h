// datrevo-cli as the tests run it: the binary built beside them, with an
// inventory root that does not exist, so that no disk of the machine that
// runs the tests is listed or read, only the images a test names.
#pragma once

#include <string>

namespace datrevo::test {

// The path of the datrevo-cli binary, quoted for /bin/sh.
std::string CliProgram();

// The shell command that runs datrevo-cli quietly (-q: no progress on
// stderr) on `arguments`, which are passed as they are (quote paths).
std::string Cli(const std::string& arguments);

// The same with the progress output on stderr (no -q).
std::string CliWithProgress(const std::string& arguments);

}  // namespace datrevo::test
