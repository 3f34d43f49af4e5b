#include "catalogue/mft_record_table.h"

#include <algorithm>

#include "base/decimal.h"
#include "catalogue/catalogue.h"

namespace datrevo {

MftRecordList::MftRecordList()
    : name_("MftRecordTable"),
      columns_({"name", "Sector", "parentMFT", "selfMFT", "size", "type", "fsNumber", "date",
                "First Run", "Deleted", "recordMFT", "baseMFT"}) {}

int MftRecordList::insertRow(int index, MftRecordRow row) {
    index = std::clamp(index, 0, count());
    rows_.insert(rows_.begin() + index, std::move(row));
    return index;
}

std::string MftRecordList::cell(int index, int column) const {
    if (index < 0 || index >= count()) return {};
    const MftRecordRow& r = row(index);
    switch (column) {
        case mftrec_col::Name: return r.name;
        case mftrec_col::Sector: return Unsigned64Text(r.sector);
        case mftrec_col::ParentMft: return UnsignedText(r.parentMft);
        case mftrec_col::SelfMft: return UnsignedText(r.selfMft);
        case mftrec_col::Size: return Unsigned64Text(r.size);
        case mftrec_col::Type: return r.folder ? kTypeFolder : "File";
        case mftrec_col::FsNumber: return UnsignedText(r.fsNumber);
        case mftrec_col::Date: return SignedText(r.date);
        case mftrec_col::FirstRun: return Unsigned64Text(r.firstRun);
        case mftrec_col::Deleted: return r.deleted ? "1" : "";
        case mftrec_col::RecordMft: return UnsignedText(r.recordMft);
        case mftrec_col::BaseMft: return UnsignedText(r.baseMft);
        default: return {};
    }
}

}  // namespace datrevo
