// Saving from the command line: a destination that cannot take the save is
// refused before the disk is read; the exit status tells a stopped search
// (5) and a save with failed or incomplete files (6) from a finished one;
// errors go to stderr.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/cli_command.h"
#include "support/image_fixture.h"
#include "support/text_file.h"

extern char** environ;

namespace datrevo {
namespace {

namespace fs = std::filesystem;
using test::Contains;
using test::ReadFileText;
using test::RunCommand;
using test::ShellQuote;

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

// datrevo-cli with the open guard on `image`, counting its reads; stdout
// and stderr apart. `prefix` goes before the program (e.g. setpriv).
CliRun GuardedCli(const std::string& image, const std::string& arguments,
                  const std::string& prefix = "") {
    const fs::path dir = test::MakeTempDir("cli-err");
    const fs::path err = dir / "stderr";
    const auto result =
        RunCommand("DATREVO_GUARDED_PATH=" + ShellQuote(image) + " DATREVO_COUNT_READS=1" +
                   " LD_PRELOAD=" + ShellQuote(DATREVO_OPEN_GUARD_PATH) +
                   " ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=1 " + prefix + " " +
                   test::Cli(arguments) + " 2>" + ShellQuote(err.string()));
    CliRun run{result.status, result.output, ReadFileText(err)};
    fs::remove_all(dir);
    return run;
}

constexpr const char* kNoReads = "open_guard: 0 reads of the guarded file";

TEST(SaveDestinationCli, AnUnusableDestinationIsRefusedBeforeTheDiskIsRead) {
    const auto image = test::FixtureImage("fat32");
    const fs::path dir = test::MakeTempDir("dest");
    std::ofstream(dir / "notes.txt") << "text";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {(dir / "notes.txt").string(), "not a folder"},
        {(dir / "notes.txt/sub").string(), "is a file"},
        {image->path(), "disk image being recovered"},
        {"/proc/recovered", "file system of the kernel"},
    };
    for (const auto& [destination, reason] : cases) {
        SCOPED_TRACE(destination);
        for (const std::string& command :
             {"search " + ShellQuote(image->path()) + " --tsv --save ",
              "search " + ShellQuote(image->path()) +
                  " --mode advance --start 0 --end 100000 --kind FAT32 --save "}) {
            const CliRun run = GuardedCli(image->path(), command + ShellQuote(destination));
            EXPECT_EQ(run.status, 2) << run.err;
            EXPECT_TRUE(Contains(run.err, reason)) << run.err;
            EXPECT_TRUE(Contains(run.err, kNoReads)) << run.err;
            EXPECT_EQ(run.out, "") << "no listing: the search did not run";
        }
    }
    EXPECT_EQ(ReadFileText(dir / "notes.txt"), "text");
    fs::remove_all(dir);
}

TEST(SaveDestinationCli, LoadingALogChecksTheDestinationFirstToo) {
    const auto image = test::FixtureImage("fat16");
    const fs::path dir = test::MakeTempDir("dest");
    const std::string log = (dir / "scan.MPD").string();
    ASSERT_EQ(
        RunCommand(test::Cli("search ") + ShellQuote(image->path()) + " --log " + ShellQuote(log))
            .status,
        0);
    const CliRun run = GuardedCli(log, "load " + ShellQuote(log) + " " + ShellQuote(image->path()) +
                                           " --save /proc/recovered");
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_TRUE(Contains(run.err, kNoReads)) << "the log was not read: " << run.err;
    fs::remove_all(dir);
}

TEST(SaveDestinationCli, AFolderWithoutWritePermissionIsRefusedAtOnceWithItsReasonOnStderr) {
    const auto image = test::FixtureImage("fat32");
    const fs::path dir = test::MakeTempDir("dest");
    const fs::path locked = dir / "locked";
    fs::create_directory(locked);
    // Root may write anywhere: the program runs as nobody then.
    std::string prefix;
    if (::geteuid() == 0) {
        if (RunCommand("command -v setpriv >/dev/null").status != 0) GTEST_SKIP() << "no setpriv";
        prefix = "setpriv --reuid=nobody --regid=nogroup --clear-groups";
        fs::permissions(dir, fs::perms::all, fs::perm_options::add);
        fs::permissions(fs::path(image->path()).parent_path(),
                        fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
        fs::permissions(image->path(), fs::perms::others_read, fs::perm_options::add);
    }
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    for (const fs::path& destination : {locked, locked / "copies" / "deeper"}) {
        SCOPED_TRACE(destination);
        const CliRun run = GuardedCli(
            image->path(),
            "search " + ShellQuote(image->path()) + " --save " + ShellQuote(destination.string()),
            prefix);
        EXPECT_EQ(run.status, 2) << run.out << run.err;
        EXPECT_TRUE(Contains(run.err, "Permission denied")) << run.err;
        EXPECT_TRUE(Contains(run.err, locked.string())) << run.err;
        EXPECT_FALSE(Contains(run.err + run.out, "No such file")) << run.err;
        EXPECT_TRUE(Contains(run.err, kNoReads)) << run.err;
        EXPECT_FALSE(Contains(run.out, "Nothing saved")) << "errors go to stderr";
    }
    fs::permissions(locked, fs::perms::owner_all);
    fs::remove_all(dir);
}

TEST(SaveExitStatus, AFinishedSaveWithAFailedFileExitsSixAndListsIt) {
    const auto image = test::FixtureImage("fat32");
    const fs::path dir = test::MakeTempDir("save");
    // A folder stands where a file of Music is to be written.
    const std::string name = "Artist One/Album A/01 First Track.mp3";
    fs::create_directories(dir / "Music" / name);
    const CliRun run = GuardedCli(image->path(), "search " + ShellQuote(image->path()) +
                                                     " --select Music --save " +
                                                     ShellQuote(dir.string()) + " --overwrite");
    EXPECT_EQ(run.status, 6) << run.out << run.err;
    EXPECT_TRUE(Contains(run.out, "Save finished.")) << run.out;
    // Paths in the summary are '/'-separated, as --select and --list take them.
    EXPECT_TRUE(Contains(run.out, "Failures:\n  Music/Artist One/Album A/01 First Track.mp3: "))
        << run.out;
    EXPECT_TRUE(Contains(run.err, "error: 1 failed")) << run.err;
    fs::remove_all(dir);
}

TEST(SaveExitStatus, HelpListsTheExitStatuses) {
    for (const char* command : {"--help", "search --help"}) {
        const auto help = RunCommand(test::CliProgram() + " " + command);
        EXPECT_TRUE(Contains(help.output, "5 stopped by the user")) << help.output;
        EXPECT_TRUE(Contains(help.output, "6 saved, but some files")) << help.output;
    }
}

// --- Ctrl-C ---

void Put(int fd, std::uint64_t offset, const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)),
              static_cast<ssize_t>(bytes.size()));
}

