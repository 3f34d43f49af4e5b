// Running the FAT phases on an image or a crafted disk, and reading what the
// fixture manifest says the image holds.
#pragma once

#include <fstream>
#include <map>
#include <set>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "browse/folder_tree.h"
#include "catalogue/catalogue.h"
#include "disk/disk_reader.h"
#include "disk/file_source.h"
#include "fat/fat_search_scope.h"
#include "support/image_fixture.h"
#include "support/recording_observer.h"

namespace datrevo::test {

inline DiskReader ReaderFor(const ImageCopy& image) {
    return DiskReader(std::make_shared<FileSource>(image.path()), nullptr);
}

// Everything one FAT search needs, owned in one place.
struct FatHarness {
    explicit FatHarness(DiskReader reader) : disk(std::move(reader)) {
        tree.createStage(kStageResults, 0);
    }

    FatSearchScope scope(std::uint64_t start, std::uint64_t end, VolumeKind kind,
                         bool bootRecordValid = false, std::stop_token stop = {}) {
        return FatSearchScope{disk,  partitionLayout, activeLayout, catalogue, tree,
                              state, observer,        prompter,     start,     end,
                              kind,  bootRecordValid, stop,         {}};
    }

    // Every folder of the tree as "A/B/C" with its deleted flag.
    std::map<std::string, bool> folders() const {
        std::map<std::string, bool> out;
        for (const FolderNode& node : tree.nodes()) {
            std::string path = tree.FolderPath(node.treeItem);
            for (char& c : path)
                if (c == '\\') c = '/';
            out[path] = node.deleted;
        }
        return out;
    }

    DiskReader disk;
    RecordingObserver observer;
    ScriptedPrompter prompter;
    Catalogue catalogue;
    FolderTree tree;
    FatLayout partitionLayout;
    FatLayout activeLayout;
    FatSearchState state;
};

// The folders the manifest lists for `image` (under `prefix`, e.g. "p1/",
// which is cut off), with their deleted flags. `kind` is "dir" or "old-dir".
inline std::map<std::string, bool> ManifestFolders(const std::string& image,
                                                   const std::string& prefix = "",
                                                   const std::string& kind = "dir") {
    std::ifstream in(std::string(DATREVO_FIXTURE_DIR) + "/manifest.tsv");
    std::map<std::string, bool> out;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream split(line);
        for (std::string cell; std::getline(split, cell, '\t');) cells.push_back(cell);
        if (cells.size() < 6 || cells[0] != image || cells[2] != kind) continue;
        if (cells[1].rfind(prefix, 0) != 0) continue;
        out[cells[1].substr(prefix.size())] = cells[5] == "1";
    }
    return out;
}

}  // namespace datrevo::test
