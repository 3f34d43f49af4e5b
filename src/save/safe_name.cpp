#include "save/safe_name.h"

#include "base/limits.h"

namespace datrevo {
namespace {

bool ForbiddenByte(unsigned char c) {
    if (c < 0x20 || c == 0x7F) return true;
    switch (c) {
        case '/':
        case '\\':
        case '<':
        case '>':
        case ':':
        case '"':
        case '|':
        case '?':
        case '*': return true;
        default: return false;
    }
}

// Length of the longest prefix of `text` within `limit` bytes that does not
// split a UTF-8 sequence.
std::size_t CutAtCharacter(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text.size();
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

// Splits "stem.ext" at its last dot; a leading dot belongs to the stem.
std::pair<std::string_view, std::string_view> SplitExtension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {name, {}};
    return {name.substr(0, dot), name.substr(dot)};
}

// Joins a stem and a suffix within the byte limit, shortening the stem first.
std::string FitName(std::string_view stem, std::string_view suffix) {
    const std::size_t limit = limits::kMaxCopyNameBytes;
    if (suffix.size() >= limit) suffix = suffix.substr(0, CutAtCharacter(suffix, limit - 1));
    const std::size_t room = limit - suffix.size();
    std::string out(stem.substr(0, CutAtCharacter(stem, room)));
    out += suffix;
    return out;
}

}  // namespace

std::string SafeName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (const char c : name)
        out += ForbiddenByte(static_cast<unsigned char>(c)) ? kNameReplacement : c;
    if (out.empty()) return std::string(1, kNameReplacement);
    if (out.find_first_not_of('.') == std::string::npos)
        return std::string(out.size(), kNameReplacement);
    if (out.size() > limits::kMaxCopyNameBytes) {
        const auto [stem, extension] = SplitExtension(out);
        // An extension longer than a quarter of the room is not kept whole.
        if (extension.size() <= limits::kMaxCopyNameBytes / 4) return FitName(stem, extension);
        return FitName(out, {});
    }
    return out;
}

std::string NumberedName(std::string_view name, unsigned n) {
    const auto [stem, extension] = SplitExtension(name);
    return FitName(stem, " (" + std::to_string(n) + ")" + std::string(extension));
}

std::string FirstFreeName(std::string_view name,
                          const std::function<bool(const std::string&)>& taken) {
    std::string candidate(name);
    if (!taken(candidate)) return candidate;
    for (unsigned n = 2; n <= limits::kMaxNameAlternatives; ++n) {
        candidate = NumberedName(name, n);
        if (!taken(candidate)) return candidate;
    }
    return std::string(name);
}

std::string FolderNames::claim(std::string_view name) {
    const std::string safe = SafeName(name);
    std::string chosen =
        FirstFreeName(safe, [&](const std::string& c) { return taken_.count(c) != 0; });
    taken_.insert(chosen);
    return chosen;
}

}  // namespace datrevo
