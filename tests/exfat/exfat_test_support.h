// Opening the exFAT fixtures and crafting exFAT bytes for the tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "disk/disk_reader.h"
#include "disk/file_source.h"
#include "exfat/exfat_boot_region.h"
#include "exfat/exfat_entry_set.h"
#include "exfat/exfat_volume.h"
#include "support/image_fixture.h"

namespace datrevo::test {

inline DiskReader ExfatReaderFor(const ImageCopy& image) {
    return DiskReader(std::make_shared<FileSource>(image.path()), nullptr);
}

// The volume at `start` of the image, from its boot region (main or backup).
inline std::unique_ptr<ExfatVolume> OpenExfatVolume(const DiskReader& disk,
                                                    std::uint64_t start = 0) {
    const ExfatBootRead read = ReadExfatBootRegion(disk, start);
    if (read.decode.outcome != ExfatDecode::Decoded) return nullptr;
    return std::make_unique<ExfatVolume>(disk, start, read.decode.boot);
}

// md5 of each byte string, by key, computed by md5sum over files in a temporary folder.
inline std::map<std::string, std::string> Md5Of(
    const std::map<std::string, std::vector<std::uint8_t>>& contents) {
    const std::filesystem::path dir = MakeTempDir("datrevo-exfat");
    std::map<std::string, std::string> fileOf;
    int n = 0;
    for (const auto& [key, bytes] : contents) {
        const std::string name = "f" + std::to_string(n++);
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        fileOf[name] = key;
    }
    const CommandResult result = RunCommand("cd " + ShellQuote(dir.string()) + " && md5sum f*");
    std::map<std::string, std::string> out;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);)
        if (line.size() > 34) out[fileOf[line.substr(34)]] = line.substr(0, 32);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
    return out;
}

// Entry-set bytes as a formatter writes them: File, Stream Extension and
// File Name entries for `name` (ASCII or UTF-16 units), checksum set.
struct CraftedSet {
    std::u16string name = u"file.txt";
    std::uint16_t attributes = 0x20;
    std::uint8_t streamFlags = 0x03;  // allocation possible, NoFatChain
    std::uint32_t firstCluster = 5;
    std::uint64_t dataLength = 100;
    std::uint64_t validDataLength = 100;
    std::uint32_t modified = 0;
    std::uint8_t modified10ms = 0;
    std::uint8_t modifiedUtcOffset = 0;

    std::vector<std::uint8_t> bytes(bool deleted = false) const {
        const std::size_t names = (name.size() + 14) / 15;
        std::vector<std::uint8_t> out((2 + names) * 32, 0);
        const auto put = [&](std::size_t at, std::uint64_t value, int width) {
            for (int i = 0; i < width; ++i)
                out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
        };
        out[0] = 0x85;
        out[1] = static_cast<std::uint8_t>(1 + names);
        put(4, attributes, 2);
        put(exfat_file::kModifiedTimestamp, modified, 4);
        out[exfat_file::kModified10ms] = modified10ms;
        out[exfat_file::kModifiedUtcOffset] = modifiedUtcOffset;
        out[32] = 0xC0;
        out[32 + 1] = streamFlags;
        out[32 + 3] = static_cast<std::uint8_t>(name.size());
        put(32 + 8, validDataLength, 8);
        put(32 + 20, firstCluster, 4);
        put(32 + 24, dataLength, 8);
        for (std::size_t i = 0; i < names; ++i) {
            out[(2 + i) * 32] = 0xC1;
            for (std::size_t j = 0; j < 15 && i * 15 + j < name.size(); ++j)
                put((2 + i) * 32 + 2 + 2 * j, name[i * 15 + j], 2);
        }
        put(2, ExfatSetChecksum(out), 2);
        if (deleted)
            for (std::size_t i = 0; i < out.size(); i += 32) out[i] &= 0x7F;
        return out;
    }
};

}  // namespace datrevo::test
