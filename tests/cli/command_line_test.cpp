// The command line as Linux users expect it: options before or after the
// subcommand, --version, words in any case, no option silently ignored, and
// errors that name their cause.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/cli_command.h"
#include "support/image_fixture.h"
#include "support/text_file.h"

namespace datrevo {
namespace {

namespace fs = std::filesystem;
using test::Contains;
using test::RunCommand;
using test::ShellQuote;

// The program with stderr folded into the output (no -q: tests add it where they want it).
test::CommandResult Cli(const std::string& arguments) {
    return RunCommand(test::CliWithProgress(arguments) + " 2>&1");
}

TEST(CliOptionsAnywhere, GlobalOptionsAfterTheSubcommandAreTaken) {
    const auto image = test::FixtureImage("fat16");
    const auto quiet = Cli("search " + ShellQuote(image->path()) + " -p 1 --tsv -q");
    ASSERT_EQ(quiet.status, 0) << quiet.output;
    // Quiet: only the listing, no progress line.
    EXPECT_EQ(quiet.output.rfind("path\ttype\t", 0), 0u) << quiet.output.substr(0, 300);
    EXPECT_FALSE(Contains(quiet.output, "%")) << quiet.output.substr(0, 300);

    const auto added = Cli("disks --image " + ShellQuote(image->path()));
    EXPECT_EQ(added.status, 0) << added.output;
    EXPECT_TRUE(Contains(added.output, image->path())) << added.output;
}

TEST(CliOptionsAnywhere, EverySubcommandsHelpListsTheGlobalOptions) {
    for (const char* command :
         {"search", "load", "disks", "details", "partitions", "lost-partitions"}) {
        SCOPED_TRACE(command);
        const auto help = Cli(std::string(command) + " --help");
        EXPECT_EQ(help.status, 0);
        EXPECT_TRUE(Contains(help.output, "--quiet")) << help.output;
        EXPECT_TRUE(Contains(help.output, "--image")) << help.output;
    }
}

TEST(CliVersion, VersionIsPrintedWithExitZero) {
    const auto version = Cli("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output.rfind("datrevo-cli ", 0), 0u) << version.output;
}

TEST(CliWords, ModeAndKindAreReadInAnyCase) {
    const auto image = test::FixtureImage("fat16");
    const std::string sectors = std::to_string(image->sizeInBytes() / 512);
    for (const std::string words : {"--mode Advance --kind fat16", "--mode advanced --kind Fat16",
                                    "-m ADVANCE --kind FAT16"}) {
        SCOPED_TRACE(words);
        const auto run = Cli("-q search " + ShellQuote(image->path()) + " " + words +
                             " --start 0 --end " + sectors);
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_TRUE(Contains(run.output, "File System 1 - FAT16")) << run.output;
    }
    const auto wrong = Cli("-q search " + ShellQuote(image->path()) + " --mode quick");
    EXPECT_EQ(wrong.status, 2) << wrong.output;
}

TEST(CliRefusals, OptionsThatWouldBeIgnoredAreRefusedWithAReason) {
    const auto image = test::FixtureImage("fat16");
    const std::string search = "-q search " + ShellQuote(image->path());
    const std::vector<std::pair<std::string, std::string>> cases = {
        {search + " --select Music", "--select only changes what --save saves"},
        {search + " --overwrite", "--overwrite only changes what --save saves"},
        {search + " --streams", "--streams only changes what --save saves"},
        {search + " -p 1 --kind FAT16", "--kind names the file system of a range"},
        {search + " --kind FAT16", "--kind names the file system of a range"},
        {search + " -p 1 --volume 2", "--volume chooses among the file systems"},
        {search + " --save ''", "--save needs the name of a folder"},
        {search + " --log ''", "--log needs a file name"},
        {search + " --tsv --json", "choose one"},
        {search + " --tsv --list Music", "--list changes the tree"},
        {search + " -p 1 --start 0 --end 100 --kind FAT16", "give one of them"},
    };
    for (const auto& [arguments, reason] : cases) {
        SCOPED_TRACE(arguments);
        const auto run = Cli(arguments);
        EXPECT_EQ(run.status, 2) << run.output;
        EXPECT_TRUE(Contains(run.output, reason)) << run.output;
    }
}

TEST(CliRefusals, ADiskWithSeveralPartitionsAsksForOne) {
    const auto image = test::FixtureImage("fat-two-volumes");
    const auto asked = Cli("-q search " + ShellQuote(image->path()));
    EXPECT_EQ(asked.status, 2) << asked.output;
    EXPECT_TRUE(Contains(asked.output, "has 2 partitions; choose one with -p")) << asked.output;
    EXPECT_TRUE(Contains(asked.output, "Partition - 2 ( FAT32 )")) << asked.output;
    const auto chosen = Cli("-q search " + ShellQuote(image->path()) + " -p 2 --tsv");
    EXPECT_EQ(chosen.status, 0) << chosen.output;
    EXPECT_TRUE(Contains(chosen.output, "Documents/Letters\tFOLDER")) << chosen.output;
    // One partition: no need to name it.
    const auto single = test::FixtureImage("ntfs-disk");
    EXPECT_EQ(Cli("-q search " + ShellQuote(single->path()) + " --tsv").status, 0);
}

TEST(CliErrors, AMissingLogIsCalledMissing) {
    const auto image = test::FixtureImage("fat16");
    const auto run = Cli("-q load /nonexistent/scan.MPD " + ShellQuote(image->path()));
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(Contains(run.output, "/nonexistent/scan.MPD: No such file or directory"))
        << run.output;
    EXPECT_FALSE(Contains(run.output, "corrupted")) << run.output;
}

TEST(CliErrors, AnUnwritableLogNamesTheFileAndTheReasonBeforeTheSearch) {
    const auto image = test::FixtureImage("fat16");
    const fs::path dir = test::MakeTempDir("log-dir");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"/nonexistent/folder/x.MPD", "/nonexistent/folder/x.MPD: No such file or directory"},
        {dir.string(), dir.string() + " is a folder"},
        {image->path(), "is the disk being recovered"},
    };
    for (const auto& [log, reason] : cases) {
        SCOPED_TRACE(log);
        const auto run =
            Cli("-q search " + ShellQuote(image->path()) + " --log " + ShellQuote(log));
        EXPECT_EQ(run.status, 2) << run.output;
        EXPECT_TRUE(Contains(run.output, reason)) << run.output;
        EXPECT_FALSE(Contains(run.output, "Root")) << "refused before the search: " << run.output;
    }
    EXPECT_TRUE(fs::is_empty(dir)) << "the check leaves no file behind";
    fs::remove_all(dir);
}

TEST(CliErrors, AFolderAsADiskIsCalledAFolder) {
    const fs::path dir = test::MakeTempDir("disk-dir");
    for (const char* command : {"partitions", "search", "details"}) {
        SCOPED_TRACE(command);
        const auto run = Cli(std::string(command) + " " + ShellQuote(dir.string()));
        EXPECT_EQ(run.status, 3) << run.output;
        EXPECT_TRUE(Contains(run.output, "is a folder, not a disk")) << run.output;
    }
    fs::remove_all(dir);
}

TEST(CliErrors, PipesAndFifosAreRefusedAtOnce) {
    const fs::path dir = test::MakeTempDir("disk-fifo");
    const fs::path fifo = dir / "card.img";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Opening a FIFO without a writer blocks: the timeout catches a hang.
    for (const std::string& arguments :
         {"partitions " + ShellQuote(fifo.string()), "search " + ShellQuote(fifo.string()),
          "--image " + ShellQuote(fifo.string()) + " disks"}) {
        SCOPED_TRACE(arguments);
        const auto run = RunCommand("timeout 60 " + test::CliWithProgress(arguments) + " 2>&1");
        EXPECT_EQ(run.status, 3) << run.output;
        EXPECT_TRUE(Contains(run.output, "is a pipe or FIFO")) << run.output;
    }
    const auto pipe =
        RunCommand("timeout 60 " + test::CliWithProgress("partitions /dev/stdin < /dev/null 2>&1"));
    EXPECT_EQ(pipe.status, 3) << pipe.output;
    EXPECT_TRUE(Contains(pipe.output, "character device")) << pipe.output;
    fs::remove_all(dir);
}

TEST(CliErrors, AnEmptyImageIsCalledEmpty) {
    const auto image = test::CraftedImage({});
    for (const char* command : {"partitions", "search", "lost-partitions"}) {
        SCOPED_TRACE(command);
        const auto run = Cli(std::string(command) + " " + ShellQuote(image->path()));
        EXPECT_EQ(run.status, 3) << run.output;
        EXPECT_TRUE(Contains(run.output, "is empty (0 bytes)")) << run.output;
        EXPECT_FALSE(Contains(run.output, "--end 0")) << run.output;
    }
}

}  // namespace
}  // namespace datrevo
