#include "ntfs/file_data.h"

#include <algorithm>
#include <map>

#include "base/limits.h"
#include "ntfs/attribute_list.h"
#include "ntfs/file_record.h"
#include "ntfs/mft_records.h"

namespace datrevo {
namespace {

// One piece of the data attribute: non-resident attribute header 16 holds
// the first VCN of the piece.
struct Piece {
    std::uint64_t firstVcn = 0;
    RunList runs;
    bool damaged = false;
};

void CollectPieces(ByteView record, std::uint64_t partitionStart, std::uint32_t spc,
                   std::map<std::uint64_t, Piece>& pieces, std::optional<std::uint64_t>& size) {
    for (const AttributeView& attribute : ListAttributes(record)) {
        if (attribute.type != kAttrData || attribute.nameLength() != 0 || attribute.resident())
            continue;
        Piece piece;
        piece.firstVcn = attribute.bytes.le64(16);
        if (piece.firstVcn == 0) size = attribute.bytes.le64(48);
        piece.damaged = DecodeDataRuns(attribute.bytes, attribute.bytes.le16(32), spc,
                                       partitionStart, piece.runs, true) != RunDecode::Complete;
        pieces.try_emplace(piece.firstVcn, std::move(piece));
    }
}

}  // namespace

std::optional<NtfsFileData> LocateNtfsFileData(const DiskReader& reader, std::uint64_t recordSector,
                                               std::uint64_t partitionStart,
                                               std::uint32_t sectorsPerCluster,
                                               const MftRunList& mftRuns) {
    RecordBuffer base{};
    if (!ReadRecordAt(reader, recordSector, base)) return std::nullopt;
    const ByteView view(base.data(), base.size());
    NtfsFileData data;
    for (const AttributeView& attribute : ListAttributes(view)) {
        if (attribute.type != kAttrData || attribute.nameLength() != 0 || !attribute.resident())
            continue;
        // Resident content: 16 length, 20 offset.
        const std::size_t offset = attribute.bytes.le16(20);
        const std::size_t length = attribute.bytes.le32(16);
        data.resident = true;
        data.complete = attribute.bytes.has(offset, length);
        const ByteView content = data.complete ? attribute.bytes.sub(offset, length) : ByteView();
        data.content.assign(content.span().begin(), content.span().end());
        data.size = data.content.size();
        return data;
    }
    std::map<std::uint64_t, Piece> pieces;
    std::optional<std::uint64_t> size;
    CollectPieces(view, partitionStart, sectorsPerCluster, pieces, size);
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
                              sectorsPerCluster, pieces, size);
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
