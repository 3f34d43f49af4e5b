// A block device or a disk-image file, opened read-only.
#pragma once

#include <string>

#include "disk/sector_source.h"

namespace datrevo {

class FileSource final : public SectorSource {
public:
    // Opens `path` with O_RDONLY: never for writing, whatever the caller.
    explicit FileSource(std::string path);
    // Takes over `fd`, a descriptor of `path` that someone else opened (a
    // broker such as udisks2). A descriptor open for writing is closed and the
    // source fails as not open (openError EBADF), so that nothing here ever
    // holds a way to write to the medium.
    FileSource(std::string path, int fd);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    bool isOpen() const override { return fd_ >= 0; }
    int openError() const override { return openError_; }
    std::uint64_t sizeInBytes() const override { return size_; }
    SourceRead readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;
    void willRead(std::uint64_t offset, std::uint64_t length) const override;
    const std::string& name() const override { return path_; }

private:
    void measure();  // the size of the open device or file

    std::string path_;
    int fd_ = -1;
    int openError_ = 0;
    std::uint64_t size_ = 0;
};

// The message for a disk that cannot be opened, with the fix where there is one.
std::string OpenFailureMessage(const std::string& path, int error);

}  // namespace datrevo