void Le(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<std::uint8_t> DirEntry(const char* name83, std::uint8_t attributes,
                                   std::uint32_t cluster, std::uint32_t size) {
    std::vector<std::uint8_t> entry(32, 0);
    std::copy(name83, name83 + 11, entry.begin());
    entry[11] = attributes;
    Le(entry, 20, cluster >> 16, 2);
    Le(entry, 26, cluster & 0xFFFF, 2);
    Le(entry, 28, size, 4);
    Le(entry, 24, (46u << 9) | (3u << 5) | 14u, 2);  // 14 March 2026
    return entry;
}

// A sparse 64 GiB disk with one FAT32 partition of one-sector clusters: a
// folder MUSIC with a file near the start, then zeros that take the cluster
// scan minutes to read.
fs::path MakeHugeFat32(const fs::path& dir) {
    constexpr std::uint64_t kDiskSectors = 64ull << 21;  // 64 GiB
    constexpr std::uint64_t kStart = 2048;
    constexpr std::uint64_t kSectors = kDiskSectors - kStart;
    constexpr std::uint64_t kReserved = 32;
    constexpr std::uint64_t kFatSectors = (kSectors + 2) * 4 / 512 + 1;
    const fs::path path = dir / "huge.img";
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::ftruncate(fd, static_cast<off_t>(kDiskSectors * 512)), 0);
    std::vector<std::uint8_t> mbr(512, 0);
    mbr[0x1BE + 4] = 0x0C;
    Le(mbr, 0x1BE + 8, kStart, 4);
    Le(mbr, 0x1BE + 12, kSectors, 4);
    mbr[510] = 0x55;
    mbr[511] = 0xAA;
    Put(fd, 0, mbr);
    std::vector<std::uint8_t> boot(512, 0);
    boot[0] = 0xEB;
    boot[1] = 0x58;
    boot[2] = 0x90;
    std::copy_n("MSWIN4.1", 8, boot.begin() + 3);
    Le(boot, 11, 512, 2);
    boot[13] = 1;
    Le(boot, 14, kReserved, 2);
    boot[16] = 2;
    boot[21] = 0xF8;
    Le(boot, 24, 63, 2);
    Le(boot, 26, 255, 2);
    Le(boot, 28, kStart, 4);
    Le(boot, 32, kSectors, 4);
    Le(boot, 36, kFatSectors, 4);
    Le(boot, 44, 2, 4);
    Le(boot, 48, 1, 2);
    boot[66] = 0x29;
    std::copy_n("NO NAME    FAT32   ", 19, boot.begin() + 71);
    boot[510] = 0x55;
    boot[511] = 0xAA;
    Put(fd, kStart * 512, boot);
    std::vector<std::uint8_t> fat(512, 0);
    for (std::size_t cluster = 0; cluster < 5; ++cluster) Le(fat, cluster * 4, 0x0FFFFFFF, 4);
    fat[0] = 0xF8;  // the media byte
    Put(fd, (kStart + kReserved) * 512, fat);
    Put(fd, (kStart + kReserved + kFatSectors) * 512, fat);
    const std::uint64_t data = kStart + kReserved + 2 * kFatSectors;  // cluster 2
    std::vector<std::uint8_t> root = DirEntry("MUSIC      ", 0x10, 3, 0);
    root.resize(512, 0);
    Put(fd, data * 512, root);
    std::vector<std::uint8_t> music = DirEntry(".          ", 0x10, 3, 0);
    const std::vector<std::uint8_t> up = DirEntry("..         ", 0x10, 0, 0);
    const std::vector<std::uint8_t> song = DirEntry("SONG    MP3", 0x20, 4, 11);
    music.insert(music.end(), up.begin(), up.end());
    music.insert(music.end(), song.begin(), song.end());
    music.resize(512, 0);
    Put(fd, (data + 1) * 512, music);
    const std::string bytes = "song bytes\n";
    std::vector<std::uint8_t> content(bytes.begin(), bytes.end());
    content.resize(512, 0);
    Put(fd, (data + 2) * 512, content);
    ::close(fd);
    return path;
}

