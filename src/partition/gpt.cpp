#include "partition/gpt.h"

#include <algorithm>

#include "base/crc32.h"
#include "base/limits.h"
#include "base/text_codec.h"

namespace datrevo {
namespace {

GptHeaderResult Damaged(std::string reason) {
    GptHeaderResult result;
    result.status = GptDecode::Damaged;
    result.reason = std::move(reason);
    return result;
}

bool IsPowerOfTwo(std::uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

Guid ReadGuid(ByteView bytes, std::size_t offset) {
    Guid guid{};
    for (std::size_t i = 0; i < guid.size(); ++i) guid[i] = bytes.u8(offset + i);
    return guid;
}

// The name up to its first 0 unit.
std::string EntryName(ByteView entry) {
    std::size_t units = 0;
    while (units < gpt_entry::kNameUnits && entry.le16(gpt_entry::kName + units * 2) != 0) ++units;
    const ByteView name = entry.sub(gpt_entry::kName, units * 2);
    return Utf16LeToUtf8(name.span());
}

}  // namespace

GptPartitionType ClassifyGptType(const Guid& type) {
    if (type == kEfiSystemPartitionType) return GptPartitionType::EfiSystem;
    if (type == kBasicDataPartitionType) return GptPartitionType::BasicData;
    if (std::all_of(type.begin(), type.end(), [](std::uint8_t b) { return b == 0; }))
        return GptPartitionType::Unused;
    return GptPartitionType::Other;
}

GptHeaderResult DecodeGptHeader(ByteView sector, std::uint64_t lba, std::uint64_t diskSectors) {
    if (!sector.matches(gpt_header::kSignature, gpt_header::kSignatureText)) return {};
    const std::uint32_t headerSize = sector.le32(gpt_header::kHeaderSize);
    if (headerSize < gpt_header::kMinSize || !sector.has(0, headerSize))
        return Damaged("its header size " + std::to_string(headerSize) + " is not possible");

    std::vector<std::uint8_t> covered(sector.span().begin(), sector.span().begin() + headerSize);
    std::fill_n(covered.begin() + gpt_header::kHeaderCrc, 4, std::uint8_t{0});
    if (Crc32(covered) != sector.le32(gpt_header::kHeaderCrc))
        return Damaged("its header checksum does not match");

    GptHeader header;
    header.myLba = sector.le64(gpt_header::kMyLba);
    header.alternateLba = sector.le64(gpt_header::kAlternateLba);
    header.firstUsableLba = sector.le64(gpt_header::kFirstUsableLba);
    header.lastUsableLba = sector.le64(gpt_header::kLastUsableLba);
    header.entriesLba = sector.le64(gpt_header::kEntriesLba);
    header.entryCount = sector.le32(gpt_header::kEntryCount);
    header.entrySize = sector.le32(gpt_header::kEntrySize);
    header.entriesCrc = sector.le32(gpt_header::kEntriesCrc);

    if (header.myLba != lba)
        return Damaged("the header read at sector " + std::to_string(lba) + " names sector " +
                       std::to_string(header.myLba) + " as its own");
    if (header.entrySize < gpt_entry::kMinSize || !IsPowerOfTwo(header.entrySize))
        return Damaged("its entry size " + std::to_string(header.entrySize) + " is not possible");
    if (header.entryArrayBytes() > kMaxGptEntryArrayBytes)
        return Damaged("its entry array of " + std::to_string(header.entryArrayBytes()) +
                       " bytes is larger than any real one");
    const std::uint64_t arraySectors =
        (header.entryArrayBytes() + limits::kSectorSize - 1) / limits::kSectorSize;
    if (header.entriesLba < 1 || header.entriesLba == lba || header.entriesLba > diskSectors ||
        arraySectors > diskSectors - header.entriesLba)
        return Damaged("its entry array at sector " + std::to_string(header.entriesLba) +
                       " lies outside the disk");

    GptHeaderResult result;
    result.status = GptDecode::Decoded;
    result.header = header;
    return result;
}

GptEntriesResult DecodeGptEntries(ByteView array, const GptHeader& header) {
    GptEntriesResult result;
    const std::uint64_t bytes = header.entryArrayBytes();
    if (bytes > kMaxGptEntryArrayBytes || !array.has(0, static_cast<std::size_t>(bytes))) {
        result.status = GptDecode::Damaged;
        result.reason = "its entry array could not be read whole";
        return result;
    }
    if (Crc32(array.span().first(static_cast<std::size_t>(bytes))) != header.entriesCrc) {
        result.status = GptDecode::Damaged;
        result.reason = "its entry array checksum does not match";
        return result;
    }
    result.status = GptDecode::Decoded;
    for (std::uint32_t i = 0; i < header.entryCount; ++i) {
        const ByteView entry =
            array.sub(static_cast<std::size_t>(i) * header.entrySize, header.entrySize);
        GptEntry decoded;
        decoded.number = i + 1;
        decoded.typeGuid = ReadGuid(entry, gpt_entry::kTypeGuid);
        decoded.type = ClassifyGptType(decoded.typeGuid);
        if (decoded.type == GptPartitionType::Unused) continue;
        decoded.firstLba = entry.le64(gpt_entry::kFirstLba);
        decoded.lastLba = entry.le64(gpt_entry::kLastLba);
        if (decoded.lastLba < decoded.firstLba) continue;
        decoded.name = EntryName(entry);
        result.entries.push_back(std::move(decoded));
    }
    return result;
}

}  // namespace datrevo
