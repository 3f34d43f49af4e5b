#include "fat/fat_entry.h"

#include <vector>

#include "base/limits.h"
#include "base/text_codec.h"

namespace datrevo {

using namespace fat_dirent;

namespace {

// The bytes a short name's lost first byte may have held, given the first
// character of its long name: the character upper-cased in code page 437,
// or '_' for a character the code page lacks.
std::vector<std::uint8_t> FirstByteCandidates(char16_t first) {
    if (first < 0x80) {
        const auto c = static_cast<std::uint8_t>(first);
        return {static_cast<std::uint8_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c)};
    }
    char32_t upper = first;
    if (first >= 0xE0 && first <= 0xFE && first != 0xF7) upper = first - 0x20;  // Latin-1 letters
    std::vector<std::uint8_t> candidates;
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        const char32_t mapped = Cp437ToCodePoint(static_cast<std::uint8_t>(byte));
        if (mapped == upper || mapped == first)
            candidates.push_back(static_cast<std::uint8_t>(byte));
    }
    candidates.push_back('_');
    return candidates;
}

// Characters a short name cannot hold; a long name's character of this set
// becomes '_' in its short form.
bool IsShortNameReplaced(char16_t c) {
    switch (c) {
        case '+':
        case ',':
        case ';':
        case '=':
        case '[':
        case ']':
        case '"':
        case '*':
        case '/':
        case ':':
        case '<':
        case '>':
        case '?':
        case '\\':
        case '|': return true;
        default: return c < 0x20;
    }
}

// The bytes a deleted short entry's lost first byte may have held, from its
// long name: the name's first character, and the first character its short
// form keeps (leading dots and blanks are dropped, characters a short name
// cannot hold become '_'). A short name begins with a long name's first
// character only in the first case: ".hidden" is HIDDEN~1, "+plus.txt"
// _PLUS~1.TXT, "[01] Intro.mp3" _01_IN~1.MP3.
std::vector<std::uint8_t> LostFirstByteCandidates(const std::u16string& longName) {
    std::vector<std::uint8_t> candidates;
    if (longName.empty()) return candidates;
    candidates = FirstByteCandidates(longName.front());
    const std::size_t kept = longName.find_first_not_of(u". ");
    if (kept == std::u16string::npos) return candidates;
    const char16_t c = longName[kept];
    const std::vector<std::uint8_t> more =
        IsShortNameReplaced(c) ? std::vector<std::uint8_t>{'_'} : FirstByteCandidates(c);
    candidates.insert(candidates.end(), more.begin(), more.end());
    return candidates;
}

// The units of a long-name entry up to its terminator; `ended` tells whether
// the terminator was met.
std::u16string EntryUnits(ByteView entry, bool& ended) {
    std::u16string units;
    ended = false;
    for (std::size_t offset : kLongUnitOffsets) {
        const auto unit = static_cast<char16_t>(entry.le16(offset));
        if (unit == 0) {
            ended = true;
            break;
        }
        units.push_back(unit);
    }
    return units;
}

}  // namespace

std::uint32_t EntryFirstCluster(ByteView entry, FatKind kind) {
    const std::uint32_t low = entry.le16(kClusterLow);
    if (kind == FatKind::Fat16) return low;
    return (static_cast<std::uint32_t>(entry.le16(kClusterHigh)) << 16) | low;
}

bool IsDirectorySector(ByteView sector) {
    return sector.u8(0) == '.' && sector.u8(1) == ' ' && sector.u8(32) == '.' &&
           sector.u8(33) == '.' && sector.u8(34) == ' ';
}

ShortName ReadShortName(ByteView entry) {
    // Byte 12 carries two case flags of names that fit 8.3 in small letters
    // ("readme.txt"), which get no long name: 0x08 for the name, 0x10 for the
    // extension. Only the ASCII capitals are stored folded.
    const std::uint8_t caseFlags = entry.u8(kCaseFlags);
    const auto folded = [](std::uint8_t b, bool lower) {
        return lower && b >= 'A' && b <= 'Z' ? static_cast<std::uint8_t>(b + ('a' - 'A')) : b;
    };
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < kNameLength; ++i) {
        const std::uint8_t b = entry.u8(kName + i);
        if (b != ' ') bytes.push_back(i == 0 ? b : folded(b, caseFlags & kLowerCaseName));
    }
    for (std::size_t i = 0; i < kExtensionLength; ++i) {
        const std::uint8_t b = entry.u8(kExtension + i);
        if (b == ' ') continue;
        if (i == 0) bytes.push_back('.');
        bytes.push_back(folded(b, caseFlags & kLowerCaseExtension));
    }
    // The first byte is folded after the deleted mark is read from it.
    const bool lowerFirst = (caseFlags & kLowerCaseName) != 0 && entry.u8(kName) != ' ';
    ShortName name;
    if (!bytes.empty() && bytes.front() == kDeletedMark) {
        bytes.front() = '_';
        name.deleted = true;
    } else if (!bytes.empty() && lowerFirst) {
        bytes.front() = folded(bytes.front(), true);
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == 0) {
            bytes.resize(i);
            break;
        }
    }
    name.text = Cp437ToUtf8(bytes);
    return name;
}

std::uint8_t ShortNameChecksum(ByteView entry, std::uint8_t firstByte) {
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < kNameLength + kExtensionLength; ++i) {
        const std::uint8_t b = i == 0 ? firstByte : entry.u8(i);
        sum = static_cast<std::uint8_t>(((sum & 1) << 7) + (sum >> 1) + b);
    }
    return sum;
}

bool IsAcceptableName(std::string_view utf8Name) {
    for (char c : utf8Name) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 1 && b <= 31) return false;
        switch (c) {
            case '"':
            case '\\':
            case '/':
            case '?':
            case '*':
            case '<':
            case '>':
            case '|': return false;
            default: break;
        }
    }
    return true;
}

std::optional<std::string> ReadLongName(ByteView directory, std::size_t entryOffset) {
    const ByteView shortEntry = directory.sub(entryOffset, kSize);
    if (shortEntry.size() != kSize) return std::nullopt;
    const bool deleted = shortEntry.u8(0) == kDeletedMark;

    // The checksum every piece of the name carries. A deleted entry has lost
    // its first byte: the first piece (next to the short entry) is taken when
    // one of the bytes its name allows gives its checksum, and the pieces
    // before it must then carry that same checksum.
    std::optional<std::uint8_t> checksum;
    if (!deleted) checksum = ShortNameChecksum(shortEntry, shortEntry.u8(0));

    std::u16string units;
    std::size_t entriesRead = 0;
    std::size_t at = entryOffset;
    for (std::size_t n = 1; n <= limits::kMaxFatLongNameEntries && at >= kSize; ++n) {
        at -= kSize;
        const ByteView entry = directory.sub(at, kSize);
        if (!IsLongNameEntry(entry)) break;
        bool ended = false;
        const std::u16string piece = EntryUnits(entry, ended);
        const std::uint8_t carried = entry.u8(kLongChecksum);
        if (!checksum) {
            for (std::uint8_t byte : LostFirstByteCandidates(piece))
                if (ShortNameChecksum(shortEntry, byte) == carried) checksum = carried;
            if (!checksum) break;
        }
        if (carried != *checksum) break;
        ++entriesRead;
        units += piece;
        if (ended || entry.u8(kLongSequence) == kLongLastFlag + n) break;
        if (units.size() > limits::kMaxNameCharacters) break;
    }
    if (entriesRead == 0) return std::nullopt;
    return Utf16ToUtf8(units);
}

}  // namespace datrevo
