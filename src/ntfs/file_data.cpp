#include "ntfs/file_data.h"

#include <algorithm>
#include <map>

#include "base/limits.h"
#include "base/text_codec.h"
#include "ntfs/attribute_list.h"
#include "ntfs/file_record.h"
#include "ntfs/mft_records.h"
#include "ntfs/ntfs_offsets.h"

namespace datrevo {
namespace {

// One piece of the data attribute: non-resident attribute header 16 holds
// the first VCN of the piece.
struct Piece {
    std::uint64_t firstVcn = 0;
    RunList runs;
    bool damaged = false;
};

// Attribute header fields read here.
// The attribute is the data attribute asked for: unnamed, or named `stream`.
bool IsWantedData(const AttributeView& attribute, const std::string& stream) {
    if (attribute.type != kAttrData) return false;
    const std::size_t units = attribute.nameLength();
    if (units == 0 || stream.empty()) return units == 0 && stream.empty();
    const ByteView name =
        attribute.bytes.sub(attribute.bytes.le16(ntfs_attr::kNameOffset), units * 2);
    return name.size() == units * 2 && Utf16LeToUtf8(name.span()) == stream;
}

void CollectPieces(ByteView record, std::uint64_t partitionStart, std::uint32_t spc,
                   const std::string& stream, std::map<std::uint64_t, Piece>& pieces,
                   std::optional<std::uint64_t>& size, NtfsFileData& data) {
    for (const AttributeView& attribute : ListAttributes(record)) {
        if (!IsWantedData(attribute, stream) || attribute.resident()) continue;
        Piece piece;
        piece.firstVcn = attribute.bytes.le64(ntfs_attr::kFirstVcn);
        if (piece.firstVcn == 0) {
            size = attribute.bytes.le64(ntfs_attr::kRealSize);
            data.validSize = attribute.bytes.le64(ntfs_attr::kInitializedSize);
            data.flags = attribute.bytes.le16(ntfs_attr::kFlags);
            data.compressionUnit = attribute.bytes.u8(ntfs_attr::kCompressionUnit);
        }
        piece.damaged =
            DecodeDataRuns(attribute.bytes, attribute.bytes.le16(ntfs_attr::kRunListOffset), spc,
                           partitionStart, piece.runs, true) != RunDecode::Complete;
        pieces.try_emplace(piece.firstVcn, std::move(piece));
    }
}

}  // namespace

std::vector<NamedStream> ListNamedStreams(ByteView record) {
    std::vector<NamedStream> out;
    for (const AttributeView& attribute : ListAttributes(record)) {
        if (attribute.type != kAttrData || attribute.nameLength() == 0) continue;
        const std::size_t units = attribute.nameLength();
        const ByteView name =
            attribute.bytes.sub(attribute.bytes.le16(ntfs_attr::kNameOffset), units * 2);
        if (name.size() != units * 2) continue;
        NamedStream stream;
        stream.name = Utf16LeToUtf8(name.span());
        if (attribute.resident()) {
            stream.size = attribute.bytes.le32(ntfs_attr::kContentLength);
        } else {
            if (attribute.bytes.le64(ntfs_attr::kFirstVcn) != 0) continue;
            stream.size = attribute.bytes.le64(ntfs_attr::kRealSize);
        }
        out.push_back(std::move(stream));
    }
    return out;
}

std::optional<NtfsFileData> LocateNtfsFileData(const DiskReader& reader, std::uint64_t recordSector,
                                               std::uint64_t partitionStart,
                                               std::uint32_t sectorsPerCluster,
                                               const MftRunList& mftRuns,
                                               const std::string& stream) {
    RecordBuffer base{};
    if (!ReadRecordAt(reader, recordSector, base)) return std::nullopt;
    const ByteView view(base.data(), base.size());
    NtfsFileData data;
    for (const AttributeView& attribute : ListAttributes(view)) {
        if (!IsWantedData(attribute, stream) || !attribute.resident()) continue;
        const std::size_t offset = attribute.bytes.le16(ntfs_attr::kContentOffset);
        const std::size_t length = attribute.bytes.le32(ntfs_attr::kContentLength);
        data.resident = true;
        data.flags = attribute.bytes.le16(ntfs_attr::kFlags);
        data.complete = attribute.bytes.has(offset, length);
        const ByteView content = data.complete ? attribute.bytes.sub(offset, length) : ByteView();
        data.content.assign(content.span().begin(), content.span().end());
        data.size = data.content.size();
        data.validSize = data.size;
        return data;
    }
    std::map<std::uint64_t, Piece> pieces;
    std::optional<std::uint64_t> size;
    CollectPieces(view, partitionStart, sectorsPerCluster, stream, pieces, size, data);
    if (!mftRuns.empty()) {
        std::vector<std::uint32_t> listed{RecordOwnNumber(view)};
        ListAllAttributeRecords(reader, view, partitionStart, sectorsPerCluster, listed);
        RecordBuffer extension{};
        for (std::size_t i = 1; i < listed.size(); ++i) {
            if (std::find(listed.begin() + 1, listed.begin() + static_cast<std::ptrdiff_t>(i),
                          listed[i]) != listed.begin() + static_cast<std::ptrdiff_t>(i))
                continue;
            if (ReadMftRecord(reader, mftRuns, listed[i], extension))
                CollectPieces(ByteView(extension.data(), extension.size()), partitionStart,
                              sectorsPerCluster, stream, pieces, size, data);
        }
    }
    if (pieces.empty()) return std::nullopt;
    for (auto& [vcn, piece] : pieces) {
        data.complete = data.complete && !piece.damaged;
        data.runs.insert(data.runs.end(), piece.runs.begin(), piece.runs.end());
    }
    data.size = size.value_or(0);
    data.complete = data.complete && size.has_value() &&
                    TotalSectors(data.runs) * limits::kSectorSize >= data.size;
    return data;
}

}  // namespace datrevo
