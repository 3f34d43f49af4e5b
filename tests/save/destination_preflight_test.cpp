// The destination checked before anything is read: a file, the image, a
// kernel file system, a folder that cannot be written; and the reason of
// the first failing call when the folder cannot be created.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "save/destination.h"
#include "save/destination_check.h"
#include "save/destination_preflight.h"
#include "save_support.h"
#include "support/text_file.h"

namespace datrevo {
namespace {

namespace fs = std::filesystem;
using test::Contains;

std::size_t EntriesIn(const fs::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::recursive_directory_iterator(folder)) ++count;
    return count;
}

TEST(DestinationPreflight, AFolderThatExistsOrCanBeCreatedPassesAndNothingIsLeftBehind) {
    test::TempFolder out;
    std::ofstream(out.path / "card.img") << "image";
    const std::string disk = (out.path / "card.img").string();
    const std::size_t before = EntriesIn(out.path);
    EXPECT_EQ(SaveDestinationProblem(out.path.string(), disk), "");
    EXPECT_EQ(SaveDestinationProblem((out.path / "new/deeper").string(), disk), "");
    EXPECT_EQ(EntriesIn(out.path), before) << "the check creates nothing";
}

TEST(DestinationPreflight, AFileTheImageAndAPathThroughAFileAreRefused) {
    test::TempFolder out;
    std::ofstream(out.path / "card.img") << "image";
    std::ofstream(out.path / "notes.txt") << "text";
    const std::string disk = (out.path / "card.img").string();
    const std::string file = SaveDestinationProblem((out.path / "notes.txt").string(), disk);
    EXPECT_TRUE(Contains(file, "notes.txt") && Contains(file, "not a folder")) << file;
    const std::string below =
        SaveDestinationProblem((out.path / "notes.txt/copies").string(), disk);
    EXPECT_TRUE(Contains(below, "notes.txt is a file")) << below;
    EXPECT_EQ(SaveDestinationProblem(disk, disk), kDestinationIsImageMessage);
    EXPECT_EQ(SaveDestinationProblem("", disk), "No destination folder given.");
}

TEST(DestinationPreflight, KernelFileSystemsAreRefused) {
    for (const char* path : {"/proc/recovered", "/proc", "/sys/recovered"}) {
        const std::string problem = SaveDestinationProblem(path, "/nonexistent/disk");
        EXPECT_TRUE(Contains(problem, "file system of the kernel")) << path << ": " << problem;
    }
}

TEST(DestinationPreflight, AFolderWithoutWritePermissionIsRefusedWithItsReason) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes anywhere; the command-line test covers it as nobody";
    test::TempFolder out;
    const fs::path locked = out.path / "locked";
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    const std::string existing = SaveDestinationProblem(locked.string(), "/nonexistent/disk");
    const std::string created =
        SaveDestinationProblem((locked / "new").string(), "/nonexistent/disk");
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_TRUE(Contains(existing, "Permission denied")) << existing;
    EXPECT_TRUE(Contains(created, "Permission denied") && Contains(created, locked.string()))
        << created;
}

TEST(DestinationOpen, AFolderThatCannotBeCreatedIsReportedWithTheFirstFailingCall) {
    // mkdir in sysfs is refused (EPERM for root, EACCES for others); the
    // open that follows would say "No such file or directory".
    WriteFailure failure;
    EXPECT_FALSE(Destination::Open("/sys/datrevo-destination/copies", failure));
    EXPECT_NE(failure.error, ENOENT) << failure.message;
    EXPECT_TRUE(Contains(failure.message, "/sys/datrevo-destination")) << failure.message;
    EXPECT_TRUE(Contains(failure.message, "Permission denied")) << failure.message;
    EXPECT_FALSE(Contains(failure.message, "No such file")) << failure.message;
}

TEST(DestinationOpen, AFileInThePathIsNamed) {
    test::TempFolder out;
    std::ofstream(out.path / "notes.txt") << "text";
    WriteFailure failure;
    EXPECT_FALSE(Destination::Open((out.path / "notes.txt/copies").string(), failure));
    EXPECT_EQ(failure.error, ENOTDIR);
    EXPECT_TRUE(Contains(failure.message, "notes.txt/copies")) << failure.message;
}

}  // namespace
}  // namespace datrevo
