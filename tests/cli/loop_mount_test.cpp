// The read-only promise through a loop device: a copy of the NTFS fixture is
// attached read-write with losetup and mounted with ntfs-3g; saving into that
// mount would write into the image being recovered, so it is refused whether
// the disk is named by the image file or by the loop device, and the image
// keeps its bytes. Skipped where loop devices cannot be set up.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

#include "support/cli_command.h"
#include "support/image_fixture.h"

namespace datrevo {
namespace {

namespace fs = std::filesystem;
using test::RunCommand;
using test::ShellQuote;

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// The image attached to a loop device and mounted; detached and unmounted
// again on destruction, whatever the test did.
class LoopMount {
public:
    explicit LoopMount(const fs::path& image) : mountPoint_(image.parent_path() / "mnt") {
        const auto attached =
            RunCommand("losetup --find --show " + ShellQuote(image.string()) + " 2>/dev/null");
        if (attached.status != 0 || attached.output.empty()) {
            why_ = "losetup failed";
            return;
        }
        device_ = Trimmed(attached.output);
        fs::create_directory(mountPoint_);
        // noatime: reading the mount must not write access times into the image.
        if (RunCommand("ntfs-3g -o noatime " + ShellQuote(device_) + " " +
                       ShellQuote(mountPoint_.string()) + " 2>/dev/null")
                .status != 0) {
            why_ = "ntfs-3g could not mount " + device_;
            return;
        }
        mounted_ = true;
    }
    ~LoopMount() {
        if (mounted_) RunCommand("umount " + ShellQuote(mountPoint_.string()) + " 2>/dev/null");
        if (!device_.empty()) RunCommand("losetup -d " + ShellQuote(device_) + " 2>/dev/null");
    }
    LoopMount(const LoopMount&) = delete;
    LoopMount& operator=(const LoopMount&) = delete;

    bool ready() const { return mounted_; }
    const std::string& why() const { return why_; }
    const std::string& device() const { return device_; }
    const fs::path& mountPoint() const { return mountPoint_; }

private:
    fs::path mountPoint_;
    std::string device_;
    bool mounted_ = false;
    std::string why_;
};

std::string Md5(const fs::path& file) {
    RunCommand("sync");
    return RunCommand("md5sum " + ShellQuote(file.string())).output.substr(0, 32);
}

TEST(LoopMountDestination,
     SavingIntoAFileSystemMountedFromTheImageIsRefusedAndTheImageKeepsItsBytes) {
    if (::geteuid() != 0) GTEST_SKIP() << "loop devices need root";
    if (!fs::exists("/dev/loop-control")) GTEST_SKIP() << "no /dev/loop-control";
    if (RunCommand("command -v losetup && command -v ntfs-3g").status != 0)
        GTEST_SKIP() << "no losetup or ntfs-3g";
    const fs::path dir = test::MakeTempDir("loop");
    const fs::path image = dir / "ntfs.img";
    {
        const std::vector<std::uint8_t> bytes =
            test::ReadGzip(std::string(DATREVO_FIXTURE_DIR) + "/images/ntfs.img.gz");
        std::ofstream(image, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    {
        LoopMount mount(image);
        if (!mount.ready()) {
            fs::remove_all(dir);
            GTEST_SKIP() << mount.why();
        }
        // The bytes as they are once mounted (mounting may mark the volume).
        const std::string before = Md5(image);
        for (const std::string& disk : {image.string(), mount.device()}) {
            SCOPED_TRACE(disk);
            const fs::path destination = mount.mountPoint() / "recovered";
            const auto result = RunCommand(test::Cli("search ") + ShellQuote(disk) + " --save " +
                                           ShellQuote(destination.string()) + " 2>&1");
            EXPECT_EQ(result.status, 2) << result.output;
            EXPECT_NE(result.output.find("disk"), std::string::npos) << result.output;
            struct stat info {};
            EXPECT_NE(::stat(destination.c_str(), &info), 0) << "nothing was created in the mount";
            EXPECT_EQ(Md5(image), before) << "the image being recovered was written";
        }
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace datrevo
