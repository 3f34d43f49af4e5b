#include "base/boot_sector.h"

namespace datrevo {

bool HasBootSignature(ByteView sector) {
    return sector.u8(boot_sector::kSignature) == boot_sector::kSignatureFirst &&
           sector.u8(boot_sector::kSignature + 1) == boot_sector::kSignatureSecond;
}

BootSectorClass ClassifyBootSector(ByteView sector, FatTextRule rule) {
    using namespace boot_sector;
    BootSectorClass found;
    found.signature = HasBootSignature(sector);
    const bool whole = rule == FatTextRule::WholeName;
    if (sector.matches(kOemName, "EXFAT   ")) found.kind = BootSectorKind::Exfat;
    // Two digits are weaker than a name: in an NTFS boot sector bytes 57 and 85
    // belong to the $MFTMirr cluster number and the boot code, and may read "16".
    else if (!whole && sector.matches(kOemName, "NTFS"))
        found.kind = BootSectorKind::Ntfs;
    else if (whole ? sector.matches(kFat32Text, "FAT32") : sector.matches(kFat32Digits, "32"))
        found.kind = BootSectorKind::Fat32;
    else if (whole ? sector.matches(kFat16Text, "FAT16") : sector.matches(kFat16Digits, "16"))
        found.kind = BootSectorKind::Fat16;
    else if (sector.matches(kOemName, "NTFS"))
        found.kind = BootSectorKind::Ntfs;
    return found;
}

}  // namespace datrevo
