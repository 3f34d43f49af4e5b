// Names of the copies under the destination.
//
// Names come from the medium, which may be damaged or hostile: a name must
// never climb out of the destination ("..", separators), and must be one the
// destination's file system takes. Unsafe names are mended the same way every
// time, so a repeated save gives the same names.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <string_view>

namespace datrevo {

// The replacement for every character a copy's name may not hold.
inline constexpr char kNameReplacement = '_';

// The name made safe: control bytes (0x00-0x1F, 0x7F), the separators '/' and
// '\', and the characters that FAT, NTFS and exFAT destinations refuse
// (< > : " | ? *) become '_'; a name of dots only ("." , "..") has every dot
// replaced; an empty name becomes "_"; a name longer than 255 bytes is cut
// at a character boundary, keeping its extension where that fits.
std::string SafeName(std::string_view name);

// "name (n).ext": the n-th alternative for a name that is taken. The
// extension is the part from the last dot, unless the dot is the first
// character; the result stays within 255 bytes.
std::string NumberedName(std::string_view name, unsigned n);

// The first of name, "name (2).ext", "name (3).ext"... for which `taken`
// says false; the name itself when every try up to the limit is taken.
std::string FirstFreeName(std::string_view name,
                          const std::function<bool(const std::string&)>& taken);

// Names already given inside one folder of the copy; keeps two entries of
// the same folder (a live and a deleted file of one name, a folder found
// twice) from landing on one name.
class FolderNames {
public:
    // The safe form of `name`, numbered when an earlier entry took it.
    std::string claim(std::string_view name);

private:
    std::set<std::string> taken_;
};

}  // namespace datrevo