// Runs the command line, presses Ctrl-C once its cluster scan is under way
// and waits for it to end.
CliRun InterruptedCli(const std::string& arguments, const fs::path& dir) {
    const fs::path out = dir / "stdout";
    const fs::path err = dir / "stderr";
    const std::string command = "exec " + test::CliWithProgress(arguments) + " >" +
                                ShellQuote(out.string()) + " 2>" + ShellQuote(err.string());
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    pid_t pid = 0;
    EXPECT_EQ(::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ),
              0);
    // The cluster scan's counter has passed the start, where the folder is.
    const std::regex progress(R"(Sectors +[1-9])");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    int status = 0;
    bool signalled = false;
    bool ended = false;
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            ended = true;
            break;
        }
        if (!signalled && std::regex_search(ReadFileText(err), progress)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ::kill(pid, SIGINT);
            signalled = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!ended) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        ADD_FAILURE() << "the search did not end after Ctrl-C: " << ReadFileText(err);
    }
    EXPECT_TRUE(signalled) << "the search ended before Ctrl-C: " << ReadFileText(err);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileText(out), ReadFileText(err)};
}

TEST(SaveExitStatus, CtrlCStopsTheSearchListsWhatWasFoundSavesNothingAndExitsFive) {
    const fs::path dir = test::MakeTempDir("ctrl-c");
    const fs::path image = MakeHugeFat32(dir);
    const fs::path destination = dir / "recovered";
    const CliRun run = InterruptedCli("search " + ShellQuote(image.string()) + " --files --save " +
                                          ShellQuote(destination.string()),
                                      dir);
    EXPECT_EQ(run.status, 5) << run.out << run.err;
    EXPECT_TRUE(Contains(run.out, "MUSIC")) << "the listing of what was found: " << run.out;
    EXPECT_TRUE(Contains(run.err, "Search stopped")) << run.err;
    EXPECT_FALSE(fs::exists(destination / "MUSIC")) << "the save did not start";
    fs::remove_all(dir);
}

}  // namespace
}  // namespace datrevo
