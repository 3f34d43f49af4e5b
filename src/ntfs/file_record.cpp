#include "ntfs/file_record.h"

#include <algorithm>
#include <array>

#include "base/limits.h"
#include "base/text_codec.h"
#include "ntfs/ntfs_offsets.h"

namespace datrevo {
namespace {

constexpr std::array<std::uint8_t, 4> kPreferredNameSpaces{kNameSpaceWin32, kNameSpaceWin32AndDos,
                                                           kNameSpacePosix, kNameSpaceDos};

// The record view never reaches past the 1024 bytes of one record, whatever
// buffer the caller holds.
ByteView RecordBytes(ByteView record) {
    return ByteView(record.span().first(std::min(record.size(), kNtfsRecordSize)));
}

// Decodes `units` UTF-16 units at `offset`, cut at the end of `view`.
std::string DecodeName(ByteView view, std::size_t offset, std::size_t units) {
    if (offset >= view.size()) return {};
    const std::size_t available = (view.size() - offset) / 2;
    return Utf16LeToUtf8(view.span().subspan(offset, std::min(units, available) * 2));
}

// File-name content: 0 parent reference, 8 creation time, 48 data size,
// 64 name length, 65 name space, 66 the name. Offsets are taken within the
// record; content whose header would run past the record ends every walk
// over the names (nothing after it is trusted); a name that would run past
// the record is cut there.
std::optional<std::size_t> FileNameContent(ByteView bytes, const AttributeView& attribute) {
    const std::size_t content = attribute.offset + attribute.bytes.le16(ntfs_attr::kContentOffset);
    if (content >= kNtfsRecordSize || !bytes.has(content, ntfs_filename::kName))
        return std::nullopt;
    return content;
}

FileNameInfo ReadFileName(ByteView bytes, std::size_t content) {
    FileNameInfo info;
    info.parent = bytes.le32(content + ntfs_filename::kParent);
    info.creationTime =
        static_cast<std::int64_t>(bytes.le64(content + ntfs_filename::kCreationTime));
    info.dataSize = bytes.le64(content + ntfs_filename::kDataSize);
    info.name = DecodeName(bytes, content + ntfs_filename::kName,
                           bytes.u8(content + ntfs_filename::kNameLength));
    return info;
}

std::optional<AttributeView> FirstAttribute(ByteView record, std::uint32_t type, bool unnamedOnly) {
    for (const AttributeView& attribute : RecordAttributes(record))
        if (attribute.type == type && (!unnamedOnly || attribute.nameLength() == 0))
            return attribute;
    return std::nullopt;
}

}  // namespace

void ApplyUpdateSequence(std::span<std::uint8_t> buffer) {
    const ByteView view(buffer);
    const std::size_t arrayOffset = view.le16(ntfs_record::kUpdateSequenceOffset);
    const std::size_t entries = view.le16(ntfs_record::kUpdateSequenceCount);
    if (entries == 0 || arrayOffset + 2 > buffer.size() || entries - 1 > buffer.size()) return;
    for (std::size_t sector = 0; sector + 1 < entries; ++sector) {
        const std::size_t sectorEnd = sector * limits::kSectorSize + limits::kSectorSize;
        const std::size_t source = arrayOffset + 2 + 2 * sector;
        if (sectorEnd > buffer.size() || source + 2 > buffer.size()) break;
        buffer[sectorEnd - 2] = buffer[source];
        buffer[sectorEnd - 1] = buffer[source + 1];
    }
}

bool IsFileRecord(ByteView record) { return record.matches(ntfs_record::kSignature, "FILE"); }
std::uint8_t RecordFlags(ByteView record) { return record.u8(ntfs_record::kFlags); }
bool IsDirectoryRecord(ByteView record) { return (RecordFlags(record) & kRecordDirectory) != 0; }
std::uint32_t RecordOwnNumber(ByteView record) { return record.le32(ntfs_record::kOwnNumber); }

RecordAttributes::RecordAttributes(ByteView record) : bytes_(RecordBytes(record)) {}

RecordAttributes::Iterator RecordAttributes::begin() const {
    return Iterator(bytes_, bytes_.le16(ntfs_record::kFirstAttribute));
}

void RecordAttributes::Iterator::read() {
    done_ = true;
    if (!bytes_.has(position_, 8)) return;
    const std::uint32_t type = bytes_.le32(position_ + ntfs_attr::kType);
    if (type == 0 || type == kAttrEndMarker) return;
    const std::uint32_t length = bytes_.le32(position_ + ntfs_attr::kLength);
    if (length == 0 || !bytes_.has(position_, length)) return;
    current_ = {position_, type, bytes_.sub(position_, length)};
    done_ = false;
}

std::vector<AttributeView> ListAttributes(ByteView record) {
    std::vector<AttributeView> attributes;
    for (const AttributeView& attribute : RecordAttributes(record)) attributes.push_back(attribute);
    return attributes;
}

std::optional<FileNameInfo> FindFileName(ByteView record, std::uint8_t nameSpace) {
    const ByteView bytes = RecordBytes(record);
    for (const AttributeView& attribute : RecordAttributes(bytes)) {
        if (attribute.type != kAttrFileName || attribute.nameLength() != 0) continue;
        const std::optional<std::size_t> content = FileNameContent(bytes, attribute);
        if (!content) return std::nullopt;
        if (bytes.u8(*content + ntfs_filename::kNameSpace) != nameSpace) continue;
        return ReadFileName(bytes, *content);
    }
    return std::nullopt;
}

std::optional<FileNameInfo> FindPreferredFileName(ByteView record) {
    for (std::uint8_t space : kPreferredNameSpaces)
        if (auto info = FindFileName(record, space)) return info;
    return std::nullopt;
}

std::optional<std::uint64_t> GetUnnamedDataSize(ByteView record) {
    const auto data = FirstAttribute(RecordBytes(record), kAttrData, true);
    if (!data) return std::nullopt;
    if (data->resident()) return data->bytes.le32(ntfs_attr::kContentLength);
    return data->bytes.le64(ntfs_attr::kRealSize);
}

void ListAttributeRecords(ByteView record, std::vector<std::uint32_t>& list) {
    for (const AttributeView& attribute : RecordAttributes(RecordBytes(record))) {
        if (attribute.type != kAttrAttributeList || !attribute.resident()) continue;
        const std::size_t contentOffset = attribute.bytes.le16(ntfs_attr::kContentOffset);
        if (contentOffset == 0 || contentOffset >= kNtfsRecordSize - 1) return;
        // List entry: 0 type, 4 entry length (16 bits), 16 reference of the
        // record holding the attribute. Entries stay inside the attribute.
        if (contentOffset >= attribute.bytes.size()) return;
        const std::size_t contentLength =
            std::min<std::size_t>(attribute.bytes.le32(ntfs_attr::kContentLength),
                                  attribute.bytes.size() - contentOffset);
        const ByteView content = attribute.bytes.sub(contentOffset, contentLength);
        std::size_t entry = 0;
        while (content.has(entry, 20) && list.size() < limits::kMaxAttributeListRecords) {
            const std::uint32_t type = content.le32(entry + ntfs_attrlist::kType);
            const std::uint16_t length = content.le16(entry + ntfs_attrlist::kLength);
            if (type == 0 || type == kAttrEndMarker || length == 0) break;
            list.push_back(content.le32(entry + ntfs_attrlist::kRecord));
            entry += length;
        }
        return;
    }
}

std::uint64_t GetIndexFirstRun(ByteView record) {
    for (const AttributeView& attribute : RecordAttributes(RecordBytes(record))) {
        if (attribute.type != kAttrIndexAllocation || attribute.nameLength() != 4) continue;
        const std::size_t nameOffset = attribute.bytes.le16(ntfs_attr::kNameOffset);
        if (!attribute.bytes.has(nameOffset, 8) ||
            DecodeName(attribute.bytes, nameOffset, 4) != "$I30")
            continue;
        // First run: header byte H, then a (H & 0x0F)-byte length and a
        // (H >> 4)-byte offset, the first cluster of the index.
        const std::size_t runs = attribute.bytes.le16(ntfs_attr::kRunListOffset);
        const std::uint8_t header = attribute.bytes.u8(runs);
        if (header == 0 || !attribute.bytes.has(runs, 1)) return 0;
        const std::size_t lengthWidth = header & 0x0F;
        const std::size_t offsetWidth = header >> 4;
        if (offsetWidth == 0 || offsetWidth > 8) return 0;
        const std::size_t field = runs + 1 + lengthWidth;
        if (!attribute.bytes.has(field, offsetWidth)) return 0;
        return attribute.bytes.readLittleEndian(field, offsetWidth);
    }
    return 0;
}

std::vector<FileNameInfo> ListLinkNames(ByteView record) {
    // One walk collects where the names lie, then the preferred name is
    // chosen as FindPreferredFileName chooses it and each name is decoded
    // once. A sound record holds at most 14 file-name attributes of 72
    // bytes; a damaged one may hold more, kept beyond the array.
    const ByteView bytes = RecordBytes(record);
    struct Found {
        std::size_t content;
        std::uint8_t space;
    };
    std::array<Found, 16> first{};
    std::vector<Found> more;
    std::size_t count = 0;
    for (const AttributeView& attribute : RecordAttributes(bytes)) {
        if (attribute.type != kAttrFileName || attribute.nameLength() != 0) continue;
        const std::optional<std::size_t> content = FileNameContent(bytes, attribute);
        if (!content) break;
        const Found name{*content, bytes.u8(*content + ntfs_filename::kNameSpace)};
        if (count < first.size())
            first[count] = name;
        else
            more.push_back(name);
        ++count;
    }
    const auto found = [&](std::size_t i) -> const Found& {
        return i < first.size() ? first[i] : more[i - first.size()];
    };
    std::vector<FileNameInfo> links;
    std::size_t preferred = count;
    for (std::uint8_t space : kPreferredNameSpaces) {
        for (std::size_t i = 0; i < count && preferred == count; ++i)
            if (found(i).space == space) preferred = i;
        if (preferred != count) break;
    }
    if (preferred == count) return links;
    links.push_back(ReadFileName(bytes, found(preferred).content));
    for (std::size_t i = 0; i < count; ++i) {
        if (i == preferred || found(i).space == kNameSpaceDos) continue;
        FileNameInfo info = ReadFileName(bytes, found(i).content);
        const bool known =
            std::any_of(links.begin(), links.end(), [&info](const FileNameInfo& link) {
                return link.parent == info.parent && link.name == info.name;
            });
        if (!known) links.push_back(std::move(info));
    }
    return links;
}

std::optional<std::uint64_t> FirstPieceDataSize(ByteView record) {
    for (const AttributeView& attribute : RecordAttributes(RecordBytes(record))) {
        if (attribute.type != kAttrData || attribute.nameLength() != 0) continue;
        if (attribute.resident()) return attribute.bytes.le32(ntfs_attr::kContentLength);
        if (attribute.bytes.le64(ntfs_attr::kFirstVcn) == 0)
            return attribute.bytes.le64(ntfs_attr::kRealSize);
    }
    return std::nullopt;
}

std::uint32_t RecordBaseReference(ByteView record) {
    return record.le32(ntfs_record::kBaseReference);
}

}  // namespace datrevo
