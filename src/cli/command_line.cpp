#include "cli/command_line.h"

#include <map>

namespace datrevo::cli {

const char* VersionText() {
#ifdef DATREVO_VERSION
    return "datrevo-cli " DATREVO_VERSION;
#else
    return "datrevo-cli";
#endif
}

void AddGlobalOptions(CLI::App& command, GlobalOptions& options) {
    const std::string group = "Global options (before or after the subcommand)";
    command.add_flag("-q,--quiet", options.quiet, "No progress output on stderr")->group(group);
    // Appends, so that images named before and after the subcommand add up.
    command
        .add_option_function<std::vector<std::string>>(
            "--image",
            [&options](const std::vector<std::string>& images) {
                options.images.insert(options.images.end(), images.begin(), images.end());
            },
            "Add a disk-image file as a disk (repeatable)")
        ->group(group);
    command
        .add_option("--inventory-root", options.inventoryRoot,
                    "Read sysfs and udev below this folder instead of /")
        ->group("");  // for tests: not shown in --help
}

CLI::Validator SearchModeWords() {
    const std::map<std::string, std::string> words = {
        {"standard", "standard"}, {"advance", "advance"}, {"advanced", "advance"}};
    return CLI::CheckedTransformer(words, CLI::ignore_case).description("standard or advance");
}

CLI::Validator FileSystemKindWords() {
    const std::map<std::string, std::string> words = {
        {"fat16", "FAT16"}, {"fat32", "FAT32"}, {"ntfs", "NTFS"}, {"exfat", "exFAT"}};
    return CLI::CheckedTransformer(words, CLI::ignore_case)
        .description("FAT16, FAT32, NTFS or exFAT");
}

}  // namespace datrevo::cli
