// The read-only promise: every command of datrevo-cli, on every test image,
// leaves the image's bytes and modification time as they were, and never
// opens it for writing. The open guard (tests/support/open_guard.cc) is
// preloaded into the program and aborts it on any such open; only the save
// destination and the log file are written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/cli_command.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

using test::RunCommand;
using test::ShellQuote;

// The program run with the guard on `guarded`. The sanitizer runtime is told
// not to insist on loading first, as the guard does.
std::string GuardedCli(const std::string& guarded, const std::string& arguments) {
    return "DATREVO_GUARDED_PATH=" + ShellQuote(guarded) +
           " LD_PRELOAD=" + ShellQuote(DATREVO_OPEN_GUARD_PATH) +
           " ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=1 " + test::Cli(arguments) +
           " 2>&1";
}

TEST(OpenGuard, AbortsAProgramThatOpensTheGuardedFileForWriting) {
    const auto dir = test::MakeTempDir("guard");
    const std::string file = (dir / "card.img").string();
    std::ofstream(file) << "bytes";
    const std::string preload = "DATREVO_GUARDED_PATH=" + ShellQuote(file) +
                                " LD_PRELOAD=" + ShellQuote(DATREVO_OPEN_GUARD_PATH) + " ";
    // Reading passes, appending through a relative name is refused.
    const auto read = RunCommand(preload + "cat " + ShellQuote(file));
    EXPECT_EQ(read.status, 0);
    EXPECT_EQ(read.output, "bytes");
    const auto written = RunCommand("cd " + ShellQuote(dir.string()) + " && " + preload +
                                    "sh -c 'echo more >> card.img' 2>&1");
    EXPECT_NE(written.status, 0);
    const auto touched = RunCommand(preload + "touch " + ShellQuote(file) + " 2>&1");
    EXPECT_NE(touched.status, 0);
    std::ifstream in(file);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "bytes");
    std::filesystem::remove_all(dir);
}

TEST(OpenGuard, IsLoadedIntoTheProgramUnderTest) {
    const auto result =
        RunCommand("DATREVO_GUARD_ANNOUNCE=1 " + GuardedCli("/nonexistent", "--help"));
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("open_guard: loaded"), std::string::npos) << result.output;
}

struct ImageCase {
    const char* image;
    std::vector<std::string> selections;  // what is searched: "-p N" or a range
};

class EveryCommand : public ::testing::TestWithParam<ImageCase> {};

TEST_P(EveryCommand, LeavesTheImageUnchangedAndNeverOpensItForWriting) {
    const ImageCase& c = GetParam();
    const auto image = test::FixtureImage(c.image);
    const std::string path = image->path();
    const std::string quoted = ShellQuote(path);
    const auto dir = test::MakeTempDir("readonly");
    const std::string log = (dir / "result.log").string();

    auto run = [&](const std::string& arguments, std::initializer_list<int> accepted) {
        const auto result = RunCommand(GuardedCli(path, arguments));
        EXPECT_EQ(result.output.find("open_guard: "), std::string::npos) << arguments;
        EXPECT_NE(std::find(accepted.begin(), accepted.end(), result.status), accepted.end())
            << arguments << " exited " << result.status << "\n"
            << result.output;
        EXPECT_TRUE(image->unchanged()) << arguments;
        return result;
    };

    run("--image " + quoted + " disks", {0});
    run("--image " + quoted + " details 0", {0});
    run("details " + quoted, {0});
    run("partitions " + quoted, {0, 4});  // 4: no partition table (a volume image)
    run("lost-partitions " + quoted, {0, 4});
    int searched = 0;
    for (const std::string& selection : c.selections) {
        const std::string p = " " + selection;
        const std::string destination = (dir / ("saved" + std::to_string(++searched))).string();
        // --tsv replaces the tree and the list: the tree, the list and the
        // save in one run, the machine-readable outputs with the log.
        run("search " + quoted + p + " --files --list / --save " + ShellQuote(destination), {0});
        EXPECT_TRUE(std::filesystem::exists(destination));
        // The log keeps the disk's model text, here the image's path, in 49
        // bytes: a longer temporary path is refused with a message (status 1).
        const auto result =
            run("search " + quoted + p + " --tsv --dfxml " +
                    ShellQuote((dir / "result.xml").string()) + " --log " + ShellQuote(log),
                {0, 1});
        if (std::filesystem::exists(log))
            run("load " + ShellQuote(log) + " " + quoted + " --tsv", {0});
        else
            EXPECT_NE(result.output.find("can not store"), std::string::npos) << result.output;
        run("search " + quoted + p + " -m advance --volume 1 --tsv", {0, 4});
    }
    run("search " + quoted + " --find-lost -p 1 --tsv", {0, 4});
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, EveryCommand,
    ::testing::Values(ImageCase{"fat16", {"-p 1"}}, ImageCase{"fat32", {"-p 1"}},
                      ImageCase{"ntfs", {"-p 1"}}, ImageCase{"fat32-reformatted", {"-p 1"}},
                      ImageCase{"mbr-primary", {"-p 1", "-p 2", "-p 3"}},
                      ImageCase{"mbr-extended", {"-p 2", "-p 4"}},
                      // Its table is refused (the partition ends at the disk's end): a range.
                      ImageCase{"mbr-near-end", {"--start 73728 --end 81920 --kind FAT16"}},
                      ImageCase{"fat-two-volumes", {"-p 2"}}, ImageCase{"ntfs-disk", {"-p 1"}}),
    [](const ::testing::TestParamInfo<ImageCase>& param) {
        std::string name = param.param.image;
        for (char& ch : name)
            if (ch == '-') ch = '_';
        return name;
    });

}  // namespace
}  // namespace datrevo
