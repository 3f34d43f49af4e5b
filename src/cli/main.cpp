// datrevo-cli: recover folders and files from removable disks and their images,
// from the command line.
#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/disk_commands.h"
#include "cli/exit_codes.h"
#include "cli/search_command.h"

int main(int argc, char** argv) {
    using namespace datrevo::cli;
    CLI::App app{
        "Vantorrel Datrevo: read-only recovery of folders and files from removable "
        "disks (FAT16, FAT32, NTFS) and their images."};
    app.require_subcommand(1);
    app.footer(std::string(kExitStatusHelp) +
               "\nReading a device needs the right to read it: run as root or as a member of the "
               "'disk' group (the command line does not ask udisks2; the window does).");
    app.set_version_flag("--version", VersionText(), "Print the version and exit");
    GlobalOptions options;
    AddGlobalOptions(app, options);

    int exitCode = kExitOk;
    RegisterDiskCommands(app, options, exitCode);
    RegisterSearchCommands(app, options, exitCode);
    // Global options may follow the subcommand too.
    for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; }))
        AddGlobalOptions(*command, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? kExitOk : kExitUsage;
    } catch (const std::exception& error) {
        std::cerr << "error: " << error.what() << '\n';
        return kExitFailure;
    }
    return exitCode;
}
