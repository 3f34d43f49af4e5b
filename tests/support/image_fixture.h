// Disk images for tests: the committed fixtures (gzip), the public evaluation
// images (optional: tests skip when they are absent), and the proof that a
// test left its image unchanged.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace datrevo::test {

// A private copy of an image in a temporary folder. On destruction the copy's
// bytes and modification time are compared with those it had when it was
// made; a difference fails the running test.
class ImageCopy {
public:
    explicit ImageCopy(std::filesystem::path path);
    ~ImageCopy();
    ImageCopy(ImageCopy&&) = delete;
    ImageCopy& operator=(ImageCopy&&) = delete;

    const std::string& path() const { return path_; }
    std::uint64_t sizeInBytes() const { return size_; }
    // Checks now (also done on destruction); true when unchanged.
    bool unchanged() const;

private:
    std::string path_;
    std::uint64_t size_ = 0;
    std::uint64_t digest_ = 0;
    std::int64_t mtimeNanoseconds_ = 0;
};

// Unpacks tests/fixtures/images/<name>.img.gz.
std::unique_ptr<ImageCopy> FixtureImage(const std::string& name);
// Unpacks samples/<name>.img.gz.
std::unique_ptr<ImageCopy> SampleImage(const std::string& name);
// Writes `bytes` to a temporary image file (crafted disks).
std::unique_ptr<ImageCopy> CraftedImage(const std::vector<std::uint8_t>& bytes);

// The public evaluation folder, when present.
std::optional<std::filesystem::path> PublicEvalDir();
// Unpacks member `member` of a public zip (dftt/...), or a public .gz;
// nothing when the public folder is absent.
std::unique_ptr<ImageCopy> PublicZipImage(const std::string& zip, const std::string& member);
std::unique_ptr<ImageCopy> PublicGzImage(const std::string& gz);

// Reads a whole gzip file; throws on failure.
std::vector<std::uint8_t> ReadGzip(const std::filesystem::path& path);
// A new empty temporary folder, removed by the caller.
std::filesystem::path MakeTempDir(const std::string& stem);

// Runs a command line, returning its exit status and standard output.
struct CommandResult {
    int status = -1;
    std::string output;
};
CommandResult RunCommand(const std::string& command);
// "'path'" quoted for the shell.
std::string ShellQuote(const std::string& text);

}  // namespace datrevo::test
