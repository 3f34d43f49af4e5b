#include "exfat/exfat_entry_set.h"

#include <algorithm>
#include <vector>

#include "base/byte_view.h"
#include "base/text_codec.h"

namespace datrevo {
namespace {

ExfatSetDecode Damaged(std::string reason) {
    ExfatSetDecode out;
    out.outcome = ExfatDecode::Damaged;
    out.reason = std::move(reason);
    return out;
}

ExfatTime TimeAt(const ByteView& file, std::size_t stamp, std::size_t tenMs, std::size_t offset) {
    return DecodeExfatTime(file.le32(stamp), tenMs == 0 ? 0 : file.u8(tenMs), file.u8(offset));
}

}  // namespace

std::uint16_t ExfatSetChecksum(std::span<const std::uint8_t> bytes, bool asInUse) {
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == exfat_file::kSetChecksum || i == exfat_file::kSetChecksum + 1) continue;
        std::uint8_t byte = bytes[i];
        if (asInUse && i % exfat_entry::kSize == exfat_entry::kType) byte |= exfat_entry::kInUse;
        sum = static_cast<std::uint16_t>(((sum & 1) ? 0x8000u : 0u) + (sum >> 1) + byte);
    }
    return sum;
}

ExfatSetDecode DecodeExfatEntrySet(std::span<const std::uint8_t> bytes) {
    const ByteView view(bytes);
    if (!view.has(0, exfat_entry::kSize)) return {};
    const std::uint8_t type = view.u8(exfat_entry::kType);
    if ((type | exfat_entry::kInUse) != exfat_entry::kFile) return {};
    const bool deleted = (type & exfat_entry::kInUse) == 0;
    const std::uint8_t inUseBit = deleted ? 0 : exfat_entry::kInUse;

    const std::uint8_t secondaries = view.u8(exfat_file::kSecondaryCount);
    if (secondaries < exfat_file::kMinSecondaryCount ||
        secondaries > exfat_file::kMaxSecondaryCount)
        return Damaged("SecondaryCount " + std::to_string(secondaries));
    const std::size_t entries = std::size_t{secondaries} + 1;
    if (!view.has(0, entries * exfat_entry::kSize))
        return Damaged("set of " + std::to_string(entries) +
                       " entries past the end of the directory");

    const ByteView stream = view.sub(exfat_entry::kSize, exfat_entry::kSize);
    if (stream.u8(exfat_entry::kType) != ((exfat_entry::kStreamExtension & 0x7F) | inUseBit))
        return Damaged("second entry of type " + std::to_string(stream.u8(exfat_entry::kType)) +
                       " is not a Stream Extension");
    const std::uint8_t nameLength = stream.u8(exfat_stream::kNameLength);
    const std::size_t nameEntries =
        (std::size_t{nameLength} + exfat_name::kUnitsPerEntry - 1) / exfat_name::kUnitsPerEntry;
    if (nameLength == 0 || nameEntries > entries - 2)
        return Damaged("NameLength " + std::to_string(nameLength) + " with " +
                       std::to_string(secondaries) + " secondary entries");

    std::vector<std::uint8_t> units;
    units.reserve(std::size_t{nameLength} * 2);
    for (std::size_t i = 0; i < nameEntries; ++i) {
        const ByteView entry = view.sub((2 + i) * exfat_entry::kSize, exfat_entry::kSize);
        if (entry.u8(exfat_entry::kType) != ((exfat_entry::kFileName & 0x7F) | inUseBit))
            return Damaged("entry " + std::to_string(2 + i) +
                           " of the set is not a File Name entry");
        const std::size_t take = std::min<std::size_t>(exfat_name::kUnitsPerEntry,
                                                       nameLength - i * exfat_name::kUnitsPerEntry);
        const auto part = entry.sub(exfat_name::kFileName, take * 2).span();
        units.insert(units.end(), part.begin(), part.end());
    }

    const std::uint16_t stored = view.le16(exfat_file::kSetChecksum);
    const std::uint16_t computed =
        ExfatSetChecksum(view.sub(0, entries * exfat_entry::kSize).span(), deleted);
    if (stored != computed)
        return Damaged("set checksum " + std::to_string(stored) + ", computed " +
                       std::to_string(computed));

    ExfatEntrySet set;
    set.deleted = deleted;
    set.entryCount = entries;
    set.attributes = view.le16(exfat_file::kFileAttributes);
    set.created = TimeAt(view, exfat_file::kCreateTimestamp, exfat_file::kCreate10ms,
                         exfat_file::kCreateUtcOffset);
    set.modified = TimeAt(view, exfat_file::kModifiedTimestamp, exfat_file::kModified10ms,
                          exfat_file::kModifiedUtcOffset);
    set.accessed = TimeAt(view, exfat_file::kAccessedTimestamp, 0, exfat_file::kAccessedUtcOffset);
    const std::uint8_t flags = stream.u8(exfat_stream::kFlags);
    set.noFatChain = (flags & exfat_stream::kNoFatChain) != 0;
    set.firstCluster = stream.le32(exfat_stream::kFirstCluster);
    set.dataLength = stream.le64(exfat_stream::kDataLength);
    set.validDataLength = stream.le64(exfat_stream::kValidDataLength);
    if (set.validDataLength > set.dataLength)
        return Damaged("ValidDataLength " + std::to_string(set.validDataLength) +
                       " above DataLength " + std::to_string(set.dataLength));
    set.name = Utf16LeToUtf8(units);

    ExfatSetDecode out;
    out.outcome = ExfatDecode::Decoded;
    out.set = std::move(set);
    return out;
}

ExfatDecode DecodeExfatClusterEntry(std::span<const std::uint8_t> entry, std::uint8_t type,
                                    ExfatAllocationBitmapEntry& out) {
    const ByteView view(entry);
    if (!view.has(0, exfat_entry::kSize) || view.u8(exfat_entry::kType) != type)
        return ExfatDecode::NotThis;
    if (type != exfat_entry::kAllocationBitmap && type != exfat_entry::kUpcaseTable)
        return ExfatDecode::NotThis;
    out.secondFat =
        type == exfat_entry::kAllocationBitmap && (view.u8(exfat_bitmap::kFlags) & 1) != 0;
    out.firstCluster = view.le32(exfat_stream::kFirstCluster);
    out.dataLength = view.le64(exfat_stream::kDataLength);
    return ExfatDecode::Decoded;
}

ExfatDecode DecodeExfatVolumeLabel(std::span<const std::uint8_t> entry, std::string& label) {
    const ByteView view(entry);
    if (!view.has(0, exfat_entry::kSize) ||
        view.u8(exfat_entry::kType) != exfat_entry::kVolumeLabel)
        return ExfatDecode::NotThis;
    const std::uint8_t count = view.u8(exfat_label::kCharacterCount);
    if (count > exfat_label::kMaxCharacters) return ExfatDecode::Damaged;
    label = Utf16LeToUtf8(view.sub(exfat_label::kLabel, std::size_t{count} * 2).span());
    return ExfatDecode::Decoded;
}

}  // namespace datrevo
