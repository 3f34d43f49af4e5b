// Helpers for the NTFS tests: the fixture manifest, and the folders and files
// a search left in the tree and EntryTable, keyed by their paths.
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "browse/folder_tree.h"
#include "catalogue/catalogue.h"
#include "support/manifest.h"

namespace datrevo::test {

// Rows of one image of tests/fixtures/manifest.tsv.
inline std::vector<ManifestRow> ManifestOf(const std::string& image) { return ManifestRows(image); }

struct FoundObject {
    bool folder = false;
    std::uint64_t size = 0;
    bool deleted = false;
    std::uint32_t self = 0;
    std::uint64_t sector = 0;
};

// Every folder of the tree and every file of EntryTable by path ("A/B/c.txt";
// files of the root directory by their name). Files whose parent is no
// folder of the tree are left out.
inline std::map<std::string, FoundObject> FoundByPath(const FolderTree& tree,
                                                      const CatalogueTable& entries) {
    std::map<std::string, FoundObject> found;
    std::map<std::uint32_t, std::string> folderPath{{5, ""}};
    for (const FolderNode& node : tree.nodes()) {
        std::string path = tree.FolderPath(node.treeItem);
        for (char& c : path)
            if (c == '\\') c = '/';
        folderPath.try_emplace(node.selfNumber, path);
        found[path] = {true, 0, node.deleted, node.selfNumber, 0};
    }
    for (int row = 0; row < entries.count(); ++row) {
        const auto parent =
            static_cast<std::uint32_t>(entries.cellSigned32(row, folder_col::Parent));
        const auto folder = folderPath.find(parent);
        if (folder == folderPath.end()) continue;
        const std::string path = (folder->second.empty() ? "" : folder->second + "/") +
                                 entries.cell(row, folder_col::Name);
        found.try_emplace(
            path,
            FoundObject{false,
                        static_cast<std::uint64_t>(entries.cellSigned64(row, folder_col::Size)),
                        entries.cell(row, folder_col::Deleted) == "1",
                        entries.cellUnsigned(row, folder_col::Self),
                        static_cast<std::uint64_t>(entries.cellSigned64(row, folder_col::Sector))});
    }
    return found;
}

}  // namespace datrevo::test
