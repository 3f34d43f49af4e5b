// The I/O seam under the sector reader: where the bytes of a disk come from.
//
// A source is a block device or an image file (FileSource), bytes in memory
// (MemorySource) or, in tests, a source that fails on purpose. Sources are
// read-only: nothing in this program can write through them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace datrevo {

struct SourceRead {
    std::size_t bytesRead = 0;  // bytes placed at the start of the buffer
    int error = 0;              // errno of the failure, 0 when none
};

class SectorSource {
public:
    virtual ~SectorSource() = default;

    // Whether the source could be opened at all. A source that is not open
    // fails every read without touching the buffer.
    virtual bool isOpen() const = 0;
    // The errno of a failed open, 0 when open.
    virtual int openError() const = 0;
    // Size of the medium in bytes (0 when unknown).
    virtual std::uint64_t sizeInBytes() const = 0;
    // Reads up to out.size() bytes at `offset` into the start of `out`; the
    // bytes past bytesRead are left as they were. Safe to call from several
    // threads at once.
    virtual SourceRead readAt(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
    // A hint that `length` bytes at `offset` will be read soon: a source may
    // start fetching them from the medium while the caller works on what it
    // read before. Nothing is read into the program and nothing is written.
    virtual void willRead(std::uint64_t /*offset*/, std::uint64_t /*length*/) const {}
    // The path or name shown to the user.
    virtual const std::string& name() const = 0;
};

}  // namespace datrevo
