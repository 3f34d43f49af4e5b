// Small recovery logs for the log tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "log/log_contents.h"

namespace datrevo::test {

// Appends little-endian values and raw texts, to spell out expected bytes.
class ByteSpeller {
public:
    ByteSpeller& text(const std::string& value) {
        bytes.insert(bytes.end(), value.begin(), value.end());
        return *this;
    }
    ByteSpeller& u8(std::uint8_t value) {
        bytes.push_back(value);
        return *this;
    }
    ByteSpeller& le32(std::uint32_t value) { return little(value, 4); }
    ByteSpeller& le64(std::uint64_t value) { return little(value, 8); }

    std::vector<std::uint8_t> bytes;

private:
    ByteSpeller& little(std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i)
            bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        return *this;
    }
};

inline LogContents SampleHeader(const std::string& kind) {
    LogContents contents;
    contents.modelText = "Apple iPod";
    contents.searchMode = 1;
    contents.driveIndex = 2;
    contents.diskNumber = 2;
    contents.partitionIndex = 1;
    contents.partitionKind = kind;
    contents.searchModeText = "Standard Search ";
    contents.searchStart = 63;
    contents.searchEnd = 0x1'0000'0010ull;
    contents.partitionLayout = {245, 8, 32, 533, 32, 1011, 40, 285};
    contents.partitionNtfs = {0, 0, 0, 0};
    contents.activeLayout = {245, 8, 32, 533, 32, 1011, 40, 285};
    contents.activeNtfs = {0, 0, 0, 0};
    contents.activeKind = kind;
    return contents;
}

// An NTFS log with a few folders and files, deleted ones and a long date among them.
inline LogContents SampleNtfsLog() {
    LogContents contents = SampleHeader("NTFS");
    contents.partitionNtfs = {6291519, 63, 2, 8};
    contents.activeNtfs = {6291519, 63, 2, 8};
    contents.folders = {
        {"Documents", 64, 5, 0x01C99DA3'12345678ull, 0, 0},
        {"Music", 65, 5, 0x01D00000'00000000ull, 0, 1},
        {"Caf\xC3\xA9", 70, 64, 0, 0, 0},
    };
    contents.files = {
        {"report.doc", 6291700, 80, 64, 0x01C99DA3'12345678ll, 40960, 0},
        {"song.mp3", 6291702, 81, 65, 0x01CA0000'00000001ll, 3000000000u, 1},
        {"a.txt", 0, 82, 5, 0, 0, 0},
    };
    return contents;
}

inline LogContents SampleFatLog() {
    LogContents contents = SampleHeader("FAT32");
    contents.folders = {
        {"Miscellaneous_001", 0x0FFFFFFF, 0, 0, 0, 0},
        {"DOCS", 3, 0, 0x3A65, 0x71C3, 0},
        {"PHOTOS", 4, 0, 0x3A66, 0x0000, 0},
        {"2009", 7, 4, 0x3A65, 0x71C3, 1},
        {"LOST", 9, 0x0FFFFFFF, 0, 0, 0},
    };
    return contents;
}

}  // namespace datrevo::test
