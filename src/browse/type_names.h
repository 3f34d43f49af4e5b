// The type name shown beside a file in the file list, from its extension.
#pragma once

#include <string>
#include <string_view>

namespace datrevo {

// Where a file was listed from: three of the type names differ by it.
enum class TypeNameSource {
    FatFolder,  // a FAT subfolder or the FAT32 root directory
    Fat16Root,  // the fixed root directory of FAT16
    Ntfs,
};

// Compares the end of the name with each pattern of the type table in order,
// case-sensitively and only in the spellings the table lists (".doc" and
// ".DOC", not ".Doc"); the first match gives the type name, no match "File".
std::string TypeNameForFile(std::string_view name, TypeNameSource source);

}  // namespace datrevo
