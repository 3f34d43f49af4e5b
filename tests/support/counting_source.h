// A source that counts what is read through it: the number of reads, the
// sectors they touched, and how often each sector was read. Wraps another
// source (a fixture file, bytes in memory) or stands alone as a disk of zeros
// of any size, which holds no bytes at all.
#pragma once

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "disk/sector_source.h"

namespace datrevo::test {

class CountingSource final : public SectorSource {
public:
    explicit CountingSource(std::shared_ptr<const SectorSource> inner)
        : inner_(std::move(inner)), size_(inner_->sizeInBytes()) {}
    // A disk of `bytes` zero bytes.
    explicit CountingSource(std::uint64_t bytes) : size_(bytes) {}

    bool isOpen() const override { return !inner_ || inner_->isOpen(); }
    int openError() const override { return inner_ ? inner_->openError() : 0; }
    std::uint64_t sizeInBytes() const override { return size_; }
    const std::string& name() const override { return inner_ ? inner_->name() : name_; }

    SourceRead readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        SourceRead result;
        if (inner_) {
            result = inner_->readAt(offset, out);
        } else if (offset < size_) {
            result.bytesRead =
                static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), size_ - offset));
            std::memset(out.data(), 0, result.bytesRead);
        }
        std::lock_guard lock(mutex_);
        ++reads_;
        sectorsRead_ += (result.bytesRead + 511) / 512;
        if (keepSectors_)
            for (std::uint64_t s = offset / 512; s * 512 < offset + result.bytesRead; ++s)
                ++timesRead_[s];
        return result;
    }

    // Read-ahead hints are recorded as (first byte, bytes), and passed on.
    void willRead(std::uint64_t offset, std::uint64_t length) const override {
        if (inner_) inner_->willRead(offset, length);
        std::lock_guard lock(mutex_);
        hints_.emplace_back(offset, length);
    }
    std::vector<std::pair<std::uint64_t, std::uint64_t>> hints() const {
        std::lock_guard lock(mutex_);
        return hints_;
    }

    // Counts per sector are kept only when asked: a scan of a large disk
    // would otherwise fill the map.
    void keepSectors(bool keep) { keepSectors_ = keep; }
    std::uint64_t reads() const {
        std::lock_guard lock(mutex_);
        return reads_;
    }
    std::uint64_t sectorsRead() const {
        std::lock_guard lock(mutex_);
        return sectorsRead_;
    }
    std::map<std::uint64_t, int> timesRead() const {
        std::lock_guard lock(mutex_);
        return timesRead_;
    }

private:
    std::shared_ptr<const SectorSource> inner_;
    std::uint64_t size_ = 0;
    std::string name_ = "zeros";
    bool keepSectors_ = false;
    mutable std::mutex mutex_;
    mutable std::uint64_t reads_ = 0;
    mutable std::uint64_t sectorsRead_ = 0;
    mutable std::map<std::uint64_t, int> timesRead_;
    mutable std::vector<std::pair<std::uint64_t, std::uint64_t>> hints_;
};

}  // namespace datrevo::test
