// Helpers shared by the fuzz targets: a disk in memory made from the fuzzer's
// bytes, and a prompter that answers every question with its safe default.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "base/limits.h"
#include "base/prompter.h"
#include "disk/disk_reader.h"
#include "disk/memory_source.h"

namespace datrevo::fuzz {

// The bytes rounded up to whole sectors (at least `minSectors`), zero-padded,
// as a disk read through the sector reader.
inline DiskReader MemoryDisk(const std::uint8_t* data, std::size_t size,
                             std::size_t minSectors = 1) {
    std::size_t sectors = (size + limits::kSectorSize - 1) / limits::kSectorSize;
    if (sectors < minSectors) sectors = minSectors;
    std::vector<std::uint8_t> bytes(sectors * limits::kSectorSize, 0);
    if (size != 0) std::copy(data, data + size, bytes.begin());
    return DiskReader(std::make_shared<MemorySource>(std::move(bytes), "fuzz"), nullptr);
}

class DefaultAnswers final : public Prompter {
public:
    void showMessage(std::string_view, MessageIcon, std::string_view) override {}
    bool askYesNo(std::string_view, std::string_view) override { return false; }
    std::size_t askChoice(std::string_view, const std::vector<std::string>&,
                          std::size_t defaultAnswer, std::string_view) override {
        return defaultAnswer;
    }
};

}  // namespace datrevo::fuzz
