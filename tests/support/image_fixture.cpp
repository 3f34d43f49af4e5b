#include "support/image_fixture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

#include "support/public_eval.h"

namespace datrevo::test {
namespace fs = std::filesystem;
namespace {

std::uint64_t Fnv1a(const fs::path& path, std::uint64_t& size) {
    std::ifstream in(path, std::ios::binary);
    std::uint64_t hash = 1469598103934665603ull;
    size = 0;
    std::vector<char> block(1 << 20);
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        for (std::size_t i = 0; i < got; ++i) {
            hash ^= static_cast<unsigned char>(block[i]);
            hash *= 1099511628211ull;
        }
        size += got;
    }
    return hash;
}

std::int64_t MtimeNanoseconds(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return -1;
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

fs::path TempRoot() {
    const char* dir = std::getenv("TMPDIR");
    return dir != nullptr ? fs::path(dir) : fs::temp_directory_path();
}

fs::path UniqueTempPath(const std::string& stem) {
    static std::mt19937_64 random{std::random_device{}()};
    return TempRoot() / ("datrevo-" + stem + "-" + std::to_string(random()));
}

std::unique_ptr<ImageCopy> CopyFromBytes(const std::vector<std::uint8_t>& bytes,
                                         const std::string& stem) {
    const fs::path path = UniqueTempPath(stem).concat(".img");
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
    return std::make_unique<ImageCopy>(path);
}

}  // namespace

ImageCopy::ImageCopy(fs::path path) : path_(path.string()) {
    digest_ = Fnv1a(path_, size_);
    mtimeNanoseconds_ = MtimeNanoseconds(path_);
}

bool ImageCopy::unchanged() const {
    std::uint64_t size = 0;
    const std::uint64_t digest = Fnv1a(path_, size);
    return size == size_ && digest == digest_ && MtimeNanoseconds(path_) == mtimeNanoseconds_;
}

ImageCopy::~ImageCopy() {
    EXPECT_TRUE(unchanged()) << "the image " << path_ << " was modified";
    std::error_code error;
    fs::remove(path_, error);
}

std::vector<std::uint8_t> ReadGzip(const fs::path& path) {
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr) throw std::runtime_error("cannot open " + path.string());
    std::vector<std::uint8_t> bytes;
    std::vector<std::uint8_t> block(1 << 20);
    int got = 0;
    while ((got = gzread(file, block.data(), static_cast<unsigned>(block.size()))) > 0)
        bytes.insert(bytes.end(), block.begin(), block.begin() + got);
    const bool failed = got < 0;
    gzclose(file);
    if (failed) throw std::runtime_error("cannot unpack " + path.string());
    return bytes;
}

std::unique_ptr<ImageCopy> FixtureImage(const std::string& name) {
    return CopyFromBytes(ReadGzip(fs::path(DATREVO_FIXTURE_DIR) / "images" / (name + ".img.gz")),
                         name);
}

std::unique_ptr<ImageCopy> SampleImage(const std::string& name) {
    return CopyFromBytes(ReadGzip(fs::path(DATREVO_SAMPLES_DIR) / (name + ".img.gz")), name);
}

std::unique_ptr<ImageCopy> CraftedImage(const std::vector<std::uint8_t>& bytes) {
    return CopyFromBytes(bytes, "crafted");
}

std::optional<fs::path> PublicEvalDirAt(const fs::path& dir) {
    std::error_code error;
    if (fs::is_directory(dir, error)) return dir;
    if (std::getenv("CI") != nullptr)
        throw std::runtime_error("CI is set but the public evaluation folder " + dir.string() +
                                 " is missing: its checks cannot be skipped in CI");
    return std::nullopt;
}

std::optional<fs::path> PublicEvalDir() { return PublicEvalDirAt(DATREVO_PUBLIC_EVAL_DIR); }

std::unique_ptr<ImageCopy> PublicZipImage(const std::string& zip, const std::string& member) {
    const auto dir = PublicEvalDir();
    if (!dir) return nullptr;
    const fs::path target = UniqueTempPath("public").concat(".img");
    const CommandResult unzip =
        RunCommand("unzip -p " + ShellQuote((*dir / zip).string()) + " " + ShellQuote(member) +
                   " > " + ShellQuote(target.string()));
    if (unzip.status != 0) throw std::runtime_error("cannot unzip " + member + " of " + zip);
    return std::make_unique<ImageCopy>(target);
}

std::unique_ptr<ImageCopy> PublicGzImage(const std::string& gz) {
    const auto dir = PublicEvalDir();
    if (!dir) return nullptr;
    return CopyFromBytes(ReadGzip(*dir / gz), "public");
}

fs::path MakeTempDir(const std::string& stem) {
    const fs::path dir = UniqueTempPath(stem);
    fs::create_directories(dir);
    return dir;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    char block[4096];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, pipe)) > 0) result.output.append(block, got);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace datrevo::test
