// A disk held in memory: for tests, fuzzers and crafted structures.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "disk/sector_source.h"

namespace datrevo {

class MemorySource final : public SectorSource {
public:
    explicit MemorySource(std::vector<std::uint8_t> bytes, std::string name = "memory")
        : bytes_(std::move(bytes)), name_(std::move(name)) {}

    bool isOpen() const override { return true; }
    int openError() const override { return 0; }
    std::uint64_t sizeInBytes() const override { return bytes_.size(); }
    SourceRead readAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
        SourceRead result;
        if (offset >= bytes_.size()) return result;
        result.bytesRead =
            static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), bytes_.size() - offset));
        std::memcpy(out.data(), bytes_.data() + offset, result.bytesRead);
        return result;
    }
    const std::string& name() const override { return name_; }

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::string name_;
};

}  // namespace datrevo
